// What the parts of a form's window share: the building and laying out (formwindow.cpp), the
// painting (formwindow_paint.cpp), the mouse and keyboard (formwindow_input.cpp) and what screen
// readers are told (formwindow_accessible.cpp).
#pragma once

#include "display/win32/formwindow.h"

namespace formswin32 {

// The subclass through which the form's window sees its controls' messages.
inline constexpr UINT_PTR kSubclass = 1;

// A colour of the tables as the system draws it; `fallback` for the kind's default.
COLORREF toColorRef(forms::Colour c, COLORREF fallback);

// Whether the form's window paints the control itself (no window of its own).
bool paintedByForm(forms::Kind k);

// Draws premultiplied pixels at a point, blended over what is there.
void blend(HDC dc, const Pixels& pixels, int x, int y);

}  // namespace formswin32
