#include "workbench/AddinHost.h"

#include <algorithm>

#include "codegen/BlockText.h"
#include "codegen/Refresh.h"
#include "host/files/FileSystem.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"
#include "templates/Expansion.h"
#include "workbench/HelpWindow.h"
#include "workbench/OutputWindow.h"
#include "workbench/Workspace.h"

namespace brindle::workbench {
namespace {

host::IdeSetup WorkbenchIde() {
    host::IdeSetup setup;
    setup.bars = {
        {std::string(kCodeWindowBar),
         {std::string(kCut), std::string(kCopy), std::string(kPaste), std::string(kSelectAll),
          std::string(kDefinition)}},
        {std::string(kToolsBar), {std::string(kCodePage)}},
        {std::string(kProjectWindowBar),
         {std::string(kSaveProject), std::string(kCloseProject), std::string(kCodePage)}}};
    setup.toolWindows = {{vbext_wt_ProjectWindow, "Project"}, {vbext_wt_Immediate, "Output"}};
    setup.startingUp = true;
    return setup;
}

}  // namespace

namespace {

host::SessionOptions WorkbenchSession(OutputWindow& output) {
    host::SessionOptions options;
    options.ide = WorkbenchIde();
    options.teamWarning = [&output](std::string_view warning) { output.Warn({}, warning); };
    options.status = [&output](std::string_view message) { output.Status(message); };
    return options;
}

}  // namespace

AddinHost::AddinHost(QWidget* owner, OutputWindow& output, Workspace& workspace)
    : output_(output),
      workspace_(workspace),
      windows_(owner),
      session_(windows_, &output_, WorkbenchSession(output_)) {
    windows_.ObserveStatus([this](std::string_view message) { output_.Status(message); });
    windows_.FixOptionsBy([this] { return TeamOptions(); });
    windows_.HelpBy([](QWidget* over) { ShowHelp(over, OptionsHelp()); });
    // What the project window shows as skipped follows the options before the add-in loads.
    session_.Addin().ReloadOptions({});
}

AddinHost::~AddinHost() {
    Shutdown();
}

void AddinHost::Load(bool atStartup) {
    if (Loaded()) {
        return;
    }
    Ide().Connect(session_.Addin(), atStartup ? ext_cm_Startup : ext_cm_AfterStartup);
}

void AddinHost::Unload() {
    if (!Loaded()) {
        return;
    }
    Addins& addins = Ide().Addins();
    addins.Item(kAddinDescription).SetConnect(false);
    addins.Update();
}

void AddinHost::Shutdown() {
    Ide().Shutdown();
}

std::vector<AddinHost::Entry> AddinHost::Entries(std::string_view bar) {
    std::vector<Entry> entries;
    CommandBar* found = Ide().CommandBars().Item(bar);
    if (found == nullptr) {
        return entries;
    }
    CommandBarControls& controls = found->Controls();
    for (std::int32_t i = 1; i <= controls.Count(); ++i) {
        const std::shared_ptr<CommandBarControl> control = controls.Item(i);
        if (control->Visible()) {
            const std::string caption = control->Caption();
            entries.push_back({caption, control->BeginGroup(), CommandOnBar(bar, caption)});
        }
    }
    return entries;
}

// The components the coming status messages name, in order: the active pane's for a code
// window command, the active project's for a project command.
std::vector<VBComponent*> AddinHost::ComponentsConcerned(std::string_view bar) {
    std::vector<VBComponent*> components;
    if (bar == kCodeWindowBar) {
        if (CodePane* pane = Ide().ActiveCodePane()) {
            components.push_back(&pane->CodeModule().Parent());
        }
    } else if (bar == kProjectWindowBar) {
        if (VBProject* project = Ide().ActiveVBProject()) {
            VBComponents& all = project->VBComponents();
            for (std::int32_t i = 1; i <= all.Count(); ++i) {
                components.push_back(&all.Item(i));
            }
        }
    }
    return components;
}

void AddinHost::Run(std::string_view step, const std::vector<VBComponent*>& concerned,
                    const std::function<void()>& work, Summary summary) {
    running_ = true;
    if (around) {
        around(true);
    }
    std::vector<const host::MemoryComponent*> modules;
    for (VBComponent* component : concerned) {
        modules.push_back(dynamic_cast<const host::MemoryComponent*>(component));
    }
    output_.Expect(std::move(modules));
    workspace_.BeginCommand(std::string(step));
    work();
    workspace_.EndCommand();
    if (summary != Summary::None) {
        output_.Summarize(summary == Summary::Always);
    }
    output_.Expect({});
    if (around) {
        around(false);
    }
    running_ = false;
}

void AddinHost::Click(CommandId command) {
    const CommandInfo& info = CommandOf(command);
    for (const std::string& warning : runner_.WarningsBeforeAdding(
             command, ActiveCodePage(), "your options (the Options dialog turns them on)")) {
        output_.Warn({}, warning);
    }
    Run(
        info.caption, ComponentsConcerned(info.bar), [&] { runner_.Run(command); },
        info.scope == Scope::Project ? Summary::Always : Summary::OfWork);
    if (command == CommandId::Options) {
        KeepTeamValues();
    }
}

void AddinHost::Refresh(std::string_view bar, const host::LoadProgress& progress) {
    if (running_) {
        // The status window of a command lets a click in while it is drawn.
        output_.Problem(kRefreshTitle, "another command is running; nothing was refreshed");
        return;
    }
    if (windows_.MsgBox(kRefreshPrompt, vbYesNo + vbExclamation, kRefreshTitle) != vbYes) {
        return;
    }
    session_.Addin().ReloadOptions({});  // the templates as they are now, after a change to them
    WarnOfTemplates();
    std::vector<VBComponent*> modules = ComponentsConcerned(bar);
    std::erase_if(modules, [](VBComponent* component) {
        const auto* memory = dynamic_cast<host::MemoryComponent*>(component);
        return memory == nullptr || memory->Code() == nullptr;
    });
    std::size_t rewritten = 0;
    Run(
        kRefreshTitle, modules,
        [&] {
            const host::ComponentList list{modules.size(),
                                           [&](std::size_t i) { return modules[i]; }};
            rewritten = session_.Refresh(list, Unplaced::Leave, [&](std::size_t i) {
                if (progress) {
                    progress(i, modules.size());
                }
            });
            if (progress) {
                progress(modules.size(), modules.size());
            }
        },
        Summary::None);
    output_.Note(std::string(kRefreshTitle) + ": " + std::to_string(rewritten) + " of " +
                 std::to_string(modules.size()) + " module(s) rewritten");
}

int AddinHost::ActiveCodePage() {
    const OpenProject* project = workspace_.ProjectOf(Ide().ActiveVBProject());
    return project != nullptr ? project->codePage : 1252;
}

// Refresh is no button of the add-in: the host tells what the add-in's commands tell of the
// templates.
void AddinHost::WarnOfTemplates() {
    const AddinFields& fields = session_.Addin().Fields();
    for (const auto& [path, refusal] : fields.templateRefusals) {
        output_.Warn({}, "the template \"" + path + "\" is refused: " + refusal.why +
                             "; its blocks are left as they are");
    }
    for (const TemplateSlot& slot : kTemplateSlots) {
        for (const UnknownKeyword& unknown : UnknownKeywords(fields.*slot.text)) {
            output_.Warn({}, "the template \"" + fields.*slot.path + "\", line " +
                                 std::to_string(unknown.line) + ": " + unknown.Problem());
        }
    }
}

bool AddinHost::UseTeamSettings(const std::optional<std::filesystem::path>& file, bool reread,
                                int codePage) {
    return session_.UseTeam(file, reread, codePage,
                            [this](std::string_view text) { output_.Problem("", text); });
}

// The fields of the options dialog that the active project's team settings decide.
ui::qt::FixedOptions AddinHost::TeamOptions() {
    ui::qt::FixedOptions fixed;
    if (TeamFile().empty()) {
        return fixed;
    }
    fixed.file = QString::fromStdString(host::TextOf(TeamFile()));
    fixed.keys = session_.TeamKeys();
    return fixed;
}

// The options dialog may have changed a value that the team settings give: the user's own
// settings keep it for elsewhere, and the team's value applies here again.
void AddinHost::KeepTeamValues() {
    if (TeamFile().empty()) {
        return;
    }
    Brindle& addin = session_.Addin();
    const AddinFields chosen = addin.Fields();
    addin.ReloadOptions({});
    const AddinFields& now = addin.Fields();
    std::vector<std::pair<std::string_view, bool>> rows;
    for (const TemplateSlot& slot : kTemplateSlots) {
        rows.emplace_back(slot.key, chosen.*slot.path != now.*slot.path);
    }
    rows.emplace_back(settings::kMarkersKey, chosen.mbAddCodeMarkers != now.mbAddCodeMarkers);
    rows.emplace_back(settings::kSkipExistingKey, chosen.mbSkipExisting != now.mbSkipExisting);
    rows.emplace_back(settings::kDateFormatKey, chosen.msDateFormat != now.msDateFormat);
    for (const auto& [key, changed] : rows) {
        if (changed) {
            std::string text(1, '"');
            text.append(key).append("\" is set by ").append(host::TextOf(TeamFile()));
            output_.Warn({}, text +
                                 ", which applies to this project; your own setting was "
                                 "changed for elsewhere");
        }
    }
}

}  // namespace brindle::workbench
