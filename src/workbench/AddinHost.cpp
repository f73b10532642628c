#include "workbench/AddinHost.h"

#include <charconv>

#include "addin/Buttons.h"
#include "host/vb6/CodePage.h"
#include "templates/OptionStore.h"
#include "workbench/OutputWindow.h"
#include "workbench/Workspace.h"

namespace brindle::workbench {
namespace {

host::IdeSetup WorkbenchIde() {
    host::IdeSetup setup;
    setup.bars = {
        {std::string(buttons::kCodeWindowBar),
         {std::string(kCut), std::string(kCopy), std::string(kPaste), std::string(kSelectAll)}},
        {std::string(buttons::kToolsBar), {std::string(kCodePage)}},
        {std::string(buttons::kProjectWindowBar),
         {std::string(kSaveProject), std::string(kCloseProject), std::string(kCodePage)}}};
    setup.toolWindows = {{vbext_wt_ProjectWindow, "Project"}, {vbext_wt_Immediate, "Output"}};
    setup.startingUp = true;
    return setup;
}

// A component's name as the user reads it.
std::string Shown(const VBComponent& component) {
    const auto* memory = dynamic_cast<const host::MemoryComponent*>(&component);
    return host::ToUtf8(component.Name(), memory != nullptr ? memory->CodePage() : 1252);
}

}  // namespace

AddinHost::AddinHost(QWidget* owner, OutputWindow& output, Workspace& workspace)
    : output_(output), workspace_(workspace), windows_(owner), vbe_(WorkbenchIde()) {
    windows_.ObserveStatus([this](std::string_view message) { output_.Status(message); });
    addin_ = std::make_unique<Brindle>(settings_, templates_, windows_, &output_);
}

AddinHost::~AddinHost() {
    Shutdown();
}

void AddinHost::Load(bool atStartup) {
    if (Loaded()) {
        return;
    }
    vbe_.Connect(*addin_, atStartup ? ext_cm_Startup : ext_cm_AfterStartup);
}

void AddinHost::Unload() {
    if (!Loaded()) {
        return;
    }
    Addins& addins = vbe_.Addins();
    addins.Item(kAddinDescription).SetConnect(false);
    addins.Update();
}

int AddinHost::DefaultCodePage() {
    const std::string text = settings_.GetSetting(kAppName, host::kDefaultCodePageSection,
                                                  host::kDefaultCodePageKey, "1252");
    int codePage = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), codePage);
    const bool known = error == std::errc() && end == text.data() + text.size() &&
                       host::IsModuleCodePage(codePage);
    return known ? codePage : 1252;
}

void AddinHost::Shutdown() {
    vbe_.Shutdown();
}

std::vector<AddinHost::Entry> AddinHost::Entries(std::string_view bar) {
    std::vector<Entry> entries;
    CommandBar* found = vbe_.CommandBars().Item(bar);
    if (found == nullptr) {
        return entries;
    }
    CommandBarControls& controls = found->Controls();
    for (std::int32_t i = 1; i <= controls.Count(); ++i) {
        const std::shared_ptr<CommandBarControl> control = controls.Item(i);
        if (control->Visible()) {
            entries.push_back({control->Caption(), control->BeginGroup()});
        }
    }
    return entries;
}

// The modules the coming status messages name, in order: the active pane's for a code window
// command, the active project's components for a project command.
std::vector<std::string> AddinHost::ModulesConcerned(std::string_view bar) {
    std::vector<std::string> modules;
    if (bar == buttons::kCodeWindowBar) {
        if (CodePane* pane = vbe_.ActiveCodePane()) {
            modules.push_back(Shown(pane->CodeModule().Parent()));
        }
    } else if (bar == buttons::kProjectWindowBar) {
        if (VBProject* project = vbe_.ActiveVBProject()) {
            VBComponents& components = project->VBComponents();
            for (std::int32_t i = 1; i <= components.Count(); ++i) {
                modules.push_back(Shown(components.Item(i)));
            }
        }
    }
    return modules;
}

void AddinHost::Click(std::string_view bar, std::string_view caption) {
    if (around) {
        around(true);
    }
    output_.Expect(ModulesConcerned(bar));
    workspace_.BeginCommand(std::string(caption));
    vbe_.Click(bar, caption);
    workspace_.EndCommand();
    output_.Expect({});
    if (around) {
        around(false);
    }
}

}  // namespace brindle::workbench
