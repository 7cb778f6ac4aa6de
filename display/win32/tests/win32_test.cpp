// The Win32 binding in its own process, on a real display (Wine on a virtual one in the tests):
// the windows it builds against their tables, and real window messages against the same actions
// run by the scenario runner.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "about/acerca.h"
#include "calculators/duaspernas.h"
#include "calculators/trespernas.h"
#include "display/win32/formwindow.h"
#include "display/win32/win32host.h"
#include "forms/plan.h"
#include "shell/shell.h"
#include "tools/replay/replay.h"

namespace {

using forms::ControlState;
using forms::Kind;
using formswin32::FormWindow;
using Menu = shell::frmmain;
using Two = calculators::frmduaspernas;
using Three = calculators::frmtrespernas;
using About = about::frmacerca;

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int pixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

std::string text(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return formswin32::narrow(buffer);
}

COLORREF rgb(forms::Colour c) {
    return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

// The colour a control is painted in: what its window receives from the form when it paints.
COLORREF paintedBack(const FormWindow& window, HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(window.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control));
    const COLORREF back = GetBkColor(dc);
    DeleteDC(dc);
    return back;
}

class Win32Binding : public ::testing::Test {
  protected:
    void SetUp() override {
        host.setAutoAnswer(true);
        host.attach(runtime);
        shell::addProgramForms(runtime);
    }
    // The forms close as the user would close them.
    void TearDown() override {
        for (forms::Form* form : runtime.loadedForms()) runtime.close(*form);
        pump();
    }

    FormWindow& open(std::string_view form) {
        runtime.showForm(*runtime.find(form));
        pump();
        FormWindow* window = host.window(form);
        EXPECT_NE(window, nullptr) << form;
        return *window;
    }
    ControlState& state(std::string_view form, std::string_view control) {
        return *runtime.find(form)->find(control);
    }

