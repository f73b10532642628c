#include "cli/commands/EditCommand.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "addin/Commands.h"
#include "cli/commands/Selection.h"
#include "cli/commands/Session.h"
#include "cli/commands/StoredCodePage.h"
#include "cli/commands/TemplateChecks.h"
#include "cli/commands/Units.h"
#include "cli/report/QuestionAbout.h"
#include "cli/report/RunLog.h"
#include "cli/stream/Inputs.h"
#include "cli/stream/Interruption.h"
#include "cli/stream/ModuleStream.h"
#include "codegen/Refresh.h"
#include "host/files/DocumentFile.h"
#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

Progress ProgressOf(const Request& request) {
    return request.quiet ? Progress::Quiet : Progress::Shown;
}

// What the command works on in a module's code pane, found just before the click.
using Selector = std::function<host::PaneSelection(CodeModule& module)>;

host::PaneSelection SelectWholeModule(CodeModule& module) {
    const auto lines = module.CountOfLines();
    const auto last = lines > 0 ? static_cast<std::int32_t>(module.Lines(lines, 1).size()) : 0;
    return {1, 1, std::max(lines, 1), last + 1};
}

Selector SelectProcedure(std::string name, vbext_ProcKind kind) {
    return [name = std::move(name), kind](CodeModule& module) {
        const auto start = module.ProcStartLine(name, kind);
        return host::WholeLines(module, start, start + module.ProcCountLines(name, kind) - 1);
    };
}

template <class Module>
std::vector<std::string> LabelsOf(const std::vector<Module>& modules) {
    std::vector<std::string> labels;
    labels.reserve(modules.size());
    for (const auto& module : modules) {
        labels.push_back(module.label);
    }
    return labels;
}

struct PlannedClick {
    LoadedModule* module;
    Selector select;
    std::function<void()> afterwards;     // tells what the click could not reach; may be empty
    vbext_ProcKind kind = vbext_pk_Proc;  // of the procedure that --proc selects
};

// What the parts of one run share: one question, one summary, one exit status.
struct RunTotals {
    std::string questionAbout;  // of the whole run, when it has several parts
    bool answeredYes = false;   // the question, asked by an earlier part
    int changed = 0;            // modules written, or diffed
    Tally done;                 // in the modules changed
    Tally total;                // in every module
    int ignoredBlocks = 0;      // in the modules that .brindleignore left out
    std::vector<std::string> changedModules;
    std::vector<Tally> changedTallies;  // what was done in each of them
};

// One part of a run: a project or group, or modules under one team's settings.
class EditRun {
public:
    EditRun(const Request& request, const Streams& io, RunTotals& totals)
        : request_(request),
          io_(io),
          totals_(totals),
          codePage_(CodePageOf(request)),
          command_(AddinCommand(request.command)),
          log_(io.err, ProgressOf(request), codePage_) {}

    // Everything that may stop the run before anything changed: what cannot be loaded, a bad
    // selection, a question without a terminal, team settings or a template that cannot be
    // taken. Raises InputError.
    void Prepare() {
        CheckCodePage(codePage_);
        onProject_ = OnProject(request_);
        if (onProject_) {
            projects_ = SurveyProjects(request_, codePage_, ReadsIgnoreFiles(request_));
        } else {
            inputs_ = LoadModules(request_.files, codePage_, ReadsIgnoreFiles(request_));
            RefuseUnwritableDocuments();
        }
        CountIgnoredBlocks();
        clicks_ = PlanClicks();  // before anything changes: a bad selection is exit 2
        CheckConfirmation();     // after them: a missing file is told first
        for (const auto& problem : onProject_ ? projects_.problems : inputs_.problems) {
            log_.Problem(problem.subject, problem.text);
        }
        HintCodePage(request_, codePage_, log_);
        NoteIgnored(projects_, log_);
        NoteIgnored(inputs_, log_);
        finisher_.emplace(request_.diff ? ModuleFinisher::Work::Diff : ModuleFinisher::Work::Write,
                          io_.out);
        if (onProject_) {
            stream_.emplace(projects_.Modules(), codePage_, IndexesAhead(), *finisher_);
        }
        log_.MapLines([this](std::string_view label, std::int32_t line) {
            const auto* component = stream_ ? stream_->InHand(label) : ComponentLabelled(label);
            return component == nullptr ? std::int32_t{0}
                                        : host::FileLines(*component).FileLineOf(line);
        });
        session_.emplace(log_, SessionSetupFor());
        if (onProject_) {
            AddStreamedProjects(*session_, *stream_);
        } else {
            for (const auto& project : inputs_.projects) {
                session_->Ide().AddProject(project.project);
            }
        }
        session_->Connect();
        CheckTemplates(*session_);
    }

