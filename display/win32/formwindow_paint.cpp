#include "display/win32/formwindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "display/win32/formwindow_parts.h"

namespace formswin32 {

using forms::ControlDesc;
using forms::ControlState;
using forms::Kind;

void blend(HDC dc, const Pixels& pixels, int x, int y) {
    if (pixels.empty()) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return;
    std::copy(pixels.data.begin(), pixels.data.end(), static_cast<std::uint32_t*>(bits));
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BLENDFUNCTION how{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, pixels.width, pixels.height, memory, 0, 0, pixels.width, pixels.height,
               how);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

void FormWindow::drawFocus(const Item& item) {
    // A frame in the highlight colour around the part of the control that is seen: the
    // toolkit's own focus frame goes round a caption, and the option buttons have none.
    RECT r;
    GetClientRect(item.hwnd, &r);
    const forms::PixelBox& room = planned(item).room;
    if (room.width > 0 && room.height > 0) {
        r.right = std::min<LONG>(r.right, room.left + room.width);
        r.bottom = std::min<LONG>(r.bottom, room.top + room.height);
    }
    HDC dc = GetDC(item.hwnd);
    FrameRect(dc, &r, brush(GetSysColor(COLOR_HIGHLIGHT)));
    ReleaseDC(item.hwnd, dc);
}

const Pixels& FormWindow::pictureAt(const std::string& key, std::string_view name, int w, int h) {
    auto it = pictures_.find(key);
    if (it != pictures_.end()) return it->second;
    return pictures_[key] = scaled(loadPicture(name), w, h);
}

// The form's own surface: its colour, its background picture, the frames' colours and the drawn
// controls, back to front. It changes only with the resolution, so it is drawn once into a
// bitmap, and every paint (the form's, a frame's inside, what lies behind a transparent label)
// copies from there. A window that the user makes larger than its table (a bare one has a
// sizing border) gets its surface made anew as large: the colour and the background picture
// reach the new edges, as they do on every display.
void FormWindow::paintSurface(HDC dc, const RECT& view) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int w = std::max<int>(plan_.clientWidth, client.right);
    const int h = std::max<int>(plan_.clientHeight, client.bottom);
    if (surface_ && (w > surfaceSize_.cx || h > surfaceSize_.cy)) {
        DeleteObject(surface_);
        surface_ = nullptr;
    }
    if (!surface_) {
        const forms::FormDesc& d = form_.description();
        surfaceSize_ = SIZE{w, h};
        HDC screen = GetDC(hwnd_);
        surface_ = CreateCompatibleBitmap(screen, std::max(w, 1), std::max(h, 1));
        ReleaseDC(hwnd_, screen);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, surface_);
        RECT all{0, 0, w, h};
        FillRect(memory, &all, brush(toColorRef(d.back, GetSysColor(COLOR_BTNFACE))));
        if (!d.picture.empty()) {
            // At its natural size from the corner, cut off at the right and bottom edges.
            blend(memory, pictureAt("@form", d.picture, plan_.pictureWidth, plan_.pictureHeight), 0,
                  0);
        }
        for (auto it = items_.rbegin(); it != items_.rend(); ++it) paintItem(memory, *it);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, surface_);
    BitBlt(dc, 0, 0, view.right - view.left, view.bottom - view.top, memory, view.left, view.top,
           SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void FormWindow::paintItem(HDC dc, const Item& item) {
    const ControlDesc& d = *item.state->desc;
    if (!d.visible) return;
    const RECT r = rectOf(item);
    if (d.kind == Kind::Frame) {
        FillRect(dc, &r, brush(backOf(item)));
        return;
    }
    if (!paintedByForm(d.kind) || d.kind == Kind::Timer) return;
    const int saved = SaveDC(dc);
    const RECT clip = rectOfContainer(item);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    if (d.kind == Kind::Image) {
        blend(dc, pictureAt(std::string(d.name), d.picture, r.right - r.left, r.bottom - r.top),
              r.left, r.top);
        RestoreDC(dc, saved);
        return;
    }
    const forms::Plan::Control& p = planned(item);
    const int width = p.lineWidth;
    const COLORREF ink = toColorRef(d.fore, RGB(0, 0, 0));
    HPEN pen = nullptr;
    if (d.kind == Kind::Line) {
        pen = CreatePen(d.dotted ? PS_DOT : PS_SOLID, d.dotted ? 1 : width, ink);
        SelectObject(dc, pen);
        const RECT outer = rectOfContainer(item);
        MoveToEx(dc, outer.left + p.x1, outer.top + p.y1, nullptr);
        LineTo(dc, outer.left + p.x2, outer.top + p.y2);
    } else {
        // GDI draws on whole pixels: a pen kept inside its frame draws the plan's outline from
        // the rectangle around it, half the width out from where the stroke's middle runs.
        // Without a pen GDI fills one pixel short of the right and bottom edges.
        RECT at{r.left, r.top, r.right + 1, r.bottom + 1};
        if (d.outline) {
            const LOGBRUSH solid{BS_SOLID, ink, 0};
            pen = ExtCreatePen(PS_GEOMETRIC | PS_INSIDEFRAME | PS_JOIN_MITER, DWORD(width), &solid,
                               0, nullptr);
            const forms::StrokeBox& o = p.outline;
            const double half = width / 2.0;
            at = {r.left + LONG(std::lround(o.left - half)),
                  r.top + LONG(std::lround(o.top - half)),
                  r.left + LONG(std::lround(o.left + o.width + half)),
                  r.top + LONG(std::lround(o.top + o.height + half))};
        }
        SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
        SelectObject(dc, d.filled ? static_cast<HGDIOBJ>(brush(toColorRef(d.back, 0)))
                                  : GetStockObject(NULL_BRUSH));
        if (d.kind == Kind::Oval)
            Ellipse(dc, at.left, at.top, at.right, at.bottom);
        else
            Rectangle(dc, at.left, at.top, at.right, at.bottom);
    }
    RestoreDC(dc, saved);
    if (pen) DeleteObject(pen);
}

void FormWindow::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    paintSurface(dc, client);
}

void FormWindow::paintPicture(HWND hwnd, Item& item) {
    const ControlDesc& d = *item.state->desc;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, brush(backOf(item)));
    // Its natural size, shrunk to fit the box where it is larger, centred.
    const SIZE natural = pictureSize(d.picture);
    const forms::PixelBox fit = forms::fittedPicture(
        natural.cx, natural.cy, forms::PixelBox{0, 0, int(r.right), int(r.bottom)}, dpi_);
    if (fit.width > 0)
        blend(dc, pictureAt(std::string(d.name), d.picture, fit.width, fit.height), fit.left,
              fit.top);
    EndPaint(hwnd, &ps);
}

