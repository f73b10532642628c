#pragma once
// Shell completion scripts for bash, zsh and fish, made from the command line's own commands
// and flags, so that they never fall behind it. The build installs them.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace brindle::cli {

// The script for "complete-bash", "complete-zsh" or "complete-fish"; nothing for another name.
std::optional<std::string> CompletionScript(const CLI::App& app, std::string_view kind);

}  // namespace brindle::cli
