#pragma once
// The wrappers of the IDE's objects, one class per interface of the model, each holding the
// automation object it calls. Inside this folder only.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "host/com/Dispatch.h"
#include "host/com/Editor.h"
#include "host/vb6/Scanner.h"
#include "model/Office.h"
#include "model/Selection.h"
#include "model/Vbide.h"

namespace brindle::host::com {

class Wrapper {
public:
    virtual ~Wrapper() = default;
};

// The wrappers of the IDE's objects that the add-in reaches during one call of the IDE (a click,
// a notification), one per object, found again by the object's identity: the references the
// model hands out stay valid until the outermost call is over. The IDE may hand out a new
// object each time it is asked, and the add-in keeps nothing it reached from one call to the
// next, so the wrappers go then.
class Registry : public std::enable_shared_from_this<Registry> {
public:
    explicit Registry(int codePage) : codePage_(codePage) {}

    int CodePage() const { return codePage_; }

    template <class T>
    T& Wrap(Object object) {
        const auto key = std::make_pair(object.Pointer().Identity(), std::type_index(typeid(T)));
        auto found = wrappers_.find(key);
        if (found == wrappers_.end()) {
            found = wrappers_.emplace(key, std::make_unique<T>(*this, std::move(object))).first;
        }
        return static_cast<T&>(*found->second);
    }

    // Between the two the call goes on; calls may nest (a click while a command waits). Each
    // call, nested ones too, starts from what the IDE says now: what wrappers read before is
    // forgotten.
    void Enter() {
        ++generation_;
        if (++depth_ == 1 && whenBegun_) {
            whenBegun_();
        }
    }
    void Leave() {
        if (--depth_ == 0) {
            wrappers_.clear();
            if (whenOver_) {
                whenOver_();
            }
        }
    }
    // Runs when each outermost call is over; it must not throw.
    void WhenOver(std::function<void()> hook) { whenOver_ = std::move(hook); }
    // Runs when each outermost call begins; it must not throw.
    void WhenBegun(std::function<void()> hook) { whenBegun_ = std::move(hook); }

    std::size_t Size() const { return wrappers_.size(); }

    // The controls the add-in made, which it deletes when it goes: the IDE keeps a hidden
    // control in its bar.
    void Made(Object control) { made_.push_back(std::move(control)); }
    std::vector<Object> TakeMade() { return std::exchange(made_, {}); }

    // Grows when a call begins and when the add-in edits a module through any wrapper: what a
    // wrapper read of a module holds while this stays the same. The IDE may hand out several
    // objects for one module, so an edit through one leaves the others to read again.
    std::uint64_t Generation() const { return generation_; }
    void Edited() { ++generation_; }

private:
    int codePage_;
    int depth_ = 0;
    std::uint64_t generation_ = 0;
    std::function<void()> whenOver_;
    std::function<void()> whenBegun_;
    std::map<std::pair<IUnknown*, std::type_index>, std::unique_ptr<Wrapper>> wrappers_;
    std::vector<Object> made_;
};

// A wrapper of one object, reached through the registry.
class Wrapped : public Wrapper {
public:
    Wrapped(Registry& registry, Object object) : registry_(registry), object_(std::move(object)) {}
    const Object& Self() const { return object_; }

protected:
    Registry& registry_;
    Object object_;
};

class ComCodeModule;
class ComCodePane;

// What the add-in read of one module, kept while only its own edits through the same wrapper
// changed the module: every call of the IDE is slow on a large module, and the core asks for
// the same lines, counts and procedures many times within one command.
struct ModuleMemo {
    std::uint64_t generation = 0;
    // The module's lines, all read in one call; an empty optional is a line the add-in wrote,
    // read back when asked (the IDE may lay it out its own way).
    std::optional<std::vector<std::optional<std::string>>> lines;
    bool linesUnkept = false;  // the IDE's lines did not split as counted; ask it each time
    std::optional<std::int32_t> declarationLines;
    std::map<std::int32_t, std::pair<std::string, vbext_ProcKind>> procOfLine;
    // By which of ProcStartLine, ProcBodyLine, ProcCountLines, the name and the kind.
    std::map<std::tuple<int, std::string, vbext_ProcKind>, std::int32_t> procLines;
    std::optional<std::int32_t> memberCount;
    std::map<std::string, std::shared_ptr<const Member>, std::less<>> memberByName;
    std::map<std::int32_t, std::shared_ptr<const Member>> memberByIndex;
    std::optional<std::vector<DeclaredMember>> scanned;
};

class ComProject final : public VBProject, public Wrapped {
public:
    using Wrapped::Wrapped;
    std::string Name() const override;
    brindle::VBComponents& VBComponents() override;
    vbext_ProjectProtection Protection() const override;
};

class ComComponents final : public VBComponents, public Wrapped {
public:
    using Wrapped::Wrapped;
    std::int32_t Count() const override;
    VBComponent& Item(std::int32_t index) override;
};

class ComComponent final : public VBComponent, public Wrapped {
public:
    using Wrapped::Wrapped;
    std::string Name() const override;
    vbext_ComponentType Type() const override;
    brindle::CodeModule& CodeModule() override;

private:
    ComCodeModule* code_ = nullptr;
};

// The members of a module: the IDE's own list where it has one. The VBA editor has none (it
// raises 438); there our own reading of the module's text stands in, with the types the IDE
// would give.
class ComMembers final : public Members {
public:
    explicit ComMembers(ComCodeModule& module) : module_(module) {}
    std::int32_t Count() const override;
    std::shared_ptr<const Member> Item(std::string_view name) const override;
    std::shared_ptr<const Member> Item(std::int32_t index) const override;

private:
    // Null in the VBA editor.
    std::optional<Object> Listed() const;
    const std::vector<DeclaredMember>& Scanned() const;