HBRUSH FormWindow::colours(HDC dc, HWND child) {
    Item* item = find(child);
    if (!item) return nullptr;
    const ControlDesc& d = *item->state->desc;
    switch (d.kind) {
        case Kind::Readout:
        case Kind::TextBox: {
            const forms::Colour back = d.kind == Kind::Readout ? item->state->back : d.back;
            const COLORREF colour = toColorRef(back, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, toColorRef(d.fore, GetSysColor(COLOR_WINDOWTEXT)));
            SetBkColor(dc, colour);
            return brush(colour);
        }
        case Kind::Label:
            SetTextColor(dc, toColorRef(d.fore, GetSysColor(COLOR_BTNTEXT)));
            if (d.transparent) {
                // What lies behind it shows through: the form's surface under the label.
                RECT r = rectOf(*item);
                paintSurface(dc, r);
                SetBkMode(dc, TRANSPARENT);
                return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
            }
            [[fallthrough]];
        default: {
            const COLORREF colour = backOf(*item);
            if (d.kind != Kind::Label)
                SetTextColor(dc, toColorRef(d.fore, GetSysColor(COLOR_BTNTEXT)));
            SetBkColor(dc, colour);
            return brush(colour);
        }
    }
}

void FormWindow::drawButton(const DRAWITEMSTRUCT& draw) {
    Item* item = find(draw.hwndItem);
    if (!item) return;
    const ControlDesc& d = *item->state->desc;
    HDC dc = draw.hDC;
    RECT r = draw.rcItem;
    const bool pressed = draw.itemState & ODS_SELECTED;
    const bool focused = draw.itemState & ODS_FOCUS;
    FillRect(dc, &r, brush(toColorRef(d.back, GetSysColor(COLOR_BTNFACE))));
    if (focused) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    // The caption wraps onto several lines when it is wider than the button, its access key
    // underlined.
    const std::wstring caption = widen(d.caption);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(draw.hwndItem, WM_GETFONT, 0, 0)));
    RECT text = r;
    InflateRect(&text, -2, -1);
    if (pressed) OffsetRect(&text, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, toColorRef(d.fore, GetSysColor(COLOR_BTNTEXT)));
    RECT measure = text;
    DrawTextW(dc, caption.c_str(), -1, &measure, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    const int h = measure.bottom - measure.top;
    text.top += std::max(0, int(text.bottom - text.top - h) / 2);
    DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK);
    if (focused) {
        RECT f = r;
        InflateRect(&f, -2, -2);
        DrawFocusRect(dc, &f);
    }
}

}  // namespace formswin32
