#pragma once
// The text inside a marked block, against what the templates and options give for it now.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/Markers.h"
#include "codegen/ProcSpan.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

// Stands for the Date keyword's value in expected lines: a date is no reason to call a block
// out of date.
inline constexpr std::string_view kDateHole = "\x01";

// The lines that the host's InsertLines makes of `text` (broken at CR LF, lone CR and lone
// LF); at least one.
std::vector<std::string> InsertedLines(std::string_view text);

// The lines between the block's two markers.
std::vector<std::string> InnerLines(CodeModule& module, const MarkedBlock& block);

// The template a block of `role` is made from; Other has none.
const TemplateSlot* SlotOf(BlockRole role);
// The name a message gives a block of `role`: its template's title, or "marked block".
std::string_view TitleOf(BlockRole role);
const std::string* TemplateOf(const AddinFields& fields, BlockRole role);

// What a block of `role` holds between its markers when made now, for `proc` (null for the
// module header), each date given as kDateHole.
std::vector<std::string> ExpectedLines(const AddinFields& fields, CodeModule& module,
                                       BlockRole role, const ProcSpan* proc);

// What a refresh makes of a block whose lines between the markers are `old`. Text that a person
// typed after a template line's fixed part (in the line's comment), and lines added inside the
// block, are kept at their template line; each date the block shows is kept. Refresh and check
// --stale both follow it.
struct BlockPlan {
    enum class Kind {
        Unchanged,  // the block is as the template in use makes it, its dates and the user's
                    // text apart
        NewLines,   // `lines` replace the old ones
        Left,       // old line `left` (0-based) holds text the template in use has no place for
    };
    Kind kind = Kind::Unchanged;
    std::vector<std::string> lines;
    std::size_t left = 0;
};
// What becomes of old lines that the template in use has no place for, where the template gives
// other lines at the same place: the block is left, or they give way to the template's lines.
enum class Unplaced { Leave, Replace };
BlockPlan PlanBlock(const AddinFields& fields, CodeModule& module, BlockRole role,
                    const ProcSpan* proc, const std::vector<std::string>& old,
                    Unplaced unplaced = Unplaced::Leave);

// How many of the expected lines occur among `lines`.
int Likeness(const std::vector<std::string>& expected, const std::vector<std::string>& lines);

// The value a block's lines show for `keyword`: read from the first of them that a line of the
// role's template naming the keyword describes, the template's other keywords standing for any
// text. Nothing when no line fits.
std::optional<std::string> KeywordValueIn(const AddinFields& fields, CodeModule& module,
                                          BlockRole role, std::string_view keyword,
                                          const std::vector<std::string>& lines);

// The names between two "%" in a template's text that are no keyword ("%ProcName%"), and the
// keywords whose closing "%" is missing ("%ModuleName" at the end of its line), with the line of
// the template each stands on. Only names of letters, digits and underscores count, so "50% to
// 100%" is text.
struct UnknownKeyword {
    std::string name;
    int line = 0;
    bool unclosed = false;

    // What a user is told of it.
    std::string Problem() const;
};
std::vector<UnknownKeyword> UnknownKeywords(std::string_view tmplt);

// The first line of a template's text that is a marker line (1-based); 0 when none.
int MarkerLineIn(std::string_view tmplt);

// Empties each template whose text holds a marker line and says why in
// `fields.templateRefusals`: the blocks it went into would no longer pair, and a removal would
// take out only part of what it put in.
void RefuseTemplatesWithMarkerLines(AddinFields& fields);

}  // namespace brindle
