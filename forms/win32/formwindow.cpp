#include "forms/win32/formwindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace formswin32 {

using forms::ControlDesc;
using forms::ControlState;
using forms::Kind;

namespace {

constexpr wchar_t kFormClass[] = L"PernadasForm";
constexpr wchar_t kPictureClass[] = L"PernadasPicture";
constexpr UINT_PTR kSubclass = 1;

COLORREF toColorRef(forms::Colour c, COLORREF fallback) {
    switch (c) {
        case forms::kDefaultColour:
            return fallback;
        // The classic scheme's grey for the text of an inactive title bar, as on every system.
        case forms::kInactiveTitleText:
            return RGB(0xC0, 0xC0, 0xC0);
        case forms::kHighlight:
            return GetSysColor(COLOR_HIGHLIGHT);
        default:
            return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    }
}

bool drawn(Kind k) {
    return k == Kind::Line || k == Kind::Oval || k == Kind::Rectangle || k == Kind::Image ||
           k == Kind::Timer;
}

// The access key of a caption: the letter after a single '&'.
wchar_t accessLetter(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == '&') {
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            return static_cast<wchar_t>(std::towupper(widen(caption.substr(i + 1, 1))[0]));
        }
    return 0;
}

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

// Draws premultiplied pixels at a point, blended over what is there.
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

}  // namespace

