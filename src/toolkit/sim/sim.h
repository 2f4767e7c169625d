// The sim backend: an in-memory window system with fixed metrics, for native tests and tools.
// It is a backend like win32, not a mock: notifications travel child -> parent as on Windows,
// automatic buttons keep their own state, edits take typed characters, and the clipboard, the
// heap, the message box and the process exit are modelled so that tests can see what the
// program did. Tests script a user through the helpers below and read the state back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

namespace sim {

// --- fixed metrics (pixels), chosen to match the classic Windows look ---
inline constexpr std::int32_t kScreenWidth = 1024, kScreenHeight = 768;
inline constexpr std::int32_t kTaskBarHeight = 30;  // the work area is the screen above it
inline constexpr std::int32_t kBorder = 1;          // WS_BORDER without WS_DLGFRAME
inline constexpr std::int32_t kDialogFrame = 3;     // WS_DLGFRAME (so WS_CAPTION), border included
inline constexpr std::int32_t kSizingFrame = 4;     // WS_THICKFRAME, border included
inline constexpr std::int32_t kCaptionHeight = 19;  // WS_CAPTION
inline constexpr std::int32_t kToolCaptionHeight = 15;  // WS_CAPTION with WS_EX_TOOLWINDOW
inline constexpr std::int32_t kClientEdge = 2;          // WS_EX_CLIENTEDGE
inline constexpr std::int32_t kStaticEdge = 1;          // WS_EX_STATICEDGE
inline constexpr std::int32_t kEdgeHeight = 2;          // SM_CYEDGE
inline constexpr int kStockFontCharHeight = 12;         // the default GUI font
inline constexpr int kCreatedFontCharHeight = 16;       // a created font whose height field is 0
inline constexpr tk::Color kDefaultButtonFace = 0xF0F0F0;
inline constexpr std::uint32_t kDefaultTextLimit = 32767;   // before EM_LIMITTEXT
inline constexpr std::uint32_t kMaxTextLimit = 0x7FFFFFFE;  // EM_LIMITTEXT 0: the system maximum
inline constexpr std::uint8_t kFreshFill = 0xCD;            // new heap and non-zeroed global blocks
inline constexpr std::uint8_t kFreedFill = 0xDD;  // freed heap blocks (kept, never reused)
inline const char* const kProgramPath = "C:\\territory\\territory.exe";

// Notification codes the sim's edits send besides those the seam names (the platform's values):
// EN_UPDATE before each EN_CHANGE, EN_MAXTEXT when typing hits the text limit.
inline constexpr std::uint16_t EN_UPDATE_ = 0x0400, EN_MAXTEXT_ = 0x0501;

// exit_process throws this; tests catch it.
struct ProcessExit {
    int code = 0;
};

struct Point {
    std::int32_t x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// One window or control. WS_VISIBLE, WS_DISABLED, WS_MINIMIZE and WS_MAXIMIZE in `style` are
// its state, as on Windows. Records are kept after destruction (alive false), so a stale
// handle stays detectable and is never handed out again.
struct Object {
    bool alive = true;
    bool dying = false;      // between destroying and destroyed
    std::string class_name;  // the canonical spelling, e.g. "BUTTON"
    std::uint32_t style = 0, ex_style = 0;
    std::string text;
    tk::Rect rect;                // outer rectangle: parent's client coordinates, or screen
    tk::Handle parent = nullptr;  // children only
    tk::Handle owner = nullptr;   // top-level windows only
    std::int32_t child_id = 0;
    std::vector<tk::Handle> children;  // z-order, front first
    void* user = nullptr;
    int check = 0;
    tk::Font font = nullptr;
    bool font_redraw = false;
    tk::Image image = nullptr;
    std::uint32_t text_limit = kDefaultTextLimit;
    char password_char = 0;
    std::int32_t selection_start = 0, selection_end = 0;  // start <= end
    std::int32_t caret = 0;
    int caret_scrolls = 0;
    tk::Handle buddy = nullptr;
    std::int32_t range_low = 0, range_high = 0, position = 0;
    tk::Image big_icon = nullptr, small_icon = nullptr;
    bool topmost = false;
    bool move_command_removed = false;
    tk::Toolkit::Shape shape;
    tk::Cursor cursor = nullptr;
    bool needs_paint = false;
};

struct FontRecord {
    bool alive = true;
    bool stock = false;
    std::vector<std::uint8_t> logfont;  // 60 bytes for created fonts
};
struct BrushRecord {
    bool alive = true;
    tk::Color color = 0;
};
struct ImageRecord {
    bool alive = true;
    bool stock = false;  // the program's icons
    std::int32_t width = 0, height = 0;
    bool is_icon = false;
    tk::Color background = 0;
};
struct CursorRecord {
    bool alive = true;
    int which = 0;
};
// A global memory block. The program owns it until it is handed to the clipboard.
struct BlockRecord {
    enum Owner { program, clipboard, freed } owner = program;
    int id = 0;  // as the clipboard log names it: #id
    std::uint32_t flags = 0;
    std::vector<std::uint8_t> bytes;
    int locks = 0;
};

// One call a canvas received.
struct DrawCall {
    enum class Op { fill, clip, text, image } op = Op::fill;
    tk::Rect rect;
    tk::Color color = 0;
    std::uint32_t flags = 0;
    std::string text;
    tk::Font font = nullptr;
    tk::Image image = nullptr;
    friend bool operator==(const DrawCall&, const DrawCall&) = default;
};

// A canvas that records what it is asked to draw; also usable on its own to test painting.
struct RecordingCanvas final : tk::Canvas {
    std::vector<DrawCall> calls;
    void fill(const tk::Rect& r, tk::Color c) override;
    void clip(const tk::Rect& r) override;
    void draw_text(std::string_view text, const tk::Rect& r, std::uint32_t dt_flags, tk::Color c,
                   tk::Font font) override;
    void draw_image(tk::Image image, const tk::Rect& dest) override;
};

struct MessageBoxCall {
    std::string text, caption;
    std::uint32_t flags = 0;
};
struct HelpRequest {
    std::string path;
    std::int32_t context = 0;
};
struct HeapFault {
    enum Kind { double_free, foreign_free, null_free } kind = double_free;
    const void* pointer = nullptr;
};

struct SimToolkit final : tk::Toolkit {
    SimToolkit();
    ~SimToolkit() override;
    SimToolkit(const SimToolkit&) = delete;
    SimToolkit& operator=(const SimToolkit&) = delete;

