// The controls of frmZelvarin: menus, the framed areas and the status row. Object names are the
// control names of the form (optCell0..2 for the control array optCell), captions as shown.
#include "app/frm_zelvarin.h"

#include "app/gauge_line.h"
#include "app/window_progress.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zel {
namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(u8(caption), parent);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

QPushButton* previewButton(QWidget* parent, const char* name) { return button(parent, name, "ﾌﾟﾚﾋﾞｭｰ"); }

template <size_t N>
void optionArray(QWidget* parent, const char* name, std::array<QRadioButton*, N>& out,
                 const std::array<const char*, N>& captions) {
  for (size_t i = 0; i < N; ++i) {
    out[i] = new QRadioButton(u8(captions[i]), parent);
    out[i]->setObjectName(QLatin1String(name) + QString::number(i));
  }
}

QLineEdit* textBox(QWidget* parent, const char* name) {
  auto* t = new QLineEdit(parent);
  t->setObjectName(QLatin1String(name));
  return t;
}

QComboBox* comboBox(QWidget* parent, const char* name) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QLatin1String(name));
  c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  c->setMinimumContentsLength(10);
  return c;
}

QGroupBox* frame(QWidget* parent, const char* name, const char* caption) {
  auto* g = new QGroupBox(u8(caption), parent);
  g->setObjectName(QLatin1String(name));
  return g;
}

}  // namespace

void frmZelvarin::buildMenus() {
  // Captions carry the usual "(&X)" access keys; the common commands also have their
  // desktop shortcuts (Ctrl+O, Ctrl+S, Ctrl+Q, F1).
  auto action = [this](QMenu* menu, const char* name, const char* caption, QKeySequence keys = {}) {
    QAction* a = menu->addAction(u8(caption));
    a->setObjectName(QLatin1String(name));
    a->setShortcut(keys);
    return a;
  };
  QMenu* m1 = menuBar()->addMenu(u8("ファイル(&F)"));
  m1->setObjectName("m1");
  m1a = action(m1, "m1a", "解析ファイルの選択(&O)", QKeySequence::Open);
  m1->addSeparator()->setObjectName("s1");
  m1b = action(m1, "m1b", "解析ファイルの保存(&S)", QKeySequence::Save);
  m1c = action(m1, "m1c", "保存ファイルの読込(&L)");
  m1->addSeparator()->setObjectName("s2");
  for (int i = 0; i < 4; ++i) {
    RecentFile[i] = m1->addAction(QString());
    RecentFile[i]->setObjectName(QStringLiteral("RecentFile%1").arg(i));
    RecentFile[i]->setVisible(false);
  }
  m1->addSeparator()->setObjectName("s3");
  m1z = action(m1, "m1z", "終了(&X)", QKeySequence(Qt::CTRL | Qt::Key_Q));

  auto topAction = [this](const char* name, const char* caption, QKeySequence keys = {}) {
    QAction* a = menuBar()->addAction(u8(caption));
    a->setObjectName(QLatin1String(name));
    a->setShortcut(keys);
    return a;
  };
  m6 = topAction("m6", "設定(&S)");
  m2 = topAction("m2", "スクリーンセーバー(&C)");
  m3 = topAction("m3", "ヘルプ(&H)", QKeySequence::HelpContents);
  m4 = topAction("m4", "アバウト(&A)");
  buildEntryPointMenu();
}

QGroupBox* frmZelvarin::buildCoverFrame() {
  QGroupBox* g = frame(this, "fraHyousi", "表紙");
  auto* v = new QVBoxLayout(g);
  auto* row = new QHBoxLayout;
  const char* captions[] = {"表　紙", "ラベル(縦)", "ラベル(横)"};
  for (int i = 0; i < 3; ++i) {
    cmdHyousi[i] = button(g, ("cmdHyousi" + std::to_string(i)).c_str(), captions[i]);
    row->addWidget(cmdHyousi[i]);
  }
  v->addLayout(row);
  auto* grid = new QGridLayout;
  struct Field {
    QLineEdit** box;
    const char* name;
    const char* label;
  } fields[] = {{&txtTitle, "txtTitle", "タイトル："},   {&txtSystem, "txtSystem", "ｼｽﾃﾑ名："},
                {&txtCompany, "txtCompany", "会社名："}, {&txtBumon, "txtBumon", "部署名："},
                {&txtAuther, "txtAuther", "作成者："},   {&txtDate, "txtDate", "作成日："}};
  int r = 0;
  for (const Field& f : fields) {
    *f.box = textBox(g, f.name);
    auto* lbl = new QLabel(u8(f.label), g);
    lbl->setObjectName(QLatin1String("lbl") + QLatin1String(f.name + 3));
    lbl->setBuddy(*f.box);
    grid->addWidget(lbl, r, 0, Qt::AlignRight);
    grid->addWidget(*f.box, r, 1);
    ++r;
  }
  v->addLayout(grid);
  cmdSave = button(g, "cmdSave", "登　　　録");
  v->addWidget(cmdSave, 0, Qt::AlignRight);
  return g;
}

