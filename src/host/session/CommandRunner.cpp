#include "host/session/CommandRunner.h"

#include "host/files/ProjectLoader.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"
#include "templates/Expansion.h"

namespace brindle::host {

PaneSelection WholeLines(CodeModule& module, std::int32_t first, std::int32_t last) {
    const auto length = static_cast<std::int32_t>(module.Lines(last, 1).size());
    return {first, 1, last, length + 1};
}

CommandRunner::Result CommandRunner::Run(CommandId id) {
    const CommandInfo& command = CommandOf(id);
    return session_.Ide().Click(command.bar, command.caption) ? Result::Done : Result::NoButton;
}

CommandRunner::Result CommandRunner::Run(CommandId id, CodeModule& module,
                                         const PaneSelection& selection) {
    const bool selected = IgnoreStep(session_.Sink(), [&] {
        module.CodePane().SetSelection(selection.startLine, selection.startColumn,
                                       selection.endLine, selection.endColumn);
    });
    if (!selected) {
        return Result::NotSelected;
    }
    session_.Ide().OpenCodeWindow(module.CodePane());
    return Run(id);
}

CommandRunner::Result CommandRunner::Run(CommandId id, VBProject& project) {
    session_.Ide().SetActiveVBProject(&project);
    return Run(id);
}

std::vector<std::string> CommandRunner::WarningsBeforeAdding(CommandId id, int codePage,
                                                             std::string_view ownOptions) {
    std::vector<std::string> warnings;
    const CommandInfo& command = CommandOf(id);
    if (!command.Adds() || !session_.Ide().IsConnected(session_.Addin())) {
        return warnings;
    }
    const AddinFields& fields = session_.Addin().Fields();
    if (!fields.mbAddCodeMarkers) {
        LayeredSettings& layers = session_.Layers();
        std::string where = "in " + std::string(ownOptions);
        switch (layers.OriginOf(settings::kOptions, settings::kMarkersKey)) {
            case SettingOrigin::Team:
                where = "in " + Label(layers.TeamFile(), codePage) + " (" +
                        std::string(settings::kMarkersKey) + "=True there turns them on)";
                break;
            case SettingOrigin::CommandLine:
                where = "for this run";
                break;
            case SettingOrigin::User:
                break;
        }
        warnings.push_back("markers are off " + where +
                           ", so what this adds has no marker lines and Brindle cannot remove it "
                           "later");
    }
    if (std::string author = AuthorWarning(fields, command.templates, codePage); !author.empty()) {
        warnings.push_back(std::move(author));
    }
    return warnings;
}

std::string AuthorWarning(const AddinFields& fields, unsigned templates, int codePage) {
    bool namesAuthor = false;
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        namesAuthor = namesAuthor || ((templates & kSlotUses[i]) != 0 &&
                                      NamesKeyword(fields.*kTemplateSlots[i].text, "Author"));
    }
    const std::string missing = namesAuthor ? MissingFrom(fields.msAuthor, codePage) : "";
    if (missing.empty()) {
        return {};
    }
    return "author " + fields.msAuthor + ": code page " + std::to_string(codePage) +
           " lacks these characters, each is written as \"?\": " + missing;
}

}  // namespace brindle::host
