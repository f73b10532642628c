#include "workbench/AddinHost.h"

#include <algorithm>

#include "addin/Buttons.h"
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
        {std::string(buttons::kCodeWindowBar),
         {std::string(kCut), std::string(kCopy), std::string(kPaste), std::string(kSelectAll),
          std::string(kDefinition)}},
        {std::string(buttons::kToolsBar), {std::string(kCodePage)}},
        {std::string(buttons::kProjectWindowBar),
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
            entries.push_back({control->Caption(), control->BeginGroup()});
        }
    }
    return entries;
}

// The components the coming status messages name, in order: the active pane's for a code
// window command, the active project's for a project command.
std::vector<VBComponent*> AddinHost::ComponentsConcerned(std::string_view bar) {
    std::vector<VBComponent*> components;
    if (bar == buttons::kCodeWindowBar) {
        if (CodePane* pane = Ide().ActiveCodePane()) {
            components.push_back(&pane->CodeModule().Parent());
        }
    } else if (bar == buttons::kProjectWindowBar) {
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

void AddinHost::Click(std::string_view bar, std::string_view caption) {
    WarnBeforeAdding(caption);
    Run(
        caption, ComponentsConcerned(bar), [&] { Ide().Click(bar, caption); },
        bar == buttons::kProjectWindowBar ? Summary::Always : Summary::OfWork);
    if (caption == buttons::kOptions) {
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

// Which of the four templates a button inserts text from; none for a button that adds nothing.
std::array<bool, kTemplateSlots.size()> AddinHost::TemplatesOf(std::string_view caption) {
    using namespace buttons;
    if (caption == kAddModHdr) {
        return {true, false, false, false};
    }
    if (caption == kAddHeaders) {
        return {false, true, false, false};
    }
    if (caption == kAddErrHandlers) {
        return {false, false, true, true};
    }
    if (caption == kAddAllToProj) {
        return {true, true, true, true};
    }
    return {};
}

// What the command line warns of before it adds: text without markers cannot be taken out
// again, and an author the project's code page cannot hold is written with "?".
void AddinHost::WarnBeforeAdding(std::string_view caption) {
    const auto used = TemplatesOf(caption);
    if (!Loaded() || std::none_of(used.begin(), used.end(), [](bool one) { return one; })) {
        return;
    }
    const AddinFields& fields = session_.Addin().Fields();
    const int codePage = ActiveCodePage();
    if (!fields.mbAddCodeMarkers) {
        const std::string where =
            session_.Layers().OriginOf(settings::kOptions, settings::kMarkersKey) ==
                    host::SettingOrigin::Team
                ? "in " + host::Label(TeamFile(), codePage) + " (" +
                      std::string(settings::kMarkersKey) + "=True there turns them on)"
                : "in your options (the Options dialog turns them on)";
        output_.Warn({}, "markers are off " + where +
                             ", so what this adds has no marker lines and Brindle cannot remove "
                             "it later");
    }
    bool namesAuthor = false;
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        namesAuthor =
            namesAuthor || (used[i] && NamesKeyword(fields.*kTemplateSlots[i].text, "Author"));
    }
    const std::string missing = namesAuthor ? host::MissingFrom(fields.msAuthor, codePage) : "";
    if (!missing.empty()) {
        output_.Warn({}, "author " + fields.msAuthor + ": code page " + std::to_string(codePage) +
                             " lacks these characters, each is written as \"?\": " + missing);
    }
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