    enum class Result { Done, Failed, Declined };

    // Does the work and adds what it did to the totals.
    Result Work() {
        Session& session = *session_;
        if (totals_.answeredYes) {
            session.AnsweredYesBefore();
        }
        if (!onProject_ && inputs_.projects.front().modules.empty()) {
            // Every module named is one that .brindleignore leaves out.
        } else if (request_.command == Command::Refresh) {
            Refresh(session, stream_ ? &*stream_ : nullptr);
        } else if (onProject_) {
            RunOnProjects(session, *stream_);
        } else if (IsProjectCommand(request_.command)) {
            RunOnModulesAsProject(session);
        } else {
            RunOnModules(session, clicks_);
        }
        if (declined_) {
            return Result::Declined;
        }
        totals_.answeredYes = true;
        if (!onProject_) {
            HandOver(*finisher_);
        }
        const bool written = Finish(*finisher_) > 0 && !request_.diff;
        session.Disconnect(written ? "the options were not saved; the modules themselves were "
                                     "written"
                                   : "the options were not saved");
        return log_.Failures() > 0 ? Result::Failed : Result::Done;
    }

private:
    void CheckConfirmation() const {
        if (Asks(request_.command) && !request_.yes && !request_.diff && !io_.terminal) {
            throw InputError(std::string(CommandName(request_.command)) +
                             " asks for confirmation before it changes code, and there is no "
                             "terminal to ask on; nothing was changed. Run it with --yes, or with "
                             "--diff to see what it would change.");
        }
    }

    // A module named inside an Office document that must not be written stops the run before
    // anything changed, as a module that cannot be loaded does.
    void RefuseUnwritableDocuments() const {
        if (request_.diff) {
            return;
        }
        for (const auto& module : inputs_.projects.front().modules) {
            if (auto refusal = module.document ? module.document->WriteRefusal() : std::nullopt) {
                throw InputError(module.document->Label() + ": " + *refusal +
                                 "; nothing was changed");
            }
        }
    }

    SessionSetup SessionSetupFor() const {
        SessionSetup setup;
        setup.codePage = codePage_;
        const bool ask = !request_.yes && !request_.diff;
        setup.confirmation = ask ? Confirmation::AskOnTerminal : Confirmation::Yes;
        setup.terminalIn = &io_.in;
        setup.terminalOut = &io_.err;
        std::vector<std::string> modules;
        for (const auto& project : inputs_.projects) {
            for (const auto& module : project.modules) {
                modules.push_back(module.label);
            }
        }
        setup.questionAbout =
            totals_.questionAbout.empty()
                ? QuestionAbout(request_, modules, Label(request_.files.front(), codePage_))
                : totals_.questionAbout;
        setup.teamFile = TeamSettingsFor(request_.files);
        if (request_.skipExisting) {
            setup.overrides[std::string(settings::kSkipExistingKey)] = "True";
        }
        setup.ignoreExclusions = request_.ignoreExclusions;
        return setup;
    }

    std::vector<PlannedClick> PlanClicks() {
        std::vector<PlannedClick> clicks;
        if (OnProject(request_) || TakesProjects(request_.command)) {
            return clicks;
        }
        for (auto& module : inputs_.projects.front().modules) {
            if (request_.proc) {
                PlanProcedureClicks(module, *request_.proc, clicks);
            } else if (request_.select) {
                clicks.push_back({&module, PlanSelection(module), {}, {}});
            } else {
                clicks.push_back({&module, SelectWholeModule, {}, {}});
            }
        }
        return clicks;
    }

    Selector PlanSelection(LoadedModule& module) const {
        const auto& text = *request_.select;
        auto range = ParseSelection(text);
        if (!range) {
            throw InputError("--select " + text + ": expected LINE[:COL][-LINE[:COL]]");
        }
        auto& target = module.component->CodeModule();
        if (request_.fileLines) {
            const auto inCode =
                FromFileLines(*range, host::FileLines(*module.component), target.CountOfLines());
            if (!inCode.range) {
                throw InputError(module.label + ": --select " + text +
                                 " --lines file: " + inCode.problem);
            }
            range = inCode.range;
        }
        const auto placed = PlaceSelection(*range, target, module.component->CodePage());
        if (!placed.selection) {
            throw InputError(module.label + ": --select " + text + ": " + placed.problem);
        }
        return [selection = *placed.selection](CodeModule&) {
            return host::PaneSelection{selection.startLine, selection.startColumn,
                                       selection.endLine, selection.endColumn};
        };
    }

