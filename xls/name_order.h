// The order of Excel's Names collection: names compare without regard to case, symbols
// before digits before letters ("Hedge_Beta" before "HedgeNames"), whatever their scope.
#pragma once
#include <string_view>

namespace zel::xls {

// True when name a comes before name b in the collection (names without their sheet part).
bool nameOrderLess(std::string_view a, std::string_view b);

}  // namespace zel::xls
