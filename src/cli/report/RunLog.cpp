#include "cli/report/RunLog.h"

#include <algorithm>
#include <utility>

#include "host/vb6/CodePage.h"

namespace brindle::cli {

RunLog::RunLog(std::ostream& err, Progress progress, int codePage)
    : err_(err), progress_(progress), codePage_(codePage) {}

void RunLog::Expect(std::vector<std::string> modules) {
    modules_ = std::move(modules);
    done_ = 0;
}

void RunLog::Status(std::string_view message) {
    ++done_;
    if (done_ <= modules_.size()) {
        current_ = modules_[done_ - 1];
        afterword_.clear();
    }
    if (progress_ == Progress::Shown) {
        const auto total = std::max(done_, modules_.size());
        // The add-in names the module in UTF-8, as its windows show it.
        err_ << "[" << done_ << "/" << total << "] " << host::ShownAsUtf8(message, codePage_)
             << '\n'
             << std::flush;
    }
}

void RunLog::SetCurrent(std::string module, std::string afterword) {
    current_ = std::move(module);
    afterword_ = std::move(afterword);
}

void RunLog::Report(const VbError& failure) {
    if (failure.Source() == kInterruptedSource) {
        return;  // the add-in's walk cut short
    }
    ++failures_;
    problems_.push_back({current_, "error " + std::to_string(failure.Number()) + ", " +
                                       host::ToUtf8(failure.Description(), codePage_)});
    err_ << "brindle: " << (current_.empty() ? "" : current_ + ": ") << "error " << failure.Number()
         << ", " << host::ToUtf8(failure.Description(), codePage_) << ", in "
         << host::ToUtf8(failure.Source(), codePage_) << (afterword_.empty() ? "" : "; ")
         << afterword_ << '\n'
         << std::flush;
}

void RunLog::Warn(std::string_view module, std::string_view text) {
    if (module.empty() && !warned_.emplace(text).second) {
        return;
    }
    // The module's file as the user named it, rather than its name inside the file.
    Problem(module.empty() || current_.empty() ? module : current_, text);
}

void RunLog::WarnAt(std::string_view module, const CodePlace& place, std::string_view text) {
    const auto line = lineMap_ && !current_.empty() ? lineMap_(current_, place.line) : 0;
    if (line == 0) {
        Warn(module, Describe(place) + ": " + std::string(text));
        return;
    }
    std::string where(place.subject);
    where += where.empty() ? "" : ": ";
    if (place.lastLine > place.line) {
        where += "lines " + std::to_string(line) + " to " +
                 std::to_string(lineMap_(current_, place.lastLine)) + ": ";
    }
    ProblemAt(current_, line, where + std::string(text));
}

void RunLog::Did(Work work) {
    tallies_[current_].Add(work);
    total_.Add(work);
}

Tally RunLog::TallyOf(const std::string& module) const {
    const auto found = tallies_.find(module);
    return found == tallies_.end() ? Tally{} : found->second;
}

void RunLog::ProblemAt(std::string_view file, std::int32_t line, std::string_view text) {
    Problem(std::string(file) + ":" + std::to_string(line), text);
}

void RunLog::Problem(std::string_view subject, std::string_view text) {
    ++failures_;
    problems_.push_back({std::string(subject), std::string(text)});
    // "path:line: text" as compilers write it, which editors and CI take.
    err_ << (AtLine(subject) ? "" : "brindle: ") << subject << (subject.empty() ? "" : ": ") << text
         << '\n'
         << std::flush;
}

bool AtLine(std::string_view subject) {
    const auto colon = subject.rfind(':');
    const auto number =
        colon == std::string_view::npos ? std::string_view() : subject.substr(colon + 1);
    return colon > 0 && !number.empty() &&
           number.find_first_not_of("0123456789") == std::string_view::npos;
}

void RunLog::Note(std::string_view text) {
    if (progress_ == Progress::Shown) {
        err_ << "brindle: " << text << '\n' << std::flush;
    }
}

void RunLog::Warning(std::string_view text) {
    err_ << "brindle: warning: " << text << '\n' << std::flush;
}

}  // namespace brindle::cli
