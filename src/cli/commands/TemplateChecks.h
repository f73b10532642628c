#pragma once
// The templates of the options in use as a command line run sees them: those that give no text
// (refused, missing, unreadable, empty), before a command inserts from them or as check's
// findings.

#include <string>
#include <vector>

#include "cli/args/CommandLine.h"

namespace brindle::cli {

class RunLog;
class Session;

struct TemplateProblem {
    std::string file;  // the template's file as the user sees it
    int line = 1;
    std::string text;
    bool refused = false;  // no text, or a marker line: never inserted, so the run stops
};

// Each of the four templates that gives no text, in the order of the options.
std::vector<TemplateProblem> TemplateProblems(Session& session, int codePage);

// For a command that inserts template text: raises InputError naming each template it takes
// text from that was refused, and why; before anything changes.
void RefuseBrokenTemplates(Command command, Session& session, int codePage);

// For refresh, which is no button of the add-in: each unknown keyword at its template line, and
// an author the module code page lacks characters of (the add-in's commands have
// Session::WarningsBeforeAdding).
void WarnOfRefreshTemplates(Session& session, int codePage, RunLog& log);

}  // namespace brindle::cli
