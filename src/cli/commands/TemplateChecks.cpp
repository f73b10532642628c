#include "cli/commands/TemplateChecks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "addin/Commands.h"
#include "analysis/LineHelpers.h"
#include "cli/commands/Session.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "codegen/BlockText.h"
#include "host/session/CommandRunner.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

// Which of the four templates the command inserts text from, as TemplateUse bits: refresh
// rewrites the blocks of all four.
unsigned UsedBy(Command command) {
    if (command == Command::Refresh) {
        return kEveryTemplate;
    }
    const auto addin = AddinCommand(command);
    return addin ? CommandOf(*addin).templates : kNoTemplate;
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

std::vector<TemplateProblem> ProblemsOf(Session& session, int codePage, unsigned used) {
    std::vector<TemplateProblem> problems;
    const AddinFields& fields = session.Fields();
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        const TemplateSlot& row = kTemplateSlots[i];
        if ((used & kSlotUses[i]) == 0) {
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
    return ProblemsOf(session, codePage, kEveryTemplate);
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

void WarnOfRefreshTemplates(Session& session, int codePage, RunLog& log) {
    const AddinFields& fields = session.Fields();
    for (const TemplateSlot& slot : kTemplateSlots) {
        for (const auto& unknown : UnknownKeywords(fields.*slot.text)) {
            log.ProblemAt(FileOf(session, fields.*slot.path, codePage), unknown.line,
                          unknown.Problem());
        }
    }
    const std::string author = host::AuthorWarning(fields, kEveryTemplate, codePage);
    if (!author.empty()) {
        log.Warning(author);
    }
}

}  // namespace brindle::cli