    formswin32::Win32Host host{GetModuleHandleW(nullptr)};
    forms::FormsRuntime runtime{host};
};

// Every window's client area is its table's size, and every control lies where its table puts
// it, inside the frames that hold it; windows look as their kind says.
TEST_F(Win32Binding, windowsAndControlsFollowTheirTables) {
    for (std::string_view name : {"frmsplashscreen", "frmmain", "frmduaspernas", "frmtrespernas",
                                  "frmquatropernas", "frmacerca"}) {
        SCOPED_TRACE(std::string(name));
        FormWindow& window = open(name);
        ASSERT_EQ(window.dpi(), 96u);
        const forms::FormDesc& d = window.form().description();
        RECT client;
        GetClientRect(window.hwnd(), &client);
        EXPECT_EQ(client.right, pixels(d.clientWidth));
        EXPECT_EQ(client.bottom, pixels(d.clientHeight));
        EXPECT_TRUE(IsWindowVisible(window.hwnd()));
        // Centred on its screen.
        RECT outer;
        GetWindowRect(window.hwnd(), &outer);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        EXPECT_NEAR(outer.left + outer.right, monitor.rcWork.left + monitor.rcWork.right, 1);
        EXPECT_NEAR(outer.top + outer.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);

        const LONG_PTR style = GetWindowLongPtrW(window.hwnd(), GWL_STYLE);
        switch (d.style) {
            case forms::WindowStyle::Bare:
                EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
                // No title bar, but the task bar and the window switcher name the program.
                EXPECT_EQ(text(window.hwnd()), "Pernadas");
                break;
            case forms::WindowStyle::Calculator:
                EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
                EXPECT_TRUE(style & WS_MINIMIZEBOX);
                EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
                EXPECT_EQ(text(window.hwnd()), d.caption);
                break;
            case forms::WindowStyle::Dialog:
                EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
                EXPECT_TRUE(style & WS_SYSMENU);
                // Owned by the program's hidden window, so not in the task bar.
                EXPECT_EQ(GetWindow(window.hwnd(), GW_OWNER), host.owner());
                break;
        }

        // Each control's window where the model's plan puts it.
        const forms::Plan plan = forms::plan(d, 96);
        for (const ControlState& c : window.form().controls()) {
            const forms::ControlDesc& cd = *c.desc;
            const forms::Plan::Control& planned =
                plan.controls[std::size_t(&cd - d.controls.data())];
            HWND control = window.control(cd.name);
            if (!planned.made || cd.kind == Kind::Line || cd.kind == Kind::Oval ||
                cd.kind == Kind::Rectangle || cd.kind == Kind::Image) {
                EXPECT_EQ(control, nullptr) << cd.name;
                continue;
            }
            ASSERT_NE(control, nullptr) << cd.name;
            RECT r;
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
            const forms::PixelBox& b = planned.inForm;
            EXPECT_EQ(r.left, b.left) << cd.name;
            EXPECT_EQ(r.top, b.top) << cd.name;
            EXPECT_EQ(r.right - r.left, b.width) << cd.name;
            EXPECT_EQ(r.bottom - r.top, b.height) << cd.name;
            EXPECT_EQ(IsWindowVisible(control) != FALSE, cd.visible) << cd.name;
            if (cd.kind == Kind::Label || cd.kind == Kind::Button || cd.kind == Kind::Frame) {
                EXPECT_EQ(text(control), cd.caption) << cd.name;
            }
        }
    }
}

// The pictures every table names are in the program, each with its drawing's size.
TEST_F(Win32Binding, everyPictureOfTheTablesIsEmbedded) {
    int seen = 0;
    for (forms::Form* form : runtime.forms()) {
        std::vector<std::string_view> names;
        if (!form->description().picture.empty()) names.push_back(form->description().picture);
        for (const ControlState& c : form->controls())
            if (!c.desc->picture.empty()) names.push_back(c.desc->picture);
        for (std::string_view name : names) {
            SIZE natural{};
            const formswin32::Pixels p = formswin32::loadPicture(name, &natural);
            EXPECT_FALSE(p.empty()) << name;
            EXPECT_GT(natural.cx, 0) << name;
            EXPECT_GT(natural.cy, 0) << name;
            ++seen;
        }
    }
    EXPECT_GE(seen, 6);
    EXPECT_TRUE(formswin32::loadPicture("no-such-picture").empty());
}

// Resampling keeps a flat colour flat and its coverage, whichever way it goes.
TEST(Pictures, resamplingKeepsColourAndCoverage) {
    formswin32::Pixels flat;
    flat.width = 40;
    flat.height = 10;
    flat.data.assign(400, 0x80402010u);  // half-covered, premultiplied
    for (auto [w, h] : {std::pair{13, 7}, std::pair{97, 31}, std::pair{1, 1}}) {
        const formswin32::Pixels s = formswin32::scaled(flat, w, h);
        ASSERT_EQ(s.width, w);
        ASSERT_EQ(s.height, h);
        for (std::uint32_t p : s.data) ASSERT_EQ(p, 0x80402010u);
    }
    EXPECT_TRUE(formswin32::scaled(flat, 0, 5).empty());
}

// Slider, button and key messages sent to the real windows change the model exactly as the same
// actions do through the scenario runner; after each, the read-outs show the model's texts and
// colours.
TEST_F(Win32Binding, windowMessagesActAsTheScenarioRunnerDoes) {
    replay::Runner twin;
    bool bad = false;
    twin.line("show frmduaspernas", bad);
    FormWindow& window = open("frmduaspernas");
    forms::Form& form = *runtime.find("frmduaspernas");
    forms::Form& twinForm = *twin.runtime().find("frmduaspernas");

    auto scroll = [&](std::string_view bar, int code, int position = 0) {
        SendMessageW(window.hwnd(), WM_HSCROLL, MAKEWPARAM(code, position),
                     reinterpret_cast<LPARAM>(window.control(bar)));
    };
    auto check = [&](const std::string& step) {
        SCOPED_TRACE(step);
        pump();
        for (const ControlState& c : form.controls()) {
            const ControlState& t = *twinForm.find(c.desc->name);
            EXPECT_EQ(c.value, t.value) << c.desc->name;
            EXPECT_EQ(c.text, t.text) << c.desc->name;
            EXPECT_EQ(c.back, t.back) << c.desc->name;
            HWND hwnd = window.control(c.desc->name);
            if (c.desc->kind == Kind::Readout) {
                EXPECT_EQ(text(hwnd), c.text) << c.desc->name;
                const COLORREF expected =
                    c.back == forms::kDefaultColour ? GetSysColor(COLOR_WINDOW) : rgb(c.back);
                EXPECT_EQ(paintedBack(window, hwnd), expected) << c.desc->name;
            }
            if (c.desc->kind == Kind::Slider && hwnd) {  // a slider never shown has none
                EXPECT_EQ(GetScrollPos(hwnd, SB_CTL), c.value) << c.desc->name;
            }
        }
        EXPECT_FALSE(bad);
    };

    scroll("hsblcarga", SB_LINERIGHT);
    twin.line("arrow frmduaspernas hsblcarga +", bad);
    check("an arrow click");
    scroll("hsblcarga", SB_PAGERIGHT);
    twin.line("page frmduaspernas hsblcarga +", bad);
    check("a track click");
    scroll("hsblcarga", SB_THUMBPOSITION, 300);
    twin.line("drag frmduaspernas hsblcarga 300", bad);
    check("a thumb released");
    scroll("hsblcarga", SB_THUMBTRACK, 900);  // the thumb still held: nothing happens yet
    check("a thumb held");
    scroll("hsbperna", SB_PAGELEFT);
    twin.line("page frmduaspernas hsbperna -", bad);
    check("a track click on the leg");
    SendMessageW(window.control(Two::kSearchButton), BM_CLICK, 0, 0);
    twin.line("click frmduaspernas Command4", bad);
    check("the 90-degree search");
    EXPECT_EQ(state("frmduaspernas", "txtangsup").text, " 90");
    scroll("hsbperna", SB_LEFT);  // Home: to the start, one assignment
    twin.line("drag frmduaspernas hsbperna 50", bad);
    check("the leg to its start");
    EXPECT_EQ(host.shownMessages().size(), 0u);

    // Esc presses "Cancelar": back to the menu.
    SendMessageW(window.control("hsblcarga"), WM_KEYDOWN, VK_ESCAPE, 0);
    pump();
    EXPECT_FALSE(form.loaded());
    EXPECT_TRUE(runtime.find("frmmain")->loaded());
    EXPECT_EQ(host.window("frmduaspernas"), nullptr);
}

// Tab walks the controls in their tab order from the lowest index, Enter presses the focused
// button, access keys press theirs.
TEST_F(Win32Binding, keyboardFollowsTheTabOrder) {
    FormWindow& menu = open("frmmain");
    EXPECT_EQ(GetFocus(), menu.control(Menu::kQuitButton));  // "Terminar", tab index 0
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), menu.control(Menu::kTwoLegsButton));
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), menu.control(Menu::kAboutButton));  // "Acerca"
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), menu.control(Menu::kQuitButton));  // round again

    // Enter on "Acerca" opens the about dialog beside the menu; its focus is on the system
    // information button, which Enter would press.
    SendMessageW(menu.control(Menu::kAboutButton), WM_KEYDOWN, VK_RETURN, 0);
    pump();
    FormWindow* about = host.window("frmacerca");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetFocus(), about->control(About::kSysInfoButton));
    EXPECT_TRUE(runtime.find("frmmain")->loaded());
    // Alt+O: "&Ok".
    SendMessageW(GetFocus(), WM_SYSCHAR, L'o', 1 << 29);
    pump();
    EXPECT_FALSE(runtime.find("frmacerca")->loaded());
    // Enter held on "Acerca" after it has opened the dialog: its repeats open nothing more.
    SendMessageW(menu.control(Menu::kAboutButton), WM_KEYDOWN, VK_RETURN, 1 << 30);
    pump();
    EXPECT_FALSE(runtime.find("frmacerca")->loaded());

    // The calculator's sliders step with the keys the scroll bar turns into scroll messages, and
    // take no Tab character into the model.
    FormWindow& calc = open("frmduaspernas");
    EXPECT_EQ(GetFocus(), calc.control(Two::kCancelButton));  // "Cancelar", tab index 0
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), calc.control("hsblcarga"));  // tab index 1
    const int before = state("frmduaspernas", "hsblcarga").value;
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(GetFocus(), WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(state("frmduaspernas", "hsblcarga").value, before + 1);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(state("frmduaspernas", "hsblcarga").value, 1200);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(state("frmduaspernas", "hsblcarga").value, 100);

    // The wheel: one small step a notch, towards Max when it turns towards the user; half notches
    // add up.
    HWND bar = calc.control("hsblcarga");
    auto notches = [](int delta) { return MAKEWPARAM(0, static_cast<WORD>(delta)); };
    SendMessageW(bar, WM_MOUSEWHEEL, notches(-WHEEL_DELTA), 0);
    EXPECT_EQ(state("frmduaspernas", "hsblcarga").value, 101);
    SendMessageW(bar, WM_MOUSEWHEEL, notches(-3 * WHEEL_DELTA), 0);
    EXPECT_EQ(state("frmduaspernas", "hsblcarga").value, 104);
    SendMessageW(bar, WM_MOUSEWHEEL, notches(WHEEL_DELTA / 2), 0);
    EXPECT_EQ(state("frmduaspernas", "hsblcarga").value, 104);
    SendMessageW(bar, WM_MOUSEWHEEL, notches(WHEEL_DELTA / 2), 0);
    EXPECT_EQ(state("frmduaspernas", "hsblcarga").value, 103);
}

