// The one QApplication of the window tests.
#include "window_fixture.h"

namespace zel::test {

QApplication& guiApp() {
  static int argc = 1;
  static char name[] = "test_gui";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

}  // namespace zel::test
