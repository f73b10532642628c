#include "cli/commands/CheckCommand.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>

#include "analysis/ProcDecl.h"
#include "cli/commands/Session.h"
#include "cli/commands/StoredCodePage.h"
#include "cli/commands/TemplateChecks.h"
#include "cli/commands/Units.h"
#include "cli/report/Baseline.h"
#include "cli/report/CheckReport.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "cli/stream/ModuleStream.h"
#include "codegen/BlockText.h"
#include "codegen/Insertion.h"
#include "codegen/Refresh.h"
#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"

namespace brindle::cli {
namespace {

CheckRules RulesOf(const Request& request) {
    return {request.requireModuleHeader, request.requireHeader, request.requireHandler,
            request.stale};
}

// Each keyword of a template that does not exist, at its line in the template's file; the
// templates read are `checked`. With --stale, each template that gives no text is told.
void CheckTemplates(Session& session, const Request& request, int codePage, RunLog& log,
                    CheckFindings& findings, std::vector<std::string>& checked) {
    const AddinFields& fields = session.Fields();
    for (const TemplateSlot& slot : kTemplateSlots) {
        const std::string& path = fields.*slot.path;
        const std::string& text = fields.*slot.text;
        if (request.stale && text.empty()) {
            log.Warning("the template \"" + path +
                        "\" is missing, unreadable or empty; --stale does not look at its "
                        "blocks");
        }
        const auto label = Label(session.Templates().Resolve(path), codePage);
        if (!text.empty()) {
            checked.push_back(label);
        }
        for (const auto& unknown : UnknownKeywords(text)) {
            findings.push_back({label, unknown.line, "keyword", "", unknown.Problem(), true});
        }
    }
}

// Each template of the options that gives no text: refused, missing, unreadable or empty. It
// fails the run as a file that cannot be checked does, once however many parts of the run use
// it (`told`).
void CheckTemplateFiles(Session& session, int codePage, RunLog& log, std::set<std::string>& told) {
    for (const auto& problem : TemplateProblems(session, codePage)) {
        if (told.insert(problem.file + ":" + std::to_string(problem.line) + ": " + problem.text)
                .second) {
            log.ProblemAt(problem.file, problem.line, problem.text);
        }
    }
}

// A failure of the run as the reports give it: at the line of a file when its subject, or else
// its text, begins with one ("Shop.vbp:4", "brindle.ini:3: ..."), at the whole file when the
// subject is a file, else about the run.
CheckError ErrorOf(std::string subject, std::string text) {
    if (subject.empty()) {
        const auto end = text.find(": ");
        if (end == std::string::npos) {
            return {"", 0, std::move(text)};
        }
        auto error = ErrorOf(text.substr(0, end), "");
        if (error.line == 0) {
            return {"", 0, std::move(text)};
        }
        error.message = text.substr(end + 2);
        return error;
    }
    const auto colon = subject.rfind(':');
    const auto number = colon == std::string::npos ? std::string() : subject.substr(colon + 1);
    if (!number.empty() && number.size() < 9 &&
        number.find_first_not_of("0123456789") == std::string::npos) {
        return {subject.substr(0, colon), std::stoi(number), std::move(text)};
    }
    return {std::move(subject), 0, std::move(text)};
}

// Whether the run is limited to some modules of the projects it names.
bool Limited(const Request& request) {
    return request.filesFrom || request.onlyNamed;
}

// Says why a run that checked nothing, or no requirement, cannot pass. Projects whose every
// module .brindleignore leaves out are a mistake; modules named or listed that it leaves out
// are what was asked for. A list whose modules all lie outside the projects given is a mistake
// too: a hook would pass everything.
void ReportNothingChecked(const Request& request, int modules, int ignored, int listed,
                          bool onProjects, RunLog& log) {
    const bool limited = Limited(request) && onProjects;
    if (modules == 0 && limited) {
        if (ignored == 0 && listed > 0) {
            log.Problem("", "no module of the list was checked: the " + std::to_string(listed) +
                                (listed == 1 ? " module it names is" : " modules it names are") +
                                " in no project given");
        } else {
            log.Note(ignored > 0
                         ? "no module of the list was checked: .brindleignore leaves out every one"
                         : "no module of the list was checked");
        }
        return;
    }
    if (modules == 0 && ignored > 0 && !onProjects) {
        log.Note("no module was checked: .brindleignore leaves out every one named");
    } else if (modules == 0) {
        log.Problem("", ignored > 0 ? "no module was checked: .brindleignore leaves out every one"
                                    : "no module was checked");
    }
    if (!Limited(request) && !request.requireModuleHeader && !request.requireHeader &&
        !request.requireHandler) {
        log.Problem("", "--require lists no rule, so no module was checked for what it lacks");
    }
}

// What one module gives: its findings at the lines of its file, without the module's label, or
// what stopped its check.
struct ModuleFindings {
    std::vector<CheckFinding> findings;
    std::exception_ptr failure;
};

// "Sub Main", "Property Get Name": the procedure whose lines hold the finding (the comments above
// it included); empty for the module's declarations and the module header.
std::string ProcedureAt(CodeModule& module, const Finding& finding) {
    auto kind = vbext_pk_Proc;
    const auto name =
        finding.rule == "module-header" ? std::string() : module.ProcOfLine(finding.line, kind);
    return name.empty() ? name : module.ToUnicode(ProcedureLabel(module, name, kind));
}

// Reads the module alone, so that the modules of a project are checked on several threads.
ModuleFindings Examine(const AddinFields& fields, const CheckRules& rules,
                       host::MemoryComponent& component) {
    ModuleFindings result;
    try {
        auto& module = component.CodeModule();
        auto found = CheckModule(fields, module, rules);
        const host::FileLines lines(component);
        for (auto& finding : found) {
            auto procedure = ProcedureAt(module, finding);
            result.findings.push_back({"", lines.FileLineOf(finding.line), std::move(finding.rule),
                                       std::move(procedure), std::move(finding.text)});
        }
    } catch (...) {
        result.findings.clear();
        result.failure = std::current_exception();
    }
    return result;
}

// What the modules give, in order.
class ModuleChecks {
public:
    ModuleChecks(const Request& request, Session& session, RunLog& log)
        : rules_(RulesOf(request)), session_(session), log_(log) {}

