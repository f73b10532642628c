#include "ui/win32/StatusWindow.h"

#include <utility>

#include "ui/win32/Artwork.h"
#include "ui/win32/WinText.h"
#include "ui/win32/WinUtils.h"

namespace brindle::ui::win32 {
namespace {

// Sizes in twips.
constexpr double kLabelPoints = 8.25;
constexpr COLORREF kOutline = RGB(0x22, 0x56, 0x7c);
constexpr DWORD kStatusStyle = WS_POPUP | WS_DLGFRAME;
constexpr DWORD kStatusExStyle = WS_EX_TOOLWINDOW;

// The window's own state, kept with it.
struct MsgState {
    HWND label = nullptr;
    HFONT font = nullptr;

    ~MsgState() { DeleteObject(font); }

    void Layout(HWND window, UINT dpi) {
        HFONT old = std::exchange(font, StatusFont(dpi));
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        DeleteObject(old);
        const RECT area = PixelsOf(kStatusLabel, dpi);
        SetWindowPos(label, nullptr, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT client = PixelsOf(kStatusClientArea, dpi);
        SetClientSize(window, {client.right, client.bottom});
    }
};

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool Installed(const wchar_t* face) {
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(font.lfFaceName, face, _TRUNCATE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &font, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

MsgState* StateOf(HWND window) {
    return reinterpret_cast<MsgState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void PaintStatus(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const UINT dpi = DpiOf(window);
    const RECT image = PixelsOf(kStatusImage, dpi);
    DrawLogo(dc, {image.left, image.top}, dpi);
    // Shape1: the outline round the content.
    const RECT shape = PixelsOf(kStatusShape, dpi);
    HPEN pen = CreatePen(PS_SOLID, 1, kOutline);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, shape.left, shape.top, shape.right, shape.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    EndPaint(window, &paint);
}

// lblMsg drawn by the window: its text stays whole for screen readers, and the middle of one
// too long for the line gives way to the ellipsis.
void DrawMessage(const DRAWITEMSTRUCT& item, HFONT font) {
    const std::wstring text = TextOf(item.hwndItem);
    HDC dc = item.hDC;
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    RECT area = item.rcItem;
    const std::wstring shown = ElidedInTheMiddle(dc, text, area.right - area.left);
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &area,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK MsgProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MsgState* state = StateOf(window);
    switch (message) {
        case WM_PAINT:
            PaintStatus(window);
            return 0;
        case WM_DRAWITEM:
            if (state != nullptr) {
                DrawMessage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), state->font);
            }
            return TRUE;
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_DPICHANGED:
            if (state != nullptr) {
                const auto* suggested = reinterpret_cast<const RECT*>(lParam);
                SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                state->Layout(window, HIWORD(wParam));
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        case WM_CLOSE:
            return 0;  // only the add-in hides it
        case WM_NCDESTROY:
            delete state;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Win32Msg final : public frmMsg {
public:
    Win32Msg(Diagnostics* sink, MessageObserver observer)
        : frmMsg(sink), sink_(sink), observer_(std::move(observer)) {}
    ~Win32Msg() override {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    Win32Msg(const Win32Msg&) = delete;
    Win32Msg& operator=(const Win32Msg&) = delete;

protected:
    // Form_Load: the window goes on top; when it cannot, it works all the same.
    void LoadWindow() override {
        if (window_ != nullptr) {
            return;
        }
        Create();
        IgnoreStep(sink_, [&] { StayOnTop(window_, true); });
    }
    void SetLabel(std::string_view text) override {
        LoadWindow();
        if (!SetWindowTextW(Label(), Wide(text).c_str())) {
            RaiseLastError("SetWindowTextW");
        }
        if (observer_) {
            observer_(text);
        }
    }
    bool IsVisible() const override { return window_ != nullptr && IsWindowVisible(window_); }
    void ShowWindow() override {
        LoadWindow();
        if (!placed_) {
            CentreOnScreen(window_);
            placed_ = true;
        }
        ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    void Refresh() override {
        LoadWindow();
        RedrawWindow(window_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    void HideWindow() override {
        if (window_ != nullptr) {
            ::ShowWindow(window_, SW_HIDE);
        }
    }
    // VB's DoEvents: every message waiting now is handled; a quit request stays for the
    // host's own loop.
    void DoEvents() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

private:
    void Create() {
        const WindowScope scope;
        const wchar_t* name =
            WindowClass(L"BrindleMsg", MsgProcedure, GetSysColorBrush(COLOR_BTNFACE));
        HWND window = CreateWindowExW(kStatusExStyle, name, L"Brindle status", kStatusStyle, 0, 0,
                                      100, 30, nullptr, nullptr, OwnModule(), nullptr);
        if (window == nullptr) {
            RaiseLastError("CreateWindowExW");
        }
        auto* state = new MsgState;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        state->label = CreateWindowExW(
            0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX, 0, 0, 10, 10,
            window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLblMsgId)), OwnModule(), nullptr);
        state->Layout(window, DpiOf(window));
        window_ = window;
    }

    HWND Label() const { return GetDlgItem(window_, kLblMsgId); }

    Diagnostics* sink_;
    MessageObserver observer_;
    HWND window_ = nullptr;
    bool placed_ = false;
};

}  // namespace

HFONT StatusFont(UINT dpi) {
    static const bool outline = Installed(L"Microsoft Sans Serif");
    return MessageFont(dpi, true, kLabelPoints,
                       outline ? L"Microsoft Sans Serif" : L"MS Sans Serif");
}

std::wstring ElidedInTheMiddle(HDC dc, std::wstring_view text, int width) {
    const auto fits = [&](std::wstring_view line) {
        SIZE size{};
        GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &size);
        return size.cx <= width;
    };
    if (fits(text)) {
        return std::wstring(text);
    }
    constexpr std::wstring_view kEllipsis = L"\u2026";
    // The most kept, as evenly from both ends as the width allows, the end first.
    for (std::size_t kept = text.size(); kept-- > 0;) {
        const std::size_t head = kept / 2;
        const std::size_t tail = kept - head;
        std::wstring line(text.substr(0, head));
        line += kEllipsis;
        line += text.substr(text.size() - tail);
        if (fits(line)) {
            return line;
        }
    }
    return std::wstring(kEllipsis);
}

std::unique_ptr<frmMsg> MakeStatusWindow(Diagnostics* sink, MessageObserver observer) {
    return std::make_unique<Win32Msg>(sink, std::move(observer));
}

}  // namespace brindle::ui::win32
