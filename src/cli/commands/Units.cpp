#include "cli/commands/Units.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "cli/commands/StoredCodePage.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "host/files/DocumentFile.h"
#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectLoader.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

// A path as git prints it when it quotes one (core.quotePath): in double quotes, with C's
// escapes and the bytes beyond ASCII in octal.
std::string Unquoted(const std::string& line) {
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') {
        return line;
    }
    const std::string_view quoted = std::string_view(line).substr(1, line.size() - 2);
    static constexpr std::string_view kFrom = "abtnvfr";
    static constexpr std::string_view kTo = "\a\b\t\n\v\f\r";
    std::string path;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '\\' || i + 1 == quoted.size()) {
            path += quoted[i];
            continue;
        }
        const char c = quoted[++i];
        if (c >= '0' && c <= '7') {
            int value = 0;
            for (int digits = 0;
                 digits < 3 && i < quoted.size() && quoted[i] >= '0' && quoted[i] <= '7';
                 ++digits, ++i) {
                value = value * 8 + (quoted[i] - '0');
            }
            --i;
            path += static_cast<char>(value);
        } else if (const auto at = kFrom.find(c); at != std::string_view::npos) {
            path += kTo[at];
        } else {
            path += c;
        }
    }
    return path;
}

std::string ReadListText(const std::string& from, std::istream& in) {
    if (from == "-") {
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    try {
        return host::ReadFileBytes(host::PathOf(from));
    } catch (const std::exception& e) {
        throw InputError("--files-from " + from + ": " + e.what());
    }
}

// The paths listed, one a line or each ended by a NUL byte.
std::vector<std::string> ReadList(const Request& request, std::istream& in) {
    const std::string text = ReadListText(*request.filesFrom, in);
    std::vector<std::string> paths;
    std::istringstream items(text);
    const char end = request.nullSeparated ? '\0' : '\n';
    for (std::string item; std::getline(items, item, end);) {
        if (!request.nullSeparated && !item.empty() && item.back() == '\r') {
            item.pop_back();
        }
        if (!TrimSpaces(item).empty()) {
            paths.push_back(request.nullSeparated ? item : Unquoted(item));
        }
    }
    return paths;
}

// "Book.xlsm/Module1" names a module inside an Office document.
bool IsProject(const std::string& file) {
    const auto path = host::PathOf(file);
    return host::IsProjectOrGroupFile(path) && !host::IsDocumentModulePath(path);
}

bool IsModule(const std::string& file) {
    const auto path = host::PathOf(file);
    return host::ModuleTypeOfExtension(path).has_value() || host::IsDocumentModulePath(path);
}

// What a list names to be done without a project: modules, and Office documents whole.
bool IsModuleOrDocument(const std::string& file) {
    return IsModule(file) || host::IsOfficeDocument(host::PathOf(file));
}

bool Exists(const std::string& file) {
    std::error_code error;
    const auto path = host::PathOf(file);
    return fs::exists(path, error) || host::IsDocumentModulePath(path);
}

// The module files of a project part, and those that its .brindleignore leaves out; none when
// the project cannot be read, which the part tells when it is done.
struct HeldModules {
    std::vector<std::string> done;
    std::vector<std::string> ignored;
};

HeldModules ModulesOf(const Request& part) {
    HeldModules modules;
    const int codePage = CodePageOf(part);
    CheckCodePage(codePage);
    try {
        const auto plan =
            host::PlanProjects(host::PathOf(part.files.front()), codePage, ReadsIgnoreFiles(part));
        for (const auto& project : plan.projects) {
            for (const auto& module : project.modules) {
                modules.done.push_back(host::FileIdentity(module.path));
            }
            for (const auto& ignored : project.ignored) {
                modules.ignored.push_back(host::FileIdentity(ignored.file));
            }
        }
    } catch (const host::LoadError&) {
    }
    return modules;
}

// A module is done once a run: by the first project that holds it, else as named. Tells of the
// listed modules that no project holds; other files listed (the project's own, a README) are
// passed over.
void DoEachOnce(std::vector<Request>& parts, const std::vector<std::string>& listed,
                const std::string& how, bool limited, RunLog& log) {
    if (parts.size() < 2 && !limited) {
        return;
    }
    std::set<std::string> done;
    std::set<std::string> held;  // done, or left out by a .brindleignore
    for (auto& part : parts) {
        if (OnProject(part)) {
            part.doneBefore.assign(done.begin(), done.end());
            const auto modules = ModulesOf(part);
            done.insert(modules.done.begin(), modules.done.end());
            held.insert(modules.done.begin(), modules.done.end());
            held.insert(modules.ignored.begin(), modules.ignored.end());
        }
    }
    for (auto& part : parts) {
        if (!OnProject(part)) {
            std::erase_if(part.files, [&](const std::string& file) {
                return done.contains(host::FileIdentity(host::PathOf(file)));
            });
        }
    }
    std::erase_if(parts, [](const Request& part) { return part.files.empty(); });
    for (const auto& file : limited ? listed : std::vector<std::string>{}) {
        if (IsModule(file) && !held.contains(host::FileIdentity(host::PathOf(file)))) {
            log.Warning(host::Label(host::PathOf(file), kDefaultCodePage) + ": " + how +
                        " but in no project given; left out");
        }
    }
}

// Each folder named stands for the projects and groups below it.
std::vector<std::string> WithFoldersExpanded(const Request& request) {
    std::vector<std::string> files;
    for (const auto& file : request.files) {
        const auto path = host::PathOf(file);
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            files.push_back(file);
            continue;
        }
        const int codePage = CodePageOf(request);
        CheckCodePage(codePage);
        std::vector<fs::path> found;
        try {
            found = host::ProjectsBelow(path, codePage, ReadsIgnoreFiles(request));
        } catch (const host::LoadError& e) {
            throw InputError(e.what());
        }
        if (found.empty()) {
            throw InputError("no project, group file or Office document with VBA below " +
                             host::Label(path, codePage));
        }
        for (const auto& project : found) {
            files.push_back(host::TextOf(project.lexically_normal()));
        }
    }
    return files;
}

}  // namespace

