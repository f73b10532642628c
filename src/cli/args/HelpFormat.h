#pragma once
// Help text laid out for the terminal it is read on: CLI11's layout, with every description
// and paragraph wrapped to the width.

#include <CLI/CLI.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace brindle::cli {

// The width to wrap help to: COLUMNS when it holds a number, else the width of the terminal on
// standard output, else 80.
int HelpWidth();

// Help `width` columns wide (at least 40, at most 100: longer lines are hard to read).
// `--help-all` gives the help of the program and then that of each command.
std::shared_ptr<CLI::Formatter> MakeHelpFormatter(int width);

// The text's lines, each wrapped at blanks to `width` columns; a line that begins with a blank
// (an example) is kept as it is. Every line but the first is indented by `indent` columns.
std::string Wrap(std::string_view text, std::size_t width, std::size_t indent = 0);

}  // namespace brindle::cli
