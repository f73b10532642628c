#include "host/ide/UndoHistory.h"

#include <algorithm>
#include <utility>

namespace brindle::host {

namespace {

constexpr const char* kTyping = "Typing";

}  // namespace

UndoHistory::UndoHistory(MemoryCodeModule& module, std::size_t limit)
    : module_(module), limit_(limit) {
    module_.AddListener(*this);
}

UndoHistory::~UndoHistory() {
    module_.RemoveListener(*this);
}

void UndoHistory::BeginStep(std::string name) {
    if (depth_++ == 0) {
        name_ = std::move(name);
        started_ = false;
        open_ = false;
    }
}

void UndoHistory::EndStep() {
    if (depth_ > 0 && --depth_ == 0) {
        open_ = false;
    }
}

void UndoHistory::CloseStep() {
    if (depth_ == 0) {
        open_ = false;
    }
}

std::string UndoHistory::UndoName() const {
    return undo_.empty() ? std::string() : undo_.back().name;
}

std::string UndoHistory::RedoName() const {
    return redo_.empty() ? std::string() : redo_.back().name;
}

bool UndoHistory::HoldsUndo(std::uint64_t id) const {
    return std::any_of(undo_.begin(), undo_.end(),
                       [id](const Step& step) { return step.id == id; });
}

bool UndoHistory::HoldsRedo(std::uint64_t id) const {
    return std::any_of(redo_.begin(), redo_.end(),
                       [id](const Step& step) { return step.id == id; });
}

std::int32_t UndoHistory::Undo() {
    return Apply(undo_, redo_, Applying::Undo);
}

std::int32_t UndoHistory::Redo() {
    return Apply(redo_, undo_, Applying::Redo);
}

// Puts back each edit of the last step of `from`, the last edit first. The module tells the
// history of each, which becomes the step pushed onto `to`.
std::int32_t UndoHistory::Apply(std::vector<Step>& from, std::vector<Step>& to, Applying applying) {
    if (from.empty() || depth_ > 0) {
        return 0;
    }
    Step step = std::move(from.back());
    from.pop_back();
    to.push_back({step.name, {}, step.id});
    open_ = false;
    applying_ = applying;
    std::int32_t first = 0;
    for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit) {
        first = first == 0 ? edit->first : std::min(first, edit->first);
        module_.RestoreLines(edit->first, edit->added, std::move(edit->removed));
    }
    applying_ = Applying::Nothing;
    return first;
}

void UndoHistory::LinesChanged(std::int32_t first, const std::vector<CodeLine>& removed,
                               std::int32_t added) {
    Edit edit{first, {}, added};
    edit.removed.reserve(removed.size());
    for (const CodeLine& line : removed) {
        edit.removed.push_back(CopyOf(line));
    }
    if (applying_ != Applying::Nothing) {
        (applying_ == Applying::Undo ? redo_ : undo_).back().edits.push_back(std::move(edit));
        return;
    }
    redo_.clear();
    if (depth_ > 0 && !started_) {
        Push(name_);
        started_ = true;
    } else if (depth_ == 0 && !open_) {
        Push(kTyping);
        open_ = true;
    }
    undo_.back().edits.push_back(std::move(edit));
    Trim();
}

void UndoHistory::Push(std::string name) {
    undo_.push_back({std::move(name), {}, ++lastId_});
}

void UndoHistory::Trim() {
    if (undo_.size() > limit_) {
        undo_.erase(undo_.begin(),
                    undo_.begin() + static_cast<std::ptrdiff_t>(undo_.size() - limit_));
    }
}

}  // namespace brindle::host