// A bare window made larger by its border shows its colour, not black, where it has grown:
// beyond the splash's table, and beyond the menu's background picture.
TEST_F(Win32Binding, aBareWindowPaintsWhatAResizeAdds) {
    for (std::string_view name : {"frmsplashscreen", "frmmain"}) {
        FormWindow& window = open(name);
        RECT r;
        GetWindowRect(window.hwnd(), &r);
        SetWindowPos(window.hwnd(), nullptr, 0, 0, r.right - r.left + 200, r.bottom - r.top + 100,
                     SWP_NOMOVE | SWP_NOZORDER);
        pump();
        UpdateWindow(window.hwnd());
        GetClientRect(window.hwnd(), &r);
        const forms::Colour back = window.form().description().back;
        HDC dc = GetDC(window.hwnd());
        EXPECT_EQ(GetPixel(dc, r.right - 3, r.bottom - 3),
                  back == forms::kDefaultColour ? GetSysColor(COLOR_BTNFACE) : rgb(back))
            << name;
        ReleaseDC(window.hwnd(), dc);
    }
}

// A window moved to a screen of another resolution lays itself out again at that resolution.
TEST_F(Win32Binding, aNewResolutionLaysTheWindowOutAgain) {
    FormWindow& window = open("frmtrespernas");
    RECT suggested{100, 80, 1000, 700};
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.dpi(), 144u);
    auto at144 = [](int twips) { return static_cast<int>(std::lround(twips / 10.0)); };
    const forms::FormDesc& d = window.form().description();
    RECT client;
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, at144(d.clientWidth));
    EXPECT_EQ(client.bottom, at144(d.clientHeight));
    const forms::ControlDesc& leg = *window.form().find("hsbperna")->desc;
    RECT r;
    GetWindowRect(window.control("hsbperna"), &r);
    MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, at144(leg.left));
    EXPECT_EQ(r.right - r.left, at144(leg.width));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(
                   SendMessageW(window.control(Three::kCancelButton), WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -static_cast<int>(std::lround(8.25 * 144 / 72)));
    // The layouts' bitmap face is asked for as its outline twin, which scales.
    EXPECT_STREQ(font.lfFaceName, L"Microsoft Sans Serif");
}

