#pragma once
// A project command's modules go through in a stream: loaded on other threads just ahead of the
// add-in's walk over the project's components (or the command line's own, for check and
// refresh), and compared with their files, then written or diffed, on other threads just behind
// it. Only the few modules in between are in memory, and the add-in itself works on one thread,
// as in the IDE. Work that reads one module alone (check's) is done on the thread that loaded
// it.

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/stream/Background.h"
#include "cli/stream/Inputs.h"
#include "host/files/DocumentFile.h"
#include "host/files/FileSystem.h"
#include "host/ide/MemoryProject.h"
#include "host/ide/StreamedProject.h"
#include "model/Vbide.h"

namespace brindle::cli {

// What became of a module once the command was done with it.
struct ModuleOutcome {
    bool changed = false;  // written, or its diff printed
    std::string subject;   // what a problem concerns: the module, or the project line naming it
    std::string problem;   // why the module was left as it was; empty when nothing went wrong
    std::string label;     // the module, as the user named it
    // The Office document that holds the module: it is written once all its modules are done.
    std::shared_ptr<host::DocumentFile> document;
};

// Compares modules with the bytes they were loaded from and writes those that changed (as the
// host's WriteModule does), or prints their diffs in the order the modules came, on other
// threads. The diffs are held back until the end, so that they follow the progress as they
// always did, unless they grow so large that holding them would cost more memory than the
// modules themselves.
class ModuleFinisher {
public:
    // Release: the command changes nothing, and the modules are only let go.
    enum class Work { Write, Diff, Release };
    ModuleFinisher(Work work, std::ostream& out);
    ~ModuleFinisher();
    ModuleFinisher(const ModuleFinisher&) = delete;
    ModuleFinisher& operator=(const ModuleFinisher&) = delete;

    struct Job {
        const host::MemoryComponent* component = nullptr;  // alive until Outcomes() returns
        std::unique_ptr<host::MemoryComponent> owned;      // or owned, and dropped once done
        std::string original;
        std::string label;
        std::string diffName;
        std::filesystem::path path;
        std::shared_ptr<host::DocumentFile> document;  // of a module inside a document
        std::size_t inDocument = 0;
    };
    // Waits while many modules are still being written.
    void Add(Job job);
    // A module that is left as it was, for a reason known already.
    void Add(ModuleOutcome outcome);
    // Waits for every module, writes the documents whose modules changed, then flushes the
    // folders written in; what became of each module, in the order they came, and then of each
    // folder that could not be flushed. Once the run was interrupted no document is written.
    std::vector<ModuleOutcome> Outcomes();

private:
    // An outcome, and the module's diff when one is to be printed.
    using Finished = std::pair<ModuleOutcome, std::string>;
    Finished Finish(Job& job);
    void SaveDocuments();
    // Takes the outcomes at the front that are ready, and more until no more than `keep` are
    // pending; holds or prints their diffs.
    void Collect(std::size_t keep);

    Work work_;
    std::ostream& out_;
    std::deque<std::future<Finished>> pending_;
    std::vector<ModuleOutcome> done_;
    std::string heldDiffs_;
    bool printing_ = false;  // the diffs grew too large to hold: each is printed when ready
    host::ReplacedFolders written_;
    Workers workers_;  // last: its threads end before what they work on goes
};

class ModuleStream final : public host::ComponentSource {
public:
    // Work on a module that has code, done on the thread that loaded it, before it is taken. It
    // keeps to the module, and what it raises is its own to catch.
    using Prepare = std::function<void(std::size_t index, host::MemoryComponent& component)>;
    // `index` asks for each module's procedures to be found while it is loaded.
    ModuleStream(std::vector<ModuleEntry> entries, int codePage, bool index,
                 ModuleFinisher& finisher, Prepare prepare = {});
    ~ModuleStream();
    ModuleStream(const ModuleStream&) = delete;
    ModuleStream& operator=(const ModuleStream&) = delete;

    const ModuleEntry& Entry(std::size_t index) const { return entries_[index]; }
    // The component of entry `index`, once loaded; null for an entry that was passed, and for
    // every entry once the run was interrupted. Every entry before it is passed; once the run
    // was interrupted, passing abandons a module rather than handing it to the finisher.
    host::MemoryComponent* Take(std::size_t index);
    // Take for a streamed project: once the run was interrupted it raises kInterruptedSource.
    VBComponent* Reach(std::size_t index) override;
    // The component taken and not yet passed whose entry is labelled so; null when none is.
    const host::MemoryComponent* InHand(std::string_view label) const;
    // Hands every entry before `end` that was taken to the finisher.
    void Pass(std::size_t end);
    // Takes each entry not yet passed in turn, hands its component to `work` unless it has no
    // code (a module that no longer loads, which the finisher tells of), and passes it; stops
    // when the run is interrupted.
    using Work = std::function<void(std::size_t index, const ModuleEntry& entry,
                                    host::MemoryComponent& component)>;
    void ForEach(const Work& work);

private:
    struct Loaded {
        std::unique_ptr<host::MemoryComponent> component;
        std::string original;
        std::optional<ModuleOutcome> leftAlone;  // loaded, but its changes are not to be kept
    };
    Loaded Load(std::size_t index) const;
    void LoadAhead(std::size_t from);

    std::vector<ModuleEntry> entries_;
    int codePage_;
    bool index_;
    ModuleFinisher& finisher_;
    Prepare prepare_;
    std::vector<std::future<Loaded>> loads_;
    std::vector<std::optional<Loaded>> taken_;
    std::size_t passed_ = 0;  // entries before it were passed
    Workers workers_;         // last: its threads end before what they work on goes
};

// The add-in walks the stream's entries as projects of the host's.
using host::StreamedProject;

}  // namespace brindle::cli
