#include "display/win32/formwindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "display/win32/formwindow_parts.h"

namespace formswin32 {

using forms::ControlDesc;
using forms::ControlState;
using forms::Kind;

namespace {

constexpr wchar_t kFormClass[] = L"PernadasForm";
constexpr wchar_t kPictureClass[] = L"PernadasPicture";

LRESULT CALLBACK pictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;  // painted whole in WM_PAINT
    if (msg == WM_LBUTTONDOWN) SetFocus(hwnd);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void registerClasses(HINSTANCE instance) {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = DefWindowProcW;  // replaced per window once it is built
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    form.hIcon = LoadIconW(instance, L"PERNADAS");
    form.hIconSm = static_cast<HICON>(LoadImageW(instance, L"PERNADAS", IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);
    WNDCLASSEXW picture{};
    picture.cbSize = sizeof picture;
    picture.lpfnWndProc = pictureProc;
    picture.hInstance = instance;
    picture.hCursor = form.hCursor;
    picture.lpszClassName = kPictureClass;
    RegisterClassExW(&picture);
}

// A window's resolution and the frame around a client area at it, from the functions of
// Windows 10 (version 1607) where the system has them. They are looked up when the program
// runs, not imported: an import the system lacks keeps the program from starting at all, and
// on Windows 7 and 8 the system's one resolution stands in for each window's.
template <class Fn>
Fn user32Function(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}

UINT windowDpi(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn forWindow = user32Function<Fn>("GetDpiForWindow");
    if (forWindow)
        if (const UINT dpi = forWindow(hwnd)) return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : 96;
}

void frameAround(RECT& client, HWND hwnd, UINT dpi) {
    using Fn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const Fn forDpi = user32Function<Fn>("AdjustWindowRectExForDpi");
    const DWORD style = DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const DWORD exStyle = DWORD(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    if (!forDpi || !forDpi(&client, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&client, style, FALSE, exStyle);
}

}  // namespace

COLORREF toColorRef(forms::Colour c, COLORREF fallback) {
    switch (c = forms::shownColour(c)) {
        case forms::kDefaultColour:
            return fallback;
        case forms::kHighlight:
            return GetSysColor(COLOR_HIGHLIGHT);
        default:
            return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    }
}

bool paintedByForm(Kind k) {
    return k == Kind::Line || k == Kind::Oval || k == Kind::Rectangle || k == Kind::Image ||
           k == Kind::Timer;
}

FormWindow::FormWindow(Win32Host& host, forms::Form& form) : host_(host), form_(form) {
    registerClasses(host.instance());
    const forms::FormDesc& d = form.description();
    DWORD style = 0, exStyle = 0;
    HWND owner = nullptr;
    switch (d.style) {
        case forms::WindowStyle::Bare:
            // A sizing border and no title bar. Under Wine a window manager draws the frame
            // from the style, and some draw a title bar with every sizing frame unless the
            // window also has the dialog frame: with it they draw a border only.
            style = WS_POPUP | WS_THICKFRAME;
            exStyle = WS_EX_DLGMODALFRAME;
            break;
        case forms::WindowStyle::Calculator:
            style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
            break;
        case forms::WindowStyle::Dialog:
            // Owned by the program's hidden window: not in the task bar.
            style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
            exStyle = WS_EX_DLGMODALFRAME;
            owner = host.owner();
            break;
    }
    hwnd_ = CreateWindowExW(exStyle, kFormClass, widen(forms::windowTitle(d)).c_str(),
                            style | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner,
                            nullptr, host.instance(), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::windowProc));
    dpi_ = windowDpi(hwnd_);
    plan_ = forms::plan(d, dpi_);  // refuses a control in no frame of the form
    // A window without a caption still has a name for screen readers.
    if (!d.accessibleName.empty()) annotate(hwnd_, PROPID_ACC_NAME, d.accessibleName);
    build();
    layout();
}

FormWindow::~FormWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        if (IAccPropServices* acc = host_.accessibility()) {
            const MSAAPROPID props[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
            for (const Item& item : items_)
                if (item.hwnd)
                    acc->ClearHwndProps(item.hwnd, DWORD(OBJID_CLIENT), CHILDID_SELF, props, 2);
            acc->ClearHwndProps(hwnd_, DWORD(OBJID_CLIENT), CHILDID_SELF, props, 2);
        }
        if (tooltips_) DestroyWindow(tooltips_);
        // Hidden first: a shown window that goes at once keeps Wine waiting for the display.
        ShowWindow(hwnd_, SW_HIDE);
        DestroyWindow(hwnd_);
    }
    for (auto& [key, f] : fonts_) DeleteObject(f);
    for (auto& [colour, b] : brushes_) DeleteObject(b);
    if (surface_) DeleteObject(surface_);
}

void FormWindow::markUnloaded() {
    unloaded_ = true;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].state->desc->kind == Kind::Timer) KillTimer(hwnd_, i + 1);
}

