#pragma once
// The add-in's commands, one row each: the button the host shows (caption, bar, group), what it
// works on, what it asks first, whether it removes, which templates it takes text from and what
// its status window says. The add-in makes its buttons from this table and every front end runs
// a command by its id; only the add-in's own buttons carry the caption.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "model/IdeBars.h"

namespace brindle {

// In the order the add-in puts its buttons on the bars.
enum class CommandId {
    AddModuleHeader,
    AddHeaders,
    AddErrorHandlers,
    RemoveMarkers,
    RemoveCode,
    Options,
    CloseAllWindows,
    AddAll,
    RemoveMarkersAll,
    RemoveCodeAll,
};

// What a command works on: the code selected in the active pane, the whole module of the active
// pane, every module of the active project, or no code at all.
enum class Scope { Selection, Module, Project, None };

// The templates a command inserts text from, as a set of bits.
enum TemplateUse : unsigned {
    kNoTemplate = 0,
    kModuleHeaderTemplate = 1,
    kProcedureHeaderTemplate = 2,
    kErrorHandlerTemplates = 4,
    kEveryTemplate = 7,
};

// What each of the four templates (kTemplateSlots, in its order) is used for.
inline constexpr std::array<TemplateUse, 4> kSlotUses = {
    kModuleHeaderTemplate, kProcedureHeaderTemplate, kErrorHandlerTemplates,
    kErrorHandlerTemplates};

struct CommandInfo {
    CommandId id;
    std::string_view name;  // as typed on the command line: "add-all"
    std::string_view caption;
    std::string_view bar;
    bool beginGroup;
    Scope scope;
    std::string_view confirmTitle;  // empty: the command asks nothing
    std::string_view confirmPrompt;
    bool removes;
    unsigned templates;       // TemplateUse bits
    std::string_view status;  // followed by the module's name
    std::string_view title;   // as an editor offers it, in a sentence's case
    bool Adds() const { return templates != kNoTemplate; }
    bool Asks() const { return !confirmTitle.empty(); }
};

inline constexpr std::string_view kRemoveMarkersFromSelectionPrompt =
    "Removing code markers from selected code will prevent Brindle \r\n"
    "from being able to remove the code it's added up to now.\r\n\r\n"
    "Are you sure you want to remove Brindle code markers?";
inline constexpr std::string_view kRemoveMarkersFromProjectPrompt =
    "Removing code markers from this project will prevent Brindle \r\n"
    "from being able to remove the code it's added up to now.\r\n\r\n"
    "Are you sure you want to remove Brindle code markers?";
inline constexpr std::string_view kAddAllPrompt =
    "Are you sure you want Brindle to add module headers, procedure headers, \r\n"
    "and error handlers to the entire project?";

inline constexpr std::array<CommandInfo, 10> kCommands = {{
    {CommandId::AddModuleHeader, "add-module-header", "Add Module Header", kCodeWindowBar, true,
     Scope::Module, "", "", false, kModuleHeaderTemplate, "Adding module header to ",
     "Add the module header"},
    {CommandId::AddHeaders, "add-headers", "Add Header(s) to Selected Procedures", kCodeWindowBar,
     false, Scope::Selection, "", "", false, kProcedureHeaderTemplate,
     "Adding procedure header(s) to ", "Add header(s) to the selected procedures"},
    {CommandId::AddErrorHandlers, "add-error-handlers",
     "Add Error Handler(s) to Selected Procedures", kCodeWindowBar, false, Scope::Selection, "", "",
     false, kErrorHandlerTemplates, "Adding error handler(s) to ",
     "Add error handler(s) to the selected procedures"},
    {CommandId::RemoveMarkers, "remove-markers", "Remove Brindle Markers from Selection",
     kCodeWindowBar, true, Scope::Selection, "Remove Code Markers",
     kRemoveMarkersFromSelectionPrompt, true, kNoTemplate, "Removing Brindle markers from ",
     "Remove Brindle's markers from the selection"},
    {CommandId::RemoveCode, "remove-code", "Remove Code Added by Brindle from Selection",
     kCodeWindowBar, false, Scope::Selection, "Remove Code Added by Brindle from Selection",
     "Are you sure you want to remove code added by Brindle from selected text?", true, kNoTemplate,
     "Removing code added by Brindle from ", "Remove the code Brindle added in the selection"},
    {CommandId::Options, "options", "Brindle Options...", kCodeWindowBar, true, Scope::None, "", "",
     false, kNoTemplate, "", "Change Brindle's options"},
    {CommandId::CloseAllWindows, "close-all-windows", "Close All Windows", kToolsBar, true,
     Scope::None, "", "", false, kNoTemplate, "Closing all windows...",
     "Close the code and designer windows"},
    {CommandId::AddAll, "add-all", "Add Headers And Error Handlers to Entire Project",
     kProjectWindowBar, true, Scope::Project, "Add to Entire Project", kAddAllPrompt, false,
     kEveryTemplate, "Adding module header, procedure headers, and error handlers to ",
     "Add headers and error handlers to the project"},
    {CommandId::RemoveMarkersAll, "remove-markers-all",
     "Remove All Code Markers from Entire Project", kProjectWindowBar, true, Scope::Project,
     "Remove Code Markers", kRemoveMarkersFromProjectPrompt, true, kNoTemplate,
     "Removing code markers from ", "Remove Brindle's markers from the project"},
    {CommandId::RemoveCodeAll, "remove-code-all",
     "Remove All Code Added by Brindle from Entire Project", kProjectWindowBar, false,
     Scope::Project, "Remove Code Added by Brindle from Entire Project",
     "Are you sure you want to remove code added by Brindle from this project?", true, kNoTemplate,
     "Removing all Brindle code from ", "Remove the code Brindle added to the project"},
}};

constexpr const CommandInfo& CommandOf(CommandId id) {
    return kCommands[static_cast<std::size_t>(id)];
}

// The command of that name as typed; nothing for a name that is none of the add-in's.
std::optional<CommandId> CommandNamed(std::string_view name);
// The command whose button has that caption on that bar; nothing for a control of the host's.
std::optional<CommandId> CommandOnBar(std::string_view bar, std::string_view caption);

}  // namespace brindle
