// One top-level window built from a form's description. Its parts: building and laying out
// (formwindow.cpp), painting (formwindow_paint.cpp), mouse and keyboard (formwindow_input.cpp),
// and what screen readers are told (formwindow_accessible.cpp).
//
// Every control that is a window of its own (sliders, text boxes, labels, frames, buttons, option
// buttons, picture boxes) is a child of the form's window, placed at its container's offset, and
// stacked in the plan's front-to-back order, a frame's controls just in front of the frame. The
// drawn controls (lines, ovals, rectangles, stretched images) and the frames' backgrounds are
// painted by the form's window itself, back to front, below the child windows.
#pragma once

#include <climits>
#include <functional>

#include "display/win32/win32host.h"
#include "forms/input.h"
#include "forms/plan.h"

namespace formswin32 {

class FormWindow {
  public:
    FormWindow(Win32Host& host, forms::Form& form);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    forms::Form& form() const { return form_; }
    // The window of a control, by its name in the form's table; null for drawn controls.
    HWND control(std::string_view name) const;
    // Where a control lies in the window's client area, in pixels at the window's resolution.
    RECT controlRect(std::string_view name) const;
    UINT dpi() const { return dpi_; }

    // Shows the model's values: slider positions, read-out texts and colours, options.
    void sync();
    // Centres the window on its screen, shows it and puts the focus on the lowest tab index.
    void present();
    void activate();
    // The model has unloaded the form: the window goes without asking the model again.
    void markUnloaded();

    // A key going down on a control's window (or the form's), handed to the model's map; true
    // when the key was the model's. flags: the key message's.
    bool key(HWND from, WPARAM key, LPARAM flags);

    // What a screen reader is told about a control: its name, and its description: for a
    // read-out its unit and what its value means (the angle's band in words, which is also its
    // tooltip), for a drawing what its letters mean.
    struct Accessible {
        std::string name, description;
    };
    Accessible accessible(std::string_view control) const;
    bool accessKey(HWND from, wchar_t letter);

  private:
    struct Item {
        forms::ControlState* state = nullptr;
        HWND hwnd = nullptr;
        forms::Colour shownBack = forms::kDefaultColour;  // read-outs: the colour on screen
        std::string_view shownNote;                       // read-outs: the meaning told
        int shownValue = INT_MIN;                         // sliders: the value last traced
        std::size_t index = 0;                            // in the form's table and in plan_
    };
    const forms::Plan::Control& planned(const Item& item) const {
        return plan_.controls[item.index];
    }

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR self);
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handleControl(Item& item, UINT msg, WPARAM wp, LPARAM lp);

    void build();
    void layout();  // sizes and places everything at the window's current resolution
    void paint(HDC dc);
    void paintSurface(HDC dc, const RECT& view);
    void paintItem(HDC dc, const Item& item);
    void scroll(Item& item, int code, int position);
    // Hands an input on a control (null: the window) to the model's map; moves the focus where it
    // says. True when the input was the model's.
    bool hand(const Item* item, const forms::Input& input);
    HBRUSH colours(HDC dc, HWND child);
    void drawButton(const DRAWITEMSTRUCT& draw);
    void paintPicture(HWND hwnd, Item& item);
    void fitReadout(Item& item);
    void fitCaption(Item& item);
    HFONT fitting(const Item& item, const std::function<bool(HDC)>& fits);
    void drawFocus(const Item& item);
    void narrowMargins(Item& item);
    void describe(Item& item);
    void annotate(HWND hwnd, const MSAAPROPID& property, std::string_view value);
    Item* find(HWND hwnd);
    Item* find(std::size_t index);
    Item* find(std::string_view name);
    const Item* find(std::string_view name) const;
    RECT rectOf(const Item& item) const;
    RECT rectOfContainer(const Item& item) const;
    COLORREF backOf(const Item& item) const;  // a control's background, or what it sits on
    const forms::Font& fontOf(const Item& item) const;
    HFONT font(const forms::Font& f, double points = 0);
    HBRUSH brush(COLORREF colour);
    const Pixels& pictureAt(const std::string& key, std::string_view name, int w, int h);

    Win32Host& host_;
    forms::Form& form_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    forms::Plan plan_;  // worked out anew when the window moves to a screen of another dpi
    bool unloaded_ = false;
    HWND focus_ = nullptr;       // where the focus was when the window was last active
    HBITMAP surface_ = nullptr;  // the form's own drawing at the current resolution
    SIZE surfaceSize_{};         // as large as the client area, at least the table's size
    HWND tooltips_ = nullptr;    // the read-outs' tooltips: what their values mean
    std::vector<Item> items_;    // front to back
    std::map<std::string, HFONT> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::map<std::string, Pixels> pictures_;
};

}  // namespace formswin32