HWND FormWindow::control(std::string_view name) const {
    const Item* item = find(name);
    return item ? item->hwnd : nullptr;
}

RECT FormWindow::controlRect(std::string_view name) const {
    const Item* item = find(name);
    return item ? rectOf(*item) : RECT{};
}

FormWindow::Item* FormWindow::find(HWND hwnd) {
    for (Item& item : items_)
        if (item.hwnd == hwnd) return &item;
    return nullptr;
}

FormWindow::Item* FormWindow::find(std::size_t index) {
    for (Item& item : items_)
        if (item.index == index) return &item;
    return nullptr;
}

FormWindow::Item* FormWindow::find(std::string_view name) {
    for (Item& item : items_)
        if (item.state->desc->name == name) return &item;
    return nullptr;
}

const FormWindow::Item* FormWindow::find(std::string_view name) const {
    return const_cast<FormWindow*>(this)->find(name);
}

RECT FormWindow::rectOfContainer(const Item& item) const {
    const std::size_t container = planned(item).container;
    if (container == forms::kOnForm) return RECT{0, 0, plan_.clientWidth, plan_.clientHeight};
    const forms::PixelBox& b = plan_.controls[container].inForm;
    return RECT{b.left, b.top, b.left + b.width, b.top + b.height};
}

RECT FormWindow::rectOf(const Item& item) const {
    const forms::Plan::Control& p = planned(item);
    if (item.state->desc->kind == Kind::Line) {
        const RECT outer = rectOfContainer(item);
        const int pad = p.lineWidth;
        return RECT{outer.left + std::min(p.x1, p.x2) - pad, outer.top + std::min(p.y1, p.y2) - pad,
                    outer.left + std::max(p.x1, p.x2) + pad + 1,
                    outer.top + std::max(p.y1, p.y2) + pad + 1};
    }
    // A label's window is the part of it left seen, so that its text goes there.
    return RECT{p.inForm.left, p.inForm.top, p.inForm.left + p.inForm.width,
                p.inForm.top + p.inForm.height};
}

const forms::Font& FormWindow::fontOf(const Item& item) const {
    return *planned(item).font;
}

HFONT FormWindow::font(const forms::Font& f, double points) {
    if (points <= 0) points = f.points;
    const std::string key = std::string(f.family) + "/" + std::to_string(points) + "/" +
                            (f.bold ? "b" : "") + "/" + std::to_string(dpi_);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    // The model's first face; where the system lacks it, one of the same kind.
    const forms::Faces faces = forms::faces(f);
    HFONT h =
        CreateFontW(-int(std::lround(points * dpi_ / 72.0)), 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL,
                    FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, VARIABLE_PITCH | (faces.serif ? FF_ROMAN : FF_SWISS),
                    widen(faces.families.front()).c_str());
    fonts_[key] = h;
    return h;
}

HBRUSH FormWindow::brush(COLORREF colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second;
    return brushes_[colour] = CreateSolidBrush(colour);
}

COLORREF FormWindow::backOf(const Item& item) const {
    const forms::Plan::Control& p = planned(item);
    return toColorRef(p.back, toColorRef(p.behind, GetSysColor(COLOR_BTNFACE)));
}