FormWindow::FormWindow(Win32Host& host, forms::Form& form) : host_(host), form_(form) {
    registerClasses(host.instance());
    const forms::FormDesc& d = form.description();
    DWORD style = 0, exStyle = 0;
    HWND owner = nullptr;
    switch (d.style) {
        case forms::WindowStyle::Bare:
            style = WS_POPUP | WS_THICKFRAME;
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
    dpi_ = GetDpiForWindow(hwnd_);
    if (dpi_ == 0) dpi_ = 96;
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

FormWindow::Item* FormWindow::find(std::string_view name) {
    for (Item& item : items_)
        if (item.state->desc->name == name) return &item;
    return nullptr;
}

const FormWindow::Item* FormWindow::find(std::string_view name) const {
    return const_cast<FormWindow*>(this)->find(name);
}

RECT FormWindow::rectOfContainer(const Item& item) const {
    const std::string_view container = item.state->desc->container;
    if (const Item* frame = container.empty() ? nullptr : find(container)) return rectOf(*frame);
    const forms::FormDesc& d = form_.description();
    return RECT{0, 0, px(d.clientWidth), px(d.clientHeight)};
}

RECT FormWindow::rectOf(const Item& item) const {
    const ControlDesc& d = *item.state->desc;
    const RECT outer = rectOfContainer(item);
    if (d.kind == Kind::Line) {
        const int pad = std::max(d.lineWidth, 1);
        return RECT{outer.left + px(std::min(d.x1, d.x2)) - pad,
                    outer.top + px(std::min(d.y1, d.y2)) - pad,
                    outer.left + px(std::max(d.x1, d.x2)) + pad + 1,
                    outer.top + px(std::max(d.y1, d.y2)) + pad + 1};
    }
    // A label's window is the part of it left seen, so that its text goes there.
    const forms::Box& room = item.exposure.room;
    if (d.kind == Kind::Label && !room.empty())
        return RECT{outer.left + px(d.left + room.left), outer.top + px(d.top + room.top),
                    outer.left + px(d.left + room.right), outer.top + px(d.top + room.bottom)};
    const int left = outer.left + px(d.left), top = outer.top + px(d.top);
    return RECT{left, top, left + px(d.width), top + px(d.height)};
}

const forms::Font& FormWindow::fontOf(const Item& item) const {
    const ControlDesc& d = *item.state->desc;
    if (!d.font.family.empty()) return d.font;
    if (const Item* frame = d.container.empty() ? nullptr : find(d.container))
        return fontOf(*frame);
    return form_.description().font;
}

HFONT FormWindow::font(const forms::Font& f, double points) {
    if (points <= 0) points = f.points;
    const std::string key = std::string(f.family) + "/" + std::to_string(points) + "/" +
                            (f.bold ? "b" : "") + "/" + std::to_string(dpi_);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    // The layouts' "MS Sans Serif" is, on Windows, a bitmap font that comes only in a few
    // sizes and turns coarse at 125 % and more; its outline twin scales to any resolution.
    std::wstring family = widen(f.family);
    if (family == L"MS Sans Serif") family = L"Microsoft Sans Serif";
    // Families the system lacks fall back to one of the same kind.
    const bool serif = f.family.find("Times") != std::string_view::npos ||
                       f.family.find("Perpetua") != std::string_view::npos;
    HFONT h = CreateFontW(-int(std::lround(points * dpi_ / 72.0)), 0, 0, 0,
                          f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          VARIABLE_PITCH | (serif ? FF_ROMAN : FF_SWISS), family.c_str());
    fonts_[key] = h;
    return h;
}

HBRUSH FormWindow::brush(COLORREF colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second;
    return brushes_[colour] = CreateSolidBrush(colour);
}

COLORREF FormWindow::containerBack(const Item& item) const {
    const std::string_view container = item.state->desc->container;
    if (const Item* frame = container.empty() ? nullptr : find(container)) return backOf(*frame);
    return toColorRef(form_.description().back, GetSysColor(COLOR_BTNFACE));
}

COLORREF FormWindow::backOf(const Item& item) const {
    return toColorRef(item.state->desc->back, containerBack(item));
}

void FormWindow::build() {
    // Front to back, a frame's own controls just in front of the frame.
    auto add = [this](auto& self, std::string_view container) -> void {
        for (ControlState& c : form_.controls())
            if (c.desc->container == container) {
                if (c.desc->kind == Kind::Frame) self(self, c.desc->name);
                Item item;
                item.state = &c;
                items_.push_back(item);
            }
    };
    add(add, {});
    const forms::FormDesc& form = form_.description();
    const std::vector<forms::Exposure> seen = forms::exposures(form);
    for (Item& item : items_)
        item.exposure = seen[std::size_t(item.state->desc - form.controls.data())];

    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        const ControlDesc& d = *item.state->desc;
        const std::wstring caption = widen(d.caption);
        // Nothing of a control wholly covered by those in front of it is seen, nor given to a
        // screen reader.
        const bool shown = d.visible && !item.exposure.hidden;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (shown ? WS_VISIBLE : 0);
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
                SetTimer(hwnd_, i + 1, UINT(std::max(d.interval, 1)), nullptr);
                continue;
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
        if (!d.accessibleName.empty()) annotate(item.hwnd, PROPID_ACC_NAME, d.accessibleName);
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
    // Stacked as the table lists them: the first in front.
    for (Item& item : items_)
        if (item.hwnd)
            SetWindowPos(item.hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormWindow::layout() {
    const forms::FormDesc& d = form_.description();
    RECT frame{0, 0, px(d.clientWidth), px(d.clientHeight)};
    AdjustWindowRectExForDpi(&frame, DWORD(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                             DWORD(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Where the frame drawn differs from the one computed for this resolution, the client area
    // still gets its exact size.
    RECT client;
    GetClientRect(hwnd_, &client);
    const int dw = px(d.clientWidth) - client.right, dh = px(d.clientHeight) - client.bottom;
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
    // The focus goes to the control with the lowest tab index.
    const auto order = tabOrder();
    SetFocus(order.empty() ? hwnd_ : order.front()->hwnd);
}

void FormWindow::activate() {
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
}

std::vector<FormWindow::Item*> FormWindow::tabOrder() {
    std::vector<Item*> order;
    for (Item& item : items_)
        if (item.hwnd && takesFocus(*item.state->desc)) order.push_back(&item);
    std::stable_sort(order.begin(), order.end(), [](Item* a, Item* b) {
        return a->state->desc->tabIndex < b->state->desc->tabIndex;
    });
    return order;
}

void FormWindow::focusNext(HWND from, bool backwards) {
    const auto order = tabOrder();
    if (order.empty()) return;
    const auto at =
        std::find_if(order.begin(), order.end(), [from](Item* i) { return i->hwnd == from; });
    std::size_t next = 0;
    if (at != order.end()) {
        const std::size_t i = std::size_t(at - order.begin());
        next = backwards ? (i + order.size() - 1) % order.size() : (i + 1) % order.size();
    } else if (backwards) {
        next = order.size() - 1;
    }
    SetFocus(order[next]->hwnd);
}

bool FormWindow::formKey(HWND from, WPARAM key) {
    switch (key) {
        case VK_TAB:
            focusNext(from, GetKeyState(VK_SHIFT) < 0);
            return true;
        case VK_ESCAPE:
            for (Item& item : items_)
                if (item.state->desc->kind == Kind::Button && item.state->desc->cancel) {
                    command(item);
                    return true;
                }
            return false;
        case VK_RETURN:
            if (Item* item = find(from); item && item->state->desc->kind == Kind::Button) {
                command(*item);
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool FormWindow::accessKey(wchar_t letter) {
    letter = static_cast<wchar_t>(std::towupper(letter));
    for (Item& item : items_) {
        const ControlDesc& d = *item.state->desc;
        if ((d.kind == Kind::Button || d.kind == Kind::Option) && item.hwnd &&
            accessLetter(d.caption) == letter) {
            SetFocus(item.hwnd);
            command(item);
            return true;
        }
    }
    return false;
}

void FormWindow::command(Item& item) {
    ControlState& state = *item.state;
    auto& runtime = host_.runtime();
    if (state.desc->kind == Kind::Button)
        host_.act([&] { runtime.click(state); });
    else if (state.desc->kind == Kind::Option)
        host_.act([&] { runtime.select(state); });
}

void FormWindow::scroll(Item& item, int code, int position) {
    forms::Slider slider(*item.state);
    auto& runtime = host_.runtime();
    const ControlDesc& d = *item.state->desc;
    switch (code) {
        case SB_THUMBPOSITION:  // the thumb released: one assignment
            host_.act(
                [&] { runtime.drag(slider, forms::Int(static_cast<std::int16_t>(position))); });
            break;
        // The steps of a press (an arrow or the track held down, or a key), which the bar
        // repeats for as long as it is held: one press goes no further once it has met a box.
        case SB_LINELEFT:
        case SB_LINERIGHT:
            host_.pressStep([&] { runtime.arrow(slider, code == SB_LINELEFT ? -1 : +1); });
            break;
        case SB_PAGELEFT:
        case SB_PAGERIGHT:
            host_.pressStep([&] { runtime.page(slider, code == SB_PAGELEFT ? -1 : +1); });
            break;
        case SB_LEFT:   // Home: as if the thumb were dragged to the start
        case SB_RIGHT:  // End
            host_.pressStep(
                [&] { runtime.drag(slider, forms::Int(code == SB_LEFT ? d.min : d.max)); });
            break;
        default:
            break;  // the thumb follows the mouse; the end of a scroll
    }
    // A press that has met a box is over for the bar as well: its repeat timer would go on
    // through the box and after it (the button's release went to the box), and start stepping
    // again at the next key. A button's release, which the bar takes once this step has
    // returned, ends its tracking; a bar that is not tracking pays it no heed.
    if (host_.pressSpent()) PostMessageW(item.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
    // The bar shows the model's value, whatever the bar did on its own.
    if (!unloaded_ && form_.loaded()) sync();
}

void FormWindow::wheel(Item& item, int delta) {
    // One small step per notch, towards Max when the wheel turns towards the user.
    wheelRest_ += delta;
    while (std::abs(wheelRest_) >= WHEEL_DELTA && !unloaded_) {
        const int direction = wheelRest_ > 0 ? -1 : +1;
        wheelRest_ += direction * WHEEL_DELTA;
        forms::Slider slider(*item.state);
        if (!host_.act([&] { host_.runtime().arrow(slider, direction); })) wheelRest_ = 0;
    }
}

HFONT FormWindow::fitting(const Item& item, const std::function<bool(HDC)>& fits) {
    // The described size, or the largest smaller one down to 5 points at which the text fits.
    const forms::Font& described = fontOf(item);
    HDC dc = GetDC(item.hwnd);
    double points = described.points;
    HFONT chosen = font(described, points);
    while (points > 5) {
        HGDIOBJ old = SelectObject(dc, chosen);
        const bool fit = fits(dc);
        SelectObject(dc, old);
        if (fit) break;
        points -= 0.25;
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

void FormWindow::drawFocus(const Item& item) {
    // A frame in the highlight colour around the part of the control that is seen: the
    // toolkit's own focus frame goes round a caption, and the option buttons have none.
    RECT r;
    GetClientRect(item.hwnd, &r);
    const forms::Box& room = item.exposure.room;
    const ControlDesc& d = *item.state->desc;
    if (!room.empty()) {
        r.right = std::min<LONG>(r.right, px(d.left + room.right) - px(d.left));
        r.bottom = std::min<LONG>(r.bottom, px(d.top + room.bottom) - px(d.top));
    }
    HDC dc = GetDC(item.hwnd);
    FrameRect(dc, &r, brush(GetSysColor(COLOR_HIGHLIGHT)));
    ReleaseDC(item.hwnd, dc);
}

void FormWindow::narrowMargins(Item& item) {
    // Text boxes keep one pixel each side: their boxes are laid out for the text they hold, and a
    // font's own margins would cut it off.
    const Kind kind = item.state->desc->kind;
    if (kind == Kind::Readout || kind == Kind::TextBox)
        SendMessageW(item.hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
}

// What a read-out's value means: its unit, and the colour band in words where it has one.
std::string FormWindow::readoutDescription(const ControlState& c) {
    std::string description(c.desc->unit);
    if (!c.note.empty()) {
        if (!description.empty()) description += "; ";
        description += c.note;
    }
    return description;
}

void FormWindow::annotate(HWND hwnd, const MSAAPROPID& property, std::string_view value) {
    IAccPropServices* acc = host_.accessibility();
    if (!acc) return;
    if (value.empty()) {
        const MSAAPROPID which[] = {property};
        acc->ClearHwndProps(hwnd, DWORD(OBJID_CLIENT), CHILDID_SELF, which, 1);
    } else {
        acc->SetHwndPropStr(hwnd, DWORD(OBJID_CLIENT), CHILDID_SELF, property,
                            widen(value).c_str());
    }
}

void FormWindow::describe(Item& item) {
    item.shownNote = item.state->note;
    annotate(item.hwnd, PROPID_ACC_DESCRIPTION, readoutDescription(*item.state));
    const std::wstring note = widen(item.state->note);
    if (tooltips_) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(item.hwnd);
        tool.lpszText = const_cast<wchar_t*>(note.c_str());
        SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

FormWindow::Accessible FormWindow::accessible(std::string_view control) const {
    const Item* item = find(control);
    if (!item) return {};
    const ControlDesc& d = *item->state->desc;
    return {std::string(d.accessibleName), d.kind == Kind::Readout
                                               ? readoutDescription(*item->state)
                                               : std::string(d.description)};
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
                if (c.value != item.shownValue) {
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

const Pixels& FormWindow::pictureAt(const std::string& key, std::string_view name, int w, int h) {
    auto it = pictures_.find(key);
    if (it != pictures_.end()) return it->second;
    return pictures_[key] = scaled(loadPicture(name), w, h);
}

// The form's own surface: its colour, its background picture, the frames' colours and the drawn
// controls, back to front. It changes only with the resolution, so it is drawn once into a
// bitmap, and every paint (the form's, a frame's inside, what lies behind a transparent label)
// copies from there.
void FormWindow::paintSurface(HDC dc, const RECT& view) {
    if (!surface_) {
        const forms::FormDesc& d = form_.description();
        const int w = px(d.clientWidth), h = px(d.clientHeight);
        HDC screen = GetDC(hwnd_);
        surface_ = CreateCompatibleBitmap(screen, std::max(w, 1), std::max(h, 1));
        ReleaseDC(hwnd_, screen);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, surface_);
        RECT all{0, 0, w, h};
        FillRect(memory, &all, brush(toColorRef(d.back, GetSysColor(COLOR_BTNFACE))));
        if (!d.picture.empty()) {
            // At its natural size from the corner, cut off at the right and bottom edges.
            blend(memory, pictureAt("@form", d.picture, px(d.pictureWidth), px(d.pictureHeight)), 0,
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
    if (!drawn(d.kind) || d.kind == Kind::Timer) return;
    const int saved = SaveDC(dc);
    const RECT clip = rectOfContainer(item);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    if (d.kind == Kind::Image) {
        blend(dc, pictureAt(std::string(d.name), d.picture, r.right - r.left, r.bottom - r.top),
              r.left, r.top);
        RestoreDC(dc, saved);
        return;
    }
    const int width = std::max(1, MulDiv(d.lineWidth, int(dpi_), 96));
    HPEN pen = CreatePen(d.dotted ? PS_DOT : PS_SOLID, d.dotted ? 1 : width,
                         toColorRef(d.fore, RGB(0, 0, 0)));
    SelectObject(dc, (d.kind == Kind::Line || d.outline) ? static_cast<HGDIOBJ>(pen)
                                                         : GetStockObject(NULL_PEN));
    if (d.kind == Kind::Line) {
        const RECT outer = rectOfContainer(item);
        MoveToEx(dc, outer.left + px(d.x1), outer.top + px(d.y1), nullptr);
        LineTo(dc, outer.left + px(d.x2), outer.top + px(d.y2));
    } else {
        SelectObject(dc, d.filled ? static_cast<HGDIOBJ>(brush(toColorRef(d.back, 0)))
                                  : GetStockObject(NULL_BRUSH));
        const int inset = d.outline ? width / 2 : 0;
        if (d.kind == Kind::Oval)
            Ellipse(dc, r.left + inset, r.top + inset, r.right - inset + 1, r.bottom - inset + 1);
        else
            Rectangle(dc, r.left + inset, r.top + inset, r.right - inset + 1, r.bottom - inset + 1);
    }
    RestoreDC(dc, saved);
    DeleteObject(pen);
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
    if (natural.cx > 0 && natural.cy > 0) {
        double w = MulDiv(natural.cx, int(dpi_), 96), h = MulDiv(natural.cy, int(dpi_), 96);
        const double fit = std::min({1.0, r.right / std::max(w, 1.0), r.bottom / std::max(h, 1.0)});
        w = std::max(1.0, std::floor(w * fit));
        h = std::max(1.0, std::floor(h * fit));
        const Pixels& shown = pictureAt(std::string(d.name), d.picture, int(w), int(h));
        blend(dc, shown, (r.right - int(w)) / 2, (r.bottom - int(h)) / 2);
    }
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

LRESULT CALLBACK FormWindow::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->handle(msg, wp, lp);
}

LRESULT CALLBACK FormWindow::controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR ref) {
    auto* self = reinterpret_cast<FormWindow*>(ref);
    if (Item* item = self->find(hwnd)) return self->handleControl(*item, msg, wp, lp);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT FormWindow::handleControl(Item& item, UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = item.hwnd;
    const Kind kind = item.state->desc->kind;
    switch (msg) {
        case WM_KEYDOWN:
            if (formKey(hwnd, wp)) return 0;
            // A key going down begins a press; its auto-repeat is the same press.
            if (kind == Kind::Slider && !(lp & (LPARAM(1) << 30))) host_.pressBegins();
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (kind == Kind::Slider) {
                // A click on a slider gives it the focus, so that the arrow keys then move it, and
                // begins a press: the scroll bar's own tracking repeats its step until the button
                // is released.
                SetFocus(hwnd);
                host_.pressBegins();
            }
            break;
        case WM_CHAR:
            if (wp == L'\t' || wp == L'\r' || wp == 27) return 0;  // handled as keys, no beep
            break;
        case WM_SYSCHAR:
            if (accessKey(wchar_t(wp))) return 0;
            break;
        case WM_MOUSEWHEEL:
            if (kind == Kind::Slider) {
                wheel(item, GET_WHEEL_DELTA_WPARAM(wp));
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            if (kind == Kind::Frame) {
                // A frame shows the form's surface within it; its border and caption follow.
                const RECT r = rectOf(item);
                paintSurface(reinterpret_cast<HDC>(wp), r);
                return 1;
            }
            break;
        case WM_PAINT:
            if (kind == Kind::Picture) {
                paintPicture(hwnd, item);
                return 0;
            }
            if (kind == Kind::Option) {
                const LRESULT done = DefSubclassProc(hwnd, msg, wp, lp);
                if (GetFocus() == hwnd) drawFocus(item);
                return done;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (kind == Kind::Option) {
                const LRESULT done = DefSubclassProc(hwnd, msg, wp, lp);
                InvalidateRect(hwnd, nullptr, TRUE);  // the focus frame comes or goes
                return done;
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, &FormWindow::controlProc, kSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT FormWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            paint(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            if (HBRUSH b = colours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)))
                return reinterpret_cast<LRESULT>(b);
            break;
        case WM_DRAWITEM:
            drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED)
                if (Item* item = find(reinterpret_cast<HWND>(lp))) command(*item);
            return 0;
        case WM_HSCROLL:
            if (Item* item = find(reinterpret_cast<HWND>(lp)))
                if (item->state->desc->kind == Kind::Slider)
                    scroll(*item, LOWORD(wp), static_cast<short>(HIWORD(wp)));
            return 0;
        case WM_TIMER:
            if (wp >= 1 && wp <= items_.size() && !unloaded_) {
                ControlState& timer = *items_[wp - 1].state;
                host_.act([&] { host_.runtime().tick(timer); });
            }
            return 0;
        case WM_KEYDOWN:
            if (formKey(hwnd_, wp)) return 0;
            break;
        case WM_SYSCHAR:
            if (accessKey(wchar_t(wp))) return 0;
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                focus_ = GetFocus();
            } else if (focus_ && IsWindow(focus_) && GetParent(focus_) == hwnd_) {
                SetFocus(focus_);
                return 0;
            }
            break;
        case WM_CLOSE:
            // The user closed the window: the model unloads the form, which takes it away.
            if (!unloaded_) host_.act([&] { host_.runtime().close(form_); });
            return 0;
        case WM_DPICHANGED: {
            dpi_ = LOWORD(wp);
            const RECT* suggested = reinterpret_cast<const RECT*>(lp);
            layout();
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace formswin32
