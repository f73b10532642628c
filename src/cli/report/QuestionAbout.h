#pragma once
// The line above a question on the terminal that says what the command works on, in the
// command line's own words: the add-in's question speaks of the selection or the project as the
// IDE has them ("from selected text"), not of what was named on the command line.

#include <string>
#include <vector>

#include "cli/args/CommandLine.h"

namespace brindle::cli {

// "remove-code works on the whole module modMain.bas", "... on lines 4-20 of modMain.bas",
// "... on every module of Inventory.vbp". `modules` are the modules as the user sees them,
// `file` the project or group file.
std::string QuestionAbout(const Request& request, const std::vector<std::string>& modules,
                          const std::string& file);

// For a run on several files: "add-all works on every module of each of 3 files: A.vbp,
// B.vbp, modMain.bas".
std::string QuestionAboutFiles(const Request& request, const std::vector<std::string>& files);

}  // namespace brindle::cli
