#include "cli/commands/CheckCommand.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <optional>

#include "cli/commands/Session.h"
#include "cli/commands/StoredCodePage.h"
#include "cli/commands/TemplateChecks.h"
#include "cli/commands/Units.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "cli/stream/ModuleStream.h"
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

// Each keyword of a template that does not exist, at its line in the template's file. With
// --stale, each template that gives no text is told.
void CheckTemplates(Session& session, const Request& request, int codePage, RunLog& log,
                    std::vector<Reported>& findings) {
    const AddinFields& fields = session.Fields();
    for (const TemplateSlot& slot : kTemplateSlots) {
        const std::string& path = fields.*slot.path;
        const std::string& text = fields.*slot.text;
        if (request.stale && text.empty()) {
            log.Warning("the template \"" + path +
                        "\" is missing, unreadable or empty; --stale does not look at its "
                        "blocks");
        }
        for (const auto& unknown : UnknownKeywords(text)) {
            findings.push_back(
                {Label(session.Templates().Resolve(path), codePage), unknown.line, "keyword",
                 "%" + unknown.name + "% is no template keyword; it stays in the text as it is"});
        }
    }
}

// Each template of the options that gives no text: refused, missing, unreadable or empty.
void CheckTemplateFiles(Session& session, int codePage, std::vector<Reported>& findings) {
    for (auto& problem : TemplateProblems(session, codePage)) {
        findings.push_back(
            {std::move(problem.file), problem.line, "template", std::move(problem.text)});
    }
}

// A project's component that was not checked (missing, no module, unreadable), for the JSON:
// at the line of the project file that names it when the subject gives one ("Shop.vbp:4"),
// else at the first line of the file itself.
Reported NotChecked(const std::string& subject, const std::string& text) {
    const auto colon = subject.rfind(':');
    const auto number = colon == std::string::npos ? std::string() : subject.substr(colon + 1);
    const bool line = !number.empty() && number.size() < 9 &&
                      number.find_first_not_of("0123456789") == std::string::npos;
    if (line) {
        return {subject.substr(0, colon), std::stoi(number), "missing", text};
    }
    return {subject, 1, "missing", text};
}

