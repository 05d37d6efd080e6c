// frmAbout: name and version, an animated four-frame logo, and facts about the open workbook
// and the file system that holds it.
#pragma once
#include <QDialog>
#include <QPixmap>

#include <array>
#include <string>

class QLabel;
class QPushButton;
class QTimer;

namespace zel {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  // workbookPath is lblDBName's caption ("" when no workbook is open).
  AboutDialog(QWidget* parent, const std::string& workbookPath);

  QLabel* lblAbout = nullptr;
  QLabel* imgLogoWk = nullptr;
  QLabel* lblName = nullptr;
  QLabel* lblDrive = nullptr;
  QLabel* lblObjSize = nullptr;
  QLabel* lblFree = nullptr;
  QLabel* lblTotal = nullptr;
  QPushButton* cmdAbout = nullptr;
  QTimer* Timer1 = nullptr;

  // Frame k (1..4) of the logo, drawn by the program.
  static QPixmap logoFrame(int k);

 public slots:
  void Timer1_Timer();
  void cmdAbout_Click();

 private:
  void Form_Load(const std::string& workbookPath);
};

}  // namespace zel