    // One click for each kind of the procedure; `name` is in UTF-8, as typed. A module may define
    // it twice (whole procedures under #If and #Else): the IDE finds the first by name, and the
    // second is told of.
    void PlanProcedureClicks(LoadedModule& module, const std::string& name,
                             std::vector<PlannedClick>& clicks) {
        const auto before = clicks.size();
        for (const auto& info : module.component->Code()->Procedures()) {
            const auto& proc = info.procedure;
            if (!Names(module, proc.name, name)) {
                continue;
            }
            const auto planned =
                std::find_if(clicks.begin() + static_cast<std::ptrdiff_t>(before), clicks.end(),
                             [&](const PlannedClick& click) { return click.kind == proc.kind; });
            if (planned == clicks.end()) {
                clicks.push_back({&module, SelectProcedure(proc.name, proc.kind), {}, proc.kind});
            } else {
                planned->afterwards = [this, &module, procName = proc.name, kind = proc.kind] {
                    ReportUnreached(module, procName, kind);
                };
            }
        }
        if (clicks.size() == before) {
            throw InputError(module.label + ": no procedure named " + name +
                             " (brindle procedures lists them)");
        }
    }

    static bool Names(const LoadedModule& module, const std::string& procName,
                      const std::string& name) {
        return host::EqualsIgnoringCase(host::ToUtf8(procName, module.component->CodePage()), name);
    }

    void ReportUnreached(LoadedModule& module, const std::string& procName, vbext_ProcKind kind) {
        const host::FileLines fileLines(*module.component);
        std::vector<std::int32_t> lines;
        for (const auto& info : module.component->Code()->Procedures()) {
            if (info.procedure.kind == kind &&
                host::EqualsIgnoringCase(info.procedure.name, procName)) {
                lines.push_back(fileLines.FileLineOf(info.procedure.bodyLine));
            }
        }
        const auto shown = host::ToUtf8(procName, module.component->CodePage());
        for (std::size_t i = 1; i < lines.size(); ++i) {
            log_.ProblemAt(module.label, lines[i],
                           shown +
                               ": another definition, not reached; --proc works on the first "
                               "one, at line " +
                               std::to_string(lines[0]));
        }
    }

    void RunOnModules(Session& session, const std::vector<PlannedClick>& clicks) {
        std::vector<std::string> labels;
        for (const auto& click : clicks) {
            labels.push_back(click.module->label);
        }
        log_.Expect(labels);
        for (std::size_t i = 0; i < clicks.size(); ++i) {
            auto& module = *clicks[i].module;
            log_.Seek(i);
            log_.SetCurrent(module.label);
            auto& code = module.component->CodeModule();
            host::PaneSelection selection;
            if (!IgnoreStep(&log_, [&] { selection = clicks[i].select(code); })) {
                continue;
            }
            const auto result = session.Run(*command_, code, selection);
            if (result == Session::ClickResult::NotSelected) {
                continue;
            }
            if (!Check(result, module.label)) {
                return;
            }
            if (clicks[i].afterwards) {
                clicks[i].afterwards();
            }
        }
    }

    // Whether each module's procedures are worth finding while it is loaded, off the add-in's
    // thread: the commands that look at every procedure. Remove Code All does, to keep each
    // error handler whole; Remove Markers All reads marker lines alone.
    bool IndexesAhead() const {
        return request_.command == Command::AddAll || request_.command == Command::Refresh ||
               request_.command == Command::RemoveCodeAll;
    }

    void AddStreamedProjects(Session& session, ModuleStream& stream) {
        std::size_t first = 0;
        for (const auto& project : projects_.projects) {
            streamed_.push_back(std::make_shared<StreamedProject>(project.name, stream, first,
                                                                  project.modules.size()));
            session.Ide().AddProject(streamed_.back());
            first += project.modules.size();
        }
    }

    void RunOnProjects(Session& session, ModuleStream& stream) {
        log_.Expect(LabelsOf(projects_.Modules()));
        std::size_t done = 0;
        for (std::size_t p = 0; p < projects_.projects.size(); ++p) {
            const auto& project = projects_.projects[p];
            log_.Seek(done);
            log_.SetCurrent(project.label);
            done += project.modules.size();
            const bool goOn = Check(session.Run(*command_, *streamed_[p]), project.label);
            stream.Pass(done);
            if (!goOn || Interrupted()) {
                return;
            }
        }
    }

