#include "cli/CheckCommand.h"

#include <nlohmann/json.hpp>

#include <array>

#include "cli/Inputs.h"
#include "cli/RunLog.h"
#include "cli/Session.h"
#include "cli/StoredCodePage.h"
#include "codegen/BlockText.h"
#include "codegen/Refresh.h"
#include "host/files/ModuleFile.h"

namespace brindle::cli {
namespace {

struct Reported {
    std::string file;  // as the user sees it
    std::int32_t line = 0;
    std::string rule;
    std::string text;
};

CheckRules RulesOf(const Request& request) {
    return {request.requireModuleHeader, request.requireHeader, request.requireHandler,
            request.stale};
}

// Each template's path and text.
std::array<std::pair<const std::string*, const std::string*>, 4> TemplatesOf(
    const AddinFields& fields) {
    return {{
        {&fields.msModHdrFname, &fields.msModHdrTmplt},
        {&fields.msProcHdrFname, &fields.msProcHdrTmplt},
        {&fields.msErrHdrFname, &fields.msErrHdrTmplt},
        {&fields.msErrFtrFname, &fields.msErrFtrTmplt},
    }};
}

// Each keyword of a template that does not exist, at its line in the template's file. With
// --stale, each template that gives no text is told.
void CheckTemplates(Session& session, const Request& request, int codePage, RunLog& log,
                    std::vector<Reported>& findings) {
    for (const auto& [path, text] : TemplatesOf(session.Fields())) {
        if (request.stale && text->empty()) {
            log.Warning("the template \"" + *path +
                        "\" is missing, unreadable or empty; --stale does not look at its "
                        "blocks");
        }
        for (const auto& unknown : UnknownKeywords(*text)) {
            findings.push_back(
                {Label(session.Templates().Resolve(*path), codePage), unknown.line, "keyword",
                 "%" + unknown.name + "% is no template keyword; it stays in the text as it is"});
        }
    }
}

void PrintText(const std::vector<Reported>& findings, std::ostream& out) {
    for (const auto& finding : findings) {
        out << finding.file << ':' << finding.line << ": " << finding.text << '\n';
    }
}

void PrintJson(const std::vector<Reported>& findings, int modules, int ignored, std::ostream& out) {
    auto list = nlohmann::json::array();
    for (const auto& finding : findings) {
        list.push_back({{"file", finding.file},
                        {"line", finding.line},
                        {"rule", finding.rule},
                        {"message", finding.text}});
    }
    const nlohmann::json document = {
        {"findings", list}, {"modules", modules}, {"ignored", ignored}};
    out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

}  // namespace

int RunCheck(const Request& request, const Streams& io) {
    const int codePage = CodePageOf(request);
    CheckCodePage(codePage);
    RunLog log(io.err, request.quiet ? Progress::Quiet : Progress::Shown, codePage);
    auto inputs = OnProject(request) ? LoadProjects(request.files.front(), codePage)
                                     : LoadModules(request.files, codePage);
    for (const auto& problem : inputs.problems) {
        log.Problem(problem.subject, problem.text);
    }
    SessionSetup setup;
    setup.codePage = codePage;
    setup.teamFile = TeamSettingsFor(request.files);
    setup.saveOptions = false;
    Session session(log, setup);
    session.Connect();

    std::vector<Reported> findings;
    CheckTemplates(session, request, codePage, log, findings);
    int modules = 0;
    for (auto& project : inputs.projects) {
        for (auto& module : project.modules) {
            ++modules;
            log.SetCurrent(module.label);
            std::vector<Finding> found;
            if (!IgnoreStep(&log, [&] {
                    found = CheckModule(session.Fields(), module.component->CodeModule(),
                                        RulesOf(request));
                })) {
                continue;
            }
            const host::FileLines lines(*module.component);
            for (auto& finding : found) {
                findings.push_back({module.label, lines.FileLineOf(finding.line),
                                    std::move(finding.rule), std::move(finding.text)});
            }
        }
    }
    session.Disconnect();

    if (request.json) {
        PrintJson(findings, modules, inputs.Ignored(), io.out);
    } else {
        PrintText(findings, io.out);
    }
    io.out << std::flush;
    NoteIgnored(inputs.Ignored(), log);
    const auto count = std::to_string(findings.size());
    log.Note((findings.empty() ? std::string("no findings")
                               : count + " finding" + (findings.size() == 1 ? "" : "s")) +
             " in " + std::to_string(modules) + (modules == 1 ? " module" : " modules"));
    return findings.empty() && log.Failures() == 0 ? 0 : 1;
}

}  // namespace brindle::cli
