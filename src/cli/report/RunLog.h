#pragma once
// What a run tells its user on standard error: progress as "[i/n] message", and each failure
// with the module it concerned and its source chain; a warning about lines of a module's code
// as "path:line: text", with the line of the module's file. Counts the failures for the exit
// status, and the work done in each module for the run's summary. Texts from the add-in hold
// names in the modules' code page; they are shown in UTF-8.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "host/session/Summary.h"
#include "model/Diagnostics.h"

namespace brindle::cli {

// What the add-in's walk over a streamed project meets at each component it has not reached
// when the run is interrupted: a failure of this source, which the log does not tell.
inline constexpr const char* kInterruptedSource = "Brindle.Interrupted";

using host::Outcome;
using host::Tally;

enum class Progress { Shown, Quiet };

class RunLog final : public Diagnostics {
public:
    RunLog(std::ostream& err, Progress progress, int codePage);

    // The modules that the coming status messages concern, one per message, in order; a
    // failure reported after the i-th message concerns the i-th of them.
    void Expect(std::vector<std::string> modules);
    // The next status message is the one after the first `done` of them.
    void Seek(std::size_t done) { done_ = done; }
    // One status message of the add-in.
    void Status(std::string_view message);
    // The module that what follows concerns, until the next status message, and what a failure
    // then also says (empty: nothing).
    void SetCurrent(std::string module, std::string afterword = {});
    const std::string& Current() const { return current_; }

    // The line of a module's file for a line of its code as it stands now, for the module as
    // the user named it; 0 when there is none.
    using LineMap = std::function<std::int32_t(std::string_view module, std::int32_t line)>;
    void MapLines(LineMap map) { lineMap_ = std::move(map); }

    // A failure that the add-in ignored (but the walk cut short by an interruption).
    void Report(const VbError& failure) override;
    // Counts as a failure. One that concerns the whole command is told once a run, however
    // many modules the command is run on.
    void Warn(std::string_view module, std::string_view text) override;
    // Counts as a failure; told at the file's line when the lines can be mapped.
    void WarnAt(std::string_view module, const CodePlace& place, std::string_view text) override;
    // Counted for the module that the last status message concerned.
    void Did(Work work) override;
    // A failure found by the command line itself, about `subject` (a module or project).
    void Problem(std::string_view subject, std::string_view text);
    // The same, at a line of the file (as "path:line: text").
    void ProblemAt(std::string_view file, std::int32_t line, std::string_view text);
    // Information that is no failure (skipped when quiet).
    void Note(std::string_view text);
    // Something the user should know that is no failure (shown even when quiet).
    void Warning(std::string_view text);

    int Failures() const { return failures_; }
    // Each failure told, in order: what it concerns ("path:line", a module, a project, or
    // empty) and what it says.
    struct Told {
        std::string subject;
        std::string text;
    };
    const std::vector<Told>& Problems() const { return problems_; }
    // What was done in the module.
    Tally TallyOf(const std::string& module) const;
    // What was done in every module, written or not.
    const Tally& Total() const { return total_; }

private:
    std::ostream& err_;
    Progress progress_;
    int codePage_;
    std::vector<std::string> modules_;
    std::size_t done_ = 0;
    std::string current_;
    std::string afterword_;
    int failures_ = 0;
    std::vector<Told> problems_;
    std::unordered_set<std::string> warned_;
    LineMap lineMap_;
    std::map<std::string, Tally> tallies_;
    Tally total_;
};

// Whether a message's subject is a place in a file, "path:line".
bool AtLine(std::string_view subject);

}  // namespace brindle::cli