void FormWindow::build() {
    // Front to back, a frame's own controls just in front of the frame; a table that puts a
    // control in no frame of the form is refused.
    for (const std::size_t i : plan_.frontToBack) {
        Item item;
        item.state = &form_.controls()[i];
        item.index = i;
        items_.push_back(item);
    }

    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        const ControlDesc& d = *item.state->desc;
        const std::wstring caption = widen(d.caption);
        // Only what the plan makes gets a window.
        if (!planned(item).made) continue;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (d.visible ? WS_VISIBLE : 0);
        DWORD exStyle = 0;
        const wchar_t* cls = nullptr;
        const DWORD align = d.align == forms::Align::Centre  ? ES_CENTER
                            : d.align == forms::Align::Right ? ES_RIGHT
                                                             : ES_LEFT;
        switch (d.kind) {
            case Kind::Slider:
                cls = L"SCROLLBAR";
                style |= SBS_HORZ;
                break;
            case Kind::Readout:
                cls = L"EDIT";
                style |= ES_READONLY | ES_AUTOHSCROLL | align;
                exStyle |= WS_EX_CLIENTEDGE;
                break;
            case Kind::TextBox:
                cls = L"EDIT";
                style |= ES_AUTOHSCROLL | align;
                break;
            case Kind::Label:
                cls = L"STATIC";
                style |= SS_NOPREFIX | (d.align == forms::Align::Centre  ? SS_CENTER
                                        : d.align == forms::Align::Right ? SS_RIGHT
                                                                         : SS_LEFT);
                break;
            case Kind::Frame:
                cls = L"BUTTON";
                style |= BS_GROUPBOX;
                break;
            case Kind::Button:
                cls = L"BUTTON";
                style |= BS_OWNERDRAW;
                break;
            case Kind::Option:
                cls = L"BUTTON";
                style |= BS_RADIOBUTTON;
                break;
            case Kind::Picture:
                cls = kPictureClass;
                break;
            case Kind::Timer:
                continue;  // started once the window shows
            default:
                continue;  // drawn by the form
        }
        const std::wstring text =
            d.kind == Kind::Readout || d.kind == Kind::TextBox
                ? widen(item.state->text.empty() ? d.caption : item.state->text)
                : caption;
        item.hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, 0, 0, 1, 1, hwnd_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                                    host_.instance(), nullptr);
        if (!item.hwnd) continue;
        SetWindowSubclass(item.hwnd, &FormWindow::controlProc, kSubclass,
                          reinterpret_cast<DWORD_PTR>(this));
        if (d.kind == Kind::Slider) {
            SCROLLINFO info{
                sizeof info, SIF_RANGE | SIF_POS | SIF_PAGE, d.min, d.max, 0, item.state->value, 0};
            SetScrollInfo(item.hwnd, SB_CTL, &info, FALSE);
        }
        if (d.kind == Kind::Option)
            SendMessageW(item.hwnd, BM_SETCHECK, item.state->selected ? BST_CHECKED : 0, 0);
        if (!planned(item).spoken.empty())
            annotate(item.hwnd, PROPID_ACC_NAME, planned(item).spoken);
        if (!d.description.empty()) annotate(item.hwnd, PROPID_ACC_DESCRIPTION, d.description);
        if (d.kind == Kind::Readout) {
            if (!tooltips_)
                tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0,
                                            hwnd_, nullptr, host_.instance(), nullptr);
            TOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = hwnd_;
            tool.uId = reinterpret_cast<UINT_PTR>(item.hwnd);
            tool.lpszText = const_cast<wchar_t*>(L"");
            SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    // Stacked as the plan has them: the first in front.
    for (Item& item : items_)
        if (item.hwnd)
            SetWindowPos(item.hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormWindow::layout() {
    RECT frame{0, 0, plan_.clientWidth, plan_.clientHeight};
    frameAround(frame, hwnd_, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Where the frame drawn differs from the one computed for this resolution, the client area
    // still gets its exact size.
    RECT client;
    GetClientRect(hwnd_, &client);
    const int dw = plan_.clientWidth - client.right, dh = plan_.clientHeight - client.bottom;
    if (dw != 0 || dh != 0)
        SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left + dw,
                     frame.bottom - frame.top + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pictures_.clear();
    if (surface_) DeleteObject(surface_);
    surface_ = nullptr;
    for (Item& item : items_) {
        if (!item.hwnd) continue;
        const RECT r = rectOf(item);
        MoveWindow(item.hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(fontOf(item))), TRUE);
        narrowMargins(item);
        if (item.state->desc->kind == Kind::Readout) fitReadout(item);
        fitCaption(item);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void FormWindow::present() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd_, HWND_TOP, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    // Timers count from here: building the window (its fonts and pictures) can take a good part
    // of a second under Wine, and the splash must be seen for its whole interval.
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (const ControlDesc& d = *items_[i].state->desc; d.kind == Kind::Timer)
            SetTimer(hwnd_, i + 1, UINT(std::max(d.interval, 1)), nullptr);
    // The focus goes to the first control of the tab order.
    const forms::Response first =
        forms::respond(form_, plan_, forms::kOnForm, forms::Input::keyDown(forms::Key::Tab));
    const Item* to = first.focus ? find(*first.focus) : nullptr;
    SetFocus(to && to->hwnd ? to->hwnd : hwnd_);
}

void FormWindow::activate() {
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
}

HFONT FormWindow::fitting(const Item& item, const std::function<bool(HDC)>& fits) {
    // The described size, or the largest smaller one down to the smallest at which it fits.
    const forms::Font& described = fontOf(item);
    HDC dc = GetDC(item.hwnd);
    double points = described.points;
    HFONT chosen = font(described, points);
    while (points > forms::kSmallestPoints) {
        HGDIOBJ old = SelectObject(dc, chosen);
        const bool fit = fits(dc);
        SelectObject(dc, old);
        if (fit) break;
        points -= forms::kShrinkPoints;
        chosen = font(described, points);
    }
    ReleaseDC(item.hwnd, dc);
    return chosen;
}

void FormWindow::fitReadout(Item& item) {
    // A value must never be shown cut off: where the described font makes the text wider than
    // the box (another font stands in for it), a smaller size is used for that text.
    RECT r;
    GetClientRect(item.hwnd, &r);
    const LRESULT margins = SendMessageW(item.hwnd, EM_GETMARGINS, 0, 0);
    const int available = r.right - r.left - LOWORD(margins) - HIWORD(margins) - 1;
    const std::wstring text = widen(item.state->text);
    const HFONT chosen = fitting(item, [&](HDC dc) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        return size.cx <= available;
    });
    if (reinterpret_cast<HFONT>(SendMessageW(item.hwnd, WM_GETFONT, 0, 0)) != chosen) {
        SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
        narrowMargins(item);
    }
}

void FormWindow::fitCaption(Item& item) {
    // No label or button caption may be cut off, wrapped or not: where the font that stands in
    // for the described one makes it larger than its room (for a label, the part of it that
    // is seen), a smaller size is used for that control.
    const ControlDesc& d = *item.state->desc;
    if ((d.kind != Kind::Label && d.kind != Kind::Button) || d.caption.empty()) return;
    RECT room;
    GetClientRect(item.hwnd, &room);
    UINT flags = DT_WORDBREAK | DT_CALCRECT;
    if (d.kind == Kind::Button)
        InflateRect(&room, -5, -4);  // the focus frame, the bevel and the caption's margin
    else
        flags |= DT_NOPREFIX | DT_EXPANDTABS;
    const std::wstring caption = widen(d.caption);
    const HFONT chosen = fitting(item, [&](HDC dc) {
        RECT need = room;
        DrawTextW(dc, caption.c_str(), -1, &need, flags);
        return need.right - need.left <= room.right - room.left &&
               need.bottom - need.top <= room.bottom - room.top;
    });
    if (reinterpret_cast<HFONT>(SendMessageW(item.hwnd, WM_GETFONT, 0, 0)) != chosen)
        SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
}

void FormWindow::narrowMargins(Item& item) {
    // Text boxes keep one pixel each side: their boxes are laid out for the text they hold, and a
    // font's own margins would cut it off.
    const Kind kind = item.state->desc->kind;
    if (kind == Kind::Readout || kind == Kind::TextBox)
        SendMessageW(item.hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
}

void FormWindow::sync() {
    if (unloaded_ || !form_.loaded()) return;
    for (Item& item : items_) {
        if (!item.hwnd) continue;
        ControlState& c = *item.state;
        switch (c.desc->kind) {
            case Kind::Slider: {
                SCROLLINFO info{};
                info.cbSize = sizeof info;
                info.fMask = SIF_POS;
                GetScrollInfo(item.hwnd, SB_CTL, &info);
                if (info.nPos != c.value) {
                    info.fMask = SIF_POS;
                    info.nPos = c.value;
                    SetScrollInfo(item.hwnd, SB_CTL, &info, TRUE);
                }
                if (Win32Host::tracing() && c.value != item.shownValue) {
                    item.shownValue = c.value;
                    Win32Host::trace(std::string(form_.name()) + "." + std::string(c.desc->name) +
                                     " " + std::to_string(c.value));
                }
                break;
            }
            case Kind::Readout: {
                const std::wstring text = widen(c.text);
                wchar_t shown[256] = {};
                GetWindowTextW(item.hwnd, shown, 256);
                if (text != shown) {
                    SetWindowTextW(item.hwnd, text.c_str());
                    fitReadout(item);
                }
                if (c.note != item.shownNote) describe(item);
                if (c.back != item.shownBack) {
                    item.shownBack = c.back;
                    InvalidateRect(item.hwnd, nullptr, TRUE);
                }
                break;
            }
            case Kind::Option:
                if ((SendMessageW(item.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) != c.selected)
                    SendMessageW(item.hwnd, BM_SETCHECK, c.selected ? BST_CHECKED : 0, 0);
                break;
            default:
                break;
        }
    }
}

}  // namespace formswin32