QGroupBox* frmZelvarin::buildObjectFrame() {
  QGroupBox* g = frame(this, "fraObject", "オブジェクト情報");
  auto* v = new QVBoxLayout(g);
  cmdObject = button(g, "cmdObject", "オブジェクト一覧");
  v->addWidget(cmdObject);
  optionArray<3>(g, "optObject", optObject, {"ブック情報", "ｵﾌﾞｼﾞｪｸﾄ情報(簡易)", "ｵﾌﾞｼﾞｪｸﾄ情報(詳細)"});
  for (auto* o : optObject) v->addWidget(o);
  cmdOPre = previewButton(g, "cmdOPre");
  v->addWidget(cmdOPre, 0, Qt::AlignRight);
  return g;
}

QGroupBox* frmZelvarin::buildCellFrame() {
  QGroupBox* g = frame(this, "fraCell", "セル情報");
  auto* v = new QVBoxLayout(g);
  cmdCell = button(g, "cmdCell", "セル情報リスト");
  v->addWidget(cmdCell);
  auto* row = new QHBoxLayout;
  optionArray<3>(g, "optCell", optCell, {"計算式", "コメント", "両方該当"});
  for (auto* o : optCell) row->addWidget(o);
  v->addLayout(row);
  QGroupBox* inner = frame(g, "fraSSelect", "印刷種別");
  auto* iv = new QGridLayout(inner);
  optionArray<2>(inner, "optSSelect", optSSelect, {"全てのシート", "選択したシート"});
  cboSheet2 = comboBox(inner, "cboSheet2");
  iv->addWidget(optSSelect[0], 0, 0);
  iv->addWidget(optSSelect[1], 1, 0);
  iv->addWidget(cboSheet2, 1, 1);
  v->addWidget(inner);
  cmdCPre = previewButton(g, "cmdCPre");
  v->addWidget(cmdCPre, 0, Qt::AlignRight);
  return g;
}

QGroupBox* frmZelvarin::buildProcFrame() {
  QGroupBox* g = frame(this, "fraProc", "プロシージャ一覧");
  auto* v = new QVBoxLayout(g);
  cmdKansu = button(g, "cmdKansu", "プロシージャ一覧");
  v->addWidget(cmdKansu);
  optionArray<2>(g, "optProc", optProc, {"ﾌﾟﾛｼｰｼﾞｬ一覧(簡易)", "ﾌﾟﾛｼｰｼﾞｬ一覧(詳細)"});
  for (auto* o : optProc) v->addWidget(o);
  auto* row = new QHBoxLayout;
  chkProc50 = new QCheckBox(u8("五十音順"), g);
  chkProc50->setObjectName("chkProc50");
  cmdPPre = previewButton(g, "cmdPPre");
  row->addWidget(chkProc50);
  row->addStretch();
  row->addWidget(cmdPPre);
  v->addLayout(row);
  return g;
}

QGroupBox* frmZelvarin::buildModuleFrame() {
  QGroupBox* g = frame(this, "fraModule", "モジュール情報");
  auto* v = new QVBoxLayout(g);
  cmdModule = button(g, "cmdModule", "モジュールリスト");
  v->addWidget(cmdModule);
  auto* grid = new QGridLayout;
  optionArray<6>(g, "optModule", optModule, {"標準", "クラス", "フォーム", "　ブック", "　シート", "　全　て"});
  for (int i = 0; i < 6; ++i) grid->addWidget(optModule[i], i % 3, i / 3);
  v->addLayout(grid);
  auto* row = new QHBoxLayout;
  chkMod50 = new QCheckBox(u8("五十音順"), g);
  chkMod50->setObjectName("chkMod50");
  QGroupBox* inner = frame(g, "fraMPrint", "印刷種別");
  auto* iv = new QHBoxLayout(inner);
  optionArray<2>(inner, "optMPrint", optMPrint, {"１列", "２列"});
  for (auto* o : optMPrint) iv->addWidget(o);
  row->addWidget(chkMod50);
  row->addWidget(inner);
  v->addLayout(row);
  cmdMPre = previewButton(g, "cmdMPre");
  v->addWidget(cmdMPre, 0, Qt::AlignRight);
  return g;
}