    ComCodeModule& module_;
    mutable bool unlisted_ = false;
};

class ComCodeModule final : public CodeModule, public Wrapped {
public:
    ComCodeModule(Registry& registry, Object object)
        : Wrapped(registry, std::move(object)), members_(*this) {}

    brindle::VBComponent& Parent() override;
    brindle::CodePane& CodePane() override;
    brindle::Members& Members() override { return members_; }

    std::int32_t CountOfLines() const override;
    std::string Lines(std::int32_t startLine, std::int32_t count) const override;
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

    // Beyond the model.
    std::int32_t CountOfDeclarationLines() const;
    void ReplaceLine(std::int32_t line, std::string_view text);

    // What was read of the module since anything else could have changed it.
    ModuleMemo& Memo() const;

private:
    using KnownLines = std::vector<std::optional<std::string>>;
    // The lines read, or null when they cannot be kept.
    KnownLines* Known() const;
    // Whether lines `first` to `last` are all read now (one call at most).
    bool ReadBack(std::int32_t first, std::int32_t last) const;
    std::int32_t ProcLine(int which, std::string_view member, std::string_view name,
                          vbext_ProcKind kind);
    std::optional<bool> FindKnown(std::string_view target, std::int32_t& startLine,
                                  std::int32_t& startColumn, std::int32_t& endLine,
                                  std::int32_t& endColumn, bool matchCase) const;
    // After an edit of the add-in's own: `edit` made the same change in the lines kept, or
    // returned false when it could not.
    template <class Edit>
    void Edited(Edit edit, bool membersKept = false);
    void Forget();
    // Whether lines `first` to `last` are ones whose change leaves the members scanned as they
    // were; `text` is what they become, or were.
    bool LeavesMembers(std::int32_t first, std::string_view text) const;

    // The count of lines as kept, or as the IDE says when nothing is kept.
    std::int32_t KnownCount() const;

    mutable ModuleMemo memo_;
    ComMembers members_;
    ComCodePane* pane_ = nullptr;

    friend class ComCodePane;
};

// The selection is the IDE's as it was when first read in a call, or as the add-in set it; from
// then on the add-in's own edits move it here as our in-memory IDE moves it. Whether the IDE
// moves a selection over lines inserted or deleted, and whether it takes one past the last
// line, it does not say.
class ComCodePane final : public CodePane, public Wrapped {
public:
    using Wrapped::Wrapped;
    brindle::CodeModule& CodeModule() override;
    void GetSelection(std::int32_t& startLine, std::int32_t& startColumn, std::int32_t& endLine,
                      std::int32_t& endColumn) const override;
    void SetSelection(std::int32_t startLine, std::int32_t startColumn, std::int32_t endLine,
                      std::int32_t endColumn) override;

