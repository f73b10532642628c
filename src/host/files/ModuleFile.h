#pragma once
// VB6 module files on disk (.bas .cls .frm .ctl .pag .dob .dsr): loading into a component whose
// code pane hides the file's header and member attribute lines, and writing back byte for byte.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/FileSystem.h"
#include "host/ide/MemoryProject.h"
#include "model/VbError.h"
#include "model/Vbide.h"

namespace brindle::host {

// Asks LoadModuleFile to find the code page itself: UTF-8 for a file with a UTF-8 byte order
// mark or whose bytes above 127 all form UTF-8, otherwise 1252.
constexpr int kDetectCodePage = 0;

// The component type an extension names (case ignored); nothing for other extensions.
std::optional<vbext_ComponentType> ModuleTypeOfExtension(const std::filesystem::path& file);

// A component from a module file's bytes. `file` names it in failures and decides the type by
// its extension (the header decides for other names). Raises ModuleFileError (NotAModule) for
// binary content or a header without Attribute VB_Name.
std::unique_ptr<MemoryComponent> ParseModule(std::string_view bytes,
                                             const std::filesystem::path& file,
                                             int codePage = kDetectCodePage);
// The same, its code lines borrowing their text from `bytes`, which the component keeps.
std::unique_ptr<MemoryComponent> ParseModule(std::shared_ptr<const std::string> bytes,
                                             const std::filesystem::path& file,
                                             int codePage = kDetectCodePage);
// A module's source as an Office document keeps it, of the type the document gives; its lines
// are numbered as the code pane numbers them.
std::unique_ptr<MemoryComponent> ParseDocumentModule(std::shared_ptr<const std::string> source,
                                                     const std::filesystem::path& file,
                                                     int codePage, vbext_ComponentType type);

// Raises what ParseModule would raise for these bytes, without making the component, and
// returns the module's name.
std::string CheckModule(std::string_view bytes, const std::filesystem::path& file);

// The file's bytes. Raises ModuleFileError (NotFound, Unreadable).
std::string ReadModuleFile(const std::filesystem::path& file);

// Reads and parses the file; the component remembers the path. Raises ModuleFileError.
std::unique_ptr<MemoryComponent> LoadModuleFile(const std::filesystem::path& file,
                                                int codePage = kDetectCodePage);

// Where the code pane's lines stand in the module's file, which holds above and between them
// what the pane hides: the header (a form's designer block too) and member attribute lines. A
// module inside a document has no file: its lines are the code pane's.
// As the component is when made; an edit of its code afterwards needs a new one.
class FileLines {
public:
    explicit FileLines(const MemoryComponent& component);
    // The file's line for code line `line` (1-based). Line 0 and a line past the last give the
    // line before the first code line and the line after the last.
    std::int32_t FileLineOf(std::int32_t line) const;
    // The code line on the file's line `line`; nothing for a hidden line or one outside the
    // file.
    std::optional<std::int32_t> CodeLineOf(std::int32_t line) const;

private:
    std::vector<std::int32_t> fileLines_;  // of each code line
    std::int32_t first_ = 1;               // of code line 1
};

// Whether the component's file would hold exactly `bytes`: Serialize() == bytes, without making
// the copy.
bool SerializesTo(const MemoryComponent& component, std::string_view bytes);

// A module file and the bytes it was read from. Raises ModuleFileError, or LoadError for a
// file whose bytes the host could not give back exactly (it is then left alone rather than
// rewritten).
struct ExactModule {
    std::unique_ptr<MemoryComponent> component;
    std::string original;
};
ExactModule LoadExactly(const std::filesystem::path& path, int codePage);

// What became of a module to be saved: written, or why not (empty when nothing kept it).
struct SaveResult {
    bool written = false;
    std::string problem;
};

// Writes `bytes` over the module file unless the file no longer holds `original` (someone
// else's work is not overwritten) or is read-only. Its folder is flushed at once, or left to
// `batch`.
SaveResult WriteModule(const std::filesystem::path& path, std::string_view original,
                       std::string_view bytes, ReplacedFolders* batch = nullptr);

}  // namespace brindle::host
