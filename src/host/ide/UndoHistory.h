#pragma once
// The edits of one code module as steps that are taken back and replayed exactly: every line
// as it was, with its line break and hidden attribute lines. An add-in command is one step; the
// user's typing runs into one step until the front end closes it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/ide/MemoryCodeModule.h"

namespace brindle::host {

class UndoHistory final : public LineListener {
public:
    // Listens to the module, which must outlive the history. Keeps the last `limit` steps.
    explicit UndoHistory(MemoryCodeModule& module, std::size_t limit = 200);
    ~UndoHistory() override;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // The edits until the matching EndStep are one step called `name`. Steps nest: the
    // outermost one counts.
    void BeginStep(std::string name);
    void EndStep();
    // Edits made outside BeginStep and EndStep join the last step while it stays open; this
    // closes it, so that the next edit starts a step of its own.
    void CloseStep();

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The name of the step that Undo or Redo would take; empty when there is none.
    std::string UndoName() const;
    std::string RedoName() const;
    // Each step is known by a number of its own, kept when it is taken back or replayed, so
    // that a front end can tie the steps of several modules together; 0 when there is none.
    std::uint64_t UndoId() const { return undo_.empty() ? 0 : undo_.back().id; }
    std::uint64_t RedoId() const { return redo_.empty() ? 0 : redo_.back().id; }
    bool HoldsUndo(std::uint64_t id) const;
    bool HoldsRedo(std::uint64_t id) const;
    // Forgets what Redo would replay, as an edit does.
    void DropRedo() { redo_.clear(); }
    // Take back the last step, or replay the last one taken back. The first line the step
    // touched, or 0 when there was nothing to do.
    std::int32_t Undo();
    std::int32_t Redo();

    void LinesChanged(std::int32_t first, const std::vector<CodeLine>& removed,
                      std::int32_t added) override;

private:
    struct Edit {
        std::int32_t first = 0;
        std::vector<CodeLine> removed;
        std::int32_t added = 0;
    };
    struct Step {
        std::string name;
        std::vector<Edit> edits;
        std::uint64_t id = 0;
    };
    enum class Applying { Nothing, Undo, Redo };

    std::int32_t Apply(std::vector<Step>& from, std::vector<Step>& to, Applying applying);
    void Trim();
    void Push(std::string name);

    MemoryCodeModule& module_;
    std::size_t limit_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    int depth_ = 0;         // of BeginStep calls
    bool open_ = false;     // the last step of undo_ takes further edits
    bool started_ = false;  // BeginStep's step was made
    std::string name_;      // of the step that BeginStep asked for
    Applying applying_ = Applying::Nothing;
    std::uint64_t lastId_ = 0;
};

}  // namespace brindle::host
