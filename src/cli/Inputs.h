#pragma once
// Loading what a command names: module files, or a project or group file with its modules, as
// every front end loads them; here a file that cannot be loaded at all is a usage error.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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
// missing or is no VB6 module raises InputError.
Inputs LoadModules(const std::vector<std::string>& files, int codePage);

// A project file, or each project of a group file. A missing or unreadable project or group
// file raises InputError; a component or a group's project that cannot be loaded is a
// LoadProblem. A module file named by several projects of a group is loaded by the first. A
// module that the .brindleignore beside its project file names is not loaded, only counted.
Inputs LoadProjects(const std::string& file, int codePage);

// The team settings for the files a command names: the brindle.ini in the folder of the first
// of them, or in the nearest folder above.
std::optional<std::filesystem::path> TeamSettingsFor(const std::vector<std::string>& files);

class RunLog;
// Tells how many modules a .brindleignore left out, when any.
void NoteIgnored(int ignored, RunLog& log);

// Raises InputError for a code page that Brindle cannot convert text to.
void CheckCodePage(int codePage);

}  // namespace brindle::cli
