#include "display/win32/win32host.h"

#include <commctrl.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/win32/formwindow.h"

namespace formswin32 {

namespace {

constexpr UINT_PTR kCollect = 1;  // the owner's timer that destroys the windows of unloaded forms
constexpr wchar_t kOwnerClass[] = L"PernadasOwner";

// Releases a COM interface at the end of its scope.
template <class T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// Resource names are the pictures' names in capitals, '-' written '_'.
std::wstring resourceName(std::string_view name, std::string_view suffix = {}) {
    std::wstring r;
    for (char c : std::string(name) + std::string(suffix))
        r += c == '-' ? L'_' : static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::pair<const void*, DWORD> resource(const std::wstring& name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {nullptr, 0};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return {nullptr, 0};
    return {LockResource(loaded), SizeofResource(module, found)};
}

// The windows of unloaded forms wait here until their own handlers have returned.
std::vector<std::unique_ptr<FormWindow>>& graveyard() {
    static std::vector<std::unique_ptr<FormWindow>> windows;
    return windows;
}

LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kCollect) {
        KillTimer(hwnd, kCollect);
        graveyard().clear();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

SIZE pictureSize(std::string_view name) {
    // Two 16-bit numbers beside the picture: the drawing's own width and height.
    const auto [dims, dimsSize] = resource(resourceName(name, "_size"));
    const auto* words = static_cast<const std::uint16_t*>(dims);
    return dims && dimsSize >= 4 ? SIZE{words[0], words[1]} : SIZE{0, 0};
}

Pixels loadPicture(std::string_view name, SIZE* natural) {
    Pixels out;
    const auto [data, size] = resource(resourceName(name));
    if (!data) return out;
    if (natural) *natural = pictureSize(name);
    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
        FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0)
        return out;
    std::vector<std::uint32_t> pixels(std::size_t(w) * h);
    if (FAILED(converter->CopyPixels(nullptr, w * 4, w * h * 4,
                                     reinterpret_cast<BYTE*>(pixels.data()))))
        return out;
    out.width = int(w);
    out.height = int(h);
    out.data = std::move(pixels);
    return out;
}

namespace {

// One pass of a separable tent filter along rows (the source's x turned into the result's x)
// that also transposes, so that two passes resample both directions. A tent as wide as one
// source pixel is a linear interpolation; when shrinking it widens to one result pixel, so that
// every source pixel counts.
Pixels resampleRows(const Pixels& src, int newWidth) {
    Pixels out;
    out.width = src.height;
    out.height = newWidth;
    out.data.assign(std::size_t(out.width) * out.height, 0);
    const double scale = double(src.width) / newWidth;
    const double radius = std::max(1.0, scale);
    for (int x = 0; x < newWidth; ++x) {
        const double centre = (x + 0.5) * scale - 0.5;
        const int from = std::max(0, int(std::floor(centre - radius)));
        const int to = std::min(src.width - 1, int(std::ceil(centre + radius)));
        std::vector<std::pair<int, double>> weights;
        double total = 0;
        for (int s = from; s <= to; ++s) {
            const double w = 1.0 - std::abs(s - centre) / radius;
            if (w > 0) {
                weights.emplace_back(s, w);
                total += w;
            }
        }
        if (weights.empty()) weights.emplace_back(std::clamp(int(centre), 0, src.width - 1), 1.0);
        if (total <= 0) total = 1;
        for (int y = 0; y < src.height; ++y) {
            double acc[4] = {0, 0, 0, 0};
            for (const auto& [s, w] : weights) {
                const std::uint32_t p = src.data[std::size_t(y) * src.width + s];
                for (int c = 0; c < 4; ++c) acc[c] += w * ((p >> (8 * c)) & 0xFF);
            }
            std::uint32_t p = 0;
            for (int c = 0; c < 4; ++c)
                p |= std::uint32_t(std::clamp(std::lround(acc[c] / total), 0L, 255L)) << (8 * c);
            out.data[std::size_t(x) * out.width + y] = p;
        }
    }
    return out;
}

}  // namespace

Pixels scaled(const Pixels& source, int width, int height) {
    if (source.empty() || width <= 0 || height <= 0) return {};
    if (source.width == width && source.height == height) return source;
    return resampleRows(resampleRows(source, width), height);
}

Win32Host::Win32Host(HINSTANCE instance) : instance_(instance) {
    comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&accessibility_))))
        accessibility_ = nullptr;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW owner{};
    owner.cbSize = sizeof owner;
    owner.lpfnWndProc = ownerProc;
    owner.hInstance = instance;
    owner.lpszClassName = kOwnerClass;
    RegisterClassExW(&owner);
    owner_ = CreateWindowExW(0, kOwnerClass, widen(forms::kApplicationTitle).c_str(), WS_POPUP, 0,
                             0, 0, 0, nullptr, nullptr, instance, nullptr);
}

