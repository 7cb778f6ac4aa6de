// The display half of the forms runtime on the native Win32 API: builds real windows from a
// form's description, keeps them in step with the model, and turns mouse and keyboard input into
// the model's user actions. With the Windows program's main, the only part that knows windows.h.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// What screen readers are told about the controls; it needs windows.h before it.
#include <oleacc.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/displayhost.h"

namespace formswin32 {

class FormWindow;

// The tables are UTF-8; Win32 speaks UTF-16.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// A picture of the program's resources, premultiplied BGRA, top row first.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> data;
    bool empty() const { return data.empty(); }
};
// The picture of that name as embedded (rasterised from its drawing at build time), and its
// natural size in pixels at 96 dpi; empty when the program has no such picture.
Pixels loadPicture(std::string_view name, SIZE* natural = nullptr);
// Only the natural size; {0, 0} when the program has no such picture.
SIZE pictureSize(std::string_view name);
// Resampled to a size in pixels.
Pixels scaled(const Pixels& source, int width, int height);

class Win32Host : public forms::DisplayHost {
  public:
    explicit Win32Host(HINSTANCE instance);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    HINSTANCE instance() const { return instance_; }
    // The hidden window that owns the dialogs, which keeps them out of the task bar.
    HWND owner() const { return owner_; }
    // The system's annotations of controls for screen readers; null where there are none.
    IAccPropServices* accessibility() const { return accessibility_; }

    // The window of a loaded form, or null.
    FormWindow* window(const forms::Form& form) const;
    FormWindow* window(std::string_view formName) const;

    void syncAll() override;

    // The message loop of the program: until no form is loaded. Returns the exit status.
    int run();

    void boxComes(const forms::Message& message) override;
    void showBox(const forms::Message& message) override;
    void formLoaded(forms::Form& form) override;
    void formActivated(forms::Form& form) override;
    void formUnloaded(forms::Form& form) override;
    void noFormLoaded() override;

    // With PERNADAS_TRACE_FORMS set, a line on the standard error for a check from outside.
    static bool tracing();
    static void trace(const std::string& what);

  private:
    bool owns(HWND hwnd) const;  // a window of a loaded form

    HINSTANCE instance_;
    HWND owner_ = nullptr;
    IAccPropServices* accessibility_ = nullptr;
    std::map<const forms::Form*, std::unique_ptr<FormWindow>> windows_;
    bool comReady_ = false;
};

}  // namespace formswin32
