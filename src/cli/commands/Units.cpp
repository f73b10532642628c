#include "cli/commands/Units.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "cli/commands/StoredCodePage.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "host/files/FileSystem.h"
#include "host/files/ProjectLoader.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

std::vector<std::string> ReadList(const std::string& from, std::istream& in) {
    std::string text;
    if (from == "-") {
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    } else {
        try {
            text = host::ReadFileBytes(host::PathOf(from));
        } catch (const std::exception& e) {
            throw InputError("--files-from " + from + ": " + e.what());
        }
    }
    std::vector<std::string> paths;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!TrimSpaces(line).empty()) {
            paths.push_back(line);
        }
    }
    return paths;
}

bool IsProject(const std::string& file) {
    return host::IsProjectOrGroupFile(host::PathOf(file));
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
        const auto plan = host::PlanProjects(host::PathOf(part.files.front()), codePage);
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
void DoEachOnce(std::vector<Request>& parts, const std::vector<std::string>& listed, bool limited,
                RunLog& log) {
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
        if (!IsProject(file) && !held.contains(host::FileIdentity(host::PathOf(file)))) {
            log.Warning(host::Label(host::PathOf(file), kDefaultCodePage) +
                        ": listed in --files-from but in no project given; left out");
        }
    }
}

}  // namespace

std::vector<Request> SplitRun(const Request& request, std::istream& in, RunLog& log) {
    Request whole = request;
    std::vector<std::string> listed;
    if (request.filesFrom) {
        listed = ReadList(*request.filesFrom, in);
        if (!TakesProjects(request.command) ||
            std::none_of(request.files.begin(), request.files.end(), IsProject)) {
            whole.files.insert(whole.files.end(), listed.begin(), listed.end());
        } else {
            std::vector<std::string> only;
            for (const auto& file : listed) {
                only.push_back(host::FileIdentity(host::PathOf(file)));
            }
            whole.only = std::move(only);
        }
    }
    if (!TakesProjects(request.command)) {
        return {whole};
    }
    std::vector<Request> parts;
    // Modules by the team settings that apply to them; "" when none does.
    std::map<std::string, std::size_t> modulePart;
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
    DoEachOnce(parts, listed, whole.only.has_value(), log);
    return parts;
}

}  // namespace brindle::cli
