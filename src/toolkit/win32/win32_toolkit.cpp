// The Win32 backend: executes the core's decisions with USER, GDI and KERNEL, ANSI calls only.
// It decides nothing of its own: style bits, colours, flags and order all come from the core.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include "toolkit/win32/win32_toolkit.h"

#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace win32 {
namespace {

// ---------------------------------------------------------------------------------------------
// The seam's constants are the platform's values.

template <class A, class B>
constexpr bool same(A a, B b) {
    return std::cmp_equal(a, b);
}
static_assert(same(tk::VK_BACK_, VK_BACK) && same(tk::VK_TAB_, VK_TAB) &&
              same(tk::VK_RETURN_, VK_RETURN) && same(tk::VK_ESCAPE_, VK_ESCAPE) &&
              same(tk::VK_SPACE_, VK_SPACE) && same(tk::VK_LEFT_, VK_LEFT) &&
              same(tk::VK_UP_, VK_UP) && same(tk::VK_RIGHT_, VK_RIGHT) &&
              same(tk::VK_DOWN_, VK_DOWN) && same(tk::VK_F1_, VK_F1));
static_assert(same(tk::BN_CLICKED_, BN_CLICKED) && same(tk::EN_CHANGE_, EN_CHANGE) &&
              same(tk::EN_SETFOCUS_, EN_SETFOCUS) && same(tk::EN_KILLFOCUS_, EN_KILLFOCUS));
static_assert(same(tk::CF_TEXT_, CF_TEXT) && same(tk::GMEM_MOVEABLE_, GMEM_MOVEABLE) &&
              same(tk::GMEM_ZEROINIT_, GMEM_ZEROINIT));
static_assert(same(tk::MB_OK_, MB_OK) && same(tk::MB_ICONERROR_, MB_ICONERROR));
// The form data stores fonts as the bytes of a LOGFONTA.
static_assert(sizeof(LOGFONTA) == 60);

// ---------------------------------------------------------------------------------------------
// Handles: the seam's opaque pointers are the platform's handles, except images, which need
// to remember whether they are a bitmap or an icon.

HWND hw(tk::Handle h) { return reinterpret_cast<HWND>(h); }
tk::Handle th(HWND h) { return reinterpret_cast<tk::Handle>(h); }

struct ImageData {
    HBITMAP bitmap = nullptr;  // 32-bit top-down DIB section, already laid over its background
    void* bits = nullptr;
    HICON icon = nullptr;  // set instead of `bitmap` for pictures with their own transparency
    int width = 0, height = 0;
    bool shared = false;  // the program icon: lives as long as the process
};
ImageData* image_of(tk::Image i) { return reinterpret_cast<ImageData*>(i); }

RECT to_win(const tk::Rect& r) { return RECT{r.left, r.top, r.left + r.width, r.top + r.height}; }
tk::Rect to_tk(const RECT& r) {
    return tk::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string zero_terminated(std::string_view s) { return std::string(s); }

bool same_class(const char* a, const char* b) {
    if (!a || !b) return false;
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return *a == *b;
}

// ---------------------------------------------------------------------------------------------
// Per-window data, attached to every window that create() made, as a window property so that
// neither GWLP_USERDATA nor the system controls' own extra bytes are touched.

enum class Kind { label, window, owner, button, control };

struct WindowData {
    Kind kind = Kind::control;
    WNDPROC original = nullptr;  // the system control's procedure; null for our own classes
    void* user = nullptr;
    HCURSOR cursor = nullptr;
};

constexpr const char* kDataProperty = "TerritoryWindowData";

WindowData* data_of(HWND h) {
    return h ? static_cast<WindowData*>(GetPropA(h, kDataProperty)) : nullptr;
}

// Controls that report to a container send these shifted messages back to the sender, the
// reflection range that control frameworks conventionally use; a system control ignores them.
constexpr UINT kReflectBase = WM_USER + 0x1C00;

// ---------------------------------------------------------------------------------------------
// Process-wide state.

struct State {
    tk::Events* events = nullptr;
    FailureHandler failure = nullptr;
    bool label_class = false, window_class = false, owner_class = false;
    ImageData big_icon, small_icon;
    bool icons_loaded = false;
};
State g;

void default_failure(const char* what) {
    MessageBoxA(nullptr, what, "Territory", MB_OK | MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}

void fail(const char* what) {
    if (g.failure)
        g.failure(what);
    else
        default_failure(what);
}

// Every call into the core from a window procedure runs through here: no exception may
// unwind into the system's code.
template <class F>
auto guarded(F&& f, decltype(f()) fallback) noexcept -> decltype(f()) {
    try {
        return f();
    } catch (const std::exception& e) {
        fail(e.what());
    } catch (...) {
        fail("unknown exception in a window procedure");
    }
    return fallback;
}
template <class F>
void guarded(F&& f) noexcept {
    try {
        f();
    } catch (const std::exception& e) {
        fail(e.what());
    } catch (...) {
        fail("unknown exception in a window procedure");
    }
}

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

void load_program_icons() {
    if (g.icons_loaded) return;
    g.icons_loaded = true;
    auto load = [](ImageData& d, int cx_metric, int cy_metric) {
        d.width = GetSystemMetrics(cx_metric);
        d.height = GetSystemMetrics(cy_metric);
        d.icon = static_cast<HICON>(LoadImageA(instance(), MAKEINTRESOURCEA(1), IMAGE_ICON, d.width,
                                               d.height, LR_DEFAULTCOLOR));
        d.shared = true;
    };
    load(g.big_icon, SM_CXICON, SM_CYICON);
    load(g.small_icon, SM_CXSMICON, SM_CYSMICON);
}

// ---------------------------------------------------------------------------------------------
// Painting: a canvas over a device context. The DC's state is saved and restored around the
// core's drawing, so clipping and selected objects do not leak into the system's own painting.

struct GdiCanvas final : tk::Canvas {
    HDC dc;
    int saved;
    explicit GdiCanvas(HDC d) : dc(d), saved(SaveDC(d)) {}
    ~GdiCanvas() override { RestoreDC(dc, saved); }
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void fill(const tk::Rect& r, tk::Color c) override {
        RECT rc = to_win(r);
        HBRUSH b = CreateSolidBrush(c);
        FillRect(dc, &rc, b);
        DeleteObject(b);
    }
    void clip(const tk::Rect& r) override {
        IntersectClipRect(dc, r.left, r.top, r.left + r.width, r.top + r.height);
    }
    void draw_text(std::string_view text, const tk::Rect& r, std::uint32_t dt_flags, tk::Color c,
                   tk::Font font) override {
        RECT rc = to_win(r);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, c);
        HGDIOBJ old = font ? SelectObject(dc, reinterpret_cast<HFONT>(font)) : nullptr;
        // DT_MODIFYSTRING writes into the text, so it gets a copy of its own.
        std::string copy;
        const char* p = text.data();
        if (dt_flags & DT_MODIFYSTRING) {
            copy.assign(text);
            copy.append(4, '\0');
            p = copy.data();
        }
        DrawTextA(dc, p, static_cast<int>(text.size()), &rc, dt_flags);
        if (old) SelectObject(dc, old);
    }
    void draw_image(tk::Image image, const tk::Rect& dest) override {
        ImageData* d = image_of(image);
        if (!d) return;
        if (d->icon) {
            DrawIconEx(dc, dest.left, dest.top, d->icon, dest.width, dest.height, 0, nullptr,
                       DI_NORMAL);
            return;
        }
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = d->width;
        bi.bmiHeader.biHeight = -d->height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, dest.left, dest.top, dest.width, dest.height, 0, 0, d->width, d->height,
                      d->bits, &bi, DIB_RGB_COLORS, SRCCOPY);
    }
};

// ---------------------------------------------------------------------------------------------
// The window procedure of our classes, and the subclass procedure of the system controls.

LRESULT call_default(const WindowData* d, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (d && d->original) return CallWindowProcA(d->original, h, msg, wp, lp);
    return DefWindowProcA(h, msg, wp, lp);
}

bool is_group_box(HWND h, const WindowData* d) {
    return d->kind == Kind::button &&
           (static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)) & 0xF) == BS_GROUPBOX;
}

