// The one QApplication of the window tests. It lives in a test environment so that it is
// destroyed when the tests end, before the program's exit handlers run (a QApplication
// destroyed among static objects crashes in Qt's own clean-up).
#include "window_fixture.h"

namespace zel::test {
namespace {

class QtApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }
  QApplication& app() { return *app_; }

 private:
  int argc_ = 1;
  char name_[9] = "test_gui";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

// gtest owns registered environments.
QtApplicationEnvironment* const environment = static_cast<QtApplicationEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment));

}  // namespace

QApplication& guiApp() { return environment->app(); }

}  // namespace zel::test