    // ===== tk::Toolkit =====
    void set_events(tk::Events* events) override;

    tk::Handle create(const tk::CreateSpec& spec) override;
    void destroy(tk::Handle h) override;
    bool exists(tk::Handle h) override;
    void set_parent(tk::Handle child, tk::Handle parent) override;
    void place_below(tk::Handle h, tk::Handle above) override;
    void show(tk::Handle h, tk::Show how) override;
    bool is_visible(tk::Handle h) override;
    bool is_enabled(tk::Handle h) override;
    bool is_minimized(tk::Handle h) override;
    bool is_maximized(tk::Handle h) override;
    void activate_window(tk::Handle h) override;
    tk::Rect outer_rect(tk::Handle h) override;
    tk::Rect client_rect(tk::Handle h) override;
    void move(tk::Handle h, const tk::Rect& r) override;
    std::uint32_t style(tk::Handle h) override;
    std::uint32_t ex_style(tk::Handle h) override;
    void set_styles(tk::Handle h, std::uint32_t style, std::uint32_t ex_style) override;
    void set_user(tk::Handle h, void* user) override;
    void* user(tk::Handle h) override;
    tk::Handle parent_of(tk::Handle h) override;
    void invalidate(tk::Handle h) override;

    std::string text(tk::Handle h) override;
    void set_text(tk::Handle h, std::string_view text) override;
    int check(tk::Handle h) override;
    void set_check(tk::Handle h, int state) override;
    tk::Handle focus() override;
    void set_focus(tk::Handle h) override;