    void Check(const std::string& label, host::MemoryComponent& component) {
        Take(label, Examine(session_.Fields(), rules_, component));
    }

    // A module examined already, on whichever thread.
    void Take(const std::string& label, ModuleFindings examined) {
        ++modules_;
        log_.SetCurrent(label);
        if (examined.failure) {
            IgnoreStep(&log_, [&] { std::rethrow_exception(examined.failure); });
            return;
        }
        checked_.push_back(label);
        for (auto& finding : examined.findings) {
            finding.file = label;
            findings_.push_back(std::move(finding));
        }
    }

    const CheckRules& Rules() const { return rules_; }
    CheckFindings& Findings() { return findings_; }
    // The files checked to the end, the templates among them.
    std::vector<std::string>& Checked() { return checked_; }
    int Modules() const { return modules_; }

private:
    const CheckRules rules_;
    Session& session_;
    RunLog& log_;
    CheckFindings findings_;
    std::vector<std::string> checked_;
    int modules_ = 0;
};

// What one part of the run found, and what it could not check.
struct PartFindings {
    CheckFindings findings;
    std::vector<CheckError> errors;
    std::vector<std::string> checked;
    int modules = 0;
    int ignored = 0;
    int failures = 0;
};

// One part of the run: a project or group, or modules under one team's settings.
PartFindings CheckPart(const Request& request, const Streams& io,
                       std::set<std::string>& toldTemplates) {
    const int codePage = CodePageOf(request);
    CheckCodePage(codePage);
    RunLog log(io.err, request.quiet ? Progress::Quiet : Progress::Shown, codePage);
    const bool onProject = OnProject(request);
    Inputs inputs;
    ProjectInputs projects;
    if (onProject) {
        // A file that is no VB6 module is told of when the stream comes to it: reading every
        // file once more before the stream starts would cost a third of the run.
        projects = ListProjects(request, codePage, ReadsIgnoreFiles(request));
    } else {
        inputs = LoadModules(request.files, codePage, ReadsIgnoreFiles(request));
    }
    for (const auto& problem : onProject ? projects.problems : inputs.problems) {
        log.Problem(problem.subject, problem.text);
    }
    HintCodePage(request, codePage, log);
    SessionSetup setup;
    setup.codePage = codePage;
    setup.teamFile = TeamSettingsFor(request.files);
    setup.saveOptions = false;
    Session session(log, setup);
    session.Connect();

    ModuleChecks checks(request, session, log);
    CheckTemplateFiles(session, codePage, log, toldTemplates);
    CheckTemplates(session, request, codePage, log, checks.Findings(), checks.Checked());
    ModuleFinisher finisher(ModuleFinisher::Work::Release, io.out);
    if (onProject) {
        // Each module is checked on the thread that loads it, as soon as it is loaded; the
        // findings are taken here in the project's order.
        auto entries = projects.Modules();
        std::vector<ModuleFindings> examined(entries.size());
        const AddinFields& fields = session.Fields();
        ModuleStream stream(std::move(entries), codePage, true, finisher,
                            [&](std::size_t index, host::MemoryComponent& component) {
                                examined[index] = Examine(fields, checks.Rules(), component);
                            });
        stream.ForEach([&](std::size_t index, const ModuleEntry& entry, host::MemoryComponent&) {
            checks.Take(entry.label, std::move(examined[index]));
        });
    } else {
        for (auto& module : inputs.projects.front().modules) {
            checks.Check(module.label, *module.component);
        }
    }
    for (const auto& outcome : finisher.Outcomes()) {
        if (!outcome.problem.empty()) {
            log.Problem(outcome.subject, outcome.problem);
        }
    }
    session.Disconnect();
    NoteIgnored(projects, log);
    NoteIgnored(inputs, log);
    PartFindings part;
    part.findings = std::move(checks.Findings());
    part.checked = std::move(checks.Checked());
    for (const auto& told : log.Problems()) {
        part.errors.push_back(ErrorOf(told.subject, told.text));
    }
    part.modules = checks.Modules();
    part.ignored = projects.ignored + inputs.Ignored();
    part.failures = log.Failures();
    return part;
}

// What several parts give alike (a template they share) is reported once.
// A code base without headers has a finding for each procedure: looked up by a hash, not one by
// one.
template <typename Items>
void AddUnseen(Items& to, Items& from) {
    using Item = typename Items::value_type;
    const auto hash = [](const Item& item) {
        const std::hash<std::string_view> text;
        return text(item.file) ^ (text(item.message) << 1) ^ static_cast<std::size_t>(item.line);
    };
    // Taken over rather than copied: the findings of a large code base are most of a run's memory.
    const std::size_t first = to.size();
    if (to.empty()) {
        to.swap(from);
    } else {
        to.insert(to.end(), std::make_move_iterator(from.begin()),
                  std::make_move_iterator(from.end()));
        from.clear();
    }
    std::unordered_multimap<std::size_t, std::size_t> seen;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < to.size(); ++i) {
        const auto key = hash(to[i]);
        const auto [begin, end] = seen.equal_range(key);
        if (i >= first &&
            std::any_of(begin, end, [&](const auto& entry) { return to[entry.second] == to[i]; })) {
            continue;
        }
        seen.emplace(key, kept);
        if (kept != i) {
            to[kept] = std::move(to[i]);
        }
        ++kept;
    }
    to.erase(to.begin() + static_cast<std::ptrdiff_t>(kept), to.end());
}

// With --update-baseline the baseline takes the findings of the files checked in place of what
// it held of them, and keeps the rest: a run on part of a code base leaves the other parts as
// they were. Nothing is written when a file could not be checked: its findings would be lost.
void UpdateBaseline(Baseline& baseline, const CheckFindings& findings,
                    const std::vector<std::string>& checked, bool complete, RunLog& log) {
    if (!complete) {
        log.Problem(baseline.File(),
                    "the baseline was not written, as not every file could be checked");
        return;
    }
    baseline.Take(findings, checked);
    bool wrote = false;
    log.SetCurrent(baseline.File());
    if (IgnoreStep(&log, [&] { wrote = baseline.Write(); })) {
        const int count = baseline.Count();
        log.Note(baseline.File() + (wrote ? ": baseline written with " : ": baseline kept, with ") +
                 std::to_string(count) + (count == 1 ? " finding" : " findings"));
    }
}

// The findings to report: those the baseline does not hold, when there is one. What it holds of
// modules this run did not check is neither reported nor counted as gone.
void ApplyBaseline(std::optional<Baseline>& baseline, const Request& request,
                   CheckFindings findings, const std::vector<std::string>& checked,
                   CheckResults& results, bool complete, RunLog& log) {
    if (!baseline) {
        results.findings = std::move(findings);
        return;
    }
    if (request.updateBaseline) {
        UpdateBaseline(*baseline, findings, checked, complete, log);
    }
    int gone = 0;
    results.baseline = true;
    results.findings = baseline->NewOf(findings, checked, results.known, gone);
    if (gone > 0) {
        log.Note(std::to_string(gone) + (gone == 1 ? " finding" : " findings") +
                 " of the baseline no longer found; --update-baseline drops " +
                 (gone == 1 ? "it" : "them"));
    }
}

// The baseline that --baseline names: read, or empty for --update-baseline to fill when there is
// none yet. A file that is no baseline is never written over.
std::optional<Baseline> BaselineOf(const Request& request) {
    if (!request.baseline) {
        return std::nullopt;
    }
    const auto& file = *request.baseline;
    std::error_code error;
    if (request.updateBaseline && !std::filesystem::exists(host::PathOf(file), error) && !error) {
        return Baseline(file);
    }
    try {
        return Baseline::Read(file);
    } catch (const host::FileError& e) {
        throw InputError(file + ": " + e.what() +
                         (request.updateBaseline
                              ? ", so --update-baseline leaves it (remove it to start anew)"
                              : " (--update-baseline writes one)"));
    }
}

// Checks each part of the run and reports what they found, together, once.
int Check(const Request& request, const Streams& io) {
    RunLog log(io.err, request.quiet ? Progress::Quiet : Progress::Shown, kDefaultCodePage);
    auto baseline = BaselineOf(request);
    const auto run = SplitRun(request, io.in, log);
    const auto& parts = run.parts;
    PartFindings all;
    std::set<std::string> toldTemplates;
    for (const auto& part : parts) {
        auto found = CheckPart(part, io, toldTemplates);
        AddUnseen(all.findings, found.findings);
        AddUnseen(all.errors, found.errors);
        all.checked.insert(all.checked.end(), found.checked.begin(), found.checked.end());
        all.modules += found.modules;
        all.ignored += found.ignored;
        all.failures += found.failures;
    }
    if (parts.empty()) {
        log.Note("nothing to check: --files-from lists no module");
    } else {
        const bool onProjects = std::any_of(parts.begin(), parts.end(), OnProject);
        ReportNothingChecked(request, all.modules, all.ignored, run.listed, onProjects, log);
    }
    CheckResults results;
    results.modules = all.modules;
    results.ignored = all.ignored;
    ApplyBaseline(baseline, request, std::move(all.findings), all.checked, results,
                  all.failures + log.Failures() == 0, log);
    results.errors = std::move(all.errors);
    for (const auto& told : log.Problems()) {
        results.errors.push_back(ErrorOf(told.subject, told.text));
    }
    PrintCheckReport(results, request.format, io.out);
    io.out << std::flush;
    if (!parts.empty()) {
        log.Note(CheckSummary(results));
    }
    return results.findings.empty() && all.failures + log.Failures() == 0 ? 0 : 1;
}

}  // namespace

// A script that reads a report gets one even when the run cannot start, with the reason in it.
int RunCheck(const Request& request, const Streams& io) {
    try {
        return Check(request, io);
    } catch (const InputError& e) {
        if (request.format != "text") {
            CheckResults results;
            results.errors.push_back(ErrorOf("", e.what()));
            PrintCheckReport(results, request.format, io.out);
        }
        throw;
    }
}

}  // namespace brindle::cli
