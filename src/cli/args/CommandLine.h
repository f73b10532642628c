#pragma once
// What the user asked for on the command line.

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "addin/Commands.h"

namespace brindle::cli {

enum class Command {
    AddModuleHeader,
    AddHeaders,
    AddErrorHandlers,
    RemoveMarkers,
    RemoveCode,
    AddAll,
    RemoveMarkersAll,
    RemoveCodeAll,
    Procedures,
    Options,
    Check,
    Refresh,
    Lsp,
};

// The options command's changes; an empty field is left as it is.
struct OptionChanges {
    bool reset = false;  // the defaults first, then the changes given
    std::optional<std::string> author;
    std::optional<bool> markers;
    std::optional<bool> splash;
    std::optional<bool> skipExisting;
    std::optional<std::string> dateFormat;
    std::optional<std::string> moduleHeaderTemplate;
    std::optional<std::string> procedureHeaderTemplate;
    std::optional<std::string> errorHeaderTemplate;
    std::optional<std::string> errorFooterTemplate;
    std::optional<int> codepage;  // the command line's default

    bool Any() const {
        return reset || author || markers || splash || skipExisting || dateFormat ||
               moduleHeaderTemplate || procedureHeaderTemplate || errorHeaderTemplate ||
               errorFooterTemplate || codepage;
    }
};

struct Request {
    Command command = Command::Procedures;
    std::vector<std::string> files;  // modules, project and group files, as named
    std::optional<std::string>
        filesFrom;               // the file that lists the modules to work on ("-": stdin)
    bool nullSeparated = false;  // --null: the list's paths end with NUL bytes, not lines
    bool onlyNamed = false;      // the modules named beside projects limit them, as a list does
    bool noIgnore = false;       // no .brindleignore is read
    // The modules that --files-from lists, by host::FileIdentity; a run on projects is limited
    // to them. Filled in when the list is read.
    std::optional<std::vector<std::string>> only;
    // Modules that an earlier part of the run does, by host::FileIdentity: left out of this one.
    std::vector<std::string> doneBefore;
    std::optional<std::string> select;
    bool fileLines = false;  // --select numbers the lines of the file, not of the code
    std::optional<std::string> proc;
    bool yes = false;
    bool diff = false;
    bool exitCode = false;  // with --diff: exit with 1 when something would change
    bool quiet = false;
    std::optional<int> codepage;    // as given; without it the stored default
    bool skipExisting = false;      // the adding commands' --skip-existing
    bool ignoreExclusions = false;  // the removals' --ignore-exclusions
    bool overwrite = false;         // refresh's --overwrite
    OptionChanges options;

    // check
    bool requireModuleHeader = true;
    bool requireHeader = true;
    bool requireHandler = true;
    bool stale = false;
    std::string format = "text";          // text, json, github or sarif
    std::optional<std::string> baseline;  // the baseline file
    bool updateBaseline = false;

    bool json = false;  // check and procedures
};

// The command line asked for help, or was wrong: print `text` and exit with `status`.
struct Exit {
    int status = 0;
    std::string out;  // for standard output (help)
    std::string err;  // for standard error (usage errors)
};

// A subject of `brindle help` beside the commands ("templates").
struct HelpTopic {
    std::string name;
    std::string summary;
    std::function<std::string(int width)> text;
};

// Help is wrapped to `width` columns; `brindle help TOPIC` prints one of `topics`.
std::variant<Request, Exit> ParseCommandLine(int argc, const char* const* argv, int width = 80,
                                             std::vector<HelpTopic> topics = {});

// The command's name as typed ("add-headers").
const char* CommandName(Command command);

// The add-in's command that the command runs (the table's name is the command's); none for a
// command of the command line's own.
std::optional<CommandId> AddinCommand(Command command);
// Whether the command asks for confirmation before it works.
bool Asks(Command command);
// Whether the command works on whole projects (its button is the project window's).
bool IsProjectCommand(Command command);
// Whether the command removes what Brindle added (or its markers).
bool Removes(Command command);
// Whether the command takes project and group files (and modules beside them).
bool TakesProjects(Command command);
// Whether the request works on one project or group file rather than on modules.
bool OnProject(const Request& request);

}  // namespace brindle::cli
