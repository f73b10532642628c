#include "cli/stream/ModuleStream.h"

#include <algorithm>
#include <utility>

#include "cli/report/RunLog.h"
#include "cli/report/UnifiedDiff.h"
#include "cli/stream/Background.h"
#include "cli/stream/Interruption.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectLoader.h"
#include "model/VbError.h"

namespace brindle::cli {
namespace {

// Modules loaded ahead of the one the add-in works on, and modules still being written behind
// it: enough to keep the other threads busy, few enough to keep memory low.
constexpr std::size_t kLoadedAhead = 8;
constexpr std::size_t kBeingWritten = 8;
// Writing waits on the disk more than on a processor.
constexpr unsigned kWriters = 4;
constexpr std::size_t kHeldDiffs = 32 << 20;

ModuleOutcome LeftAlone(std::string subject, std::string problem) {
    return {false, std::move(subject), std::move(problem), {}, {}};
}

}  // namespace

// --- ModuleFinisher ---

ModuleFinisher::ModuleFinisher(Work work, std::ostream& out)
    : work_(work), out_(out), workers_(kWriters) {}

ModuleFinisher::~ModuleFinisher() = default;

void ModuleFinisher::Add(Job job) {
    auto shared = std::make_shared<Job>(std::move(job));
    pending_.push_back(Start(workers_, [this, shared] { return Finish(*shared); }));
    Collect(kBeingWritten);
}

void ModuleFinisher::Add(ModuleOutcome outcome) {
    std::promise<Finished> settled;
    settled.set_value({std::move(outcome), {}});
    pending_.push_back(settled.get_future());
    Collect(kBeingWritten);
}

std::vector<ModuleOutcome> ModuleFinisher::Outcomes() {
    Collect(0);
    out_ << heldDiffs_;
    heldDiffs_.clear();
    SaveDocuments();
    for (auto& [folder, problem] : written_.Sync()) {
        done_.push_back(LeftAlone(host::TextOf(folder), problem));
    }
    return std::move(done_);
}

void ModuleFinisher::Collect(std::size_t keep) {
    while (!pending_.empty() &&
           (pending_.size() > keep ||
            pending_.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready)) {
        auto [outcome, diff] = pending_.front().get();
        pending_.pop_front();
        if (!printing_ && heldDiffs_.size() + diff.size() <= kHeldDiffs) {
            heldDiffs_ += diff;
        } else {
            printing_ = true;
            out_ << heldDiffs_ << diff;
            heldDiffs_ = std::string();
        }
        done_.push_back(std::move(outcome));
    }
}

// A document's changed modules were taken by the document; each document is written now, whole,
// and its modules were written only if it was.
void ModuleFinisher::SaveDocuments() {
    if (work_ != Work::Write) {
        return;
    }
    std::vector<host::DocumentFile*> saved;
    for (auto& outcome : done_) {
        auto* document = outcome.document.get();
        if (document == nullptr || !outcome.changed ||
            std::find(saved.begin(), saved.end(), document) != saved.end()) {
            continue;
        }
        saved.push_back(document);
        const host::SaveResult result =
            Interrupted() ? host::SaveResult{false, "interrupted"} : document->Save(&written_);
        for (auto& other : done_) {
            if (other.document.get() == document) {
                other.changed = other.changed && result.written;
            }
        }
        if (!result.problem.empty() && !Interrupted()) {
            done_.push_back(LeftAlone(document->Label(), result.problem));
        }
    }
}

// A failure here concerns this module alone: the others are still done.
ModuleFinisher::Finished ModuleFinisher::Finish(Job& job) {
    try {
        const host::MemoryComponent& component = job.owned ? *job.owned : *job.component;
        // A module loaded exactly and never edited still gives the bytes it came from.
        if (work_ == Work::Release || Interrupted() || !component.Modified()) {
            return {};
        }
        const std::string bytes = component.Serialize();
        job.owned.reset();
        if (bytes == job.original) {
            return {};
        }
        if (work_ == Work::Diff) {
            return {{true, {}, {}, job.label, {}}, UnifiedDiff(job.diffName, job.original, bytes)};
        }
        if (job.document) {
            job.document->Change(job.inDocument, bytes);
            return {{true, {}, {}, job.label, std::move(job.document)}, {}};
        }
        const host::SaveResult saved = host::WriteModule(job.path, job.original, bytes, &written_);
        return {saved.problem.empty() ? ModuleOutcome{saved.written, {}, {}, job.label, {}}
                                      : LeftAlone(job.label, saved.problem),
                {}};
    } catch (const host::ModuleFileError& e) {
        return {LeftAlone(job.label, "not written: " + e.Detail()), {}};
    } catch (const std::exception& e) {
        return {LeftAlone(job.label, std::string("not written: ") + e.what()), {}};
    }
}

// --- ModuleStream ---

ModuleStream::ModuleStream(std::vector<ModuleEntry> entries, int codePage, bool index,
                           ModuleFinisher& finisher, Prepare prepare)
    : entries_(std::move(entries)),
      codePage_(codePage),
      index_(index),
      finisher_(finisher),
      prepare_(std::move(prepare)),
      loads_(entries_.size()),
      taken_(entries_.size()) {
    LoadAhead(0);
}

ModuleStream::~ModuleStream() = default;

host::MemoryComponent* ModuleStream::Take(std::size_t index) {
    // The user's answer, when a question was put, is in: from here on modules are written.
    DeferInterruptions();
    if (index < passed_ || Interrupted()) {
        return nullptr;
    }
    Pass(index);
    LoadAhead(index);
    auto& taken = taken_[index];
    if (!taken) {
        taken = loads_[index].get();
    }
    return taken->component.get();
}

VBComponent* ModuleStream::Reach(std::size_t index) {
    auto* component = Take(index);
    if (component == nullptr && Interrupted()) {
        Raise(Err::InvalidCall, kInterruptedSource);
    }
    return component;
}

const host::MemoryComponent* ModuleStream::InHand(std::string_view label) const {
    // Taking an entry passes those before it, so the ones in hand start at passed_.
    for (std::size_t i = passed_; i < taken_.size() && taken_[i]; ++i) {
        if (entries_[i].label == label) {
            return taken_[i]->component.get();
        }
    }
    return nullptr;
}

void ModuleStream::Pass(std::size_t end) {
    for (; passed_ < end; ++passed_) {
        auto& taken = taken_[passed_];
        loads_[passed_] = {};  // one that was loaded ahead but never taken has nothing to keep
        if (!taken) {
            continue;
        }
        if (Interrupted()) {
            // Abandoned: its file stays as it was.
        } else if (taken->leftAlone) {
            finisher_.Add(std::move(*taken->leftAlone));
        } else {
            const auto& entry = entries_[passed_];
            finisher_.Add(ModuleFinisher::Job{
                nullptr, std::move(taken->component), std::move(taken->original), entry.label,
                entry.diffName, entry.path, entry.document, entry.inDocument});
        }
        taken.reset();
    }
}

void ModuleStream::ForEach(const Work& work) {
    for (std::size_t i = passed_; i < entries_.size(); ++i) {
        auto* component = Take(i);
        if (component == nullptr) {
            break;
        }
        if (component->Code() != nullptr) {
            work(i, entries_[i], *component);
        }
        Pass(i + 1);
    }
}

void ModuleStream::LoadAhead(std::size_t from) {
    const std::size_t end = std::min(entries_.size(), from + kLoadedAhead + 1);
    for (std::size_t i = from; i < end; ++i) {
        if (!loads_[i].valid() && !taken_[i]) {
            loads_[i] = Start(workers_, [this, i] { return Load(i); });
        }
    }
}

// A module whose file can no longer be loaded as it could when the command began becomes a
// component without code, left as it is.
ModuleStream::Loaded ModuleStream::Load(std::size_t index) const {
    const ModuleEntry& entry = entries_[index];
    Loaded loaded;
    try {
        auto [component, original] = entry.document ? entry.document->LoadModule(entry.inDocument)
                                                    : host::LoadExactly(entry.path, codePage_);
        if (index_ && component->Code()) {
            component->Code()->DeclaredMembers();
        }
        if (prepare_ && component->Code()) {
            prepare_(index, *component);
        }
        loaded.component = std::move(component);
        loaded.original = std::move(original);
    } catch (const host::ModuleFileError& e) {
        // At the project's line that names it.
        loaded.leftAlone = LeftAlone(entry.where, entry.label + ": " + e.Detail() +
                                                      "; left alone, the other modules are done");
    } catch (const host::LoadError& e) {
        loaded.leftAlone = LeftAlone(entry.where, e.what());
    }
    if (!loaded.component) {
        const auto type = host::ModuleTypeOfExtension(entry.path);
        loaded.component = std::make_unique<host::MemoryComponent>(
            entry.name, type.value_or(vbext_ct_StdModule), std::nullopt);
    }
    return loaded;
}

}  // namespace brindle::cli
