// Keeps the screen saver off while a workbook is open, through the desktop's
// org.freedesktop.ScreenSaver service. Without a session bus or the service it does nothing.
#pragma once
#include <cstdint>

namespace zel {

class ScreenSaverInhibitor {
 public:
  ScreenSaverInhibitor() = default;
  ~ScreenSaverInhibitor();
  ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
  ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

  void inhibit();  // a second call keeps the one inhibition
  void release();  // UnInhibit; harmless when nothing is held
  bool active() const { return held_; }

 private:
  uint32_t cookie_ = 0;
  bool held_ = false;
};

}  // namespace zel
