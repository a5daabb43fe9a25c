// The project's home page, opened by the logo. Until the project publishes
// one, the logo opens the installed manual instead.
#pragma once

#include <string_view>

namespace halvoric {

inline constexpr std::string_view kHomePage = "";

}  // namespace halvoric
