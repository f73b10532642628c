#pragma once
// The rules of check: the one table that the reports, `brindle help rules`, the manual page and
// the SARIF log's rule descriptions read.

#include <array>
#include <string_view>

namespace brindle::cli {

struct CheckRule {
    std::string_view id;        // as the reports and --require name it
    std::string_view name;      // for SARIF
    std::string_view severity;  // "error" for code that no longer compiles or markers
                                // Brindle cannot pair, else "warning"
    std::string_view summary;   // what is found, one sentence
    std::string_view help;      // why it matters and what to do
};

inline constexpr std::array<CheckRule, 11> kCheckRules{{
    {"module-header", "MissingModuleHeader", "warning", "A module has no marked module header.",
     "Brindle's module header stands at the top of each module between marker lines. 'brindle "
     "add-module-header' (or 'brindle add-all --skip-existing') adds it; '--require "
     "header,handler' leaves the rule out, and a skip comment in the declarations section keeps "
     "Brindle from the whole module."},
    {"header", "MissingProcedureHeader", "warning", "A procedure has no marked procedure header.",
     "Each Sub, Function and Property gets a procedure header between marker lines. 'brindle "
     "add-headers' (or 'brindle add-all --skip-existing') adds it; a skip comment directly above "
     "the procedure or an excluded name pattern keeps Brindle from it."},
    {"handler", "MissingErrorHandler", "warning",
     "A procedure has no marked error handler and no On Error statement of its own.",
     "An error that no handler traps ends the program. 'brindle add-error-handlers' (or 'brindle "
     "add-all --skip-existing') adds the handler; a procedure with an On Error statement of its "
     "own counts as handled, and a skip comment or an excluded name pattern keeps Brindle from "
     "it (event procedures and AddressOf callbacks that must not raise)."},
    {"markers", "BrokenMarkers", "error",
     "A marker line without its partner, or a marked block across procedures.",
     "Brindle removes and refreshes only what lies between a begin and an end marker within one "
     "procedure, so it leaves such lines alone. Restore the missing marker line, or delete the "
     "lone one by hand ('brindle remove-markers' deletes marker lines)."},
    {"exit", "WrongExitStatement", "error",
     "An Exit statement in a marked error handler of another kind than its procedure; the "
     "module does not compile.",
     "The procedure changed its kind after its error handler was added (a Function turned into "
     "a Sub). 'brindle refresh' rewrites the handler for the procedure as it is."},
    {"name", "HeaderOfAnotherProcedure", "warning",
     "A marked procedure header names another procedure.",
     "The procedure was renamed after its header was added. 'brindle refresh' rewrites the "
     "header with the procedure's name, keeping what people wrote in it."},
    {"duplicate", "AddedTwice", "error",
     "A second marked header above one procedure, or a label defined twice in a procedure.",
     "A header or error handler was added twice; a label defined twice does not compile. Delete "
     "the second marked block ('brindle remove-code --select' on its lines)."},
    {"role", "ModuleHeaderReadsAsProcedureHeader", "warning",
     "The marked block taken for the module header reads as a procedure header.",
     "With two procedure headers above a module's first procedure and no module header, the "
     "first is taken for the module header, which is then reported missing too. Delete the "
     "extra header and add the module header."},
    {"skip", "SkipCommentOfNothing", "warning",
     "A skip comment that stands above no procedure and so keeps Brindle from nothing.",
     "A skip comment (' brindle: skip) keeps Brindle from the procedure whose declaration it "
     "stands directly above, among the comment lines there; a blank line or code between them "
     "breaks that. Move it directly above the declaration, or delete it."},
    {"stale", "StaleBlock", "warning",
     "A marked block that the templates and options in use would make otherwise.",
     "Reported with --stale alone: templates change on purpose. 'brindle refresh' rewrites the "
     "block, keeping its dates and what people wrote in it."},
    {"keyword", "UnknownTemplateKeyword", "warning",
     "A template holds a keyword that does not exist; it goes into the code as it stands.",
     "A %Name% that is no keyword is copied into the code unchanged. 'brindle help templates' "
     "lists the keywords."},
}};

}  // namespace brindle::cli