    // A project command on modules named one by one: the project that holds them.
    void RunOnModulesAsProject(Session& session) {
        auto& project = inputs_.projects.front();
        log_.Expect(LabelsOf(project.modules));
        log_.SetCurrent(Label(request_.files.front(), codePage_));
        Check(session.Run(*command_, *project.project), log_.Current());
    }

    // Not a button of the add-in: the host runs the operation on each module itself, streamed
    // for a project.
    void Refresh(Session& session, ModuleStream* stream) {
        if (!session.Confirm(kRefreshPrompt, kRefreshTitle)) {
            declined_ = true;
            return;
        }
        host::ComponentList components;
        if (stream) {
            log_.Expect(LabelsOf(projects_.Modules()));
            components = {projects_.Modules().size(),
                          [&](std::size_t i) { return stream->Take(i); }};
        } else {
            const auto& modules = inputs_.projects.front().modules;
            log_.Expect(LabelsOf(modules));
            components = {modules.size(), [&](std::size_t i) { return modules[i].component; }};
        }
        const auto unplaced = request_.overwrite ? Unplaced::Replace : Unplaced::Leave;
        session.Addin().Refresh(components, unplaced, [&](std::size_t i) { log_.Seek(i); });
        if (stream) {
            stream->Pass(components.count);
        }
    }

    // False when the run cannot go on.
    bool Check(Session::ClickResult result, const std::string& subject) {
        switch (result) {
            case Session::ClickResult::Done:
            case Session::ClickResult::NotSelected:
                return true;
            case Session::ClickResult::Declined:
                declined_ = true;
                return false;
            case Session::ClickResult::NoButton:
                log_.Problem(subject, "the add-in did not connect, so nothing was done");
                return false;
        }
        return false;
    }

    // The modules named one by one go to the finisher once every click is done.
    void HandOver(ModuleFinisher& finisher) {
        DeferInterruptions();
        if (Interrupted()) {
            return;
        }
        for (auto& module : inputs_.projects.front().modules) {
            finisher.Add(ModuleFinisher::Job{
                module.component, nullptr, std::move(module.original), module.label,
                module.diffName, module.component->FilePath(), module.document, module.inDocument});
        }
    }

    // Tells what became of the modules and adds what was done in those that changed to the
    // totals; how many they are.
    int Finish(ModuleFinisher& finisher) {
        int changed = 0;
        for (const auto& outcome : finisher.Outcomes()) {
            if (outcome.changed) {
                ++changed;
                totals_.done += log_.TallyOf(outcome.label);
                totals_.changedModules.push_back(outcome.label);
                totals_.changedTallies.push_back(log_.TallyOf(outcome.label));
            }
            if (!outcome.problem.empty()) {
                log_.Problem(outcome.subject, outcome.problem);
            }
        }
        io_.out << std::flush;
        totals_.changed += changed;
        totals_.total += log_.Total();
        totals_.ignoredBlocks += ignoredBlocks_;
        return changed;
    }

    // Before any click: a refused template stops the run, before anything changed; then what
    // the text added will lack.
    void CheckTemplates(Session& session) {
        RefuseBrokenTemplates(request_.command, session, codePage_);
        if (request_.command == Command::Refresh) {
            WarnOfRefreshTemplates(session, codePage_, log_);
            return;
        }
        for (const auto& warning : session.WarningsBeforeAdding(*command_, codePage_)) {
            log_.Warning(warning);
        }
    }

    // The removals leave the modules that .brindleignore names as they are; their blocks are
    // counted for the summary from the files, which are not written.
    void CountIgnoredBlocks() {
        if (!Removes(request_.command)) {
            return;
        }
        auto files = projects_.ignoredFiles;
        for (const auto& project : inputs_.projects) {
            for (const auto& ignored : project.ignored) {
                files.push_back(ignored.file);
            }
        }
        ignoredBlocks_ = MarkedBlocksIn(files, codePage_);
    }

    const host::MemoryComponent* ComponentLabelled(std::string_view label) const {
        for (const auto& project : inputs_.projects) {
            for (const auto& module : project.modules) {
                if (module.label == label) {
                    return module.component;
                }
            }
        }
        return nullptr;
    }

    const Request& request_;
    const Streams& io_;
    RunTotals& totals_;
    int codePage_;
    std::optional<CommandId> command_;  // the add-in's; refresh runs none
    RunLog log_;
    bool onProject_ = false;
    Inputs inputs_;           // of the commands on modules
    ProjectInputs projects_;  // of the commands on projects
    std::vector<PlannedClick> clicks_;
    std::vector<std::shared_ptr<StreamedProject>> streamed_;
    int ignoredBlocks_ = 0;  // in the modules that .brindleignore left out
    bool declined_ = false;
    // In this order, so that each goes before what it works with.
    std::optional<ModuleFinisher> finisher_;
    std::optional<ModuleStream> stream_;
    std::optional<Session> session_;
};