bool ReadsIgnoreFiles(const Request& request) {
    return !request.noIgnore && !request.ignoreExclusions;
}

namespace {

// With --only-named, the modules named beside the projects leave the request for its list.
std::vector<std::string> TakeNamedModules(Request& whole) {
    std::vector<std::string> named;
    for (const auto& file : whole.files) {
        if (IsProject(file)) {
            continue;
        }
        if (!Exists(file)) {
            throw InputError(host::Label(host::PathOf(file), kDefaultCodePage) + ": no such file");
        }
        named.push_back(file);
    }
    std::erase_if(whole.files, [](const std::string& file) { return !IsProject(file); });
    return named;
}

// Each project or group, and the modules by the team settings that apply to them.
std::vector<Request> PartsOf(const Request& whole) {
    std::vector<Request> parts;
    std::map<std::string, std::size_t> modulePart;  // "" when no team settings apply
    for (const auto& file : whole.files) {
        Request part = whole;
        part.files = {file};
        if (IsProject(file)) {
            parts.push_back(std::move(part));
            continue;
        }
        const auto team = TeamSettingsFor({file});
        const auto key = team ? host::FileIdentity(*team) : std::string();
        const auto [at, added] = modulePart.emplace(key, parts.size());
        if (added) {
            part.only.reset();
            parts.push_back(std::move(part));
        } else {
            parts[at->second].files.push_back(file);
        }
    }
    return parts;
}

}  // namespace

RunParts SplitRun(const Request& request, std::istream& in, RunLog& log) {
    Request whole = request;
    if (!TakesProjects(request.command)) {
        return {{whole}, 0};
    }
    whole.files = WithFoldersExpanded(request);
    std::vector<std::string> listed =
        request.filesFrom ? ReadList(request, in) : std::vector<std::string>{};
    const bool onProjects = std::any_of(whole.files.begin(), whole.files.end(), IsProject);
    std::string how = "listed in --files-from";
    if (request.onlyNamed && onProjects) {
        how = request.filesFrom ? "listed or named" : "named";
        const auto named = TakeNamedModules(whole);
        listed.insert(listed.end(), named.begin(), named.end());
    }
    // A staged list names what was deleted too.
    std::erase_if(listed, [](const std::string& file) { return !Exists(file); });
    if (!onProjects) {
        std::copy_if(listed.begin(), listed.end(), std::back_inserter(whole.files),
                     IsModuleOrDocument);
    } else if (request.filesFrom || request.onlyNamed) {
        std::vector<std::string> only;
        for (const auto& file : listed) {
            only.push_back(host::FileIdentity(host::PathOf(file)));
        }
        whole.only = std::move(only);
    }
    RunParts run{PartsOf(whole),
                 static_cast<int>(std::count_if(listed.begin(), listed.end(), IsModuleOrDocument))};
    DoEachOnce(run.parts, listed, how, whole.only.has_value(), log);
    return run;
}

}  // namespace brindle::cli
