// Saving and loading result files: m1b_Click, m1c_Click (and a dropped .xdb) and ShowSaveDialog.
#include "app/frm_zelvarin.h"

#include "analyses/result_save.h"
#include "core/result_file.h"
#include "app/window_progress.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>

namespace zel {
namespace {

constexpr const char* kPlaceSave = "場所:保存";
constexpr const char* kPlaceLoad = "場所:読込";
constexpr const char* kFilter = "Zelvarin(*.xdb)";
constexpr const char* kLoadRefused = "解析ファイルが選択されておりますので処理出来ません。\r終了し再度本ソフトを起動お願いします。";

}  // namespace

std::string frmZelvarin::ShowSaveDialog(const std::string& filter, const std::string& folder, const std::string& title) {
  if (services_.saveDialog) return services_.saveDialog(this, filter, folder, title);
  // The overwrite question is asked below, once the ".xdb" ending is known.
  return QFileDialog::getSaveFileName(this, QString::fromStdString(title), QString::fromStdString(folder),
                                      QString::fromStdString(filter), nullptr, QFileDialog::DontConfirmOverwrite)
      .toStdString();
}

void frmZelvarin::m1b_Click() {
  if (workbookPath_.empty()) {
    message("ファイルの解析後、保存ください。");
    return;
  }
  std::string chosen = ShowSaveDialog(kFilter, dialogFolder(), "Zelvarinファイルの保存");
  if (chosen.empty()) return;
  rememberFolderOf(chosen);
  const std::string path = normalizeXdbName(chosen);
  std::error_code ec;
  if (std::filesystem::exists(path, ec) &&
      message(path + "\rは既に存在します。上書きしますか？", MsgButtons::OkCancel) != MsgAnswer::Ok)
    return;
  try {
    if (!resultDb_.isOpen()) resultDb_ = ResultDb(paths_.DbPath);
    progress_->setStatus("解析結果ファイル　保存中");
    // The cover table holds only this workbook's cover: opening a workbook empties it.
    analyses::SaveRequest save{FileNameOf(workbookPath_), flags_, options_.ColumnOption, headerTexts(), {"T_XlHyousi"}};
    analyses::saveResultFile(resultDb_, path, save);
    message("保存終了しました。");
    m1a->setEnabled(false);
    m1c->setEnabled(false);
  } catch (const VbError& e) {
    reportCommandError(kPlaceSave, e.number(), e.description(), MailLine::SaveLoad);
  } catch (const std::exception& e) {
    reportCommandError(kPlaceSave, err::DatabaseError, e.what(), MailLine::SaveLoad);
  }
}

void frmZelvarin::m1c_Click() {
  if (!workbookPath_.empty()) {
    message(kLoadRefused);
    return;
  }
  std::string path = ShowOpenDialog(kFilter, dialogFolder(), "Zelvarinファイルの読込");
  if (path.empty()) return;
  rememberFolderOf(path);
  loadResultFile(path);
}

void frmZelvarin::loadResultFile(const std::string& path, const char* place) {
  if (!workbookPath_.empty()) {
    message(kLoadRefused);
    return;
  }
  std::string error;
  bool noRow = false;
  std::optional<SavedResult> saved = readSavedResult(path, &error, &noRow);
  if (noRow) {
    message("保存処理が失敗しています。");
    return;
  }
  if (!saved) {
    // Not a result file (or not readable): the common error report of this command.
    reportCommandError(place ? place : kPlaceLoad, err::DatabaseError, path + ": " + error, MailLine::SaveLoad);
    return;
  }
  // The loaded file becomes the report source, as a file named on the command line does.
  resultFilePath_ = path;
  acMode_ = 2;
  PrintSet(*saved);
  MenuLock();
}

}  // namespace zel
