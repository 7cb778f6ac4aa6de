#include "display/win32/formwindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "display/win32/formwindow_parts.h"
#include "forms/plan.h"

namespace formswin32 {

using forms::ControlDesc;
using forms::ControlState;
using forms::Kind;

namespace {

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

}  // namespace

std::vector<FormWindow::Item*> FormWindow::tabOrder() {
    std::vector<Item*> order;
    for (const std::size_t i : plan_.tabOrder)
        for (Item& item : items_)
            if (item.state == &form_.controls()[i] && item.hwnd) order.push_back(&item);
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

bool FormWindow::formKey(HWND from, WPARAM key, LPARAM flags) {
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
            // Enter held on a button clicks it once: its repeats are the same press.
            if (Item* item = find(from); item && item->state->desc->kind == Kind::Button) {
                if (host_.keyClicks(flags & (LPARAM(1) << 30))) command(*item);
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

bool FormWindow::optionArrow(Item& item, WPARAM key) {
    // The arrow keys move the focus and the choice through the option buttons of one frame, as
    // in a group of radio buttons: the choice as a click makes it.
    const int step = key == VK_RIGHT || key == VK_DOWN ? +1
                     : key == VK_LEFT || key == VK_UP  ? -1
                                                       : 0;
    if (step == 0) return false;
    const std::size_t next = forms::nextOption(form_.description(), plan_, item.index, step);
    for (Item& other : items_)
        if (other.index == next && other.hwnd && next != item.index) {
            SetFocus(other.hwnd);
            command(other);
            break;
        }
    return true;
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
            if (formKey(hwnd, wp, lp)) return 0;
            if (kind == Kind::Option && optionArrow(item, wp)) return 0;
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
            if (formKey(hwnd_, wp, lp)) return 0;
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
            plan_ = forms::plan(form_.description(), dpi_);
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
