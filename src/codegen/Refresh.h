#pragma once
// Bringing generated code up to date, and checking a module for what Brindle would add or mend.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/BlockText.h"
#include "model/Diagnostics.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

// What a host names its own Refresh command and asks before it runs it.
inline constexpr std::string_view kRefreshTitle = "Refresh Brindle Code";
inline constexpr std::string_view kRefreshPrompt =
    "Are you sure you want Brindle to rewrite the code it added \r\n"
    "with what the templates and options give now?";

// Rewrites the lines between the markers of every module header, procedure header, error
// header and footer of the module with what the templates and options give now (after a
// template change, a new author, a renamed procedure), as PlanBlock plans it: what a person
// wrote in a block is kept, a block that differs only in its dates stays, and a block with
// text the template in use has no place for is left and told to `sink` at that line. Adds
// nothing where there is no block, leaves the marker lines, other blocks and what the user
// keeps Brindle away from as they are. A template that gives no text leaves its blocks alone,
// and is told to `sink` once; so are broken markers. With Unplaced::Replace such text gives way
// to the template's lines instead, which a user asks for after changing a template's own text.
void RefreshModule(const AddinFields& fields, CodeModule& module, Diagnostics* sink,
                   Unplaced unplaced = Unplaced::Leave);

struct CheckRules {
    bool moduleHeader = true;  // a module without a marked module header
    bool header = true;        // a procedure without a marked procedure header
    bool handler = true;       // a procedure without a marked error handler or On Error
    bool stale = false;        // a block that differs from what would be made now
};

struct Finding {
    std::int32_t line = 0;  // of the code module
    std::string rule;       // "module-header", "header", "handler", "markers", "exit", "name",
                            // "duplicate", "role", "skip", "stale"
    std::string text;       // UTF-8
};

// What the module lacks under `rules`, and what is wrong with its generated code (broken
// markers, an error handler's Exit statement of another kind than its procedure, a header
// naming another procedure, a second header or error handler of one procedure, a procedure
// header taken for the module header, a skip comment that keeps Brindle from nothing), in line
// order. Reads only.
std::vector<Finding> CheckModule(const AddinFields& fields, CodeModule& module,
                                 const CheckRules& rules);

}  // namespace brindle
