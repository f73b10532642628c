#pragma once
// The IDE's object model as automation objects over our in-memory IDE: what the real IDE hands
// an add-in at OnConnection, answering by name through IDispatch with the real object model's
// members, argument orders and types, for testing the add-in's COM side under Wine. Every
// Invoke is counted by member name.

#include <oaidl.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/ide/Ide.h"

namespace brindle::test {

// The VB6 IDE, or Office's VBA editor: its VBE has no FullName and answers Version "7.01", its
// code module has no Members (error 438), its project window's context menu is "Project
// Window", and its components include documents (type 100).
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
    // The IDE must outlive this object and every automation object handed out. `addins` are
    // the add-in list's entries, by ProgID, over the IDE's list of descriptions.
    AutomationIde(host::MemoryVBE& vbe, IdeKind kind,
                  std::vector<AddinEntry> addins = {
                      {"VBBrindle.Brindle", std::string(kAddinDescription)}});
    ~AutomationIde();
    AutomationIde(const AutomationIde&) = delete;
    AutomationIde& operator=(const AutomationIde&) = delete;

    // Both are held by this object; a caller that keeps one takes a reference of its own.
    IDispatch* Vbe();
    // The add-in list's entry of that ProgID, as OnConnection receives it; null when the list
    // has none.
    IDispatch* AddIn(std::string_view progId);

    // Addins.Update calls `handler` with every entry and its Connect, after our IDE has acted
    // on the add-ins it connected itself: an add-in connected through COM is the caller's to
    // disconnect (OnDisconnection) or connect, as the IDE would.
    void OnUpdate(std::function<void(const AddinEntry& entry, bool connect)> handler);

    // Where a locked project refuses its components; the editor does not say which.
    enum class LockPoint { Components, CountAndItem, CodeModule };
    // Locks the project of that name for viewing, as a password does in the VBA editor: its
    // Protection answers 1 (vbext_pp_locked) and it raises 50289 at `at` from then on. The VB6
    // IDE locks no project, and its projects have no Protection.
    void Lock(std::string_view project, LockPoint at = LockPoint::Components);

    // The file VBProject.FileName answers for the project of that name: the VB6 IDE's project
    // file, the VBA editor's document; none (empty) until set.
    void SetProjectFile(std::string_view project, const std::filesystem::path& file);

    void Behave(Unpublished behaviour);

    // The `nth` call of `member` from now on fails, as any call of an IDE may.
    void FailAt(std::string_view member, int nth);

    // The window VBE.MainWindow.HWnd answers; none (0) until set. The caller keeps it alive.
    void SetMainWindow(HWND window);

    const CallCounts& Calls() const;
    void ResetCalls();

    struct State;

private:
    std::shared_ptr<State> state_;
    IDispatch* vbe_ = nullptr;
    std::map<std::string, IDispatch*, std::less<>> addinObjects_;
};

}  // namespace brindle::test
