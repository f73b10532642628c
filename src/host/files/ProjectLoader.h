#pragma once
// Opening what a user names (module files, or a project or group file with its modules) into
// in-memory projects, and saving a module back as its file was: shared by every front end.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/FileSystem.h"
#include "host/files/LoadError.h"
#include "host/files/ModuleFile.h"
#include "host/ide/MemoryProject.h"

namespace brindle::host {

class DocumentFile;

struct LoadedModule {
    MemoryComponent* component = nullptr;
    std::string label;                       // the file as the user sees it, in UTF-8, for messages
    std::string diffName;                    // the file relative to the current folder, for diffs
    std::string original;                    // the file's bytes when loaded or last saved
    std::shared_ptr<DocumentFile> document;  // the Office document that holds the module
    std::size_t inDocument = 0;              // its place among the document's modules
};

// A module that the .brindleignore of its project leaves out: not loaded.
struct IgnoredModule {
    std::filesystem::path file;  // absolute
    std::string pattern;         // the pattern that leaves it out
};

struct LoadedProject {
    std::shared_ptr<MemoryProject> project;
    std::filesystem::path file;         // the project file; empty for modules named one by one
    std::string label;                  // the project file as the user sees it, in UTF-8
    std::vector<LoadedModule> modules;  // in the project's order
    std::vector<IgnoredModule> ignored;
};

// A component or project that could not be loaded; the others are loaded all the same.
struct LoadProblem {
    std::string subject;
    std::string text;
};

struct Loaded {
    std::vector<LoadedProject> projects;
    std::vector<LoadProblem> problems;
    std::vector<std::string> warnings;  // of .brindleignore patterns that are ignored

    // How many modules the projects' .brindleignore files left out.
    int Ignored() const;
};

// Told before each module file is read, and once more when all are: `done` of `total`.
using LoadProgress = std::function<void(std::size_t done, std::size_t total)>;

// The module files, each once, in one project. A file that is missing or is no VB6 module
// raises LoadError. An Office document stands for its modules, and "Book.xlsm/Module1" for
// one of them; a document that does not read, or has no module of that name, raises LoadError.
Loaded LoadModules(const std::vector<std::filesystem::path>& files, int codePage,
                   const LoadProgress& progress = {});

// A module file that a project names, found but not yet read; or a module of an Office
// document, read with the document.
struct PlannedModule {
    std::filesystem::path path;  // a document's module: the document's path and its name
    std::string label;           // as LoadedModule's
    std::string diffName;        // as LoadedModule's
    std::string where;           // the project file and its line that name the module
    std::shared_ptr<DocumentFile> document;  // the document that holds the module
    std::size_t inDocument = 0;              // its place among the document's modules
};

struct PlannedProject {
    std::string name;                    // the project's Name, or its file's stem
    std::filesystem::path file;          // the project file
    std::string label;                   // the project file as the user sees it, in UTF-8
    std::vector<PlannedModule> modules;  // in the project's order
    std::vector<IgnoredModule> ignored;
    std::shared_ptr<DocumentFile> document;  // of a project inside an Office document
};

struct ProjectPlan {
    std::vector<PlannedProject> projects;
    std::vector<LoadProblem> problems;  // of components and projects that were not found
    std::vector<std::string> warnings;  // as Loaded's

    // As Loaded's.
    int Ignored() const;
};

// A project file, or each project of a group file, and the module files each would load: the
// project and group files are read, the module files are not. An Office document is read, as
// one project of its modules (named "Book.xlsm/Module1"); one that does not read raises
// LoadError. A missing or unreadable project
// or group file raises LoadError; a component or a group's project that cannot be found is a
// LoadProblem. A module file named by several projects of a group goes to the first. A module
// that the .brindleignore of its project (IgnoreFile::Nearest) names is left out, only listed;
// a .brindleignore that cannot be read or is no text raises LoadError. With `ignoreFiles` false
// no .brindleignore is read.
ProjectPlan PlanProjects(const std::filesystem::path& file, int codePage, bool ignoreFiles = true);

// The modules among `files`, named one by one, that the .brindleignore nearest each (in its
// folder or above, as IgnoreFile::Nearest finds it for a project) leaves out; `files` keeps the
// others, in order. The warnings of each .brindleignore read go to `warnings`, once. Raises
// LoadError as PlanProjects does for a .brindleignore.
std::vector<IgnoredModule> LeaveOutIgnored(std::vector<std::filesystem::path>& files, int codePage,
                                           std::vector<std::string>& warnings);

// The project and group files below `folder`, and the Office documents that may hold a VBA
// project (HoldsVbaProject), in the order of their paths: with `ignoreFiles`
// none that the .brindleignore nearest it leaves out (a folder left out, everything below it),
// and none that a group found there holds. Raises LoadError as PlanProjects does.
std::vector<std::filesystem::path> ProjectsBelow(const std::filesystem::path& folder, int codePage,
                                                 bool ignoreFiles);

// The planned projects, each module loaded; raises as PlanProjects, and a module that cannot
// be loaded is a LoadProblem.
Loaded LoadProjects(const std::filesystem::path& file, int codePage,
                    const LoadProgress& progress = {});

// Whether the file names a project or group rather than a module, by its extension.
bool IsProjectOrGroupFile(const std::filesystem::path& file);

// Writes the module when its bytes differ from those loaded, as WriteModule does, and takes
// them as its new original once written; a module of an Office document is written in its
// document, which is written whole.
SaveResult SaveModule(LoadedModule& module, ReplacedFolders* batch = nullptr);

}  // namespace brindle::host
