#pragma once
// Loading what a command names: module files, or a project or group file with its modules.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/ide/MemoryProject.h"

namespace brindle::cli {

// A usage or input error: the command does nothing and exits with 2.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct LoadedModule {
    host::MemoryComponent* component = nullptr;
    std::string label;     // the file as the user sees it, in UTF-8, for messages
    std::string diffName;  // the file relative to the current folder, for diffs
    std::string original;  // the bytes as loaded
};

struct LoadedProject {
    std::shared_ptr<host::MemoryProject> project;
    std::string label;                  // the project file as the user sees it
    std::vector<LoadedModule> modules;  // in the project's order
};

// A component or project that could not be loaded; the others are done all the same.
struct LoadProblem {
    std::string subject;
    std::string text;
};

struct Inputs {
    std::vector<LoadedProject> projects;
    std::vector<LoadProblem> problems;
};

// The module files named on the command line, each once, in one project. A file that is
// missing or is no VB6 module raises InputError.
Inputs LoadModules(const std::vector<std::string>& files, int codePage);

// A module file of a project, found and checked but not loaded.
struct ModuleEntry {
    std::filesystem::path path;
    std::string name;      // Attribute VB_Name, in the module's code page
    std::string label;     // as LoadedModule's
    std::string diffName;  // as LoadedModule's
    std::string where;     // the project file and its line that name the module
};

struct ProjectEntries {
    std::string name;
    std::string label;                 // the project file as the user sees it
    std::vector<ModuleEntry> modules;  // in the project's order
};

struct ProjectInputs {
    std::vector<ProjectEntries> projects;
    std::vector<LoadProblem> problems;
};

// A project file, or each project of a group file, with the module files that would load;
// the files are read and their headers checked (on several threads), but nothing is kept. A
// missing or unreadable project or group file raises InputError; a component or a group's
// project that cannot be loaded is a LoadProblem. A module file named by several projects of
// a group goes to the first.
ProjectInputs SurveyProjects(const std::string& file, int codePage);

// A module file and the bytes it was loaded from. Raises ModuleFileError, or InputError for a
// file whose bytes the host could not give back exactly (it is then left alone rather than
// rewritten).
struct ModuleFile {
    std::unique_ptr<host::MemoryComponent> component;
    std::string original;
};
ModuleFile LoadModule(const std::filesystem::path& path, int codePage);

// Raises InputError for a code page that Brindle cannot convert text to.
void CheckCodePage(int codePage);

// How a path is shown in messages: relative to the current folder when it lies below it, in
// UTF-8 (a name in other bytes is taken to be in `codePage`).
std::string Label(const std::filesystem::path& path, int codePage);

// How a diff names a file: relative to the current folder, with "../" where needed.
std::string DiffName(const std::filesystem::path& path);

}  // namespace brindle::cli
