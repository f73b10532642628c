#include "cli/commands/TemplateChecks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "analysis/LineHelpers.h"
#include "cli/commands/Session.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "codegen/BlockText.h"
#include "host/vb6/CodePage.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

// Which of the four templates the command inserts text from.
std::array<bool, kTemplateSlots.size()> UsedBy(Command command) {
    switch (command) {
        case Command::AddModuleHeader:
            return {true, false, false, false};
        case Command::AddHeaders:
            return {false, true, false, false};
        case Command::AddErrorHandlers:
            return {false, false, true, true};
        case Command::AddAll:
        case Command::Refresh:
            return {true, true, true, true};
        default:
            return {false, false, false, false};
    }
}

std::string FileOf(Session& session, const std::string& path, int codePage) {
    return Label(session.Templates().Resolve(path), codePage);
}

// Why a template that was not refused gives no text; nothing when it gives some.
std::optional<TemplateProblem> NoText(Session& session, const TemplateSlot& row, int codePage) {
    const AddinFields& fields = session.Fields();
    const std::string& path = fields.*row.path;
    const std::string title = "the " + std::string(row.title) + " template ";
    if (path.empty()) {
        return TemplateProblem{session.SettingsLabel(false), 1,
                               "no " + std::string(row.title) + " template file is set"};
    }
    if (!(fields.*row.text).empty()) {
        return std::nullopt;
    }
    const fs::path file = session.Templates().Resolve(path);
    std::error_code error;
    std::string why = "is empty; nothing goes in from it";
    if (!fs::exists(file, error)) {
        why = "is missing";
    } else if (!session.Templates().Read(path)) {
        why = "cannot be read";
    }
    return TemplateProblem{Label(file, codePage), 1, title + why};
}

std::vector<TemplateProblem> ProblemsOf(Session& session, int codePage,
                                        const std::array<bool, 4>& used) {
    std::vector<TemplateProblem> problems;
    const AddinFields& fields = session.Fields();
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        const TemplateSlot& row = kTemplateSlots[i];
        if (!used[i]) {
            continue;
        }
        const std::string& path = fields.*row.path;
        const auto refused = fields.templateRefusals.find(path);
        if (refused != fields.templateRefusals.end()) {
            problems.push_back(
                {FileOf(session, path, codePage), std::max(refused->second.line, 1),
                 "the " + std::string(row.title) + " template is refused: " + refused->second.why,
                 true});
        } else if (auto problem = NoText(session, row, codePage)) {
            problems.push_back(std::move(*problem));
        }
    }
    return problems;
}

}  // namespace

std::vector<TemplateProblem> TemplateProblems(Session& session, int codePage) {
    return ProblemsOf(session, codePage, {true, true, true, true});
}

void RefuseBrokenTemplates(Command command, Session& session, int codePage) {
    std::string message;
    for (const TemplateProblem& problem : ProblemsOf(session, codePage, UsedBy(command))) {
        if (problem.refused) {
            message += (message.empty() ? "" : "\nbrindle: ") + problem.file + ": " + problem.text;
        }
    }
    if (!message.empty()) {
        throw InputError(message + "; nothing was changed");
    }
}

void WarnOfTemplateText(Command command, Session& session, int codePage, RunLog& log) {
    const auto used = UsedBy(command);
    const AddinFields& fields = session.Fields();
    bool namesAuthor = false;
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        if (!used[i]) {
            continue;
        }
        const std::string& text = fields.*kTemplateSlots[i].text;
        namesAuthor = namesAuthor || NamesKeyword(text, "Author");
        if (command != Command::Refresh) {
            continue;  // the add-in tells of them at its click
        }
        for (const auto& unknown : UnknownKeywords(text)) {
            log.ProblemAt(FileOf(session, fields.*kTemplateSlots[i].path, codePage), unknown.line,
                          unknown.Problem());
        }
    }
    const std::string missing = namesAuthor ? host::MissingFrom(fields.msAuthor, codePage) : "";
    if (!missing.empty()) {
        log.Warning("author " + fields.msAuthor + ": code page " + std::to_string(codePage) +
                    " lacks these characters, each is written as \"?\": " + missing);
    }
}

}  // namespace brindle::cli
