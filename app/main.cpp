// zelvarin: the main window. zelvarin [--home DIR] [RESULT.xdb]
#include "app/frm_zelvarin.h"
#include "app/startup_args.h"
#include "report/preview/message_box_sink.h"
#include "report/preview/report_preview.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("zelvarin");
  // Standard dialogs and buttons in Japanese (Qt's own translations, qt6-translations-l10n).
  QTranslator qtJapanese;
  if (qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtJapanese);

  std::vector<std::string> args;
  const QStringList qtArgs = QApplication::arguments();  // Qt's own options already removed
  for (qsizetype i = 1; i < qtArgs.size(); ++i) args.push_back(qtArgs[i].toStdString());
  std::string error;
  std::optional<zel::StartupArgs> parsed = zel::parseStartupArgs(args, &error);
  if (!parsed) {
    std::fprintf(stderr, "zelvarin: %s\nusage: zelvarin [--home DIR] [RESULT.xdb]\n", error.c_str());
    return 2;
  }

  zel::report::MessageBoxSink sink;
  zel::WindowServices services;
  services.sink = &sink;
  services.reportPreview = [&sink](QWidget* parent, const std::string& dbPath, const std::string& name, int mode,
                                   const zel::HeaderTexts& header) {
    zel::report::PreviewEnvironment env;
    env.messages = &sink;
    env.header = &header;
    zel::report::ReportPreview(parent, dbPath, name, mode, env);
  };
  std::string folder = parsed->home.empty() ? zel::defaultProgramFolder() : parsed->home;
  zel::frmZelvarin window(zel::programPathsFor(folder), parsed->commandLine, services);
  sink.setParent(&window);
  if (!window.Form_Load()) return 0;
  window.show();
  return app.exec();
}
