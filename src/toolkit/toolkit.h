// The toolkit seam: the primitive operations the portable core asks of a window system.
// The core decides every style bit, colour, flag and order; a backend only executes.
// Two backends exist: win32/ (the real program) and sim/ (an in-memory model for tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

// Opaque handles: a backend gives them meaning, the core only stores and compares them.
using Handle = struct OpaqueWindow*;
using Font = struct OpaqueFont*;
using Brush = struct OpaqueBrush*;
using Image = struct OpaqueImage*;
using Cursor = struct OpaqueCursor*;
using Block = struct OpaqueBlock*;  // a movable global memory block for the clipboard

using Color = std::uint32_t;  // 0x00BBGGRR

struct Rect {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Window class names the core asks for. The label and program window classes are the
// program's own; the backend registers them once, with the class styles the core names.
inline constexpr const char* kButtonClass = "BUTTON";
inline constexpr const char* kEditClass = "EDIT";
inline constexpr const char* kUpDownClass = "msctls_updown32";
inline constexpr const char* kLabelClass = "TerritoryLabel";
inline constexpr const char* kWindowClass = "TerritoryWindow";
inline constexpr const char* kOwnerClass = "TerritoryOwner";  // hidden owner: no task-bar button

struct CreateSpec {
    const char* class_name = nullptr;
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;
    std::string text;   // GBK bytes
    Rect rect;          // outer rectangle in the parent's client coordinates (screen for top-level)
    Handle parent = nullptr;  // a top-level window: its owner, or null
    std::int32_t child_id = 0;
};

enum class Show { hide, show_no_activate, show, show_minimized, show_maximized, restore };

// Modifier state of a key press.
struct Keys {
    bool shift = false, control = false, alt = false;
};

// Virtual-key codes the core looks at (the platform's values, asserted in the win32 backend).
inline constexpr std::uint32_t VK_BACK_ = 0x08, VK_TAB_ = 0x09, VK_RETURN_ = 0x0D, VK_ESCAPE_ = 0x1B,
                               VK_SPACE_ = 0x20, VK_LEFT_ = 0x25, VK_UP_ = 0x26, VK_RIGHT_ = 0x27,
                               VK_DOWN_ = 0x28, VK_F1_ = 0x70;

// A key press offered to the window before translation: the focused control is `target`.
struct KeyPress {
    Handle target = nullptr;
    std::uint32_t vk = 0;
    Keys keys;
    bool system = false;  // WM_SYSKEYDOWN (Alt held)
};

// Notification codes the core acts on (the platform's values, asserted in the win32 backend).
inline constexpr std::uint16_t BN_CLICKED_ = 0, EN_CHANGE_ = 0x0300, EN_SETFOCUS_ = 0x0100,
                               EN_KILLFOCUS_ = 0x0200;

// What a control answers to a colour request.
struct ColorAnswer {
    Color text_color = 0;
    Color back_color = 0;
    Brush brush = nullptr;
};

// A canvas for painting: the core decides, the canvas draws. Coordinates are client pixels.
struct Canvas {
    virtual ~Canvas() = default;
    virtual void fill(const Rect& r, Color c) = 0;
    virtual void clip(const Rect& r) = 0;  // intersect the clip region with r
    virtual void draw_text(std::string_view text, const Rect& r, std::uint32_t dt_flags, Color c,
                           Font font) = 0;   // transparent background
    virtual void draw_image(Image image, const Rect& dest) = 0;  // scaled to dest
};

// Decoded picture: 32-bit pixels, top row first, 0xAARRGGBB.
struct Pixels {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    bool is_icon = false;
};

// The notifications a backend reports up to the core. Implemented by the window layer.
struct Events {
    virtual ~Events() = default;
    // A child sent its container (a group frame or the window) a command notification.
    // The core routes it back to the child.
    virtual void command(Handle container, Handle child, std::uint16_t code) = 0;
    // A child asks its container for colours. Returns false to leave the default handling.
    virtual bool color(Handle container, Handle child, ColorAnswer& answer) = 0;
    // A window's background is to be erased or its client area painted (labels, group
    // frames and the program window). `dirty` is the area to paint; empty means nothing to do.
    virtual bool paint(Handle window, Canvas& canvas, const Rect& dirty) = 0;
    virtual bool erase(Handle window, Canvas& canvas) = 0;  // true: erased by the core
    virtual void focus(Handle window, bool gained) = 0;
    virtual void activate(Handle window, bool active) = 0;
    virtual void moved(Handle window) = 0;
    virtual void resized(Handle window) = 0;
    // The user asks to close a top-level window; true lets it be destroyed.
    virtual bool close_requested(Handle window) = 0;
    virtual void destroying(Handle window) = 0;  // before the children go
    virtual void destroyed(Handle window) = 0;   // the window is gone
    // The window's pre-processing of a key press; true: handled, not translated or dispatched.
    virtual bool pre_translate(const KeyPress& key) = 0;
    // An up-down control stepped (delta +1 or -1).
    virtual void spin(Handle updown, int delta) = 0;
};

// Message box flags and results used by the frame.
inline constexpr std::uint32_t MB_OK_ = 0, MB_ICONERROR_ = 0x10;

struct Toolkit {
    virtual ~Toolkit() = default;

    virtual void set_events(Events* events) = 0;