Win32Host::~Win32Host() {
    windows_.clear();
    graveyard().clear();
    if (owner_) DestroyWindow(owner_);
    if (accessibility_) accessibility_->Release();
    if (comReady_) CoUninitialize();
}

FormWindow* Win32Host::window(const forms::Form& form) const {
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

FormWindow* Win32Host::window(std::string_view formName) const {
    for (const auto& [form, window] : windows_)
        if (form->name() == formName) return window.get();
    return nullptr;
}

void Win32Host::syncAll() {
    for (auto& [form, window] : windows_) window->sync();
}

void Win32Host::boxComes(const forms::Message& message) {
    trace("box \"" + message.title + "\": " + message.text);
}

void Win32Host::showBox(const forms::Message& message) {
    // The box belongs to the window the user was working in, which takes the focus back when it
    // closes, and every other window of the program waits for it as well. (An ownerless box
    // left no window of the program active afterwards: keys went nowhere until a click.)
    HWND owner = GetActiveWindow();
    if (!owns(owner)) owner = nullptr;
    std::vector<HWND> waiting;
    for (const auto& [form, window] : windows_) {
        if (!owner && IsWindowVisible(window->hwnd())) owner = window->hwnd();
        if (window->hwnd() != owner && IsWindowEnabled(window->hwnd())) {
            EnableWindow(window->hwnd(), FALSE);
            waiting.push_back(window->hwnd());
        }
    }
    HWND focus = GetFocus();
    UINT style = MB_OK | MB_APPLMODAL | MB_SETFOREGROUND;
    if (message.style == forms::kStyleInformation) style |= MB_ICONINFORMATION;
    if (message.style == forms::kStyleCritical) style |= MB_ICONERROR;
    MessageBoxW(owner, widen(message.text).c_str(), widen(message.title).c_str(),
                style | (owner ? 0 : MB_TASKMODAL));
    for (HWND w : waiting)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    if (focus && IsWindow(focus) && IsWindowVisible(focus)) {
        SetActiveWindow(GetAncestor(focus, GA_ROOT));
        SetFocus(focus);
    }
}

bool Win32Host::owns(HWND hwnd) const {
    if (!hwnd) return false;
    for (const auto& [form, window] : windows_)
        if (window->hwnd() == hwnd) return true;
    return false;
}

void Win32Host::formLoaded(forms::Form& form) {
    auto window = std::make_unique<FormWindow>(*this, form);
    FormWindow& w = *window;
    windows_[&form] = std::move(window);
    w.sync();
    w.present();
    RECT client;
    GetClientRect(w.hwnd(), &client);
    POINT corner{0, 0};
    ClientToScreen(w.hwnd(), &corner);
    trace(std::string(form.name()) + " shown, client " + std::to_string(client.right) + "x" +
          std::to_string(client.bottom) + " at " + std::to_string(corner.x) + "," +
          std::to_string(corner.y));
}

// Lets a check from outside see which windows came and went, in what order, and where, and
// which boxes were shown.
bool Win32Host::tracing() {
    static const bool on = std::getenv("PERNADAS_TRACE_FORMS") != nullptr;
    return on;
}

void Win32Host::trace(const std::string& what) {
    if (!tracing()) return;
    // Each line says when, by the program's own clock, from its first line.
    static const ULONGLONG start = GetTickCount64();
    const std::string line =
        "pernadas: " + what + " (" + std::to_string(GetTickCount64() - start) + " ms)\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), DWORD(line.size()), &written, nullptr);
}

void Win32Host::formActivated(forms::Form& form) {
    if (FormWindow* w = window(form)) w->activate();
}

void Win32Host::formUnloaded(forms::Form& form) {
    const auto it = windows_.find(&form);
    if (it == windows_.end()) return;
    // The window leaves the screen at once, as an empty shape, and takes no more input. It may be
    // running the handler that unloaded it, so it is hidden and destroyed later: once the
    // windows that the handler shows next have been drawn (a timer's message comes after the
    // paints). Under Wine without a window manager, hiding a shown window waits two seconds for
    // a manager's answer that never comes; done at once, that wait kept the splash on the
    // screen for six seconds instead of four.
    HWND gone = it->second->hwnd();
    it->second->markUnloaded();
    SetWindowRgn(gone, CreateRectRgn(0, 0, 0, 0), TRUE);
    EnableWindow(gone, FALSE);
    trace(std::string(form.name()) + " unloaded");
    graveyard().push_back(std::move(it->second));
    windows_.erase(it);
    SetTimer(owner_, kCollect, USER_TIMER_MINIMUM, nullptr);
}

void Win32Host::noFormLoaded() {
    PostQuitMessage(0);
}

int Win32Host::run() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return int(msg.wParam);
}

}  // namespace formswin32
