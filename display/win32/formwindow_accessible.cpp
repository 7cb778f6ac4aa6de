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
    annotate(item.hwnd, PROPID_ACC_DESCRIPTION, forms::readoutDescription(*item.state));
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
    return {planned(*item).spoken, d.kind == Kind::Readout ? forms::readoutDescription(*item->state)
                                                           : std::string(d.description)};
}

}  // namespace formswin32
