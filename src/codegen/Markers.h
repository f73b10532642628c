#pragma once
// Marker lines: what makes a line one, where the next one stands, and how they pair into the
// well-formed blocks that the removals take out. Every part that looks for markers goes through
// here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Diagnostics.h"
#include "model/Vbide.h"

namespace brindle {

inline constexpr std::string_view kBeginMarker = "' [Brindle Begin]";
inline constexpr std::string_view kEndMarker = "' [Brindle End]";

enum class MarkerKind { None, Begin, End };

// A marker line is a line whose text, without the blanks and tabs around it, is a marker in any
// letter case; a marker that a code formatter indented still counts. Marker text anywhere else
// (after code, inside a longer comment or a string) is ordinary code.
MarkerKind MarkerKindOf(std::string_view line);
inline bool IsMarkerLine(std::string_view line) {
    return MarkerKindOf(line) != MarkerKind::None;
}

struct MarkerLine {
    MarkerKind kind = MarkerKind::None;
    std::int32_t line = 0;
    std::int32_t column = 0;  // where the marker's text begins
};

// The first marker line at or below `line`, as the host answers now; nothing when none follows.
std::optional<MarkerLine> NextMarkerLine(CodeModule& module, std::int32_t line);

// A begin marker whose next marker line is an end marker.
struct MarkedBlock {
    MarkerLine begin;
    MarkerLine end;
};

// Marker lines that belong to no well-formed block. Brindle never writes a block across a
// procedure's bounds, so a pair of markers whose lines hold a procedure's declaration or End
// statement is no block of its own: taking it out would take code with it.
struct BrokenMarkers {
    enum class Problem { BeginWithoutEnd, EndWithoutBegin, MarkersInside, AcrossProcedures };
    Problem problem = Problem::BeginWithoutEnd;
    MarkerLine first;
    // MarkersInside, AcrossProcedures: the end marker that closes `first`; otherwise `first`
    MarkerLine last;
    // AcrossProcedures: the first and last bound it holds, in UTF-8 ("the End of Sub A and the
    // declaration of Sub B")
    std::string across;
};

// Tells the sink of them, at their lines: "a begin marker without its end marker; left as it
// is", and `also` after it.
void WarnOfBroken(Diagnostics* sink, std::string_view module, const BrokenMarkers& broken,
                  std::string_view also = {});
// The problem alone: "a begin marker without its end marker".
std::string ProblemOf(const BrokenMarkers& broken);

// Pairs the marker lines of a module, fed top down, into well-formed blocks. A begin marker
// followed by another begin marker waits on a stack for an end marker that no block claims: the
// two enclose other markers. A block is reported as soon as its end marker is fed, so the lines
// of everything fed before stay valid while the block is deleted.
class MarkerPairing {
public:
    struct Step {
        std::optional<MarkedBlock> block;
        std::optional<BrokenMarkers> broken;
    };
    Step Feed(const MarkerLine& marker);
    // The same, with a block across a procedure's bounds in the module as it stands now given
    // as broken markers instead. Every part that pairs a module's markers feeds them here.
    Step Feed(CodeModule& module, const MarkerLine& marker);
    // No more marker lines: each begin marker still waiting is broken, top down.
    std::vector<BrokenMarkers> Finish();

private:
    std::optional<MarkerLine> open_;
    std::vector<MarkerLine> unclosed_;  // begin markers that another begin marker followed
};

}  // namespace brindle