    // --- windows ---
    virtual Handle create(const CreateSpec& spec) = 0;  // null when refused
    virtual void destroy(Handle h) = 0;
    virtual bool exists(Handle h) = 0;
    virtual void set_parent(Handle child, Handle parent) = 0;
    // Stack `h` directly below `above` among its siblings, or on top when `above` is null.
    virtual void place_below(Handle h, Handle above) = 0;
    virtual void show(Handle h, Show how) = 0;
    virtual bool is_visible(Handle h) = 0;
    virtual bool is_enabled(Handle h) = 0;
    virtual bool is_minimized(Handle h) = 0;
    virtual bool is_maximized(Handle h) = 0;
    virtual void activate_window(Handle h) = 0;
    virtual Rect outer_rect(Handle h) = 0;  // in the parent's client coordinates (screen: top-level)
    virtual Rect client_rect(Handle h) = 0;  // 0, 0, width, height
    virtual void move(Handle h, const Rect& r) = 0;
    virtual std::uint32_t style(Handle h) = 0;
    virtual std::uint32_t ex_style(Handle h) = 0;
    // Change the style bits and have the frame recomputed.
    virtual void set_styles(Handle h, std::uint32_t style, std::uint32_t ex_style) = 0;
    virtual void set_user(Handle h, void* user) = 0;  // the core's object for the window
    virtual void* user(Handle h) = 0;
    virtual Handle parent_of(Handle h) = 0;
    virtual void invalidate(Handle h) = 0;

    // --- text, check state, focus ---
    virtual std::string text(Handle h) = 0;
    virtual void set_text(Handle h, std::string_view text) = 0;
    virtual int check(Handle h) = 0;  // 1 checked, 0 unchecked, 2 indeterminate
    virtual void set_check(Handle h, int state) = 0;
    virtual Handle focus() = 0;
    virtual void set_focus(Handle h) = 0;

    // --- control specifics ---
    virtual void set_font(Handle h, Font f, bool redraw) = 0;
    virtual void set_text_limit(Handle edit, std::int32_t limit) = 0;
    virtual void set_password_char(Handle edit, char c) = 0;
    virtual void set_selection(Handle edit, std::int32_t start, std::int32_t end) = 0;
    virtual void scroll_caret(Handle edit) = 0;
    virtual void set_image(Handle button, Image image) = 0;
    virtual void set_updown(Handle updown, Handle buddy, std::int32_t low, std::int32_t high) = 0;
    virtual void set_icon(Handle window, Image big, Image small) = 0;
    virtual void set_topmost(Handle window) = 0;
    virtual void remove_move_command(Handle window) = 0;
    // Clip a window to a polygon or ellipse list, in window coordinates; empty: rectangle.
    struct Shape {
        enum Kind { none, ellipse, round_rect, ring, polygon } kind = none;
        std::int32_t corner = 0;  // round_rect: corner ellipse size
        std::vector<std::int32_t> points;  // polygon: x0, y0, x1, y1, ...
    };
    virtual void set_shape(Handle window, const Shape& shape) = 0;
    virtual void set_cursor(Handle window, Cursor c) = 0;

    // --- resources ---
    virtual Font default_gui_font() = 0;
    virtual Font create_font(const std::uint8_t (&logfont)[60]) = 0;  // null on failure
    virtual void release_font(Font f) = 0;  // the stock font is ignored
    virtual Brush create_brush(Color c) = 0;
    virtual void release_brush(Brush b) = 0;
    virtual Color button_face_color() = 0;
    virtual Image create_image(const Pixels& pixels, Color background) = 0;  // null on failure
    virtual void release_image(Image i) = 0;
    virtual Cursor load_system_cursor(int which) = 0;  // 1 .. 14, see the form data
    virtual void release_cursor(Cursor c) = 0;
    virtual Image program_icon(bool small) = 0;
    // Height in pixels of one two-byte character in the font.
    virtual int double_byte_char_height(Font f) = 0;
    virtual int edge_height() = 0;  // SM_CYEDGE
    virtual Rect screen() = 0;     // primary display: 0, 0, width, height
    virtual Rect work_area(Handle near_window) = 0;

    // --- clipboard ---
    virtual bool open_clipboard() = 0;  // no owner window
    virtual void empty_clipboard() = 0;
    virtual Block global_alloc(std::uint32_t flags, std::size_t bytes) = 0;  // null on failure
    virtual void* global_lock(Block b) = 0;
    virtual void global_unlock(Block b) = 0;
    virtual void set_clipboard_data(std::uint32_t format, Block b) = 0;
    virtual void close_clipboard() = 0;

    // --- heap, message box, process ---
    virtual void* heap_alloc(std::size_t bytes) = 0;  // null when exhausted
    virtual void heap_free(void* p) = 0;
    virtual int message_box(std::string_view text, std::string_view caption, std::uint32_t flags) = 0;
    [[noreturn]] virtual void exit_process(int code) = 0;
    virtual bool file_exists(std::string_view path) = 0;
    virtual void open_help(std::string_view path, std::int32_t context) = 0;
    virtual std::string program_path() = 0;

    // --- event loop ---
    virtual bool message_waiting() = 0;
    // Take the next message, offer key presses to Events::pre_translate, then translate and
    // dispatch. Returns false when the quit message was taken (its code in *exit_code).
    virtual bool next_message(int* exit_code) = 0;
    // Dispatch the messages already waiting, without blocking (their events may be dropped).
    virtual void deliver_waiting() = 0;
    virtual void post_quit(int code) = 0;
};

// Clipboard constants (the platform's values).
inline constexpr std::uint32_t CF_TEXT_ = 1, GMEM_MOVEABLE_ = 0x0002, GMEM_ZEROINIT_ = 0x0040;

}  // namespace tk