// The window and the group frames hand their children's notifications back to the core, or
// reflect them to the child. Returns true with *result set when the message was taken.
bool route_from_child(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    tk::Events* ev = g.events;
    switch (msg) {
        case WM_COMMAND:
            if (lp == 0) return false;  // menus and accelerators: not a child's notification
            guarded([&] { ev->command(th(h), th(reinterpret_cast<HWND>(lp)), HIWORD(wp)); });
            *result = 0;
            return true;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            tk::ColorAnswer answer;
            HWND child = reinterpret_cast<HWND>(lp);
            if (!guarded([&] { return ev->color(th(h), th(child), answer); }, false)) return false;
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, answer.text_color);
            SetBkColor(dc, answer.back_color);
            *result = reinterpret_cast<LRESULT>(answer.brush);
            return true;
        }
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (!dis || dis->CtlType == ODT_MENU || !dis->hwndItem) return false;
            *result = SendMessageA(dis->hwndItem, kReflectBase + msg, wp, lp);
            return true;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (lp == 0) return false;  // the window's own scroll bars
            *result = SendMessageA(reinterpret_cast<HWND>(lp), kReflectBase + msg, wp, lp);
            return true;
        case WM_NOTIFY: {
            // An up-down control announces each step before it takes it; Wine and Windows both
            // send this, and it carries the direction, which the scroll message does not.
            auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (!hdr || hdr->code != static_cast<UINT>(UDN_DELTAPOS)) return false;
            auto* ud = reinterpret_cast<const NMUPDOWN*>(lp);
            int delta = ud->iDelta > 0 ? 1 : ud->iDelta < 0 ? -1 : 0;
            if (delta != 0) guarded([&] { ev->spin(th(hdr->hwndFrom), delta); });
            *result = 0;  // let the control take the step
            return true;
        }
        default:
            return false;
    }
}

