#pragma once
// What F1 in the options dialog shows inside the IDE: the README's sections on the options and
// the template keywords, which the DLL carries for that.

#include <string>

namespace brindle::dll {

inline constexpr int kReadmeResource = 3;

// The README's "The options" and "Template keywords" sections; empty when the DLL lacks its
// README.
std::string OptionsHelp();

}  // namespace brindle::dll