    void set_font(tk::Handle h, tk::Font f, bool redraw) override;
    void set_text_limit(tk::Handle edit, std::int32_t limit) override;
    void set_password_char(tk::Handle edit, char c) override;
    void set_selection(tk::Handle edit, std::int32_t start, std::int32_t end) override;
    void scroll_caret(tk::Handle edit) override;
    void set_image(tk::Handle button, tk::Image image) override;
    void set_updown(tk::Handle updown, tk::Handle buddy, std::int32_t low,
                    std::int32_t high) override;
    void set_icon(tk::Handle window, tk::Image big, tk::Image small) override;
    void set_topmost(tk::Handle window) override;
    void remove_move_command(tk::Handle window) override;
    void set_shape(tk::Handle window, const Shape& shape) override;
    void set_cursor(tk::Handle window, tk::Cursor c) override;

    tk::Font default_gui_font() override;
    tk::Font create_font(const std::uint8_t (&logfont)[60]) override;
    void release_font(tk::Font f) override;
    tk::Brush create_brush(tk::Color c) override;
    void release_brush(tk::Brush b) override;
    tk::Color button_face_color() override;
    tk::Image create_image(const tk::Pixels& pixels, tk::Color background) override;
    void release_image(tk::Image i) override;
    tk::Cursor load_system_cursor(int which) override;
    void release_cursor(tk::Cursor c) override;
    tk::Image program_icon(bool small) override;
    int double_byte_char_height(tk::Font f) override;
    int edge_height() override;
    tk::Rect screen() override;
    tk::Rect work_area(tk::Handle near_window) override;

    bool open_clipboard() override;
    void empty_clipboard() override;
    tk::Block global_alloc(std::uint32_t flags, std::size_t bytes) override;
    void* global_lock(tk::Block b) override;
    void global_unlock(tk::Block b) override;
    void set_clipboard_data(std::uint32_t format, tk::Block b) override;
    void close_clipboard() override;

    void* heap_alloc(std::size_t bytes) override;
    void heap_free(void* p) override;
    int message_box(std::string_view text, std::string_view caption, std::uint32_t flags) override;
    [[noreturn]] void exit_process(int code) override;
    bool file_exists(std::string_view path) override;
    void open_help(std::string_view path, std::int32_t context) override;
    std::string program_path() override;

    bool message_waiting() override;
    bool next_message(int* exit_code) override;
    void deliver_waiting() override;
    void post_quit(int code) override;

    // ===== test-facing API =====

    // --- set-up switches ---
    void set_screen(std::int32_t width, std::int32_t height);
    void refuse_create_after(int n);  // the nth create from now returns null (1: the next)
    void set_button_face_color(tk::Color c);
    void enable(tk::Handle h, bool enabled);  // toggles WS_DISABLED

    // --- the user, acting at once ---
    // A mouse click: only on an existing, visible, enabled control whose ancestors are all
    // visible and enabled. Activates its top-level window, gives buttons and edits the focus,
    // then does what the control does (a button toggles and notifies). False: nothing happened.
    bool click(tk::Handle h);
    // Characters typed into an edit (WM_CHAR straight to it, no focus change); GBK pairs count
    // as one character. "\r" or "\r\n" is Enter, "\t" Tab and "\b" Backspace, each as the edit
    // takes them; other control characters are ignored. False when h takes no typing.
    bool type_text(tk::Handle h, std::string_view bytes);
    // A key press to the focused control (the active window when nothing has the focus):
    // offered to Events::pre_translate, then handled by the control.
    void press_key(std::uint32_t vk, tk::Keys keys = {});
    void type_chars(std::string_view text);  // post_chars, then pump
    void close(tk::Handle h);  // the close button: close_requested, then destroy when allowed
    void activate(tk::Handle h) { activate_window(h); }
    void deactivate(tk::Handle h);            // another program takes the activation
    bool spin(tk::Handle updown, int delta);  // the user presses an arrow of an up-down control
    std::optional<tk::ColorAnswer> request_color(tk::Handle h);
    std::vector<DrawCall> paint(tk::Handle h, const tk::Rect& dirty);
    std::vector<DrawCall> paint(tk::Handle h);  // the whole client area
    std::vector<DrawCall> erase(tk::Handle h);
    bool last_paint_handled() const { return last_paint_handled_; }