void forget(HWND h, WindowData* d) {
    RemovePropA(h, kDataProperty);
    if (d->original) SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(d->original));
}

LRESULT CALLBACK window_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    WindowData* d = data_of(h);
    if (!d) return DefWindowProcA(h, msg, wp, lp);  // still inside CreateWindowExA
    if (msg == WM_NCDESTROY) {
        if (g.events) guarded([&] { g.events->destroyed(th(h)); });
        WNDPROC original = d->original;
        forget(h, d);
        delete d;
        return original ? CallWindowProcA(original, h, msg, wp, lp)
                        : DefWindowProcA(h, msg, wp, lp);
    }
    tk::Events* ev = g.events;
    if (!ev) return call_default(d, h, msg, wp, lp);

    LRESULT result = 0;
    bool routes = d->kind == Kind::label || d->kind == Kind::window || d->kind == Kind::owner ||
                  is_group_box(h, d);
    if (routes && route_from_child(h, msg, wp, lp, &result)) return result;

    switch (msg) {
        case WM_ERASEBKGND:
            if (d->kind == Kind::window || is_group_box(h, d)) {
                GdiCanvas canvas(reinterpret_cast<HDC>(wp));
                if (guarded([&] { return ev->erase(th(h), canvas); }, false)) return 1;
            }
            break;
        case WM_PAINT:
            if (d->kind == Kind::label || d->kind == Kind::window) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(h, &ps);
                if (dc) {
                    GdiCanvas canvas(dc);
                    tk::Rect dirty = to_tk(ps.rcPaint);
                    guarded([&] { ev->paint(th(h), canvas, dirty); });
                }
                EndPaint(h, &ps);
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            result = call_default(d, h, msg, wp, lp);
            guarded([&] { ev->focus(th(h), msg == WM_SETFOCUS); });
            return result;
        case WM_ACTIVATE:
            // After the system's handling, which puts the focus on the window itself, so that the
            // core can then move it to the control it remembers.
            result = call_default(d, h, msg, wp, lp);
            guarded([&] { ev->activate(th(h), LOWORD(wp) != WA_INACTIVE); });
            return result;
        case WM_MOVE:
            result = call_default(d, h, msg, wp, lp);
            guarded([&] { ev->moved(th(h)); });
            return result;
        case WM_SIZE:
            result = call_default(d, h, msg, wp, lp);
            guarded([&] { ev->resized(th(h)); });
            return result;
        case WM_SETCURSOR:
            // Only for the window itself: the system first offers a child's request to its parents.
            if (d->cursor && reinterpret_cast<HWND>(wp) == h && LOWORD(lp) == HTCLIENT) {
                SetCursor(d->cursor);
                return TRUE;
            }
            break;
        case WM_CLOSE:
            if (guarded([&] { return ev->close_requested(th(h)); }, false)) DestroyWindow(h);
            return 0;
        case WM_DESTROY:
            guarded([&] { ev->destroying(th(h)); });
            break;
        default:
            break;
    }
    return call_default(d, h, msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// Our window classes, registered on first use.

bool register_class(const char* name, UINT style, HBRUSH background, HICON icon, HICON small_icon) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance();
    wc.hIcon = icon;
    wc.hIconSm = small_icon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

// Returns the kind of window a class name gives, registering our own classes once.
Kind prepare_class(const char* name) {
    if (same_class(name, tk::kLabelClass)) {
        if (!g.label_class)
            g.label_class =
                register_class(tk::kLabelClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                               static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH)), nullptr, nullptr);
        return Kind::label;
    }
    if (same_class(name, tk::kWindowClass)) {
        if (!g.window_class) {
            load_program_icons();
            g.window_class = register_class(tk::kWindowClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                            nullptr, g.big_icon.icon, g.small_icon.icon);
        }
        return Kind::window;
    }
    if (same_class(name, tk::kOwnerClass)) {
        if (!g.owner_class)
            g.owner_class = register_class(tk::kOwnerClass, 0, nullptr, nullptr, nullptr);
        return Kind::owner;
    }
    if (same_class(name, tk::kButtonClass)) return Kind::button;
    return Kind::control;
}

