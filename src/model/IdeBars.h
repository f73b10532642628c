#pragma once
// The IDE's own command bars that the add-in puts its buttons on, by the names the IDE gives them.

#include <string_view>

namespace brindle {

inline constexpr std::string_view kCodeWindowBar = "Code Window";
inline constexpr std::string_view kToolsBar = "Tools";
inline constexpr std::string_view kProjectWindowBar = "Project Window Project";

}  // namespace brindle