    // --- the user, through the message queue ---
    // Key messages are addressed when they are taken from the queue, to the focus of that moment.
    void post_click(tk::Handle h);
    void post_key(std::uint32_t vk, tk::Keys keys = {});
    // One message per character. Printable characters are char messages, not offered to
    // pre_translate; "\r" (or "\r\n"), "\n", "\t" and "\b" are the key presses of Enter, Tab and
    // Backspace, and are offered.
    void post_chars(std::string_view text);
    void post_close(tk::Handle h);
    void pump();  // dispatches everything queued, also what the dispatch queues; not the quit
    std::size_t queued() const { return queue_.size(); }
    bool quit_posted() const { return quit_code_.has_value(); }
    // next_message found nothing to do and no quit: the loop would have blocked for ever.
    bool starved() const { return starved_; }
    // Steps of a scripted user, run one by one whenever the event loop finds nothing queued:
    // whole-program runs (start to exit) are driven this way.
    void add_script_step(std::function<void(SimToolkit&)> step) { script_.push_back(std::move(step)); }

    // --- windows ---
    const Object* object(tk::Handle h) const;  // also for destroyed windows; null if never made
    // The first live window with this child id under `parent` (its whole subtree), or
    // anywhere when `parent` is null.
    tk::Handle find_child(tk::Handle parent, std::int32_t child_id) const;
    tk::Handle find_by_text(tk::Handle parent, std::string_view text) const;
    std::vector<tk::Handle> children(tk::Handle parent) const;  // null: the top-level windows
    Point screen_origin(tk::Handle h) const;  // the client area's origin on the screen
    std::string class_name(tk::Handle h) const;
    std::size_t object_count() const;  // live windows
    tk::Handle active_window() const { return active_; }

    // --- resources ---
    const FontRecord* font_record(tk::Font f) const;
    const BrushRecord* brush_record(tk::Brush b) const;
    const ImageRecord* image_record(tk::Image i) const;
    const CursorRecord* cursor_record(tk::Cursor c) const;
    std::size_t live_fonts() const;  // created, not released; the stock font is not counted
    std::size_t live_brushes() const;
    std::size_t live_images() const;  // the program's icons are not counted
    std::size_t live_cursors() const;
    // Releases of unknown or already released resources, and uses of released ones.
    const std::vector<std::string>& resource_faults() const { return resource_faults_; }

    // --- clipboard ---
    void hold_clipboard(bool held);     // another program has the clipboard open
    void fail_global_alloc(bool fail);  // global_alloc returns null
    // Contents put there by another program: the block holds exactly `bytes` (add the
    // terminating zero yourself when it should have one).
    void put_clipboard(std::uint32_t format, std::string_view bytes);
    // Every clipboard and global-memory call, in order, e.g. "global_alloc(0x42, 4) -> #1".
    const std::vector<std::string>& clipboard_log() const { return clipboard_log_; }
    void clear_clipboard_log() { clipboard_log_.clear(); }
    std::optional<std::string> clipboard_bytes(std::uint32_t format) const;  // the whole block
    std::vector<std::uint32_t> clipboard_formats() const;
    bool clipboard_open() const { return clipboard_open_; }
    bool clipboard_owned() const { return clipboard_owned_; }  // emptied by this program
    // Misuse: a block locked after handing it over, unbalanced unlocks, and the like.
    const std::vector<std::string>& clipboard_faults() const { return clipboard_faults_; }
    std::size_t live_program_blocks() const;  // allocated and not handed to the clipboard
    const BlockRecord* block_record(tk::Block b) const;

    // --- heap ---
    void fail_allocation(int n);  // the nth heap_alloc from now returns null (1: the next)
    // The byte count of every heap request from now on, granted or not, in order.
    void record_heap_requests(bool on) { record_heap_requests_ = on; }
    const std::vector<std::size_t>& heap_requests() const { return heap_requests_; }
    // For timing: blocks are neither filled nor kept after release, so the heap costs what
    // the C runtime's does and does not grow (a second release then reads as foreign).
    void use_plain_heap(bool on) { plain_heap_ = on; }
    std::size_t live_blocks() const { return live_heap_blocks_; }
    std::size_t live_bytes() const { return live_bytes_; }
    std::size_t peak_bytes() const { return peak_bytes_; }
    std::size_t total_allocations() const { return total_allocations_; }  // successful ones
    std::size_t failed_allocations() const { return failed_allocations_; }
    bool is_live_block(const void* p) const;
    const std::vector<HeapFault>& heap_faults() const { return heap_faults_; }

