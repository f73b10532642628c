#pragma once
// The names the add-in is known by, to the add-in and to the hosts that list and load it.

#include <string_view>

namespace brindle {

// The name under which the add-in is registered and finds itself in the host's add-in list.
inline constexpr std::string_view kAddinDescription = "Visual Basic Brindle";
// The add-in's own component name: the source of the failures it raises, and the application
// its settings are kept under.
inline constexpr std::string_view kAddinComponent = "VBBrindle";

}  // namespace brindle