bool is_ours(HWND h) {
    HWND root = h ? GetAncestor(h, GA_ROOT) : nullptr;
    return root && data_of(root) != nullptr;
}

bool is_child(HWND h) { return (static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)) & WS_CHILD) != 0; }

HANDLE process_heap() {
    static HANDLE heap = GetProcessHeap();
    return heap;
}

// ---------------------------------------------------------------------------------------------
// Images: 32-bit top-down DIB sections.

HBITMAP create_dib(int width, int height, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top row first, as the pixels come
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

std::uint32_t blend_channel(std::uint32_t src, std::uint32_t back, std::uint32_t alpha) {
    return (src * alpha + back * (255 - alpha) + 127) / 255;
}

// A picture with transparency laid over `background` (0x00BBGGRR): an opaque DIB pixel.
std::uint32_t over_background(std::uint32_t argb, tk::Color background) {
    std::uint32_t a = argb >> 24;
    if (a == 255) return argb;
    std::uint32_t r = blend_channel((argb >> 16) & 0xFF, background & 0xFF, a);
    std::uint32_t gr = blend_channel((argb >> 8) & 0xFF, (background >> 8) & 0xFF, a);
    std::uint32_t b = blend_channel(argb & 0xFF, (background >> 16) & 0xFF, a);
    return 0xFF000000u | (r << 16) | (gr << 8) | b;
}

HICON create_icon(const tk::Pixels& p) {
    void* bits = nullptr;
    HBITMAP color = create_dib(p.width, p.height, &bits);
    if (!color) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    // The mask: one bit per pixel, rows padded to 16 bits, 1 where the screen shows through.
    const int row_bytes = ((p.width + 15) / 16) * 2;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(row_bytes) * p.height, 0);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            std::size_t i = static_cast<std::size_t>(y) * p.width + x;
            std::uint32_t px = p.argb[i];
            bool clear = (px >> 24) < 128;
            out[i] = (px >> 24) == 0 ? 0 : px;
            if (clear)
                mask[static_cast<std::size_t>(y) * row_bytes + x / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    HBITMAP mono = CreateBitmap(p.width, p.height, 1, 1, mask.data());
    HICON icon = nullptr;
    if (mono) {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = mono;
        info.hbmColor = color;
        icon = CreateIconIndirect(&info);  // copies both bitmaps
        DeleteObject(mono);
    }
    DeleteObject(color);
    return icon;
}

// ---------------------------------------------------------------------------------------------
// The backend.

// The up-down class lives in the common controls library. It is loaded the first time an
// up-down control is asked for, not at start: this window has none, and loading the library
// and its dependencies costs start-up time and memory for nothing.
bool common_controls_ready() {
    static bool ready = [] {
        HMODULE library = LoadLibraryA("comctl32.dll");
        if (!library) return false;
        using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<Init>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "InitCommonControlsEx")));
        if (!init) return false;
        INITCOMMONCONTROLSEX icc{};
        icc.dwSize = sizeof icc;
        icc.dwICC = ICC_UPDOWN_CLASS;
        return init(&icc) != FALSE;
    }();
    return ready;
}

struct Backend final : tk::Toolkit {
    void set_events(tk::Events* events) override { g.events = events; }

