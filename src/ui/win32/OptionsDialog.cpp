#include "ui/win32/OptionsDialog.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <initguid.h>
#include <oleacc.h>
#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/SettingsKeys.h"
#include "ui/win32/DialogAnswers.h"
#include "ui/win32/WinText.h"
#include "ui/win32/WinUtils.h"
#include "util/DateFormat.h"

namespace brindle::ui::win32 {

// Places within a tab's page, or below the tabs within the client area.
const std::array<ControlPlace, kOptionsForm.size()> kOptionsPlaces = {{
    {1001, {12, 12, 96, 35}},
    {1002, {104, 12, 436, 35}},
    {1003, {12, 48, 436, 68}},
    {1004, {12, 76, 436, 96}},
    {1005, {12, 104, 436, 124}},
    {1006, {12, 132, 96, 155}},
    {1007, {104, 132, 436, 155}},
    {1010, {12, 12, 172, 37}},
    {1011, {180, 13, 436, 36}},
    {1012, {12, 46, 172, 71}},
    {1013, {180, 47, 436, 70}},
    {1014, {12, 80, 172, 105}},
    {1015, {180, 81, 436, 104}},
    {1016, {12, 114, 172, 139}},
    {1017, {180, 115, 436, 138}},
    {1020, {12, 207, 290, 233}},
    {IDOK, {310, 207, 388, 233}},
    {IDCANCEL, {394, 207, 472, 233}},
}};

namespace {

constexpr SIZE kClientSize{480, 242};
// What the note on greyed fields adds below the tabs.
constexpr int kTeamNoteHeight = 40;
constexpr RECT kTabPlace{8, 8, 472, 196};
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr UINT kVisitMessage = WM_APP + 1;
constexpr UINT kVisitEndMessage = WM_APP + 2;
constexpr int kTabCount = 2;
constexpr const wchar_t* kTabNames[kTabCount] = {L"General", L"Templates"};
// "*.*" matches every file here, those without an extension too.
constexpr wchar_t kFilter[] = L"Text (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
constexpr const wchar_t* kDefaultExt = L"txt";

constexpr std::size_t kDateBox = IndexOf("txtDateFormat");

// The control of that id in kOptionsForm; its size for none.
std::size_t IndexOfId(int id) {
    std::size_t i = 0;
    while (i < kOptionsPlaces.size() && kOptionsPlaces[i].id != id) {
        ++i;
    }
    return i;
}

const wchar_t* WindowClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return L"Static";
        case ControlKind::TextBox:
            return L"Edit";
        case ControlKind::CheckBox:
        case ControlKind::Button:
            break;
    }
    return L"Button";
}

DWORD StyleOf(const OptionsFormControl& control, int id) {
    switch (control.kind) {
        case ControlKind::TextBox:
            return WS_TABSTOP | ES_AUTOHSCROLL;
        case ControlKind::Label:
            // centred on its row; a label's access key goes to the box after it
            return SS_LEFT | SS_CENTERIMAGE | (control.tab < 0 ? SS_NOPREFIX : 0);
        case ControlKind::CheckBox:
            return WS_TABSTOP | BS_AUTOCHECKBOX;
        case ControlKind::Button:
            break;
    }
    return WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

// The names that screen readers give the template boxes, which have a button, not a label,
// before them. Without the system's annotation service (no COM on the thread) they have none.
class BoxNames {
public:
    BoxNames() {
        if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IAccPropServices, reinterpret_cast<void**>(&service_)))) {
            service_ = nullptr;
        }
    }
    ~BoxNames() {
        Clear();
        if (service_ != nullptr) {
            service_->Release();
        }
    }
    BoxNames(const BoxNames&) = delete;
    BoxNames& operator=(const BoxNames&) = delete;

    void Name(HWND box, const wchar_t* name) {
        if (service_ != nullptr &&
            SUCCEEDED(service_->SetHwndPropStr(box, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                               PROPID_ACC_NAME, name))) {
            named_.push_back(box);
        }
    }
    // Before the boxes go.
    void Clear() {
        for (HWND box : std::exchange(named_, {})) {
            service_->ClearHwndProps(box, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                     &PROPID_ACC_NAME, 1);
        }
    }

private:
    IAccPropServices* service_ = nullptr;
    std::vector<HWND> named_;
};

class Win32Options;

