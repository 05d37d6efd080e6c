// The About dialog and its logo: a small sheet grid whose highlighted cell walks round.
#include "dialogs/about_dialog.h"

#include "core/disk_space.h"
#include "core/program_folder.h"
#include "core/vb_error.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace zel {
namespace {
int g_frameCounter = 0;  // 16-bit counter of the original; never reset by closing the dialog
}

QPixmap AboutDialog::logoFrame(int k) {
  if (k < 1 || k > 4) k = 1;
  const int size = 64;
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0x1f, 0x6f, 0x3f));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(2, 2, size - 4, size - 4, 8, 8);
  // A 2 x 2 grid of cells; frame k lights cell k (clockwise).
  const QRect cells[4] = {QRect(12, 12, 18, 18), QRect(34, 12, 18, 18), QRect(34, 34, 18, 18), QRect(12, 34, 18, 18)};
  for (int i = 0; i < 4; ++i) {
    p.setBrush(i == k - 1 ? QColor(0xff, 0xd7, 0x40) : QColor(0xe8, 0xf0, 0xe8));
    p.drawRect(cells[i]);
  }
  p.setPen(QPen(QColor(0x1f, 0x6f, 0x3f), 3));
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(16);
  p.setFont(f);
  p.drawText(cells[k - 1], Qt::AlignCenter, QStringLiteral("Z"));
  return pm;
}

AboutDialog::AboutDialog(QWidget* parent, const std::string& workbookPath) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle(QString::fromUtf8(kCaption));
  auto* layout = new QVBoxLayout(this);
  auto* fraAbout = new QFrame(this);
  fraAbout->setObjectName("fraAbout");
  fraAbout->setFrameShape(QFrame::Box);
  auto* top = new QHBoxLayout(fraAbout);
  imgLogoWk = new QLabel(fraAbout);
  imgLogoWk->setObjectName("imgLogoWk");
  imgLogoWk->setFixedSize(64, 64);
  lblAbout = new QLabel(QString::fromUtf8(kCaption), fraAbout);
  lblAbout->setObjectName("lblAbout");
  QFont big = lblAbout->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  lblAbout->setFont(big);
  top->addWidget(imgLogoWk);
  top->addWidget(lblAbout, 1);
  layout->addWidget(fraAbout);

  auto* grid = new QGridLayout();
  auto addPair = [&](int row, const char* name, const char* caption, QLabel*& value, const char* valueName) {
    auto* label = new QLabel(QString::fromUtf8(caption), this);
    label->setObjectName(name);
    value = new QLabel(this);
    value->setObjectName(valueName);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
  };
  addPair(0, "Label7", "FileName:", lblName, "lblName");
  addPair(1, "Label2", "Drive:", lblDrive, "lblDrive");
  addPair(2, "Label3", "ObjectSize:", lblObjSize, "lblObjSize");
  addPair(3, "Label4", "FreeSpace:", lblFree, "lblFree");
  addPair(4, "Label5", "TotalSize:", lblTotal, "lblTotal");
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  cmdAbout = new QPushButton(QStringLiteral("OK"), this);
  cmdAbout->setObjectName("cmdAbout");
  layout->addWidget(cmdAbout, 0, Qt::AlignRight);
  connect(cmdAbout, &QPushButton::clicked, this, &AboutDialog::cmdAbout_Click);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(700);
  connect(Timer1, &QTimer::timeout, this, &AboutDialog::Timer1_Timer);
  Form_Load(workbookPath);
  Timer1->start();
  setMinimumWidth(380);
}

void AboutDialog::Form_Load(const std::string& path) {
  imgLogoWk->setPixmap(logoFrame(1));
  if (path.empty()) return;
  lblName->setText(QString::fromStdString(FileNameOf(path)));
  // No drive letters here: the "drive" is the mount point of the file system holding the workbook.
  lblDrive->setText(QString::fromStdString(mountPointOf(path)));
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0)
    lblObjSize->setText(QString::fromStdString(megabytesText(static_cast<double>(st.st_size) / 1024.0 / 1024.0)));
  lblTotal->setText(QString::fromStdString(megabytesText(DiskSpaceMB(path, 1, 1))));
  lblFree->setText(QString::fromStdString(megabytesText(DiskSpaceMB(path, 2, 1))));
}

void AboutDialog::Timer1_Timer() {
  ++g_frameCounter;
  imgLogoWk->setPixmap(logoFrame(g_frameCounter));
  if (g_frameCounter == 4) g_frameCounter = 0;
}

void AboutDialog::cmdAbout_Click() { close(); }

}  // namespace zel
