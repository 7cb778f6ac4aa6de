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

// A virtual key as the model's map names it.
forms::Key modelKey(WPARAM key) {
    switch (key) {
        case VK_LEFT:
            return forms::Key::Left;
        case VK_RIGHT:
            return forms::Key::Right;
        case VK_UP:
            return forms::Key::Up;
        case VK_DOWN:
            return forms::Key::Down;
        case VK_PRIOR:
            return forms::Key::PageUp;
        case VK_NEXT:
            return forms::Key::PageDown;
        case VK_HOME:
            return forms::Key::Home;
        case VK_END:
            return forms::Key::End;
        case VK_RETURN:
            return forms::Key::Enter;
        case VK_ESCAPE:
            return forms::Key::Escape;
        case VK_TAB:
            return GetKeyState(VK_SHIFT) < 0 ? forms::Key::BackTab : forms::Key::Tab;
        default:
            return forms::Key::Other;
    }
}

}  // namespace

bool FormWindow::hand(const Item* item, const forms::Input& input) {
    const auto handled = host_.input(form_, plan_, item ? item->index : forms::kOnForm, input);
    if (handled.response.focus && !unloaded_)
        if (const Item* to = find(*handled.response.focus); to && to->hwnd) SetFocus(to->hwnd);
    return handled.response.taken;
}

bool FormWindow::key(HWND from, WPARAM key, LPARAM flags) {
    const forms::Key k = modelKey(key);
    if (k == forms::Key::Other) return false;
    return hand(find(from), forms::Input::keyDown(k, (flags & (LPARAM(1) << 30)) != 0));
}

bool FormWindow::accessKey(HWND from, wchar_t letter) {
    return hand(find(from), forms::Input::keyDown(forms::Key::Access, false, char32_t(letter)));
}

void FormWindow::scroll(Item& item, int code, int position) {
    forms::Slider slider(*item.state);
    auto& runtime = host_.runtime();
    switch (code) {
        case SB_THUMBPOSITION:  // the thumb released: one assignment
            host_.act(
                [&] { runtime.drag(slider, forms::Int(static_cast<std::int16_t>(position))); });
            break;
        // The steps of a press of an arrow or the track, which the bar repeats for as long as it
        // is held (the button going down began the press).
        case SB_LINELEFT:
            hand(&item, forms::Input::press(forms::Part::LessArrow, true));
            break;
        case SB_LINERIGHT:
            hand(&item, forms::Input::press(forms::Part::MoreArrow, true));
            break;
        case SB_PAGELEFT:
            hand(&item, forms::Input::press(forms::Part::TrackBefore, true));
            break;
        case SB_PAGERIGHT:
            hand(&item, forms::Input::press(forms::Part::TrackAfter, true));
            break;
        case SB_LEFT:   // the bar's menu: to the left edge, as Home
        case SB_RIGHT:  // to the right edge, as End
            hand(&item,
                 forms::Input::keyDown(code == SB_LEFT ? forms::Key::Home : forms::Key::End));
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
            if (key(hwnd, wp, lp)) return 0;
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
            if (accessKey(hwnd, wchar_t(wp))) return 0;
            break;
        case WM_MOUSEWHEEL:
            if (kind == Kind::Slider) {
                // Windows counts a turn away from the user as positive, WHEEL_DELTA to a notch.
                host_.wheel(form_, plan_, item.index, -GET_WHEEL_DELTA_WPARAM(wp), WHEEL_DELTA);
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
                if (Item* item = find(reinterpret_cast<HWND>(lp)))
                    hand(item, forms::Input::click());
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
            if (key(hwnd_, wp, lp)) return 0;
            break;
        case WM_SYSCHAR:
            if (accessKey(hwnd_, wchar_t(wp))) return 0;
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