Win32Options* OptionsOf(HWND window) {
    return reinterpret_cast<Win32Options*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// With visual styles a page shows the tab's own body behind its controls, as the system's
// property pages do; without them, the dialog's colour.
bool PaintBody(HWND page, HDC dc) {
    if (!IsAppThemed()) {
        return false;
    }
    HTHEME theme = OpenThemeData(page, L"TAB");
    if (theme == nullptr) {
        return false;
    }
    RECT area{};
    GetClientRect(page, &area);
    DrawThemeBackground(theme, dc, TABP_BODY, 0, &area, nullptr);
    CloseThemeData(theme);
    return true;
}

// A tab's page hands its controls' notifications to the form.
LRESULT CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
            return SendMessageW(GetParent(window), message, wParam, lParam);
        case WM_ERASEBKGND:
            if (PaintBody(window, reinterpret_cast<HDC>(wParam))) {
                return 1;
            }
            break;
        case WM_PRINTCLIENT:  // themed check boxes draw their parent's background first
            PaintBody(window, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
            if (IsAppThemed()) {
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Win32Options final : public frmOptions {
public:
    Win32Options(OptionsHost host, Diagnostics* sink)
        : frmOptions(sink), host_(std::move(host)), answers_(host_.answers), sink_(sink) {}
    ~Win32Options() override {
        Unload();
        DeleteObject(font_);
    }
    Win32Options(const Win32Options&) = delete;
    Win32Options& operator=(const Win32Options&) = delete;

    OptionsControls& Controls() override {
        Load();
        return controls_;
    }

    // Modal as the host language shows a form without an owner: the thread's other windows
    // take no input until the form has closed.
    void ShowModal() override {
        Load();
        Push();
        Fix();
        DisableOthers();
        ShowWindow(form_, SW_SHOWNORMAL);
        SetForegroundWindow(form_);
        SetFocus(Control(IndexOf("txtAuthor")));
        if (answers_ != nullptr) {
            if (DialogVisit visit = answers_->TakeNextVisit()) {
                visit_ = std::move(visit);
                PostMessageW(form_, kVisitMessage, 0, 0);
            }
        }
        MSG message;
        while (form_ != nullptr) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                if (got == 0) {
                    PostQuitMessage(static_cast<int>(message.wParam));
                }
                break;
            }
            if (form_ != nullptr && (SwitchTab(message) || Help(message))) {
                continue;
            }
            if (form_ == nullptr || !IsDialogMessageW(form_, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        Unload();
    }

    void Unload() override {
        EnableOthers();
        names_.Clear();
        tips_ = nullptr;
        fixedTips_.clear();
        extra_ = 0;
        if (form_ != nullptr) {
            DestroyWindow(std::exchange(form_, nullptr));
        }
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND:
                Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
                return 0;
            case WM_NOTIFY:
                if (reinterpret_cast<const NMHDR*>(lParam)->code == TCN_SELCHANGE) {
                    ShowTab(TabCtrl_GetCurSel(Tabs()));
                }
                return 0;
            case WM_NEXTDLGCTL:  // a label's access key: the dialog manager asks, as a dialog
                SetFocus(LOWORD(lParam) != 0
                             ? reinterpret_cast<HWND>(wParam)
                             : GetNextDlgTabItem(form_, GetFocus(), static_cast<BOOL>(wParam)));
                return 0;
            case WM_CLOSE:  // the window's close button and Alt+F4 cancel
                cmdCancel_Click();
                return 0;
            case WM_DPICHANGED: {
                const auto* suggested = reinterpret_cast<const RECT*>(lParam);
                SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                Layout(HIWORD(wParam));
                return 0;
            }
            case kVisitMessage:
                Visit();
                return 0;
            case kVisitEndMessage:
                cmdCancel_Click();
                return 0;
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
    }

private:
    // Form_Load: the controls start afresh and the dialog is centred on the screen.
    void Load() {
        if (form_ != nullptr) {
            return;
        }
        PassOn("frmOptions.Form_Load", [&] {
            controls_ = OptionsControls{};
            Create();
            CentreOnScreen(form_);
        });
    }

    void Create() {
        const WindowScope scope;
        INITCOMMONCONTROLSEX common{sizeof(common),
                                    ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&common);
        const wchar_t* formClass =
            WindowClass(L"BrindleOptions", FormProcedure, GetSysColorBrush(COLOR_BTNFACE));
        const wchar_t* pageClass =
            WindowClass(L"BrindleOptionsPage", PageProcedure, GetSysColorBrush(COLOR_BTNFACE));
        HWND form = CreateWindowExW(kExStyle, formClass, L"Brindle Options", kStyle, 0, 0, 100, 100,
                                    nullptr, nullptr, OwnModule(), nullptr);
        if (form == nullptr) {
            RaiseLastError("CreateWindowExW");
        }
        form_ = form;
        SetWindowLongPtrW(form, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

        HWND tabs = Child(form, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, kTabOptionsId);
        for (int i = 0; i < kTabCount; ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(kTabNames[i]);
            SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&item));
            Child(form, pageClass, L"", 0, kFirstPageId + i, WS_EX_CONTROLPARENT);
        }
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            const OptionsFormControl& control = kOptionsForm[i];
            const int id = kOptionsPlaces[i].id;
            Child(control.tab < 0 ? form : Page(control.tab), WindowClassOf(control.kind),
                  Wide(std::string(control.caption)).c_str(), StyleOf(control, id), id,
                  control.kind == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0);
        }
        ShowWindow(Child(form, L"Static", L"", SS_LEFT | SS_NOPREFIX, kTeamNoteId), SW_HIDE);
        Layout(DpiOf(form));
        ShowTab(0);
        // The whole path of a template box, which a long one shows only in part.
        tips_ =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr, OwnModule(), nullptr);
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            if (kOptionsForm[i].accessibleName.empty()) {
                continue;
            }
            HWND control = Control(i);
            names_.Name(control, Wide(std::string(kOptionsForm[i].accessibleName)).c_str());
            TOOLINFOW tool = Tool(control);
            SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        // What the date formats are, which the box alone cannot show.
        const std::wstring hint = Wide(kDateFormatHint);
        TOOLINFOW date = Tool(Control(kDateBox));
        date.lpszText = const_cast<wchar_t*>(hint.c_str());
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&date));
        SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, Scaled(600, DpiOf(form)));
    }

    TOOLINFOW Tool(HWND box) const {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = form_;
        tool.uId = reinterpret_cast<UINT_PTR>(box);
        tool.lpszText = const_cast<wchar_t*>(L"");
        return tool;
    }

    HWND Child(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
               DWORD exStyle = 0) {
        HWND child = CreateWindowExW(
            exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), OwnModule(), nullptr);
        if (child == nullptr) {
            RaiseLastError("CreateWindowExW");
        }
        return child;
    }

    HWND Tabs() const { return GetDlgItem(form_, kTabOptionsId); }
    HWND Page(int tab) const { return GetDlgItem(form_, kFirstPageId + tab); }
    HWND Control(std::size_t i) const {
        const int tab = kOptionsForm[i].tab;
        return GetDlgItem(tab < 0 ? form_ : Page(tab), kOptionsPlaces[i].id);
    }

    // Every place and the font at the window's dots per inch.
    void Layout(UINT dpi) {
        HFONT old = std::exchange(font_, MessageFont(dpi));
        const auto place = [&](HWND window, const RECT& at) {
            SetWindowPos(window, nullptr, Scaled(at.left, dpi), Scaled(at.top, dpi),
                         Scaled(at.right - at.left, dpi), Scaled(at.bottom - at.top, dpi),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        };
        place(Tabs(), kTabPlace);
        RECT pages{Scaled(kTabPlace.left, dpi), Scaled(kTabPlace.top, dpi),
                   Scaled(kTabPlace.right, dpi), Scaled(kTabPlace.bottom, dpi)};
        SendMessageW(Tabs(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&pages));
        for (int i = 0; i < kTabCount; ++i) {
            SetWindowPos(Page(i), HWND_TOP, pages.left, pages.top, pages.right - pages.left,
                         pages.bottom - pages.top, SWP_NOACTIVATE);
        }
        // The pages lie above the tabs, where clicks reach them; the tabs come last in the
        // keyboard's walk, after OK and Cancel, and so just before the shown tab's controls.
        SetWindowPos(Tabs(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            const RECT& at = kOptionsPlaces[i].place;
            place(Control(i), kOptionsForm[i].tab < 0 ? Lowered(at, extra_) : at);
        }
        place(GetDlgItem(form_, kTeamNoteId),
              {12, kTabPlace.bottom + 4, kTabPlace.right, kTabPlace.bottom + extra_});
        SetClientSize(form_, {Scaled(kClientSize.cx, dpi), Scaled(kClientSize.cy + extra_, dpi)});
        PlaceFixedTips();
        DeleteObject(old);
    }

    static RECT Lowered(RECT place, int by) {
        place.top += by;
        place.bottom += by;
        return place;
    }

    // The fields another file decides are greyed, that file named in their tooltips and in a
    // note below the tabs, which the dialog grows for.
    void Fix() {
        const FixedOptions fixed = host_.fixed ? host_.fixed() : FixedOptions{};
        if (fixed.file.empty() || fixed.keys.empty()) {
            return;
        }
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            const std::string_view key = kOptionsForm[i].key;
            if (key.empty() || std::ranges::find(fixed.keys, key) == fixed.keys.end()) {
                continue;
            }
            HWND control = Control(i);
            EnableWindow(control, FALSE);
            // A template box keeps its whole path in its tooltip, the reason below it.
            const bool path = kOptionsForm[i].text != nullptr && i != kDateBox;
            const std::wstring text = Wide(FixedTip(path ? Utf8(TextOf(control)) : "", fixed.file));
            // A disabled control gets no mouse: its parent shows the tip over its place.
            TOOLINFOW tool = FixedTool(control);
            tool.lpszText = const_cast<wchar_t*>(text.c_str());
            SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
            fixedTips_.push_back(control);
        }
        SetWindowTextW(GetDlgItem(form_, kTeamNoteId), Wide(FixedNote(fixed.file)).c_str());
        ShowWindow(GetDlgItem(form_, kTeamNoteId), SW_SHOWNA);
        extra_ = kTeamNoteHeight;
        Layout(DpiOf(form_));
        CentreOnScreen(form_);
    }

    TOOLINFOW FixedTool(HWND control) const {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = GetParent(control);
        tool.uId = static_cast<UINT_PTR>(GetDlgCtrlID(control));
        GetWindowRect(control, &tool.rect);
        MapWindowPoints(nullptr, tool.hwnd, reinterpret_cast<POINT*>(&tool.rect), 2);
        return tool;
    }

    void PlaceFixedTips() {
        for (HWND control : fixedTips_) {
            TOOLINFOW tool = FixedTool(control);
            SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }

    // F1, from whichever control has the focus.
    bool Help(const MSG& message) {
        if (message.message != WM_KEYDOWN || message.wParam != VK_F1 || !host_.help ||
            (message.hwnd != form_ && !IsChild(form_, message.hwnd))) {
            return false;
        }
        IgnoreStep(sink_, [&] { host_.help(form_); });
        return true;
    }

    // Ctrl+Tab and Ctrl+Shift+Tab turn to the next and the previous tab, as in the system's
    // own dialogs with tabs.
    bool SwitchTab(const MSG& message) {
        if (message.message != WM_KEYDOWN || message.wParam != VK_TAB ||
            GetKeyState(VK_CONTROL) >= 0 ||
            (message.hwnd != form_ && !IsChild(form_, message.hwnd))) {
            return false;
        }
        const int step = GetKeyState(VK_SHIFT) < 0 ? kTabCount - 1 : 1;
        const auto current = static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0));
        ShowTab((current + step) % kTabCount);
        return true;
    }

    void ShowTab(int tab) {
        TabCtrl_SetCurSel(Tabs(), tab);
        for (int i = 0; i < kTabCount; ++i) {
            ShowWindow(Page(i), i == tab ? SW_SHOW : SW_HIDE);
        }
        // The keyboard never stays on a control that is no longer shown.
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(form_, focus) && !IsWindowVisible(focus)) {
            SetFocus(Tabs());
        }
    }

    // The values the add-in put into the controls, onto the form.
    void Push() {
        const OptionsControls values = controls_;
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            const OptionsFormControl& control = kOptionsForm[i];
            if (control.text != nullptr) {
                SetWindowTextW(Control(i), Wide(values.*control.text).c_str());
            } else if (control.check != nullptr) {
                SendMessageW(Control(i), BM_SETCHECK,
                             values.*control.check == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
            }
        }
        controls_ = values;
    }

    void Command(int id, int code, HWND control) {
        const std::size_t i = IndexOfId(id);
        const OptionsFormControl* binding = i < kOptionsForm.size() ? &kOptionsForm[i] : nullptr;
        if (binding != nullptr && binding->text != nullptr && code == EN_CHANGE) {
            const std::wstring text = TextOf(control);
            controls_.*binding->text = Utf8(text);
            if (i != kDateBox) {  // its tip tells the formats
                TOOLINFOW tool = Tool(control);
                tool.lpszText = const_cast<wchar_t*>(text.c_str());
                SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
            }
        } else if (binding != nullptr && binding->check != nullptr && code == BN_CLICKED) {
            controls_.*binding->check =
                SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        } else if (binding != nullptr && FilledBox(i) && code == BN_CLICKED) {
            ChooseTemplate(Control(*FilledBox(i)));
        } else if (id == IDOK && code == BN_CLICKED) {
            cmdOK_Click();
        } else if (id == IDCANCEL && code == BN_CLICKED) {
            cmdCancel_Click();
        }
    }

    // A template button: a chosen file fills the box and its folder becomes LastDir; a
    // cancelled dialog changes nothing.
    void ChooseTemplate(HWND box) {
        IgnoreStep(sink_, [&] {
            const std::optional<std::string> chosen = AskFile();
            if (!chosen) {
                return;
            }
            SetWindowTextW(box, Wide(*chosen).c_str());
            NoteChosenFile(*this, *chosen);
        });
    }

    // cdlOpenFiles, made afresh each time with the same set-up. The host's current folder
    // stays, as relative template paths are read from it.
    std::optional<std::string> AskFile() {
        const std::string start = StartFolder(LastDir(), "", '\\', [](const std::string& folder) {
            const DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
            return attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        });
        FileDialogSetup setup{Wide(start), std::wstring(kFilter, std::size(kFilter) - 1),
                              kDefaultExt};
        if (answers_ != nullptr) {
            if (std::optional<FileChoice> given = answers_->TakeNextFileChoice()) {
                answers_->NoteFileDialog(std::move(setup));
                return *given;
            }
        }
        std::wstring path(32768, L'\0');
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = form_;
        dialog.lpstrFilter = setup.filter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = path.data();
        dialog.nMaxFile = static_cast<DWORD>(path.size());
        dialog.lpstrInitialDir = setup.initialDir.empty() ? nullptr : setup.initialDir.c_str();
        dialog.lpstrDefExt = setup.defaultExt.c_str();
        dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                       OFN_NOCHANGEDIR;
        const WindowScope scope;
        if (!GetOpenFileNameW(&dialog)) {
            if (const DWORD failure = CommDlgExtendedError()) {
                throw VbError(static_cast<std::int32_t>(Err::InternalError),
                              "The file dialog failed with code " + std::to_string(failure),
                              "GetOpenFileNameW");
            }
            return std::nullopt;
        }
        path.resize(wcslen(path.c_str()));
        return Utf8(path);
    }

    // The visit given in advance. What it posts (keys, clicks) is handled first; a form
    // still open then is cancelled.
    void Visit() {
        DialogVisit visit = std::exchange(visit_, {});
        if (visit && form_ != nullptr) {
            visit(form_);
        }
        if (form_ != nullptr) {
            PostMessageW(form_, kVisitEndMessage, 0, 0);
        }
    }

    void DisableOthers() {
        for (HWND window : ThreadWindows()) {
            if (window != form_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
                EnableWindow(window, FALSE);
                disabled_.push_back(window);
            }
        }
    }

    // Before the form goes, so that the window below it is activated again.
    void EnableOthers() {
        for (HWND window : std::exchange(disabled_, {})) {
            if (IsWindow(window)) {
                EnableWindow(window, TRUE);
            }
        }
    }

    OptionsHost host_;
    DialogAnswers* answers_;
    Diagnostics* sink_;
    HWND form_ = nullptr;
    HWND tips_ = nullptr;  // the form's own, destroyed with it
    BoxNames names_;
    HFONT font_ = nullptr;
    OptionsControls controls_;
    std::vector<HWND> disabled_;
    std::vector<HWND> fixedTips_;  // the greyed controls, whose parents show their tips
    int extra_ = 0;                // pixels at 96 dots per inch that the note adds
    DialogVisit visit_;
};

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Options* options = OptionsOf(window);
    if (options == nullptr || message == WM_NCDESTROY) {
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return options->Handle(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<frmOptions> MakeOptionsDialog(OptionsHost host, Diagnostics* sink) {
    return std::make_unique<Win32Options>(std::move(host), sink);
}

}  // namespace brindle::ui::win32
