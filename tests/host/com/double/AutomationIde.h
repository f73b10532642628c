#pragma once
// The IDE's object model as automation objects over our in-memory IDE: what the real IDE hands
// an add-in at OnConnection, answering by name through IDispatch with the real object model's
// members, argument orders and types, for testing the add-in's COM side under Wine. Every
// Invoke is counted by member name.

#include <oaidl.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/ide/Ide.h"

namespace brindle::test {

// The VB6 IDE, or Office's VBA editor: its VBE has no FullName, its code module has no Members
// (error 438), its project window's context menu is "Project Window", and its components include
// documents (type 100).
enum class IdeKind { Vb6, Vba };

// Every call an add-in makes of the double: each Invoke under its member's name, and the
// lookups and event connections under "GetIDsOfNames", "Advise" and "Unadvise".
struct CallCounts {
    std::map<std::string, int, std::less<>> byMember;
    int total = 0;

    int Of(std::string_view member) const {
        const auto it = byMember.find(member);
        return it == byMember.end() ? 0 : it->second;
    }
};

// An entry of the add-in list: its ProgID and its description in our in-memory list.
struct AddinEntry {
    std::string progId;
    std::string description;
};

// What the IDEs do where they publish nothing, chosen per test, as an add-in must be right with
// either: the defaults are what our in-memory IDE does.
struct Unpublished {
    // Edits above and inside a code pane's selection move it with the lines, or leave it on the
    // same line numbers.
    bool selectionFollowsEdits = true;
    // SetSelection past the last line is clamped to the end of that line, or refused with 5.
    bool selectionPastEndClamped = true;
    // InsertLines of text ending in a line break adds an empty line after it, or does not.
    bool trailingBreakAddsLine = true;
    // A failure comes as DISP_E_EXCEPTION with an EXCEPINFO, or as the bare HRESULT of VB's
    // error number.
    bool failuresWithoutExceptionInfo = false;
};

class AutomationIde {
public:
    // The IDE must outlive this object and every automation object handed out. The add-in list
    // holds ours, by ProgID, over the IDE's list of descriptions.
    AutomationIde(host::MemoryVBE& vbe, IdeKind kind);
    ~AutomationIde();
    AutomationIde(const AutomationIde&) = delete;
    AutomationIde& operator=(const AutomationIde&) = delete;

    // Both are held by this object; a caller that keeps one takes a reference of its own.
    IDispatch* Vbe();
    // Our add-in's entry in the add-in list, as OnConnection receives it.
    IDispatch* AddIn();

    // Where a locked project refuses its components; the editor does not say which.
    enum class LockPoint { Components, CountAndItem, CodeModule };

    // What a test sets of the IDE, at any time.
    struct Settings {
        Unpublished unpublished;
        // Projects locked for viewing, by name, as a password does in the VBA editor: their
        // Protection answers 1 (vbext_pp_locked) and they raise 50289 at `lockPoint`. The VB6
        // IDE locks no project, and its projects have no Protection.
        std::set<std::string, std::less<>> locked;
        LockPoint lockPoint = LockPoint::Components;
        // VBProject.FileName of each project, by name: the VB6 IDE's project file, the VBA
        // editor's document; none (empty) until set.
        std::map<std::string, std::u16string, std::less<>> projectFiles;
        // The window VBE.MainWindow.HWnd answers; none (0) until set. The test keeps it alive.
        HWND mainWindow = nullptr;
        // Addins.Update calls it with every entry and its Connect, after our IDE has acted on
        // the add-ins it connected itself: an add-in connected through COM is the caller's to
        // disconnect (OnDisconnection) or connect, as the IDE would.
        std::function<void(const AddinEntry& entry, bool connect)> onUpdate;
    };
    Settings& Set();

    // The `nth` call of `member` from now on fails, as any call of an IDE may.
    void FailAt(std::string_view member, int nth);

    const CallCounts& Calls() const;
    void ResetCalls();

    struct State;

private:
    std::shared_ptr<State> state_;
    IDispatch* vbe_ = nullptr;
    IDispatch* addin_ = nullptr;
};

}  // namespace brindle::test
