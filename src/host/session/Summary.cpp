#include "host/session/Summary.h"

#include <vector>

namespace brindle::host {
namespace {

struct Piece {
    Work work;
    const char* one;
    const char* many;
    int per;  // how many of what the text names one piece of work is
    const char* done;
    const char* wouldBeDone;
};

constexpr Piece kPieces[] = {
    {Work::ModuleHeaderAdded, "module header", "module headers", 1, "added", "would be added"},
    {Work::ProcedureHeaderAdded, "procedure header", "procedure headers", 1, "added",
     "would be added"},
    {Work::ErrorHandlerAdded, "error handler", "error handlers", 1, "added", "would be added"},
    {Work::MarkersRemoved, "marker line", "marker lines", 2, "removed", "would be removed"},
    {Work::BlockRemoved, "marked block", "marked blocks", 1, "removed", "would be removed"},
    {Work::BlockRewritten, "marked block", "marked blocks", 1, "rewritten", "would be rewritten"},
};

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

struct Left {
    int count;
    const char* where;
};

}  // namespace

Tally& Tally::operator+=(const Tally& other) {
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        counts_[i] += other.counts_[i];
    }
    return *this;
}

std::string Itemize(const Tally& tally, Outcome outcome) {
    // Pieces of the same verb are listed together: "1 module header, 2 error handlers added".
    std::string text;
    const char* verb = nullptr;
    for (const Piece& piece : kPieces) {
        const int count = tally.Count(piece.work) * piece.per;
        if (count == 0) {
            continue;
        }
        const char* done = outcome == Outcome::Written ? piece.done : piece.wouldBeDone;
        if (verb != nullptr) {
            text += std::string_view(verb) == done ? ", " : std::string(" ") + verb + "; ";
        }
        text += Counted(count, piece.one, piece.many);
        verb = done;
    }
    return verb == nullptr ? text : text + " " + verb;
}

std::string Summarize(int modules, const Tally& tally, Outcome outcome) {
    if (modules == 0) {
        return "nothing to change";
    }
    const auto counted = Counted(modules, "module", "modules");
    auto text = Itemize(tally, outcome);
    if (text.empty()) {
        text = counted + (outcome == Outcome::Written ? " changed" : " would change");
    } else {
        text = counted + ": " + text;
    }
    return outcome == Outcome::Written ? text : text + "; nothing written";
}

std::string SummarizeLeft(const Tally& tally, int ignored, Outcome outcome) {
    const Left reasons[] = {
        {tally.Count(Work::BlockLeftSkipped), "in code that a ' brindle: skip comment keeps out"},
        {tally.Count(Work::BlockLeftExcluded),
         "in procedures that an excluded name pattern matches"},
        {ignored, "in modules that .brindleignore leaves out"},
    };
    int total = 0;
    std::string why;
    int met = 0;
    for (const Left& reason : reasons) {
        if (reason.count > 0) {
            total += reason.count;
            why += (met++ == 0 ? "" : ", ") + std::to_string(reason.count) + " " + reason.where;
        }
    }
    if (total == 0) {
        return {};
    }
    std::string text = Counted(total, "marked block", "marked blocks");
    text += outcome == Outcome::Written ? " left" : " would be left";
    if (met == 1) {
        text += why.substr(why.find(' '));
    } else {
        text += ": " + why;
    }
    return text + (total == 1 ? " (--ignore-exclusions takes it too)"
                              : " (--ignore-exclusions takes them too)");
}

}  // namespace brindle::host
