#include "ui/win32/Artwork.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace brindle::ui::win32 {
namespace {

constexpr COLORREF kInk = RGB(0x10, 0x29, 0x44);
constexpr COLORREF kSea = RGB(0x22, 0x56, 0x7c);
constexpr COLORREF kAmber = RGB(0xf2, 0xa9, 0x3b);
constexpr COLORREF kMist = RGB(0xcf, 0xe0, 0xee);
constexpr COLORREF kWhite = RGB(0xff, 0xff, 0xff);

// GDI draws no transparency: a colour seen through another is mixed here once.
COLORREF Mix(COLORREF under, COLORREF over, double share) {
    const auto channel = [&](BYTE a, BYTE b) {
        return static_cast<BYTE>(std::lround(a + (b - a) * share));
    };
    return RGB(channel(GetRValue(under), GetRValue(over)),
               channel(GetGValue(under), GetGValue(over)),
               channel(GetBValue(under), GetBValue(over)));
}

// Draws in pixels at 96 dots per inch, from an origin, scaled to the window's dots per inch.
class Canvas {
public:
    Canvas(HDC dc, POINT origin, UINT dpi) : dc_(dc), origin_(origin), scale_(dpi / 96.0) {
        SetBkMode(dc_, TRANSPARENT);
    }

    int X(double x) const { return origin_.x + Length(x); }
    int Y(double y) const { return origin_.y + Length(y); }
    int Length(double v) const { return static_cast<int>(std::lround(v * scale_)); }
    HDC Dc() const { return dc_; }

    void Gradient(double left, double top, double width, double height, COLORREF from, COLORREF to,
                  bool diagonal) const {
        const auto vertex = [](int x, int y, COLORREF colour) {
            return TRIVERTEX{x,
                             y,
                             static_cast<COLOR16>(GetRValue(colour) << 8),
                             static_cast<COLOR16>(GetGValue(colour) << 8),
                             static_cast<COLOR16>(GetBValue(colour) << 8),
                             0};
        };
        const int l = X(left), t = Y(top), r = X(left + width), b = Y(top + height);
        if (!diagonal) {
            std::array<TRIVERTEX, 2> corners = {vertex(l, t, from), vertex(r, b, to)};
            GRADIENT_RECT rect{0, 1};
            GradientFill(dc_, corners.data(), 2, &rect, 1, GRADIENT_FILL_RECT_H);
            return;
        }
        const COLORREF middle = Mix(from, to, 0.5);
        std::array<TRIVERTEX, 4> corners = {vertex(l, t, from), vertex(r, t, middle),
                                            vertex(r, b, to), vertex(l, b, middle)};
        std::array<GRADIENT_TRIANGLE, 2> halves = {{{0, 1, 2}, {0, 2, 3}}};
        GradientFill(dc_, corners.data(), 4, halves.data(), 2, GRADIENT_FILL_TRIANGLE);
    }

