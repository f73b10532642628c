#pragma once
// Runs the add-in's commands by id in our IDE in memory, as a user of the IDE would: selects the
// code a command works on or makes its project the active one, and clicks the command's button;
// and says, the same for every front end, what an adding command's text will lack.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "addin/Commands.h"
#include "host/session/AddinSession.h"
#include "templates/AddinFields.h"

namespace brindle::host {

// What a command works on in a code pane, as the pane's selection takes it.
struct PaneSelection {
    std::int32_t startLine = 1;
    std::int32_t startColumn = 1;
    std::int32_t endLine = 1;
    std::int32_t endColumn = 1;
};

// The code lines `first`..`last` of the module, whole.
PaneSelection WholeLines(CodeModule& module, std::int32_t first, std::int32_t last);

class CommandRunner {
public:
    explicit CommandRunner(AddinSession& session) : session_(session) {}

    enum class Result { Done, NotSelected, NoButton };
    // Clicks the command's button on what is active now. NoButton when the add-in shows none
    // (it is not connected).
    Result Run(CommandId id);
    // Selects `selection` in the module's pane, makes the pane the active one and runs the
    // command; a selection the module refuses is told to the session's sink: NotSelected.
    Result Run(CommandId id, CodeModule& module, const PaneSelection& selection);
    // Makes `project` the active one and runs the command.
    Result Run(CommandId id, VBProject& project);

    // What to tell before a command adds text, a line each: with the markers off nothing it adds
    // can be told from the user's own code later; an author that the code page lacks characters
    // of is written with "?". Nothing for a command that adds nothing, or an add-in that is not
    // connected. `ownOptions` names the user's own options and how the markers are turned on
    // there, in the front end's words.
    std::vector<std::string> WarningsBeforeAdding(CommandId id, int codePage,
                                                  std::string_view ownOptions);

private:
    AddinSession& session_;
};

// The warning of an author whose characters the code page lacks, when a template among
// `templates` (TemplateUse bits) names the Author keyword; empty otherwise.
std::string AuthorWarning(const AddinFields& fields, unsigned templates, int codePage);

}  // namespace brindle::host
