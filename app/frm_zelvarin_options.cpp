// Option buttons, check boxes and preview buttons of frmZelvarin, and PrintSet.
#include "app/frm_zelvarin.h"

#include "core/vb_error.h"
#include "analyses/preview_variant.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zel {
namespace {

constexpr const char* kPlaceReport = "場所:レポート表示";

}  // namespace

// Selecting an option runs its click handler, as setting an option button's value does.
void frmZelvarin::selectOption(OptionGroup group, int index) {
  switch (group) {
    case OptObject: optObject[index]->setChecked(true); optObject_Click(index); break;
    case OptCell: optCell[index]->setChecked(true); optCell_Click(index); break;
    case OptSSelect: optSSelect[index]->setChecked(true); optSSelect_Click(index); break;
    case OptProc: optProc[index]->setChecked(true); optProc_Click(index); break;
    case OptModule: optModule[index]->setChecked(true); optModule_Click(index); break;
    case OptMPrint: optMPrint[index]->setChecked(true); optMPrint_Click(index); break;
    case OptShape: optShape[index]->setChecked(true); optShape_Click(index); break;
    case OptFile: optFile_Click(index); break;
  }
}

void frmZelvarin::optObject_Click(int index) {
  options_.ObjectLevel = index + 1;
  cmdOPre->setEnabled(false);
}

void frmZelvarin::optCell_Click(int index) {
  options_.CellOption = index + 1;
  cmdCPre->setEnabled(false);
}

void frmZelvarin::optSSelect_Click(int index) {
  options_.SheetScope = index + 1;
  cboSheet2->setEnabled(options_.SheetScope == 2);
}

void frmZelvarin::optProc_Click(int index) {
  options_.ProcLevel = index + 1;
  cmdPPre->setEnabled(false);
}

void frmZelvarin::optModule_Click(int index) {
  options_.ModuleKind = index + 1;
  cmdMPre->setEnabled(false);
}

void frmZelvarin::optMPrint_Click(int index) { options_.ColumnOption = index + 1; }

void frmZelvarin::optShape_Click(int index) {
  options_.ShapeOption = index + 1;
  cmdSPre->setEnabled(false);
}

void frmZelvarin::optFile_Click(int index) {
  options_.FileOption = index + 1;
  cmdFPre->setEnabled(false);
  // The buttons lie in two frames, so the group keeps one selection by hand.
  for (int i = 0; i < 3; ++i) optFile[i]->setChecked(i == index);
}

void frmZelvarin::chkProc50_Click() { options_.ProcKana = chkProc50->isChecked() ? 1 : 0; }

void frmZelvarin::chkMod50_Click() { options_.ModKana = chkMod50->isChecked() ? 1 : 0; }

void frmZelvarin::PrintSet(const SavedResult& saved) {
  flags_ = saved.flags;
  options_.ColumnOption = saved.mSs;
  txtTitle->setText(QString::fromStdString(saved.header.Title));
  txtSystem->setText(QString::fromStdString(saved.header.System));
  txtCompany->setText(QString::fromStdString(saved.header.Company));
  txtBumon->setText(QString::fromStdString(saved.header.Bumon));
  txtAuther->setText(QString::fromStdString(saved.header.Auther));
  txtDate->setText(QString::fromStdString(saved.header.CreateDate));
  showTextStarts();
  // Flags were range-checked when the file was read, so each is a valid option index here.
  const DoneFlags& f = flags_;
  if (f.fObj != 0) {
    selectOption(OptObject, f.fObj - 1);
    cmdOPre->setEnabled(true);
  }
  if (f.fCel != 0) {
    selectOption(OptCell, f.fCel - 1);
    selectOption(OptSSelect, f.mCs - 1);
    cmdCPre->setEnabled(true);
  } else if (saved.linkSearchRows) {  // the link search's rows show in the cell listing's report
    selectOption(OptCell, 0);
    cmdCPre->setEnabled(true);
  }
  if (f.fPrc != 0) {
    selectOption(OptProc, f.fPrc - 1);
    cmdPPre->setEnabled(true);
  }
  if (f.fSoc != 0) {
    selectOption(OptModule, f.fSoc - 1);
    selectOption(OptMPrint, saved.mSs - 1);
    cmdMPre->setEnabled(true);
  }
  if (f.fShp != 0) cmdSPre->setEnabled(true);
  if (f.fDim != 0)
    for (QPushButton* b : {cmdHensuU, cmdHensuT, cmdHensuH}) b->setEnabled(true);
  if (f.fFil != 0) {
    selectOption(OptFile, f.fFil - 1);
    cmdFPre->setEnabled(true);
  }
  if (f.fCom != 0) cmdCOPre->setEnabled(true);
  if (f.fNam != 0) cmdNPre->setEnabled(true);
  if (f.fAdd != 0) cmdADPre->setEnabled(true);
  if (f.fSocS != 0) cmdMSPre->setEnabled(true);
  if (f.fCrs != 0) cmdISPre->setEnabled(true);
  for (QPushButton* b : cmdHyousi) b->setEnabled(true);
}

// The report host reports its own failures (no printer, unreadable database) and returns;
// anything that still escapes is shown with the report place text and the command goes on.
void frmZelvarin::showReport(analyses::PreviewButton button) {
  std::string name = analyses::reportFor(button, options_, flags_);
  if (!name.empty()) showReportNamed(name, reportDbPath());
}

void frmZelvarin::showReportNamed(const std::string& name, const std::string& dbPath) {
  try {
    if (services_.reportPreview) services_.reportPreview(this, dbPath, name, 0, headerTexts());
  } catch (const VbError& e) {
    reportCommandError(kPlaceReport, e.number(), e.description(), MailLine::Standard, false);
  } catch (const std::exception& e) {
    reportCommandError(kPlaceReport, err::Automation, e.what(), MailLine::Standard, false);
  }
}

using analyses::PreviewButton;
void frmZelvarin::cmdOPre_Click() { showReport(PreviewButton::cmdOPre); }
void frmZelvarin::cmdCPre_Click() { showReport(PreviewButton::cmdCPre); }
void frmZelvarin::cmdPPre_Click() { showReport(PreviewButton::cmdPPre); }
void frmZelvarin::cmdMPre_Click() { showReport(PreviewButton::cmdMPre); }
void frmZelvarin::cmdNPre_Click() { showReport(PreviewButton::cmdNPre); }
void frmZelvarin::cmdSPre_Click() { showReport(PreviewButton::cmdSPre); }
void frmZelvarin::cmdFPre_Click() { showReport(PreviewButton::cmdFPre); }
void frmZelvarin::cmdCOPre_Click() { showReport(PreviewButton::cmdCOPre); }
void frmZelvarin::cmdMSPre_Click() { showReport(PreviewButton::cmdMSPre); }
void frmZelvarin::cmdADPre_Click() { showReport(PreviewButton::cmdADPre); }
void frmZelvarin::cmdISPre_Click() { showReport(PreviewButton::cmdISPre); }
void frmZelvarin::cmdHensuU_Click() { showReport(PreviewButton::cmdHensuU); }
void frmZelvarin::cmdHensuT_Click() { showReport(PreviewButton::cmdHensuT); }
void frmZelvarin::cmdHensuH_Click() { showReport(PreviewButton::cmdHensuH); }

}  // namespace zel