// At 96, 120 and 144 dpi, every label's text, wrapped or not, fits the part of it that is seen,
// and every button's caption fits inside its bevel, in the font each ended up with.
TEST_F(Win32Binding, everyCaptionFitsWhatShowsOfIt) {
    for (std::string_view name : {"frmsplashscreen", "frmmain", "frmduaspernas", "frmtrespernas",
                                  "frmquatropernas", "frmacerca"}) {
        FormWindow& window = open(name);
        for (UINT dpi : {96u, 120u, 144u}) {
            RECT suggested{0, 0, 1000, 800};
            SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            for (const ControlState& c : window.form().controls()) {
                const forms::ControlDesc& d = *c.desc;
                HWND control = window.control(d.name);
                if (!control || !IsWindowVisible(control) || d.caption.empty()) continue;
                if (d.kind != Kind::Label && d.kind != Kind::Button) continue;
                RECT room;
                GetClientRect(control, &room);
                if (d.kind == Kind::Button) InflateRect(&room, -5, -4);
                const std::wstring caption = formswin32::widen(d.caption);
                HDC dc = GetDC(control);
                HGDIOBJ old = SelectObject(
                    dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
                RECT need = room;
                DrawTextW(dc, caption.c_str(), -1, &need,
                          DT_CALCRECT | DT_WORDBREAK | (d.kind == Kind::Label ? DT_NOPREFIX : 0));
                SelectObject(dc, old);
                ReleaseDC(control, dc);
                EXPECT_LE(need.right - need.left, room.right - room.left)
                    << name << "." << d.name << " at " << dpi << " dpi";
                EXPECT_LE(need.bottom - need.top, room.bottom - room.top)
                    << name << "." << d.name << " at " << dpi << " dpi";
            }
        }
    }
}

// Screen readers hear the same names as in the Linux program, and the angle read-outs say their
// band in words, which is also their tooltip.
TEST_F(Win32Binding, slidersAndReadoutsAreNamedAndAnglesDescribed) {
    FormWindow& window = open("frmduaspernas");
    SendMessageW(window.hwnd(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 300),
                 reinterpret_cast<LPARAM>(window.control("hsblcarga")));
    SendMessageW(window.hwnd(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 400),
                 reinterpret_cast<LPARAM>(window.control("hsbperna")));
    int named = 0;
    for (const ControlState& c : window.form().controls())
        if (!window.accessible(c.desc->name).name.empty()) ++named;
    EXPECT_GE(named, 9);
    // Called as every display calls it (the plan's spoken name): its blanks folded.
    EXPECT_EQ(window.accessible("txtaltura").name, "Altura Argolão/Carga");
    for (std::string_view angle : {"txtangsup", "txtanginf"})
        EXPECT_FALSE(state("frmduaspernas", angle).note.empty()) << angle;
    // A read-out says its unit, then its band; the drawing what its letters mean.
    for (const ControlState& c : window.form().controls()) {
        const std::string description = window.accessible(c.desc->name).description;
        if (c.desc->kind != Kind::Readout) {
            EXPECT_EQ(description, c.desc->description);
            continue;
        }
        EXPECT_EQ(description.rfind(c.desc->unit, 0), 0u) << description;
        if (!c.note.empty()) {
            EXPECT_EQ(description.size() - description.rfind(c.note), c.note.size()) << description;
        }
    }
    // Where the system keeps annotations, a screen reader reads them back.
    IAccessible* object = nullptr;
    if (host.accessibility() && SUCCEEDED(AccessibleObjectFromWindow(
                                    window.control("txtangsup"), DWORD(OBJID_CLIENT),
                                    __uuidof(IAccessible), reinterpret_cast<void**>(&object)))) {
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        if (object->get_accName(self, &name) == S_OK && name) {
            std::printf("a screen reader reads the upper angle as \"%s\"\n",
                        formswin32::narrow(name).c_str());
            SysFreeString(name);
        }
        object->Release();
    }
}

// A handler's message box is a real one: found, read and dismissed here. Before it opens, the
// windows behind it already show the model's values; input that reaches a window while it is
// open is dropped.
TEST_F(Win32Binding, aHandlersMessageBoxIsShownModalAndDismissed) {
    host.setAutoAnswer(false);
    FormWindow& window = open("frmduaspernas");
    HWND leg = window.control("hsbperna");

    struct Seen {
        std::string title, text;
        int legPosition = -1;
        bool ownerDisabled = false;
        int loadAfterInput = -1;
        int boxes = 0;
    } seen;
    static Seen* current = nullptr;
    static FormWindow* w = nullptr;
    static forms::Form* form = nullptr;
    current = &seen;
    w = &window;
    form = runtime.find("frmduaspernas");
    auto dismiss = [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (!box) return;
        KillTimer(nullptr, id);
        ++current->boxes;
        current->title = text(box);
        current->text = text(GetDlgItem(box, 0xFFFF));
        current->legPosition = GetScrollPos(w->control("hsbperna"), SB_CTL);
        current->ownerDisabled = !IsWindowEnabled(w->hwnd());
        // A slider message while the box is open changes nothing.
        SendMessageW(w->hwnd(), WM_HSCROLL, SB_LINERIGHT,
                     reinterpret_cast<LPARAM>(w->control("hsblcarga")));
        current->loadAfterInput = form->find("hsblcarga")->value;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 50, dismiss);
    // The leg before any load: the handler asks for the load first.
    SendMessageW(window.hwnd(), WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(leg));
    pump();

    EXPECT_EQ(seen.boxes, 1);
    EXPECT_EQ(seen.title, std::string(forms::kInfoTitle));
    EXPECT_EQ(seen.text, "Introduza, em primeiro lugar, através do cursor, a medida da carga!");
    EXPECT_TRUE(seen.ownerDisabled);  // modal to the program
    EXPECT_EQ(seen.legPosition, state("frmduaspernas", "hsbperna").value);
    EXPECT_EQ(seen.loadAfterInput, 100);
    ASSERT_EQ(host.shownMessages().size(), 1u);
    EXPECT_EQ(host.shownMessages()[0].style, forms::kStyleInformation);
    // After the box, the action finished and every read-out shows it.
    EXPECT_EQ(text(window.control("txtperna")), state("frmduaspernas", "txtperna").text);
    EXPECT_FALSE(state("frmduaspernas", "txtperna").text.empty());
    EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
    current = nullptr;
}

// Option buttons show the model's choice: a click selects through the model, which clears the
// other of the group; the arrow keys move the focus and the choice through the group.
TEST_F(Win32Binding, optionButtonsShowTheModelsChoice) {
    FormWindow& window = open("frmtrespernas");
    HWND one = window.control(Three::kDiameterOption), two = window.control(Three::kDistanceOption);
    EXPECT_EQ(SendMessageW(one, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(two, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(two, BM_CLICK, 0, 0);
    pump();
    EXPECT_TRUE(state("frmtrespernas", Three::kDistanceOption).selected);
    EXPECT_FALSE(state("frmtrespernas", Three::kDiameterOption).selected);
    EXPECT_EQ(SendMessageW(one, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(two, BM_GETCHECK, 0, 0), BST_CHECKED);
    for (const auto& [key, from, to] : {std::tuple{VK_DOWN, two, one}, {VK_LEFT, one, two}}) {
        SetFocus(from);
        SendMessageW(from, WM_KEYDOWN, key, 0);
        pump();
        EXPECT_EQ(GetFocus(), to) << key;
        EXPECT_EQ(SendMessageW(to, BM_GETCHECK, 0, 0), BST_CHECKED) << key;
        EXPECT_EQ(SendMessageW(from, BM_GETCHECK, 0, 0), BST_UNCHECKED) << key;
    }
}

// The focus shows on an option button, though it has no caption to draw it around.
TEST_F(Win32Binding, aFocusedOptionLooksFocused) {
    FormWindow& window = open("frmtrespernas");
    HWND option =
        window.control(Three::kDiameterOption);  // selected already: the focus changes nothing else
    auto picture = [&] {
        pump();
        UpdateWindow(option);
        RECT r;
        GetClientRect(option, &r);
        HDC dc = GetDC(option);
        std::vector<COLORREF> seen;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x) seen.push_back(GetPixel(dc, x, y));
        ReleaseDC(option, dc);
        return seen;
    };
    SetFocus(window.control("hsbperna"));
    const auto without = picture();
    SetFocus(option);
    EXPECT_NE(picture(), without);
    SetFocus(window.control("hsbperna"));
    EXPECT_EQ(picture(), without);
}

// An arrow held down repeats its step, but not past a message box. The press here is made up
// (messages sent to the bar); windows/program_test.sh holds a real mouse button down.
TEST_F(Win32Binding, aHeldArrowStopsWhenABoxOpens) {
    host.setAutoAnswer(false);
    FormWindow& window = open("frmduaspernas");
    HWND leg = window.control("hsbperna");
    static HWND bar = leg;
    static int boxes = 0;
    boxes = 0;
    bar = leg;
    // Dismisses every box; lets go of the mouse a second after the press in any case.
    auto dismiss = [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND box = FindWindowW(L"#32770", nullptr)) {
            ++boxes;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    };
    auto release = [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        PostMessageW(bar, WM_LBUTTONUP, 0, 0);
    };
    const UINT_PTR dismisser = SetTimer(nullptr, 0, 50, dismiss);
    SetTimer(nullptr, 0, 1000, release);
    RECT r;
    GetClientRect(leg, &r);
    const int start = state("frmduaspernas", "hsbperna").value;
    // The right arrow pressed and held; before any load the leg's handler asks for it in a box.
    SendMessageW(leg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right - 4, r.bottom / 2));
    pump();
    KillTimer(nullptr, dismisser);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(state("frmduaspernas", "hsbperna").value, start + 1);
    EXPECT_EQ(GetScrollPos(leg, SB_CTL), start + 1);
}

// Closing a window is the user closing the form; the program's end follows the model's.
TEST_F(Win32Binding, closingTheLastWindowEndsTheProgram) {
    FormWindow& menu = open("frmmain");
    SendMessageW(menu.control(Menu::kQuitButton), BM_CLICK, 0, 0);  // "Terminar"
    EXPECT_FALSE(runtime.anyLoaded());
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) quit = true;
        DispatchMessageW(&msg);  // the unloaded windows' collection among them
    }
    EXPECT_TRUE(quit);

    FormWindow& calc = open("frmtrespernas");
    SendMessageW(calc.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(runtime.find("frmtrespernas")->loaded());
}

}  // namespace