    // --- message box, process, files ---
    const std::vector<MessageBoxCall>& message_boxes() const { return message_boxes_; }
    std::optional<int> exit_code() const { return exit_code_; }
    void add_file(std::string_view path) { files_.insert(std::string(path)); }
    const std::vector<HelpRequest>& help_requests() const { return help_requests_; }

private:
    struct Message {
        enum class Kind { key, chars, click, close } kind = Kind::key;
        std::uint32_t vk = 0;
        tk::Keys keys;
        std::string chars;
        tk::Handle target = nullptr;
    };
    struct HeapBlock {
        std::size_t size = 0;
        bool live = true;
    };

    tk::Events& events();
    Object* live(tk::Handle h);
    const Object* live(tk::Handle h) const;
    tk::Handle handle_of(std::size_t index) const;
    std::vector<tk::Handle>& siblings_of(const Object& o);
    void unlink(tk::Handle h);
    tk::Handle top_level_of(tk::Handle h) const;
    bool in_subtree(tk::Handle h, tk::Handle root) const;
    bool takes_input(tk::Handle h) const;  // visible and enabled with all its ancestors
    void notify(tk::Handle child, std::uint16_t code);
    void lose_focus_inside(tk::Handle root);
    void deactivate_active();
    void destroy_tree(tk::Handle h);
    void press_button(tk::Handle h);
    void edit_char(tk::Handle h, std::string_view unit);
    void edit_insert(tk::Handle h, std::string_view bytes);
    void edit_backspace(tk::Handle h);
    void edit_changed(tk::Handle h);
    void dispatch(const Message& m);
    void dispatch_key(std::uint32_t vk, tk::Keys keys);
    void default_key(tk::Handle target, std::uint32_t vk, tk::Keys keys);
    void dispatch_char(std::string_view unit);
    BlockRecord* block(tk::Block b);
    std::string block_name(tk::Block b) const;
    void log_clipboard(std::string entry) { clipboard_log_.push_back(std::move(entry)); }
    void fault(std::string what) { resource_faults_.push_back(std::move(what)); }

    tk::Events* events_ = nullptr;
    std::deque<Object> objects_;          // index = handle order; never shrinks
    std::vector<tk::Handle> top_levels_;  // z-order, front first
    tk::Handle focus_ = nullptr;
    tk::Handle active_ = nullptr;
    std::int32_t screen_width_ = kScreenWidth, screen_height_ = kScreenHeight;
    int refuse_countdown_ = 0;
    tk::Color button_face_ = kDefaultButtonFace;
    bool last_paint_handled_ = false;

    std::deque<Message> queue_;
    std::optional<int> quit_code_;
    bool starved_ = false;
    std::deque<std::function<void(SimToolkit&)>> script_;
    bool record_heap_requests_ = false;
    std::vector<std::size_t> heap_requests_;
    bool plain_heap_ = false;

    std::deque<FontRecord> fonts_;  // [0] is the stock font
    std::deque<BrushRecord> brushes_;
    std::deque<ImageRecord> images_;  // [0] and [1] are the program's icons
    std::deque<CursorRecord> cursors_;
    std::vector<std::string> resource_faults_;

    std::deque<BlockRecord> blocks_;
    std::map<std::uint32_t, tk::Block> clipboard_data_;
    bool clipboard_open_ = false;
    bool clipboard_owned_ = false;
    bool clipboard_held_ = false;
    bool fail_global_alloc_ = false;
    std::vector<std::string> clipboard_log_;
    std::vector<std::string> clipboard_faults_;

    std::map<void*, HeapBlock> heap_;  // freed blocks stay here, and allocated, until the end
    int heap_fail_countdown_ = 0;
    std::size_t live_heap_blocks_ = 0, live_bytes_ = 0, peak_bytes_ = 0;
    std::size_t total_allocations_ = 0, failed_allocations_ = 0;
    std::vector<HeapFault> heap_faults_;

    std::vector<MessageBoxCall> message_boxes_;
    std::optional<int> exit_code_;
    std::set<std::string, std::less<>> files_;
    std::vector<HelpRequest> help_requests_;
};

}  // namespace sim
