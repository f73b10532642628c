#pragma once
// A team's files for the project the IDE has active, found from the project's file as the
// command line finds them beside a project file: its brindle.ini laid over the user's
// settings, and the modules its .brindleignore leaves out of the project commands.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/com/ComVbe.h"
#include "host/files/IgnoreFile.h"
#include "host/session/HostedAddin.h"
#include "model/Vbide.h"

namespace brindle::dll {

class TeamFiles {
public:
    // `tell` hears what is wrong in the files, once each time they change.
    TeamFiles(host::HostedAddin& addin, std::function<void(std::string_view text)> tell);

    // At the start of each call of the IDE, before the add-in sees it.
    void Follow(host::com::ComVbe& vbe) noexcept;
    // Whether the project commands leave the component of the active project alone. Where the
    // .brindleignore cannot be read, every component is left alone and the user told why.
    bool LeftOut(VBComponent& component);

private:
    struct Stamped {
        std::filesystem::path file;
        std::optional<std::filesystem::file_time_type> written;
        bool operator==(const Stamped&) const = default;
    };
    static Stamped StampOf(const std::optional<std::filesystem::path>& file);
    void TakeIgnoreFile(const std::filesystem::path& projectFile);
    std::string FileOf(VBComponent& component);

    host::HostedAddin& addin_;
    std::function<void(std::string_view text)> tell_;
    int codePage_;
    host::com::ComVbe* vbe_ = nullptr;
    std::filesystem::path project_;  // the active project's file; empty when it has none
    bool document_ = false;          // the VBA editor's: the project is its document
    Stamped team_;
    Stamped ignoreFile_;
    std::optional<host::IgnoreFile> ignore_;
    std::string ignoreProblem_;  // why the .brindleignore cannot be taken
    bool problemTold_ = false;   // during this call
};

}  // namespace brindle::dll
