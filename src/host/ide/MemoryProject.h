#pragma once
// Our in-memory IDE: projects, their components and the components' code modules.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/ide/MemoryCodeModule.h"
#include "host/ide/SourceLine.h"
#include "model/Vbide.h"

namespace brindle::host {

// How the component's file lays out what the code pane does not show.
struct FileLayout {
    std::vector<SourceLine> header;  // VERSION, BEGIN ... END, designer block, Object=, Attribute
    LineBreak dominantBreak = LineBreak::CrLf;  // what new lines get
    bool endsWithBreak = true;
    std::shared_ptr<const std::string> bytes;  // the file as read, which loaded lines borrow from
    // A module inside an Office document has no file to open: its lines are numbered as the
    // code pane numbers them, the hidden ones left out.
    bool numberedAsCodePane = false;
};

// One module: name, type, code page, the code pane's lines, and the hidden header and member
// attribute lines of its file.
class MemoryComponent : public VBComponent {
public:
    // Without `code` the component has no code module (a resource file).
    MemoryComponent(std::string name, vbext_ComponentType type,
                    std::optional<std::vector<CodeLine>> code, FileLayout layout = {});
    MemoryComponent(const MemoryComponent&) = delete;
    MemoryComponent& operator=(const MemoryComponent&) = delete;

    std::string Name() const override { return name_; }
    vbext_ComponentType Type() const override { return type_; }
    // Raises 91 for a component without code.
    brindle::CodeModule& CodeModule() override;
    // Null for a component without code.
    MemoryCodeModule* Code() { return code_.get(); }
    const MemoryCodeModule* Code() const { return code_.get(); }

    // The Windows code page of the module's bytes; 1252 unless set.
    int CodePage() const { return codePage_; }
    void SetCodePage(int codePage);

    // The file the component was loaded from or is saved to; empty when it has none.
    const std::filesystem::path& FilePath() const { return filePath_; }
    void SetFilePath(std::filesystem::path path) { filePath_ = std::move(path); }

    const FileLayout& Layout() const { return layout_; }

    // The file's bytes: header, then every line of the code pane followed by its attribute
    // lines. An unedited loaded module gives exactly the bytes it was loaded from.
    std::string Serialize() const;
    // Writes the file when the code was edited and its bytes differ from what is on disk;
    // returns whether it wrote. Raises ModuleFileError (ModuleFile.h) when there is no file
    // path or the file cannot be written.
    bool Save();
    // Writes to `file` unless it holds these bytes already, and takes it as the file path.
    bool SaveAs(const std::filesystem::path& file);
    // Whether the code was edited since it was loaded or last saved.
    bool Modified() const;

private:
    std::string name_;
    vbext_ComponentType type_;
    int codePage_ = 1252;
    std::filesystem::path filePath_;
    FileLayout layout_;
    std::unique_ptr<MemoryCodeModule> code_;
    std::uint64_t savedVersion_ = 0;
};

class MemoryComponents final : public VBComponents {
public:
    std::int32_t Count() const override;
    VBComponent& Item(std::int32_t index) override;

    MemoryComponent& Add(std::unique_ptr<MemoryComponent> component);
    // By name, without regard to case; null when there is none.
    MemoryComponent* Find(std::string_view name);

private:
    std::vector<std::unique_ptr<MemoryComponent>> components_;
};

class MemoryProject : public VBProject {
public:
    explicit MemoryProject(std::string name = "Project1");

    std::string Name() const override { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    brindle::VBComponents& VBComponents() override { return components_; }
    MemoryComponents& Components() { return components_; }

    // A component whose code pane shows `code` (lines broken at CR LF, lone CR, lone LF; a
    // final line break does not add an empty line). Code page 1252.
    MemoryComponent& AddComponent(std::string name, vbext_ComponentType type,
                                  std::string_view code);
    // A component without code (a resource file): its CodeModule() raises 91.
    MemoryComponent& AddComponentWithoutCode(std::string name, vbext_ComponentType type);
    MemoryComponent& Add(std::unique_ptr<MemoryComponent> component);

private:
    std::string name_;
    MemoryComponents components_;
};

// Code lines from text: broken at CR LF, lone CR and lone LF; a final break adds no line.
std::vector<CodeLine> CodeLinesFromText(std::string_view code);

// The code pane's text: every visible line followed by CR LF.
std::string VisibleText(CodeModule& module);

}  // namespace brindle::host
