#pragma once
// An Office document whose VBA project is worked on as a project: its modules loaded as
// components that give back exactly the source the document holds, and the document written
// back whole, only the modules that changed rewritten, once every module of it is done.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/office/VbaDocument.h"

namespace brindle::host {

// Whether the file's extension names an Office document whose VBA project Brindle reads:
// .xlsm .xlam .xls .docm .dotm .doc .dot .pptm (case ignored), Office's owner files ("~$...")
// aside.
bool IsOfficeDocument(const std::filesystem::path& file);

// Whether the file is an Office document that may hold a VBA project: a workbook or document
// without macros, and a file of such a name that is none (an RTF saved as .doc), are not
// worth planning as projects when a folder is searched.
bool HoldsVbaProject(const std::filesystem::path& file);

// Whether the path names a module inside an Office document ("Book.xlsm/Module1"): no file of
// its own, below a document that is one.
bool IsDocumentModulePath(const std::filesystem::path& path);

class DocumentFile {
public:
    // Reads the document's project. Raises LoadError naming the document, and the part or
    // stream and the byte where it did not read as its format says.
    static std::shared_ptr<DocumentFile> Open(const std::filesystem::path& path, int labelCodePage);

    const std::filesystem::path& Path() const { return path_; }
    const std::string& Label() const { return label_; }
    int CodePage() const { return project_.codePage; }
    // In UTF-8.
    std::string ProjectName() const;
    std::size_t ModuleCount() const { return project_.modules.size(); }
    // In UTF-8.
    std::string ModuleName(std::size_t index) const;
    // The module's place among the document's modules, its name in UTF-8 compared as VBA
    // compares names; nothing when there is none of that name.
    std::optional<std::size_t> ModuleNamed(std::string_view name) const;
    // In the project's code page.
    const std::string& Source(std::size_t index) const { return project_.modules[index].source; }

    // "Book.xlsm/Module1", as messages name the module, and the path that stands for it.
    std::string ModuleLabel(std::size_t index) const { return label_ + "/" + ModuleName(index); }
    std::filesystem::path ModulePath(std::size_t index) const;

    // The module as a component whose file is its source. Raises ModuleFileError for a source
    // that is no module, LoadError for one Brindle could not give back exactly.
    ExactModule LoadModule(std::size_t index) const;

    // Why Brindle must not write the document: a signed project, one locked for viewing, a
    // document open in Office or LibreOffice (their lock file beside it); nothing when it may.
    std::optional<std::string> WriteRefusal() const;

    // Takes a module's new source, to be written by Save; from any thread.
    void Change(std::size_t index, std::string source);

    // Writes the document with the sources taken, unless none changed, the file no longer holds
    // what was read, or it is read-only (as WriteModule does); a document that cannot be
    // written or read back exactly is left as it was, with why. The sources taken are let go
    // either way.
    SaveResult Save(ReplacedFolders* batch = nullptr);

private:
    DocumentFile() = default;

    std::filesystem::path path_;
    std::string label_;
    std::string bytes_;  // as read
    DocumentProject project_;
    std::mutex changing_;
    std::vector<ModuleChange> changes_;
};

}  // namespace brindle::host