    void RoundBox(double left, double top, double width, double height, double radius,
                  COLORREF fill, const COLORREF* outline = nullptr) const {
        HBRUSH brush = CreateSolidBrush(fill);
        HPEN pen = outline ? CreatePen(PS_SOLID, 1, *outline)
                           : static_cast<HPEN>(GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush = SelectObject(dc_, brush);
        HGDIOBJ oldPen = SelectObject(dc_, pen);
        const int r = Length(2 * radius);
        RoundRect(dc_, X(left), Y(top), X(left + width) + (outline ? 0 : 1),
                  Y(top + height) + (outline ? 0 : 1), r, r);
        SelectObject(dc_, oldPen);
        SelectObject(dc_, oldBrush);
        DeleteObject(brush);
        if (outline) {
            DeleteObject(pen);
        }
    }

    void Line(double x1, double y1, double x2, double y2, COLORREF colour, double width) const {
        HPEN pen = CreatePen(PS_SOLID, std::max(1, Length(width)), colour);
        HGDIOBJ old = SelectObject(dc_, pen);
        MoveToEx(dc_, X(x1), Y(y1), nullptr);
        LineTo(dc_, X(x2), Y(y2));
        SelectObject(dc_, old);
        DeleteObject(pen);
    }

    // Text with its baseline at `y`, or centred in a row of `height` when `height` is above 0;
    // `right` aligns its end at `x`.
    void Text(std::wstring_view text, double x, double y, double pixels, bool bold, COLORREF colour,
              const wchar_t* face, double height = 0, bool right = false) const {
        HFONT font = CreateFontW(-Length(pixels), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                 FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
        HGDIOBJ old = SelectObject(dc_, font);
        SetTextColor(dc_, colour);
        UINT align = right ? TA_RIGHT : TA_LEFT;
        int top = Y(y);
        if (height > 0) {
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc_, &metrics);
            top = Y(y) + (Length(height) - metrics.tmHeight) / 2;
            align |= TA_TOP;
        } else {
            align |= TA_BASELINE;
        }
        SetTextAlign(dc_, align);
        ExtTextOutW(dc_, X(x), top, 0, nullptr, text.data(), static_cast<UINT>(text.size()),
                    nullptr);
        SelectObject(dc_, old);
        DeleteObject(font);
    }

private:
    HDC dc_;
    POINT origin_;
    double scale_;
};

constexpr const wchar_t* kFace = L"Segoe UI";
constexpr const wchar_t* kMonospace = L"Consolas";

// Two amber marker bars with indented code lines between them: what Brindle puts in. The
// box is 16 units high.
void DrawEmblem(const Canvas& canvas, double left, double top, double width, double height,
                COLORREF background) {
    const double unit = height / 16;
    for (double bar : {0.0, 14.0}) {
        canvas.RoundBox(left, top + bar * unit, width, 2 * unit, unit, kAmber);
    }
    struct CodeLine {
        double top, indent, length;  // in units, the length as a share of the width
    };
    for (const CodeLine& code : {CodeLine{5, 3, 0.8}, CodeLine{9, 6, 0.55}}) {
        canvas.RoundBox(left + code.indent * unit, top + code.top * unit, width * code.length,
                        2 * unit, unit, Mix(background, kMist, 0.9));
    }
}

// Faint diagonal streaks, the coat pattern the product is named after.
void DrawStreaks(const Canvas& canvas, double height) {
    for (int i = 0; i < 16; ++i) {
        const double x = -120 + i * 41 + (i % 3) * 9;
        const std::array<POINT, 4> points = {{
            {canvas.X(x), canvas.Y(-10)},
            {canvas.X(x + 60 + (i % 4) * 12), canvas.Y(height * 0.3)},
            {canvas.X(x + 40 - (i % 5) * 8), canvas.Y(height * 0.7)},
            {canvas.X(x + 130), canvas.Y(height + 10)},
        }};
        const COLORREF under = Mix(kInk, kSea, std::clamp((x + 60) / 480.0, 0.0, 1.0));
        const COLORREF shade =
            i % 2 == 0 ? Mix(under, RGB(0, 0, 0), 0.16) : Mix(under, kMist, 0.035);
        LOGBRUSH brush{BS_SOLID, shade, 0};
        HPEN pen =
            ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND,
                         static_cast<DWORD>(canvas.Length(5 + (i * 7) % 11)), &brush, 0, nullptr);
        HGDIOBJ old = SelectObject(canvas.Dc(), pen);
        PolyBezier(canvas.Dc(), points.data(), static_cast<DWORD>(points.size()));
        SelectObject(canvas.Dc(), old);
        DeleteObject(pen);
    }
}

void DrawCodeCard(const Canvas& canvas, double left, double top, double width, double height) {
    const COLORREF under = Mix(kInk, kSea, 0.45);
    const COLORREF edge = Mix(under, kWhite, 0.16);
    canvas.RoundBox(left, top, width, height, 6, Mix(under, RGB(6, 18, 32), 0.75), &edge);
    struct Line {
        const wchar_t* text;
        COLORREF colour;
    };
    constexpr COLORREF kComment = RGB(0x8f, 0xc9, 0x8f);
    const std::array<Line, 5> lines = {{
        {L"' [Brindle Begin]", kAmber},
        {L"' Procedure : OpenLedger", kComment},
        {L"' Purpose   : Reads the ledger file", kComment},
        {L"' [Brindle End]", kAmber},
        {L"Private Sub OpenLedger()", kMist},
    }};
    double baseline = top + 24;
    for (const Line& line : lines) {
        canvas.Text(line.text, left + 18, baseline, 13, false, line.colour, kMonospace);
        baseline += 19;
    }
}

}  // namespace

void DrawLogo(HDC dc, POINT at, UINT dpi) {
    const Canvas canvas(dc, at, dpi);
    const double width = kLogoSize.cx;
    const double height = kLogoSize.cy;
    HRGN panel = CreateRoundRectRgn(canvas.X(0), canvas.Y(0), canvas.X(width) + 1,
                                    canvas.Y(height) + 1, canvas.Length(8), canvas.Length(8));
    SelectClipRgn(dc, panel);
    canvas.Gradient(0, 0, width, height, kInk, kSea, false);
    SelectClipRgn(dc, nullptr);
    HBRUSH edge = CreateSolidBrush(Mix(kInk, RGB(0, 0, 0), 0.25));
    FrameRgn(dc, panel, edge, 1, 1);
    DeleteObject(edge);
    DeleteObject(panel);

    DrawEmblem(canvas, 9, 8, 20, 16, kInk);
    canvas.Text(L"Brindle", 38, 0, 19, true, kWhite, kFace, height);
}

void DrawSplash(HDC dc, UINT dpi) {
    const Canvas canvas(dc, {0, 0}, dpi);
    const double width = kSplashSize.cx;
    const double height = kSplashSize.cy;
    canvas.Gradient(0, 0, width, height, kInk, kSea, true);
    DrawStreaks(canvas, height);

    DrawEmblem(canvas, 40, 44, 56, 48, Mix(kInk, kSea, 0.2));
    canvas.Text(L"Brindle", 110, 88, 54, true, kWhite, kFace);
    canvas.Text(L"Headers and error handlers for Visual Basic 6", 42, 124, 15, false, kMist, kFace);
    DrawCodeCard(canvas, 40, 148, 396, 116);

    canvas.Line(40, 296, 436, 296, kAmber, 2);
    canvas.Text(L"Version " BRINDLE_VERSION, 40, 304, 13, false, kMist, kFace, 24);
    canvas.Text(L"\u00A9 " BRINDLE_YEAR, 436, 304, 13, false, kMist, kFace, 24, true);
}

}  // namespace brindle::ui::win32