    // --- windows ---
    tk::Handle create(const tk::CreateSpec& spec) override {
        if (!spec.class_name) return nullptr;
        if (same_class(spec.class_name, tk::kUpDownClass) && !common_controls_ready()) return nullptr;
        Kind kind = prepare_class(spec.class_name);
        // For a top-level window the menu parameter would name a menu: children only.
        HMENU id = (spec.style & WS_CHILD)
                       ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.child_id))
                       : nullptr;
        HWND h = CreateWindowExA(spec.ex_style, spec.class_name, spec.text.c_str(), spec.style,
                                 spec.rect.left, spec.rect.top, spec.rect.width, spec.rect.height,
                                 hw(spec.parent), id, instance(), nullptr);
        if (!h) return nullptr;
        auto* d = new WindowData;
        d->kind = kind;
        if (!SetPropA(h, kDataProperty, d)) {
            delete d;
            DestroyWindow(h);
            return nullptr;
        }
        // System controls go through our procedure first, so that their focus changes and
        // their destruction reach the core, and group frames can hand back notifications.
        if (kind == Kind::button || kind == Kind::control)
            d->original = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(window_proc)));
        return th(h);
    }
    void destroy(tk::Handle h) override { DestroyWindow(hw(h)); }
    bool exists(tk::Handle h) override { return h && IsWindow(hw(h)); }
    void set_parent(tk::Handle child, tk::Handle parent) override {
        SetParent(hw(child), hw(parent));
    }
    void place_below(tk::Handle h, tk::Handle above) override {
        SetWindowPos(hw(h), above ? hw(above) : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    void show(tk::Handle h, tk::Show how) override {
        int cmd = SW_SHOW;
        switch (how) {
            case tk::Show::hide:
                cmd = SW_HIDE;
                break;
            case tk::Show::show_no_activate:
                cmd = SW_SHOWNA;
                break;
            case tk::Show::show:
                cmd = SW_SHOW;
                break;
            case tk::Show::show_minimized:
                cmd = SW_SHOWMINIMIZED;
                break;
            case tk::Show::show_maximized:
                cmd = SW_SHOWMAXIMIZED;
                break;
            case tk::Show::restore:
                cmd = SW_RESTORE;
                break;
        }
        ShowWindow(hw(h), cmd);
    }
    bool is_visible(tk::Handle h) override { return IsWindowVisible(hw(h)); }
    bool is_enabled(tk::Handle h) override { return IsWindowEnabled(hw(h)); }
    bool is_minimized(tk::Handle h) override { return IsIconic(hw(h)); }
    bool is_maximized(tk::Handle h) override { return IsZoomed(hw(h)); }
    void activate_window(tk::Handle h) override { SetActiveWindow(hw(h)); }
    tk::Rect outer_rect(tk::Handle h) override {
        RECT rc{};
        GetWindowRect(hw(h), &rc);
        if (is_child(hw(h)))
            MapWindowPoints(HWND_DESKTOP, GetAncestor(hw(h), GA_PARENT),
                            reinterpret_cast<POINT*>(&rc), 2);
        return to_tk(rc);
    }
    tk::Rect client_rect(tk::Handle h) override {
        RECT rc{};
        GetClientRect(hw(h), &rc);
        return to_tk(rc);
    }
    void move(tk::Handle h, const tk::Rect& r) override {
        MoveWindow(hw(h), r.left, r.top, r.width, r.height, TRUE);
    }
    std::uint32_t style(tk::Handle h) override {
        return static_cast<std::uint32_t>(GetWindowLongA(hw(h), GWL_STYLE));
    }
    std::uint32_t ex_style(tk::Handle h) override {
        return static_cast<std::uint32_t>(GetWindowLongA(hw(h), GWL_EXSTYLE));
    }
    void set_styles(tk::Handle h, std::uint32_t style_bits, std::uint32_t ex_style_bits) override {
        SetWindowLongA(hw(h), GWL_STYLE, static_cast<LONG>(style_bits));
        SetWindowLongA(hw(h), GWL_EXSTYLE, static_cast<LONG>(ex_style_bits));
        SetWindowPos(hw(h), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Only windows that create() made carry the core's object.
    void set_user(tk::Handle h, void* user) override {
        if (WindowData* d = data_of(hw(h))) d->user = user;
    }
    void* user(tk::Handle h) override {
        WindowData* d = data_of(hw(h));
        return d ? d->user : nullptr;
    }
    tk::Handle parent_of(tk::Handle h) override {
        if (!h) return nullptr;
        return th(is_child(hw(h)) ? GetAncestor(hw(h), GA_PARENT) : GetWindow(hw(h), GW_OWNER));
    }
    void invalidate(tk::Handle h) override { InvalidateRect(hw(h), nullptr, TRUE); }

    // --- text, check state, focus ---
    std::string text(tk::Handle h) override {
        int n = GetWindowTextLengthA(hw(h));
        if (n <= 0) return {};
        std::string s(static_cast<std::size_t>(n) + 1, '\0');
        int got = GetWindowTextA(hw(h), s.data(), n + 1);
        s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return s;
    }
    void set_text(tk::Handle h, std::string_view t) override {
        SetWindowTextA(hw(h), zero_terminated(t).c_str());
    }
    int check(tk::Handle h) override {
        return static_cast<int>(SendMessageA(hw(h), BM_GETCHECK, 0, 0));
    }
    void set_check(tk::Handle h, int state) override {
        SendMessageA(hw(h), BM_SETCHECK, static_cast<WPARAM>(state), 0);
    }
    tk::Handle focus() override { return th(GetFocus()); }
    void set_focus(tk::Handle h) override { SetFocus(hw(h)); }

    // --- control specifics ---
    void set_font(tk::Handle h, tk::Font f, bool redraw) override {
        SendMessageA(hw(h), WM_SETFONT, reinterpret_cast<WPARAM>(f),
                     MAKELPARAM(redraw ? TRUE : FALSE, 0));
    }
    void set_text_limit(tk::Handle edit, std::int32_t limit) override {
        SendMessageA(hw(edit), EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
    }
    void set_password_char(tk::Handle edit, char c) override {
        SendMessageA(hw(edit), EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
    }
    void set_selection(tk::Handle edit, std::int32_t start, std::int32_t end) override {
        SendMessageA(hw(edit), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    }
    void scroll_caret(tk::Handle edit) override { SendMessageA(hw(edit), EM_SCROLLCARET, 0, 0); }
    void set_image(tk::Handle button, tk::Image image) override {
        ImageData* d = image_of(image);
        if (d && d->icon)
            SendMessageA(hw(button), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(d->icon));
        else
            SendMessageA(hw(button), BM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(d ? d->bitmap : nullptr));
    }
    void set_updown(tk::Handle updown, tk::Handle buddy, std::int32_t low,
                    std::int32_t high) override {
        SendMessageA(hw(updown), UDM_SETBUDDY, reinterpret_cast<WPARAM>(hw(buddy)), 0);
        SendMessageA(hw(updown), UDM_SETRANGE32, static_cast<WPARAM>(low),
                     static_cast<LPARAM>(high));
    }
    void set_icon(tk::Handle window, tk::Image big, tk::Image small_image) override {
        auto icon = [](tk::Image i) {
            return reinterpret_cast<LPARAM>(image_of(i) ? image_of(i)->icon : nullptr);
        };
        SendMessageA(hw(window), WM_SETICON, ICON_BIG, icon(big));
        SendMessageA(hw(window), WM_SETICON, ICON_SMALL, icon(small_image));
    }
    void set_topmost(tk::Handle window) override {
        SetWindowPos(hw(window), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    void remove_move_command(tk::Handle window) override {
        DeleteMenu(GetSystemMenu(hw(window), FALSE), SC_MOVE, MF_BYCOMMAND);
    }
    // Shapes span the window's outer rectangle. A ring's hole is inset by `corner` pixels.
    void set_shape(tk::Handle window, const Shape& shape) override {
        RECT wr{};
        GetWindowRect(hw(window), &wr);
        const int w = wr.right - wr.left, h = wr.bottom - wr.top;
        HRGN rgn = nullptr;
        switch (shape.kind) {
            case Shape::none:
                SetWindowRgn(hw(window), nullptr, TRUE);
                return;
            case Shape::ellipse:
                rgn = CreateEllipticRgn(0, 0, w, h);
                break;
            case Shape::round_rect:
                rgn = CreateRoundRectRgn(0, 0, w, h, shape.corner, shape.corner);
                break;
            case Shape::ring: {
                HRGN outer = CreateEllipticRgn(0, 0, w, h);
                HRGN inner = CreateEllipticRgn(shape.corner, shape.corner, w - shape.corner,
                                               h - shape.corner);
                rgn = CreateRectRgn(0, 0, 0, 0);
                if (rgn && outer && inner && CombineRgn(rgn, outer, inner, RGN_DIFF) == ERROR) {
                    DeleteObject(rgn);
                    rgn = nullptr;
                }
                if (outer) DeleteObject(outer);
                if (inner) DeleteObject(inner);
                break;
            }
            case Shape::polygon: {
                std::vector<POINT> pts;
                for (std::size_t i = 0; i + 1 < shape.points.size(); i += 2)
                    pts.push_back(POINT{shape.points[i], shape.points[i + 1]});
                if (pts.size() >= 3)
                    rgn = CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), ALTERNATE);
                break;
            }
        }
        // On success the system owns the region.
        if (rgn && !SetWindowRgn(hw(window), rgn, TRUE)) DeleteObject(rgn);
    }
    void set_cursor(tk::Handle window, tk::Cursor c) override {
        if (WindowData* d = data_of(hw(window))) d->cursor = reinterpret_cast<HCURSOR>(c);
    }

    // --- resources ---
    tk::Font default_gui_font() override {
        return reinterpret_cast<tk::Font>(GetStockObject(DEFAULT_GUI_FONT));
    }
    tk::Font create_font(const std::uint8_t (&logfont)[60]) override {
        LOGFONTA lf;
        std::memcpy(&lf, logfont, sizeof lf);
        return reinterpret_cast<tk::Font>(CreateFontIndirectA(&lf));
    }
    void release_font(tk::Font f) override {
        if (f && f != default_gui_font()) DeleteObject(reinterpret_cast<HFONT>(f));
    }
    tk::Brush create_brush(tk::Color c) override {
        return reinterpret_cast<tk::Brush>(CreateSolidBrush(c));
    }
    void release_brush(tk::Brush b) override {
        if (b) DeleteObject(reinterpret_cast<HBRUSH>(b));
    }
    tk::Color button_face_color() override { return GetSysColor(COLOR_BTNFACE); }
    tk::Image create_image(const tk::Pixels& p, tk::Color background) override {
        if (p.width <= 0 || p.height <= 0 || p.width > 0x4000 || p.height > 0x4000 ||
            p.argb.size() != static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height))
            return nullptr;
        auto* d = new ImageData;
        d->width = p.width;
        d->height = p.height;
        if (p.is_icon) {
            d->icon = create_icon(p);
        } else {
            d->bitmap = create_dib(p.width, p.height, &d->bits);
            if (d->bitmap) {
                auto* out = static_cast<std::uint32_t*>(d->bits);
                for (std::size_t i = 0; i < p.argb.size(); ++i)
                    out[i] = over_background(p.argb[i], background);
                GdiFlush();
            }
        }
        if (!d->icon && !d->bitmap) {
            delete d;
            return nullptr;
        }
        return reinterpret_cast<tk::Image>(d);
    }
    void release_image(tk::Image i) override {
        ImageData* d = image_of(i);
        if (!d || d->shared) return;
        if (d->icon) DestroyIcon(d->icon);
        if (d->bitmap) DeleteObject(d->bitmap);
        delete d;
    }
    tk::Cursor load_system_cursor(int which) override {
        // In the order of the form data's pointer numbers 1 to 14.
        static const LPCSTR cursors[] = {IDC_ARROW,    IDC_CROSS,       IDC_IBEAM,    IDC_WAIT,
                                         IDC_HELP,     IDC_APPSTARTING, IDC_NO,       IDC_SIZEALL,
                                         IDC_SIZENESW, IDC_SIZENS,      IDC_SIZENWSE, IDC_SIZEWE,
                                         IDC_UPARROW,  IDC_HAND};
        if (which < 1 || which > 14) return nullptr;
        return reinterpret_cast<tk::Cursor>(LoadCursorA(nullptr, cursors[which - 1]));
    }
    void release_cursor(tk::Cursor) override {}  // system cursors are shared: never destroyed
    tk::Image program_icon(bool small_icon) override {
        load_program_icons();
        ImageData& d = small_icon ? g.small_icon : g.big_icon;
        return d.icon ? reinterpret_cast<tk::Image>(&d) : nullptr;
    }
    int double_byte_char_height(tk::Font f) override {
        HDC dc = GetDC(nullptr);
        if (!dc) return 0;
        HGDIOBJ old =
            SelectObject(dc, f ? reinterpret_cast<HFONT>(f) : GetStockObject(DEFAULT_GUI_FONT));
        SIZE size{};
        GetTextExtentPoint32A(dc, "\xB0\xA1", 2, &size);  // GBK for U+554A, a common hanzi
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return size.cy;
    }
    int edge_height() override { return GetSystemMetrics(SM_CYEDGE); }
    tk::Rect screen() override {
        return tk::Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    tk::Rect work_area(tk::Handle near_window) override {
        if (HMONITOR m = MonitorFromWindow(hw(near_window), MONITOR_DEFAULTTONEAREST)) {
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            if (GetMonitorInfoA(m, &mi)) return to_tk(mi.rcWork);
        }
        RECT rc{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0);
        return to_tk(rc);
    }

    // --- clipboard ---
    bool open_clipboard() override { return OpenClipboard(nullptr); }
    void empty_clipboard() override { EmptyClipboard(); }
    tk::Block global_alloc(std::uint32_t flags, std::size_t bytes) override {
        return reinterpret_cast<tk::Block>(GlobalAlloc(flags, bytes));
    }
    void* global_lock(tk::Block b) override { return GlobalLock(reinterpret_cast<HGLOBAL>(b)); }
    void global_unlock(tk::Block b) override { GlobalUnlock(reinterpret_cast<HGLOBAL>(b)); }
    void set_clipboard_data(std::uint32_t format, tk::Block b) override {
        SetClipboardData(format, reinterpret_cast<HANDLE>(b));
    }
    void close_clipboard() override { CloseClipboard(); }

    // --- heap, message box, process ---
    void* heap_alloc(std::size_t bytes) override { return HeapAlloc(process_heap(), 0, bytes); }
    void heap_free(void* p) override { HeapFree(process_heap(), 0, p); }
    int message_box(std::string_view t, std::string_view caption, std::uint32_t flags) override {
        return MessageBoxA(nullptr, zero_terminated(t).c_str(), zero_terminated(caption).c_str(),
                           flags);
    }
    [[noreturn]] void exit_process(int code) override { ExitProcess(static_cast<UINT>(code)); }
    bool file_exists(std::string_view path) override {
        DWORD a = GetFileAttributesA(zero_terminated(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    // WinHelpA: in USER32 like everything else here, and it knows topic numbers.
    void open_help(std::string_view path, std::int32_t context) override {
        std::string file = zero_terminated(path);
        if (context == 0)
            WinHelpA(GetActiveWindow(), file.c_str(), HELP_CONTENTS, 0);
        else
            WinHelpA(GetActiveWindow(), file.c_str(), HELP_CONTEXT,
                     static_cast<ULONG_PTR>(static_cast<std::uint32_t>(context)));
    }
    std::string program_path() override {
        std::string path(MAX_PATH, '\0');
        for (;;) {
            DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (n == 0) return {};
            if (n < path.size()) {
                path.resize(n);
                return path;
            }
            if (path.size() >= 32768) return {};
            path.resize(path.size() * 2);
        }
    }

    // --- event loop ---
    bool message_waiting() override {
        MSG m;
        return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
    }
    bool next_message(int* exit_code) override {
        MSG m{};
        BOOL r = GetMessageA(&m, nullptr, 0, 0);
        if (r == 0 || r == -1) {
            if (exit_code) *exit_code = r == 0 ? static_cast<int>(m.wParam) : -1;
            return false;
        }
        if ((m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) && g.events &&
            is_ours(m.hwnd)) {
            tk::KeyPress key;
            HWND focused = GetFocus();
            key.target = th(focused ? focused : m.hwnd);
            key.vk = static_cast<std::uint32_t>(m.wParam);
            key.keys.shift = GetKeyState(VK_SHIFT) < 0;
            key.keys.control = GetKeyState(VK_CONTROL) < 0;
            key.keys.alt = GetKeyState(VK_MENU) < 0;
            key.system = m.message == WM_SYSKEYDOWN;
            if (guarded([&] { return g.events->pre_translate(key); }, false)) return true;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
        return true;
    }
    void deliver_waiting() override {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {  // not ours to take: the event loop must still see it
                PostQuitMessage(static_cast<int>(m.wParam));
                return;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    void post_quit(int code) override { PostQuitMessage(code); }
};

}  // namespace

tk::Toolkit& toolkit() {
    static Backend backend;
    return backend;
}

void set_failure_handler(FailureHandler handler) { g.failure = handler; }

}  // namespace win32