// The question of a run of several parts names each file given.
std::string QuestionAboutParts(const Request& request, const std::vector<Request>& parts) {
    if (parts.size() < 2) {
        return {};
    }
    std::vector<std::string> named;
    for (const auto& part : parts) {
        for (const auto& file : part.files) {
            named.push_back(Label(host::PathOf(file), kDefaultCodePage));
        }
    }
    return QuestionAboutFiles(request, named);
}

// The line that ends the run: what it did in every part, and what it left.
void SumUp(const Request& request, const RunTotals& totals, RunLog& log) {
    const auto outcome = request.diff ? Outcome::Diffed : Outcome::Written;
    for (std::size_t i = 0; i < totals.changedModules.size(); ++i) {
        const auto done = host::Itemize(totals.changedTallies[i], outcome);
        log.Note(totals.changedModules[i] + ": " + (done.empty() ? "changed" : done));
    }
    log.Note(host::Summarize(totals.changed, totals.done, outcome));
    if (Removes(request.command) && !Interrupted()) {
        // Leaving what the user excludes is what was asked for, no failure; but the summary
        // says so, lest "removed" read as "all gone".
        const auto left = host::SummarizeLeft(totals.total, totals.ignoredBlocks, outcome);
        if (!left.empty()) {
            log.Note(left);
        }
    }
    // A template whose own text changed leaves every block it made: say how to apply it.
    const int unplaced = totals.total.Count(Work::BlockLeftUnplaced);
    if (request.command == Command::Refresh && unplaced > 0) {
        log.Note(std::to_string(unplaced) +
                 (unplaced == 1 ? " marked block was left as it is"
                                : " marked blocks were left as they are") +
                 "; if the text that the templates have no place for is "
                 "an older template's, 'brindle refresh --overwrite' replaces it");
    }
    if (request.diff && request.exitCode && totals.changed > 0) {
        log.Problem("", std::string(CommandName(request.command)) + " would change " +
                            std::to_string(totals.changed) +
                            (totals.changed == 1 ? " module" : " modules") +
                            "; run it without --diff to make the change");
    }
}

// Which modules were written before the signal; the others are as they were.
int TellInterrupted(const Request& request, const RunTotals& totals, RunLog& log) {
    const auto& written = totals.changedModules;
    if (request.diff || written.empty()) {
        log.Problem("", "interrupted; no module was written");
        return InterruptedStatus();
    }
    const auto count = written.size();
    std::string text =
        "interrupted; " +
        (count == 1 ? std::string("1 module was written, the others are ")
                    : std::to_string(count) + " modules were written, the others are ") +
        "as they were:";
    for (const auto& label : written) {
        text += "\n  " + label;
    }
    log.Problem("", text);
    return InterruptedStatus();
}

}  // namespace

int RunEdit(const Request& request, const Streams& streams) {
    const InterruptionWatch watch;
    RunLog log(streams.err, ProgressOf(request), kDefaultCodePage);
    const auto parts = SplitRun(request, streams.in, log).parts;
    if (parts.empty()) {
        log.Note("nothing to change: --files-from lists no module");
        return log.Failures() > 0 ? 1 : 0;
    }
    RunTotals totals;
    totals.questionAbout = QuestionAboutParts(request, parts);
    // Every part is prepared before any works, so that what stops the run stops it before
    // anything changed.
    std::vector<std::unique_ptr<EditRun>> runs;
    for (const auto& part : parts) {
        runs.push_back(std::make_unique<EditRun>(part, streams, totals));
        runs.back()->Prepare();
    }
    int status = log.Failures() > 0 ? 1 : 0;
    for (auto& run : runs) {
        switch (run->Work()) {
            case EditRun::Result::Declined:
                // Always the first question, asked before anything changed.
                log.Problem("", "not answered Yes; nothing was changed");
                return 1;
            case EditRun::Result::Failed:
                status = 1;
                break;
            case EditRun::Result::Done:
                break;
        }
        run.reset();
        if (Interrupted()) {
            return TellInterrupted(request, totals, log);
        }
    }
    SumUp(request, totals, log);
    const bool pending = request.diff && request.exitCode && totals.changed > 0;
    return pending ? 1 : status;
}

}  // namespace brindle::cli
