#pragma once
// Loading what a command names: module files, or a project or group file with its modules, as
// every front end loads them; here a file that cannot be loaded at all is a usage error. A
// project command does not load its project: it surveys the modules, which are then streamed
// (ModuleStream.h).

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/args/CommandLine.h"
#include "host/files/ProjectLoader.h"

namespace brindle::cli {

// A usage or input error: the command does nothing and exits with 2.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using host::DiffName;
using host::Label;
using host::LoadedModule;
using host::LoadedProject;
using host::LoadProblem;
using Inputs = host::Loaded;

// The module files named on the command line, each once, in one project. A file that is
// missing or is no VB6 module raises InputError. With `ignoreFiles` those that the .brindleignore
// nearest each leaves out are not loaded, only listed as the project's ignored.
Inputs LoadModules(const std::vector<std::string>& files, int codePage, bool ignoreFiles = false);

// A module file of a project, found and checked but not loaded.
struct ModuleEntry : host::PlannedModule {
    std::string name;  // Attribute VB_Name, in the module's code page; listed: the file's name
};

struct ProjectEntries {
    std::string name;
    std::string label;                 // the project file as the user sees it
    std::vector<ModuleEntry> modules;  // in the project's order
};

struct ProjectInputs {
    std::vector<ProjectEntries> projects;
    std::vector<LoadProblem> problems;
    int ignored = 0;  // modules that a project's .brindleignore leaves out
    std::vector<std::filesystem::path> ignoredFiles;  // those modules, in the projects' order
    std::vector<std::string> warnings;                // of .brindleignore patterns that are ignored

    // Every project's modules, in order.
    std::vector<ModuleEntry> Modules() const;
};

// The modules that the host's plan of a project or group file would load, none of them read: a
// module file that is no VB6 module is found when the stream loads it, and each entry's name is
// its file's. What cannot be found, and `ignoreFiles` and the request's `only` and `doneBefore`,
// are as for SurveyProjects.
ProjectInputs ListProjects(const Request& request, int codePage, bool ignoreFiles = true);

// The modules that the host's plan of a project or group file would load; the files are read
// and their headers checked (on several threads), but nothing is kept. Unless the request
// only shows a diff, an Office document that Brindle must not write (DocumentFile::
// WriteRefusal) is a LoadProblem, its modules left out. A missing or unreadable
// project or group file raises InputError; a component or a group's project that cannot be
// found, and a module file that is no VB6 module, is a LoadProblem. With `ignoreFiles` false no
// .brindleignore leaves a module out. The request's `only` limits the modules (and those left
// out) to the files it holds, and what cannot be found is then not told; its `doneBefore` are
// left out.
ProjectInputs SurveyProjects(const Request& request, int codePage, bool ignoreFiles = true);

// How many well-formed marked blocks the module files hold, their marker lines paired as a
// removal pairs them; a file that cannot be loaded counts none. Nothing is written.
int MarkedBlocksIn(const std::vector<std::filesystem::path>& files, int codePage);

// The team settings for the files a command names: the brindle.ini in the folder of the first
// of them, or in the nearest folder above.
std::optional<std::filesystem::path> TeamSettingsFor(const std::vector<std::string>& files);

class RunLog;
// Tells how many modules a .brindleignore left out, when any, and warns of its patterns that
// are ignored.
void NoteIgnored(const ProjectInputs& projects, RunLog& log);
void NoteIgnored(const Inputs& modules, RunLog& log);

// Raises InputError for a code page that Brindle cannot convert text to.
void CheckCodePage(int codePage);

}  // namespace brindle::cli
