#pragma once
// The sections of a Markdown text, as the help shows parts of the README.

#include <span>
#include <string>
#include <string_view>

namespace brindle {

// The lines of each section whose "## " title is among `titles`, from its title to the next
// "## " line, in the text's order. A "## " line inside a block of code starts no section.
std::string MarkdownSections(std::string_view text, std::span<const std::string_view> titles);

// The text as a window without Markdown shows it best: headings without their "#", no code
// fences and no backticks, a table's cells joined by " — " and its rule row left out.
std::string MarkdownAsPlainText(std::string_view text);

}  // namespace brindle