QGroupBox* frmZelvarin::buildShapeFrame() {
  QGroupBox* g = frame(this, "fraShape", "図形情報");
  auto* v = new QVBoxLayout(g);
  cmdXlShape = button(g, "cmdXlShape", "図形一覧");
  v->addWidget(cmdXlShape);
  optionArray<3>(g, "optShape", optShape, {"　マクロ", "　全　て", "　全て(ｺﾒﾝﾄ除く)"});
  for (auto* o : optShape) v->addWidget(o);
  cmdSPre = previewButton(g, "cmdSPre");
  v->addWidget(cmdSPre, 0, Qt::AlignRight);
  return g;
}

QGroupBox* frmZelvarin::buildHensuFrame() {
  QGroupBox* g = frame(this, "fraHensu", "変数情報");
  auto* v = new QVBoxLayout(g);
  cmdHensu = button(g, "cmdHensu", "変数情報取得");
  cmdHensuU = button(g, "cmdHensuU", "定 義 型 一 覧");
  cmdHensuT = button(g, "cmdHensuT", "定　数　一　覧");
  cmdHensuH = button(g, "cmdHensuH", "変　数　一　覧");
  for (auto* b : {cmdHensu, cmdHensuU, cmdHensuT, cmdHensuH}) v->addWidget(b);
  return g;
}

QGroupBox* frmZelvarin::buildOtherFrame() {
  QGroupBox* g = frame(this, "fraOther", "その他");
  auto* grid = new QGridLayout(g);
  int r = 0;
  auto pair = [&](QPushButton*& cmd, const char* name, const char* caption, QPushButton*& pre, const char* preName) {
    cmd = button(g, name, caption);
    pre = previewButton(g, preName);
    grid->addWidget(cmd, r, 0);
    grid->addWidget(pre, r, 1);
    ++r;
  };
  pair(cmdName, "cmdName", "名前一覧", cmdNPre, "cmdNPre");

  cmdSheet = button(g, "cmdSheet", "シート印刷");
  grid->addWidget(cmdSheet, r, 0);
  auto* zoomRow = new QHBoxLayout;
  auto* lblZoom = new QLabel(u8("ズーム"), g);
  lblZoom->setObjectName("lblZoom");
  txtZoom = textBox(g, "txtZoom");
  txtZoom->setMaxLength(3);
  txtZoom->setFixedWidth(40);
  lblZoom->setBuddy(txtZoom);
  zoomRow->addWidget(lblZoom);
  zoomRow->addWidget(txtZoom);
  zoomRow->addStretch();
  grid->addLayout(zoomRow, r, 1);
  ++r;
  cboSheet = comboBox(g, "cboSheet");
  grid->addWidget(cboSheet, r++, 0, 1, 2);

  pair(cmdFile, "cmdFile", "ファイル一覧", cmdFPre, "cmdFPre");
  optFile[0] = new QRadioButton(u8("同一ﾌｫﾙﾀﾞ(関連)"), g);
  optFile[1] = new QRadioButton(u8("ﾘﾝｸ元参照"), g);
  QGroupBox* inner = frame(g, "fraFile", "ファイル情報");
  auto* iv = new QVBoxLayout(inner);
  optFile[2] = new QRadioButton(u8("同一ﾌｫﾙﾀﾞ(全て)"), inner);
  iv->addWidget(optFile[2]);
  for (int i = 0; i < 3; ++i) {
    optFile[i]->setObjectName(QStringLiteral("optFile%1").arg(i));
    optFile[i]->setAutoExclusive(false);  // the three lie in two frames: optFile_Click keeps one selected
  }
  grid->addWidget(optFile[0], r, 0);
  grid->addWidget(optFile[1], r++, 1);
  grid->addWidget(inner, r++, 0, 1, 2);

  pair(cmdComment, "cmdComment", "コメント一覧", cmdCOPre, "cmdCOPre");
  pair(cmdModStep, "cmdModStep", "ﾓｼﾞｭｰﾙ･ｽﾃｯﾌﾟ", cmdMSPre, "cmdMSPre");
  pair(cmdAddin, "cmdAddin", "アドイン一覧", cmdADPre, "cmdADPre");
  pair(cmdInyoSaki, "cmdInyoSaki", "引用先一覧", cmdISPre, "cmdISPre");
  cmdLinkMoto = button(g, "cmdLinkMoto", "リンク先セル　検索");
  grid->addWidget(cmdLinkMoto, r++, 0, 1, 2);
  cboLinkMoto = comboBox(g, "cboLinkMoto");
  grid->addWidget(cboLinkMoto, r++, 0, 1, 2);
  return g;
}

