#pragma once
// The sections of a Markdown text, as the help shows parts of the README.

#include <span>
#include <string>
#include <string_view>

namespace brindle {

// The lines of each section whose "## " title is among `titles`, from its title to the next
// "## " line, in the text's order. A "## " line inside a block of code starts no section.
std::string MarkdownSections(std::string_view text, std::span<const std::string_view> titles);

}  // namespace brindle
