#pragma once
// Brindle's side of the language server: where a module file belongs (its team settings, code
// page and project), and one piece of work of the add-in on editor text in our IDE in memory.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "addin/Commands.h"
#include "codegen/Refresh.h"
#include "host/ide/MemoryProject.h"
#include "host/session/AddinSession.h"
#include "host/session/CommandRunner.h"
#include "ui/Headless.h"

namespace brindle::lsp {

// What the client's initialization options and the server's defaults give every piece of work.
struct ServerSettings {
    std::optional<int> codePage;  // over the team's and the user's
    CheckRules rules;
};

// What a module file belongs to.
struct Place {
    std::filesystem::path file;
    std::optional<std::filesystem::path> team;  // brindle.ini
    int codePage = 1252;
    // The nearest project file, in the module's folder or above, that names the module.
    std::optional<std::filesystem::path> project;
    std::string projectName = "Project1";  // its Name, as the IDE shows it
    std::string ignoredBy;                 // the .brindleignore pattern that leaves the module out
};

// A file the work needs that cannot be taken (a team file, a project's .brindleignore, an
// unknown code page): the message says which and why.
class PlaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises PlaceError.
Place PlaceOf(const std::filesystem::path& file, const ServerSettings& settings);

// Editor text that the module's code page cannot hold; `line` is 0-based.
class TextError : public std::runtime_error {
public:
    TextError(std::size_t at, const std::string& text) : std::runtime_error(text), line(at) {}
    std::size_t line;
};

// UTF-8 text in the bytes of `codePage`. Raises TextError for a character it lacks.
std::string ToCodePage(std::string_view utf8, int codePage);

// What the add-in told while it worked.
class Collected final : public Diagnostics {
public:
    void Report(const VbError& failure) override;
    void Warn(std::string_view module, std::string_view text) override;

    std::vector<std::string> failures;
    std::vector<std::string> warnings;
};

// The add-in connected in our IDE with the modules of one piece of work; each question it asks
// goes to `answer`.
class Work {
public:
    Work(const Place& place, ui::MsgBoxPolicy answer);
    ~Work();
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

    // The module from editor text or, without it, from its file. Raises TextError,
    // host::ModuleFileError.
    host::MemoryComponent& Load(const std::filesystem::path& file,
                                const std::optional<std::string>& utf8);
    // The module's file as it stands now, in UTF-8.
    std::string TextOf(const host::MemoryComponent& component) const;

    // Runs the add-in's command on code lines `first`..`last` (whole lines) of the module.
    void RunOnLines(host::MemoryComponent& component, std::int32_t first, std::int32_t last,
                    CommandId command);
    // Runs the add-in's command on the project of the loaded modules.
    void RunOnProject(CommandId command);
    // Rewrites the marked blocks of every loaded module.
    void Refresh();

    const AddinFields& Fields() const { return session_.Addin().Fields(); }
    Collected& Told() { return told_; }
    int CodePage() const { return codePage_; }

private:
    int codePage_;
    Collected told_;
    ui::HeadlessWindows windows_;
    host::AddinSession session_;
    host::CommandRunner runner_{session_};
    std::shared_ptr<host::MemoryProject> project_;
};

// Every code line of the component at or after file line `fileLine` (0-based) that the file
// shows: the first and the last of the file's lines `first`..`last`; nothing when they hold
// no code line.
struct CodeLines {
    std::int32_t first = 0;
    std::int32_t last = 0;
};
std::optional<CodeLines> CodeLinesOf(const host::MemoryComponent& component, std::size_t first,
                                     std::size_t last);

// The module files (absolute) of the project that `place` names, in its order, with what its
// .brindleignore leaves out gone; the module alone without a project. Raises PlaceError.
std::vector<std::filesystem::path> ProjectModules(const Place& place);

}  // namespace brindle::lsp