QWidget* frmZelvarin::buildStatusArea() {
  auto* w = new QWidget(this);
  w->setObjectName("fraStatus");
  auto* grid = new QGridLayout(w);
  grid->setContentsMargins(0, 0, 0, 0);
  cmdTimeCheck = button(w, "cmdTimeCheck", "処理時間　事前確認");
  txtMesege = textBox(w, "txtMesege");
  txtMesege->setReadOnly(true);
  txtMesege->setFocusPolicy(Qt::NoFocus);
  lblPer = new QLabel(w);
  lblPer->setObjectName("lblPer");
  lblPer->setMinimumWidth(lblPer->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
  lblPer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  linGuage = new GaugeLine(w);
  linGuage->setObjectName("linGuage");
  // The status box keeps its width while the gauge comes and goes.
  QSizePolicy gaugePolicy = linGuage->sizePolicy();
  gaugePolicy.setRetainSizeWhenHidden(true);
  linGuage->setSizePolicy(gaugePolicy);
  auto* lblXls = new QLabel(QStringLiteral("xls File :"), w);
  lblXls->setObjectName("lblXlsFile");
  lblDBName = new QLabel(w);
  lblDBName->setObjectName("lblDBName");
  lblDBName->setFrameShape(QFrame::Panel);
  lblDBName->setFrameShadow(QFrame::Sunken);
  lblDBName->setTextInteractionFlags(Qt::TextSelectableByMouse);

  grid->addWidget(cmdTimeCheck, 0, 0);
  grid->addWidget(txtMesege, 0, 1);
  grid->addWidget(lblPer, 0, 2);
  grid->addWidget(linGuage, 0, 3, Qt::AlignVCenter);
  grid->addWidget(lblXls, 1, 0, Qt::AlignRight);
  grid->addWidget(lblDBName, 1, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  return w;
}

void frmZelvarin::buildFrames() {
  auto* central = new QWidget(this);
  central->setObjectName("frmZelvarinClient");
  auto* grid = new QGridLayout(central);
  auto column = [&](int col, std::initializer_list<QWidget*> frames) {
    auto* v = new QVBoxLayout;
    for (QWidget* f : frames) v->addWidget(f);
    v->addStretch();
    grid->addLayout(v, 0, col);
  };
  column(0, {buildCoverFrame(), buildObjectFrame()});
  column(1, {buildCellFrame(), buildProcFrame(), buildShapeFrame()});
  column(2, {buildModuleFrame(), buildHensuFrame()});
  column(3, {buildOtherFrame()});
  grid->addWidget(buildStatusArea(), 1, 0, 1, 4);
  setCentralWidget(central);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setSingleShot(true);
  progress_ = std::make_unique<WindowProgress>(lblPer, linGuage, txtMesege);
  // Messages of a running analysis are shown when the run reaches them.
  progress_->setMessenger([this](const std::string& text) { message(text); });
}

void frmZelvarin::connectHandlers() {
  auto group = [this](OptionGroup id, auto& buttons, void (frmZelvarin::*handler)(int)) {
    auto* g = new QButtonGroup(this);
    for (size_t i = 0; i < buttons.size(); ++i) g->addButton(buttons[i], static_cast<int>(i));
    connect(g, &QButtonGroup::idClicked, this, handler);
    groups_[id] = g;
  };
  group(OptObject, optObject, &frmZelvarin::optObject_Click);
  group(OptCell, optCell, &frmZelvarin::optCell_Click);
  group(OptSSelect, optSSelect, &frmZelvarin::optSSelect_Click);
  group(OptProc, optProc, &frmZelvarin::optProc_Click);
  group(OptModule, optModule, &frmZelvarin::optModule_Click);
  group(OptMPrint, optMPrint, &frmZelvarin::optMPrint_Click);
  group(OptShape, optShape, &frmZelvarin::optShape_Click);
  for (int i = 0; i < 3; ++i) connect(optFile[i], &QRadioButton::clicked, this, [this, i] { optFile_Click(i); });
  connect(chkProc50, &QCheckBox::clicked, this, &frmZelvarin::chkProc50_Click);
  connect(chkMod50, &QCheckBox::clicked, this, &frmZelvarin::chkMod50_Click);

  connect(cmdOPre, &QPushButton::clicked, this, &frmZelvarin::cmdOPre_Click);
  connect(cmdCPre, &QPushButton::clicked, this, &frmZelvarin::cmdCPre_Click);
  connect(cmdPPre, &QPushButton::clicked, this, &frmZelvarin::cmdPPre_Click);
  connect(cmdMPre, &QPushButton::clicked, this, &frmZelvarin::cmdMPre_Click);
  connect(cmdNPre, &QPushButton::clicked, this, &frmZelvarin::cmdNPre_Click);
  connect(cmdSPre, &QPushButton::clicked, this, &frmZelvarin::cmdSPre_Click);
  connect(cmdFPre, &QPushButton::clicked, this, &frmZelvarin::cmdFPre_Click);
  connect(cmdCOPre, &QPushButton::clicked, this, &frmZelvarin::cmdCOPre_Click);
  connect(cmdMSPre, &QPushButton::clicked, this, &frmZelvarin::cmdMSPre_Click);
  connect(cmdADPre, &QPushButton::clicked, this, &frmZelvarin::cmdADPre_Click);
  connect(cmdISPre, &QPushButton::clicked, this, &frmZelvarin::cmdISPre_Click);
  connect(cmdHensuU, &QPushButton::clicked, this, &frmZelvarin::cmdHensuU_Click);
  connect(cmdHensuT, &QPushButton::clicked, this, &frmZelvarin::cmdHensuT_Click);
  connect(cmdHensuH, &QPushButton::clicked, this, &frmZelvarin::cmdHensuH_Click);
  connect(cmdSave, &QPushButton::clicked, this, &frmZelvarin::cmdSave_Click);
  for (int i = 0; i < 3; ++i) connect(cmdHyousi[i], &QPushButton::clicked, this, [this, i] { cmdHyousi_Click(i); });
  connect(cmdObject, &QPushButton::clicked, this, &frmZelvarin::cmdObject_Click);
  connect(cmdCell, &QPushButton::clicked, this, &frmZelvarin::cmdCell_Click);
  connect(cmdKansu, &QPushButton::clicked, this, &frmZelvarin::cmdKansu_Click);
  connect(cmdModule, &QPushButton::clicked, this, &frmZelvarin::cmdModule_Click);
  connect(cmdXlShape, &QPushButton::clicked, this, &frmZelvarin::cmdXlShape_Click);
  connect(cmdHensu, &QPushButton::clicked, this, &frmZelvarin::cmdHensu_Click);
  connect(cmdName, &QPushButton::clicked, this, &frmZelvarin::cmdName_Click);
  connect(cmdSheet, &QPushButton::clicked, this, &frmZelvarin::cmdSheet_Click);
  connect(cmdFile, &QPushButton::clicked, this, &frmZelvarin::cmdFile_Click);
  connect(cmdComment, &QPushButton::clicked, this, &frmZelvarin::cmdComment_Click);
  connect(cmdModStep, &QPushButton::clicked, this, &frmZelvarin::cmdModStep_Click);
  connect(cmdAddin, &QPushButton::clicked, this, &frmZelvarin::cmdAddin_Click);
  connect(cmdInyoSaki, &QPushButton::clicked, this, &frmZelvarin::cmdInyoSaki_Click);
  connect(cmdLinkMoto, &QPushButton::clicked, this, &frmZelvarin::cmdLinkMoto_Click);
  connect(cmdTimeCheck, &QPushButton::clicked, this, &frmZelvarin::cmdTimeCheck_Click);

  connect(m1a, &QAction::triggered, this, &frmZelvarin::m1a_Click);
  connect(m1b, &QAction::triggered, this, &frmZelvarin::m1b_Click);
  connect(m1c, &QAction::triggered, this, &frmZelvarin::m1c_Click);
  for (int i = 0; i < 4; ++i) connect(RecentFile[i], &QAction::triggered, this, [this, i] { RecentFile_Click(i); });
  connect(m1z, &QAction::triggered, this, &frmZelvarin::m1z_Click);
  connect(m2, &QAction::triggered, this, &frmZelvarin::m2_Click);
  connect(m3, &QAction::triggered, this, &frmZelvarin::m3_Click);
  connect(m4, &QAction::triggered, this, &frmZelvarin::m4_Click);
  connect(m6, &QAction::triggered, this, &frmZelvarin::m6_Click);
  connect(Timer1, &QTimer::timeout, this, &frmZelvarin::Timer1_Timer);
}

}  // namespace zel
