// Rendering needs a QGuiApplication (fonts). Command-line tools and benchmarks call this once:
// it creates one for the rest of the process when none exists, on the "offscreen" platform
// when there is no display.
#pragma once

namespace zel::report {

void ensureGuiApplication();

}  // namespace zel::report
