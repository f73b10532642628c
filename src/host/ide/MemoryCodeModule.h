#pragma once
// A code module held in memory, answering as the IDE's code module does.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/ide/LineStore.h"
#include "host/ide/SourceLine.h"
#include "host/vb6/Scanner.h"
#include "model/Selection.h"
#include "model/Vbide.h"
#include "util/Text.h"

namespace brindle::host {

class MemoryCodeModule;

class MemoryCodePane final : public CodePane {
public:
    explicit MemoryCodePane(MemoryCodeModule& module) : module_(module) {}

    brindle::CodeModule& CodeModule() override;
    void GetSelection(std::int32_t& startLine, std::int32_t& startColumn, std::int32_t& endLine,
                      std::int32_t& endColumn) const override;
    // Lines run from 1 to one past the last line; columns from 1. Out of range raises 9 (a
    // line) or 5 (a column). An end before the start is swapped with it.
    void SetSelection(std::int32_t startLine, std::int32_t startColumn, std::int32_t endLine,
                      std::int32_t endColumn) override;

    // Keeps the selection on the same text when lines are inserted or deleted.
    void LinesInserted(std::int32_t line, std::int32_t count);
    void LinesDeleted(std::int32_t line, std::int32_t count);

private:
    using Position = SelectionPlace;
    MemoryCodeModule& module_;
    Position start_;
    Position end_;
};

// Lines that the items of an index from `from` on owe: they stand `delta` lines further down
// than they say.
struct OwedShift {
    std::size_t from = static_cast<std::size_t>(-1);
    std::int32_t delta = 0;

    std::int32_t To(std::size_t i) const { return i >= from ? delta : 0; }
    // Pays what the items before `end` owe.
    template <class Item, class Move>
    void Settle(std::vector<Item>& items, std::size_t end, Move move) {
        for (; from < end; ++from) {
            move(items[from], delta);
        }
    }
    // The items from `begin` on move `more` lines further; those before it owe nothing after.
    template <class Item, class Move>
    void Owe(std::vector<Item>& items, std::size_t begin, std::int32_t more, Move move) {
        Settle(items, begin, move);
        if (delta == 0 || from >= items.size()) {
            from = begin;
            delta = more;
            return;
        }
        for (std::size_t i = begin; i < from; ++i) {
            move(items[i], more);
        }
        delta += more;
    }
};

class MemoryMembers final : public Members {
public:
    explicit MemoryMembers(MemoryCodeModule& module) : module_(module) {}
    std::int32_t Count() const override;
    std::shared_ptr<const Member> Item(std::string_view name) const override;
    std::shared_ptr<const Member> Item(std::int32_t index) const override;

private:
    MemoryCodeModule& module_;
};

// One procedure as the index knows it, with its span's last line.
struct ProcedureInfo {
    Procedure procedure;
    std::int32_t lastLine = 0;
    vbext_MemberType memberType = vbext_mt_Method;
};

// Told of every change of a module's lines once it is made, for views and undo histories.
class LineListener {
public:
    virtual ~LineListener() = default;
    // The `removed` lines that stood from line `first` on gave way to `added` lines there.
    virtual void LinesChanged(std::int32_t first, const std::vector<CodeLine>& removed,
                              std::int32_t added) = 0;
};

class MemoryCodeModule final : public CodeModule {
public:
    // `codePage` is the component's, which it may change.
    MemoryCodeModule(brindle::VBComponent& parent, const int& codePage,
                     std::vector<CodeLine> lines);

    brindle::VBComponent& Parent() override;
    brindle::CodePane& CodePane() override { return pane_; }
    brindle::Members& Members() override { return members_; }

    std::int32_t CountOfLines() const override;
    std::string Lines(std::int32_t startLine, std::int32_t count) const override;
    // A trailing line break in `text` adds an empty line, as in the IDE.
    void InsertLines(std::int32_t line, std::string_view text) override;
    void DeleteLines(std::int32_t startLine, std::int32_t count = 1) override;

    std::int32_t ProcStartLine(std::string_view name, vbext_ProcKind kind) override;
    std::int32_t ProcBodyLine(std::string_view name, vbext_ProcKind kind) override;
    std::int32_t ProcCountLines(std::string_view name, vbext_ProcKind kind) override;
    std::string ProcOfLine(std::int32_t line, vbext_ProcKind& kind) override;

    bool Find(std::string_view target, std::int32_t& startLine, std::int32_t& startColumn,
              std::int32_t& endLine, std::int32_t& endColumn, bool wholeWord = false,
              bool matchCase = false, bool patternSearch = false) override;

    std::string FromUnicode(std::string_view utf8) const override;
    std::string ToUnicode(std::string_view text) const override;

    // Beyond the IDE's model, for our own front ends and tests.

    // The line of the procedure's End statement, 0 when it has none; unknown raises 35.
    std::int32_t ProcEndLine(std::string_view name, vbext_ProcKind kind);
    // Every procedure in module order (alternative declarations under #If count once).
    std::vector<ProcedureInfo> Procedures();
    // The module's members as the scanner found them, in declaration order.
    const std::vector<DeclaredMember>& DeclaredMembers();

    // Replaces the text of one line; its line break and attribute lines stay.
    void ReplaceLine(std::int32_t line, std::string_view text);
    // Puts `lines` in place of the `count` lines from `first` on, attribute lines and breaks
    // as given: how an undo history takes an edit back exactly.
    void RestoreLines(std::int32_t first, std::int32_t count, std::vector<CodeLine> lines);

    // Listeners must stay alive until they are removed.
    void AddListener(LineListener& listener);
    void RemoveListener(LineListener& listener);

    // Drops the index, for a change the module cannot see (its code page).
    void Rescan() { indexValid_ = false; }

    // The lines with the hidden attribute lines attached to them.
    const LineStore& StoredLines() const { return lines_; }
    // Grows with every edit.
    std::uint64_t Version() const { return version_; }

private:
    const ModuleIndex& Index() const;
    const Procedure& Find(std::string_view name, vbext_ProcKind kind, std::string_view operation);
    void CheckLine(std::int32_t line, std::int32_t last, std::string_view operation) const;
    std::vector<SourceLine> AttributesOfInertLines(std::int32_t line, std::int32_t count);
    bool ShiftIndexForInsert(std::int32_t line, const std::vector<std::string_view>& added);
    bool ShiftIndexForDelete(std::int32_t line, std::int32_t count);
    bool InsideBody(std::int32_t line) const;
    std::size_t FirstProcedure(std::int32_t Procedure::*field, std::int32_t line) const;
    bool ContinuesIntoLine(std::int32_t line) const;
    void Shift(std::int32_t from, std::int32_t delta);
    std::vector<CodeLine> CopyLines(std::int32_t first, std::int32_t count) const;
    void Notify(std::int32_t first, const std::vector<CodeLine>& removed, std::int32_t added);

    friend class MemoryMembers;

    brindle::VBComponent& parent_;
    const int& codePage_;
    LineStore lines_;
    MemoryCodePane pane_;
    MemoryMembers members_;
    std::uint64_t version_ = 0;
    std::vector<LineListener*> listeners_;

    mutable ModuleIndex index_;
    mutable bool indexValid_ = false;
    using ByName = std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual>;
    mutable std::array<ByName, vbext_pk_Get + 1> byName_;  // procedures, by kind
    mutable ByName memberByName_;                          // the first of a name
    mutable OwedShift owedProcedures_;
    mutable OwedShift owedMembers_;
};

}  // namespace brindle::host