// Says why a run that checked nothing, or no requirement, cannot pass.
void ReportNothingChecked(const Request& request, int modules, int ignored, RunLog& log) {
    if (modules == 0) {
        log.Problem("", ignored > 0 ? "no module was checked: .brindleignore leaves out every one"
                                    : "no module was checked");
    }
    if (!request.requireModuleHeader && !request.requireHeader && !request.requireHandler) {
        log.Problem("", "--require lists no rule, so no module was checked for what it lacks");
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

// What the modules give, in order; a project's modules are streamed past the checks.
class ModuleChecks {
public:
    ModuleChecks(const Request& request, Session& session, RunLog& log)
        : request_(request), session_(session), log_(log) {}

    void Check(const std::string& label, host::MemoryComponent& component) {
        ++modules_;
        log_.SetCurrent(label);
        std::vector<Finding> found;
        if (!IgnoreStep(&log_, [&] {
                found = CheckModule(session_.Fields(), component.CodeModule(), RulesOf(request_));
            })) {
            return;
        }
        const host::FileLines lines(component);
        for (auto& finding : found) {
            findings_.push_back({label, lines.FileLineOf(finding.line), std::move(finding.rule),
                                 std::move(finding.text)});
        }
    }

    std::vector<Reported>& Findings() { return findings_; }
    int Modules() const { return modules_; }

private:
    const Request& request_;
    Session& session_;
    RunLog& log_;
    std::vector<Reported> findings_;
    int modules_ = 0;
};

// What one part of the run found.
struct PartFindings {
    std::vector<Reported> notChecked;
    std::vector<Reported> findings;
    int modules = 0;
    int ignored = 0;
    int failures = 0;
};

// One part of the run: a project or group, or modules under one team's settings.
PartFindings CheckPart(const Request& request, const Streams& io) {
    const int codePage = CodePageOf(request);
    CheckCodePage(codePage);
    RunLog log(io.err, request.quiet ? Progress::Quiet : Progress::Shown, codePage);
    const bool onProject = OnProject(request);
    Inputs inputs;
    ProjectInputs projects;
    if (onProject) {
        projects = SurveyProjects(request, codePage);
    } else {
        inputs = LoadModules(request.files, codePage);
    }
    PartFindings part;
    for (const auto& problem : onProject ? projects.problems : inputs.problems) {
        log.Problem(problem.subject, problem.text);
        part.notChecked.push_back(NotChecked(problem.subject, problem.text));
    }
    ModuleFinisher finisher(ModuleFinisher::Work::Release, io.out);
    std::optional<ModuleStream> stream;
    if (onProject) {
        stream.emplace(projects.Modules(), codePage, true, finisher);
    }
    SessionSetup setup;
    setup.codePage = codePage;
    setup.teamFile = TeamSettingsFor(request.files);
    setup.saveOptions = false;
    Session session(log, setup);
    session.Connect();

    ModuleChecks checks(request, session, log);
    CheckTemplateFiles(session, codePage, checks.Findings());
    CheckTemplates(session, request, codePage, log, checks.Findings());
    if (stream) {
        stream->ForEach(
            [&](std::size_t, const ModuleEntry& entry, host::MemoryComponent& component) {
                checks.Check(entry.label, component);
            });
    } else {
        for (auto& module : inputs.projects.front().modules) {
            checks.Check(module.label, *module.component);
        }
    }
    for (const auto& outcome : finisher.Outcomes()) {
        if (!outcome.problem.empty()) {
            log.Problem(outcome.subject, outcome.problem);
            part.notChecked.push_back(NotChecked(outcome.subject, outcome.problem));
        }
    }
    session.Disconnect();
    NoteIgnored(projects, log);
    part.findings = std::move(checks.Findings());
    part.modules = checks.Modules();
    part.ignored = projects.ignored;
    part.failures = log.Failures();
    return part;
}

// A finding that several parts give (a template they share) is told once.
void AddUnseen(std::vector<Reported>& to, std::vector<Reported>& from) {
    for (auto& finding : from) {
        const bool seen = std::any_of(to.begin(), to.end(), [&](const Reported& other) {
            return other.file == finding.file && other.line == finding.line &&
                   other.rule == finding.rule && other.text == finding.text;
        });
        if (!seen) {
            to.push_back(std::move(finding));
        }
    }
}

}  // namespace

int RunCheck(const Request& request, const Streams& io) {
    RunLog log(io.err, request.quiet ? Progress::Quiet : Progress::Shown, kDefaultCodePage);
    const auto parts = SplitRun(request, io.in, log);
    if (parts.empty()) {
        log.Note("nothing to check: --files-from lists no module");
        return log.Failures() > 0 ? 1 : 0;
    }
    PartFindings all;
    for (const auto& part : parts) {
        auto found = CheckPart(part, io);
        AddUnseen(all.notChecked, found.notChecked);
        AddUnseen(all.findings, found.findings);
        all.modules += found.modules;
        all.ignored += found.ignored;
        all.failures += found.failures;
    }
    const auto& findings = all.findings;
    const int modules = all.modules;
    if (request.json) {
        all.notChecked.insert(all.notChecked.end(), findings.begin(), findings.end());
        PrintJson(all.notChecked, modules, all.ignored, io.out);
    } else {
        PrintText(findings, io.out);
    }
    io.out << std::flush;
    if (!request.filesFrom) {
        ReportNothingChecked(request, modules, all.ignored, log);
    } else if (modules == 0) {
        log.Note("no module of the list was checked");
    }
    const auto count = std::to_string(findings.size());
    log.Note((findings.empty() ? std::string("no findings")
                               : count + " finding" + (findings.size() == 1 ? "" : "s")) +
             " in " + std::to_string(modules) + (modules == 1 ? " module" : " modules"));
    return findings.empty() && all.failures + log.Failures() == 0 ? 0 : 1;
}

}  // namespace brindle::cli
