// A process-wide QGuiApplication for tools without a window.
#include "report/gui_application.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace zel::report {

void ensureGuiApplication() {
  if (QCoreApplication::instance()) return;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!std::getenv("QT_QPA_PLATFORM") && (!display || !*display) && (!wayland || !*wayland))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "zelvarin";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace zel::report