    // Beyond the model.
    std::int32_t TopLine() const;
    void SetTopLine(std::int32_t line);

    // An edit of its module through its module's wrapper, which began at generation `before`.
    void LinesInserted(std::uint64_t before, std::int32_t line, std::int32_t count);
    void LinesDeleted(std::uint64_t before, std::int32_t line, std::int32_t count);
    void LinesKept(std::uint64_t before);

private:
    using Place = SelectionPlace;
    ComCodeModule& Module() const;
    // Whether the selection kept holds since `before`.
    bool Holds(std::uint64_t before);

    mutable ComCodeModule* module_ = nullptr;
    mutable std::optional<std::pair<Place, Place>> selection_;
    mutable std::uint64_t generation_ = 0;

    friend class ComCodeModule;
};

class ComWindow final : public Window {
public:
    explicit ComWindow(Object object) : object_(std::move(object)) {}
    std::string Caption() const override;
    vbext_WindowType Type() const override;
    bool Visible() const override;
    void SetVisible(bool visible) override;
    void Close() override;

private:
    Object object_;
};

class ComWindows final : public Windows, public Wrapped {
public:
    using Wrapped::Wrapped;
    std::int32_t Count() const override;
    std::shared_ptr<Window> Item(std::int32_t index) override;
};

class ComControl final : public CommandBarControl {
public:
    explicit ComControl(Object object) : object_(std::move(object)) {}
    const Object& Self() const { return object_; }

    std::string Caption() const override;
    void SetCaption(std::string_view caption) override;
    bool BeginGroup() const override;
    void SetBeginGroup(bool beginGroup) override;
    bool Visible() const override;
    void SetVisible(bool visible) override;

    // Beyond the model.
    void Delete();

private:
    Object object_;
};

class ComControls final : public CommandBarControls, public Wrapped {
public:
    using Wrapped::Wrapped;
    std::int32_t Count() const override;
    std::shared_ptr<CommandBarControl> Item(std::int32_t index) override;
    std::shared_ptr<CommandBarControl> Add(MsoControlType type, std::optional<std::int32_t> id,
                                           std::optional<std::string> parameter,
                                           std::optional<std::int32_t> before,
                                           bool temporary) override;
};

class ComCommandBar final : public CommandBar, public Wrapped {
public:
    using Wrapped::Wrapped;
    std::string Name() const override;
    CommandBarControls& Controls() override;
};

// The bars by the VB6 IDE's names, which the model uses, asked of the editor by its own.
class ComCommandBars final : public CommandBars, public Wrapped {
public:
    ComCommandBars(Registry& registry, Object object, Editor editor)
        : Wrapped(registry, std::move(object)), editor_(editor) {}
    CommandBar* Item(std::string_view name) override;

private:
    // Null when the IDE has no bar of that name or index.
    CommandBar* ItemBy(const Arg& nameOrIndex);

    Editor editor_;
};

// The click events of the add-in's buttons: in the VB6 IDE through VBE.Events, in the VBA
// editor through each button's own Office event, as VBE.Events can bring 64-bit Office down.
class ComEvents final : public Events {
public:
    ComEvents(Registry& registry, Object vbe, Editor editor)
        : registry_(registry), vbe_(std::move(vbe)), editor_(editor) {}
    std::shared_ptr<brindle::CommandBarEvents> CommandBarEvents(
        CommandBarControl& control) override;

private:
    std::shared_ptr<brindle::CommandBarEvents> IdeEventsOf(const Object& control);

    Registry& registry_;
    Object vbe_;
    Editor editor_;
};

class ComAddIn final : public AddIn, public Wrapped {
public:
    using Wrapped::Wrapped;
    std::string Description() const override;
    bool Connect() const override;
    void SetConnect(bool connect) override;

    // Beyond the model.
    std::string ProgId() const;
};

class ComAddins final : public Addins, public Wrapped {
public:
    using Wrapped::Wrapped;
    AddIn& Item(std::string_view name) override;
    void Update() override;
};

}  // namespace brindle::host::com
