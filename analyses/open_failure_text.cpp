// Japanese texts of the reader's open failures, one per kind.
#include "analyses/open_failure_text.h"

namespace zel::analyses {
namespace {

std::string fileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* adviceFor(xls::OpenFailure kind) {
  using xls::OpenFailure;
  switch (kind) {
    case OpenFailure::NotFound:
      return " が見つかりません。ファイル名と保存場所を確認してから選択して下さい。";
    case OpenFailure::Empty:
      return " は空のファイル (0 バイト) です。Excel のブックを選択して下さい。";
    case OpenFailure::Ooxml:
      return " は読み込めない形式 (Excel バイナリ ブック *.xlsb または Strict Open XML) のブックです。Excel で「Excel マクロ有効ブック (*.xlsm)」"
             "または「Excel ブック (*.xlsx)」として保存し直してから選択して下さい。";
    case OpenFailure::EarlierExcel:
      return " は Excel 95 以前の形式のブックです。Excel で「Excel 97-2003 ブック (*.xls)」として保存し直してから選択して下さい。";
    case OpenFailure::NotAWorkbook:
      return " は Excel のブックではありません。Excel のブック (*.xls, *.xlsx, *.xlsm など) を選択して下さい。";
    case OpenFailure::Encrypted:
      return " は読み取りパスワードで保護されているため開けません。Excel でパスワードを解除して保存し直してから選択して下さい。";
    case OpenFailure::Damaged:
      return " は壊れているため開けません。Excel で開いて修復し、保存し直してから選択して下さい。";
  }
  return " を開けません。";
}

}  // namespace

std::string openFailureText(const xls::WorkbookOpenError& e) {
  return "'" + fileNameOf(e.fileName()) + "'" + adviceFor(e.kind());
}

std::string windowErrorDescription(const VbError& e) {
  if (const auto* open = dynamic_cast<const xls::WorkbookOpenError*>(&e)) return openFailureText(*open);
  return e.description();
}

}  // namespace zel::analyses
