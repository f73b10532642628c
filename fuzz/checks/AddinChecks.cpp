// The add-in's commands on a whole module: add-all then remove-code-all, and the removals of
// marked blocks and markers.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addin/Brindle.h"
#include "addin/Commands.h"
#include "checks/Properties.h"
#include "codegen/Markers.h"
#include "codegen/ModuleCommands.h"
#include "host/files/ModuleFile.h"
#include "host/ide/Ide.h"
#include "host/ide/MemoryProject.h"
#include "model/Runtime.h"
#include "model/SettingsKeys.h"
#include "model/VbError.h"
#include "templates/AddinFields.h"
#include "templates/OptionStore.h"
#include "ui/Headless.h"

namespace brindle::fuzz {
namespace {

class MemorySettings final : public SettingsStore {
public:
    std::string GetSetting(std::string_view, std::string_view section, std::string_view key,
                           std::string_view fallback) override {
        const auto it = values_.find(std::string(section) + "\n" + std::string(key));
        return it == values_.end() ? std::string(fallback) : it->second;
    }
    void SaveSetting(std::string_view, std::string_view section, std::string_view key,
                     std::string_view value) override {
        values_[std::string(section) + "\n" + std::string(key)] = value;
    }

private:
    std::map<std::string, std::string> values_;
};

// The templates by their paths.
class MemoryTemplates final : public TemplateFiles {
public:
    std::optional<std::string> Read(std::string_view path) override {
        const auto it = texts.find(std::string(path));
        return it == texts.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::map<std::string, std::string> texts;
};

class Failures final : public Diagnostics {
public:
    void Report(const VbError&) override {}
    void Warn(std::string_view, std::string_view) override {}
};

std::vector<std::string> LinesOf(CodeModule& module) {
    std::vector<std::string> lines;
    for (std::int32_t i = 1; i <= module.CountOfLines(); ++i) {
        lines.push_back(module.Lines(i, 1));
    }
    return lines;
}

// Whether `after` is `before` with some of the lines that `deletable` allows taken out.
bool OnlyDeletableTaken(const std::vector<std::string>& before, const std::vector<bool>& deletable,
                        const std::vector<std::string>& after) {
    const std::size_t n = before.size();
    const std::size_t m = after.size();
    // fits[j]: the lines of `before` from i on can become those of `after` from j on.
    std::vector<char> fits(m + 1, 0);
    fits[m] = 1;
    for (std::size_t i = n; i-- > 0;) {
        std::vector<char> next(m + 1, 0);
        for (std::size_t j = 0; j <= m; ++j) {
            next[j] = (deletable[i] && fits[j]) || (j < m && before[i] == after[j] && fits[j + 1]);
        }
        fits.swap(next);
    }
    return fits[0] != 0;
}

}  // namespace

namespace {

// The module after the add-in's project commands named, clicked in turn, on a module of `bytes`.
std::string AfterClicks(const std::string& bytes, const std::vector<CommandId>& commands) {
    MemorySettings settings;
    MemoryTemplates templates;
    templates.texts = {
        {"module.txt", "' Module %ModuleName% by %Author%\r\n' %Date%\r\n"},
        {"procedure.txt", "' %ProcedureType% %ProcedureName%\r\n' Parameters:%Parameters%\r\n"},
        {"handler.txt", "    On Error GoTo FuzzHandler\r\n"},
        {"footer.txt",
         "    Exit %ProcedureType%\r\nFuzzHandler:\r\n"
         "    Err.Raise Err.Number, \"%ModuleName%.%ProcedureName%\"\r\n"},
    };
    settings.SaveSetting(kAppName, settings::kOptions, settings::kModHdrKey, "module.txt");
    settings.SaveSetting(kAppName, settings::kOptions, settings::kProcHdrKey, "procedure.txt");
    settings.SaveSetting(kAppName, settings::kOptions, settings::kErrHdrKey, "handler.txt");
    settings.SaveSetting(kAppName, settings::kOptions, settings::kErrFtrKey, "footer.txt");
    settings.SaveSetting(kAppName, settings::kOptions, settings::kAuthorKey, "Ann Author");
    settings.SaveSetting(kAppName, settings::kOptions, settings::kMarkersKey, "True");
    ui::HeadlessWindows windows;
    windows.Setup().answer = ui::FixedAnswer(vbYes);
    Failures sink;
    auto project = std::make_shared<host::MemoryProject>("Project1");
    host::MemoryComponent& component = project->Add(host::ParseModule(bytes, "Fuzz"));
    host::MemoryVBE vbe;
    vbe.AddProject(project);
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_CommandLine);
    for (const CommandId command : commands) {
        const std::string_view caption = CommandOf(command).caption;
        Expect(vbe.Click(caption), "the command is missing: " + std::string(caption));
    }
    vbe.Shutdown();
    return component.Serialize();
}

constexpr CommandId kAddAll = CommandId::AddAll;
constexpr CommandId kRemoveCodeAll = CommandId::RemoveCodeAll;

}  // namespace

// A module that cannot be read is refused before anything is done to it. One without markers
// comes back byte for byte; in one with markers the removal takes out what add-all added and
// what was marked before, so the two commands end where the removal alone ends. It takes a module
// of any size, as the real ones it is given whole; scripts/fuzz.sh bounds what the fuzzer makes.
void AddinRoundTrip(std::string_view bytes) {
    std::unique_ptr<host::MemoryComponent> parsed;
    try {
        parsed = host::ParseModule(bytes, "Fuzz");
    } catch (const host::ModuleFileError&) {
        return;
    }
    if (parsed->Code() == nullptr) {
        return;
    }
    bool marked = false;
    for (const std::string& line : LinesOf(*parsed->Code())) {
        marked = marked || IsMarkerLine(line);
    }
    const std::string text(bytes);
    const std::string both = AfterClicks(text, {kAddAll, kRemoveCodeAll});
    const std::string expected = marked ? AfterClicks(text, {kRemoveCodeAll}) : text;
    Expect(both == expected,
           "remove-code-all does not give back what add-all had: after add-all\n" +
               AfterClicks(text, {kAddAll}) + "\nafter remove-code-all\n" + both + "\nexpected\n" +
               expected);
}

void MarkerRemoval(std::string_view bytes) {
    if (bytes.size() > 4096) {
        return;
    }
    for (const bool whole : {false, true}) {
        host::MemoryProject project;
        CodeModule& module =
            project.AddComponent("Module1", vbext_ct_StdModule, bytes).CodeModule();
        const std::vector<std::string> before = LinesOf(module);
        // The blocks, paired here as the markers' rules say: a begin marker line whose next
        // marker line is an end marker line.
        std::vector<bool> deletable(before.size(), false);
        std::optional<std::size_t> open;
        for (std::size_t i = 0; i < before.size(); ++i) {
            const MarkerKind kind = MarkerKindOf(before[i]);
            if (kind == MarkerKind::None) {
                continue;
            }
            deletable[i] = true;
            if (kind == MarkerKind::End && open && whole) {
                for (std::size_t j = *open; j <= i; ++j) {
                    deletable[j] = true;
                }
            }
            open = kind == MarkerKind::Begin ? std::optional<std::size_t>(i) : std::nullopt;
        }
        AddinFields fields;
        Failures sink;
        module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
        try {
            if (whole) {
                RemoveCode(fields, module, &sink);
            } else {
                RemoveCodeMarkers(fields, module, &sink);
            }
        } catch (const VbError&) {
        }
        Expect(OnlyDeletableTaken(before, deletable, LinesOf(module)),
               whole ? "removing marked code took a line outside every well-formed block"
                     : "removing markers took a line that is no marker line");
    }
}

}  // namespace brindle::fuzz
