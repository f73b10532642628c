#pragma once
// Our object model over the IDE's own objects, for the add-in inside the VB6 IDE or Office's
// VBA editor: every member is called by name through IDispatch, as the objects that
// OnConnection hands over offer them.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/com/Dispatch.h"
#include "host/com/Editor.h"
#include "model/Office.h"
#include "model/Vbide.h"

namespace brindle::host::com {

class Registry;
class ComWindows;
class ComCommandBars;
class ComEvents;
class ComAddins;

// The code page the IDE converts its strings with: the system's ANSI code page.
int SystemCodePage();

// The event sinks handed to the IDE that it has not let go yet; the module that holds their
// code must stay loaded until none is left.
long LiveEventSinks();

class ComVbe final : public VBE {
public:
    // `vbe` is the VBInst of OnConnection; text crosses in `codePage`.
    explicit ComVbe(DispatchPtr vbe, int codePage = SystemCodePage());
    ~ComVbe() override;
    ComVbe(const ComVbe&) = delete;
    ComVbe& operator=(const ComVbe&) = delete;

    brindle::CodePane* ActiveCodePane() override;
    VBProject* ActiveVBProject() override;
    brindle::Windows& Windows() override;
    brindle::CommandBars& CommandBars() override;
    brindle::Events& Events() override;
    brindle::Addins& Addins() override;

    // The IDE that answers, asked once.
    Editor WhichEditor();

    // The add-in list's entry that OnConnection hands over with VBInst.
    AddIn& WrapAddIn(DispatchPtr addIn);

    // One call of the IDE into the add-in (a notification; a click holds its own): what the
    // add-in reaches of the IDE meanwhile is let go when the outermost call is over.
    // Runs when each outermost call of the IDE into the add-in (a click, a notification) is
    // over, with what it reached let go; it must not throw.
    void WhenCallsEnd(std::function<void()> hook);
    // Runs when each outermost call begins, before the add-in sees it; it must not throw.
    void WhenCallsBegin(std::function<void()> hook);

    // The project's file as UTF-8 (the VB6 IDE's project file, the VBA editor's document);
    // empty when it has none yet or the IDE does not say.
    std::string FileOf(VBProject& project);
    // The component's own file as UTF-8 (FileNames(1)); empty where the IDE keeps none: the
    // VBA editor's components live in their document.
    std::string FileOf(VBComponent& component);

    class Reach {
    public:
        explicit Reach(ComVbe& vbe);
        ~Reach();
        Reach(const Reach&) = delete;
        Reach& operator=(const Reach&) = delete;

    private:
        std::shared_ptr<Registry> registry_;
    };

    // Deletes the controls the add-in made through this object model.
    void DeleteControls() noexcept;

    // How many of the IDE's objects the add-in holds now, beside the environment's lists.
    std::size_t Held() const;

private:
    template <class T>
    T& List(std::unique_ptr<T>& list, std::string_view name);

    Object vbe_;
    std::optional<Editor> editor_;
    std::shared_ptr<Registry> registry_;
    std::unique_ptr<ComWindows> windows_;
    std::unique_ptr<ComCommandBars> commandBars_;
    std::unique_ptr<ComEvents> events_;
    std::unique_ptr<ComAddins> addins_;
};

}  // namespace brindle::host::com
