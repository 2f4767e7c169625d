// The sim with the C runtime's heap in place of its own. The sim's heap keeps every block and
// fills it on allocation and release, to catch misuse in tests; for timing the program's text
// work that would measure the sim instead, and the memory would grow with every iteration.
// Everything else goes to the sim unchanged.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "toolkit/sim/sim.h"

namespace bench {

using namespace tk;

struct PlainHeapToolkit final : tk::Toolkit {
    sim::SimToolkit sim;
    std::size_t live_blocks = 0;  // allocated and not yet released

    void* heap_alloc(std::size_t bytes) override {
        void* p = std::malloc(bytes ? bytes : 1);
        if (p != nullptr) ++live_blocks;
        return p;
    }
    void heap_free(void* p) override {
        if (p != nullptr) --live_blocks;
        std::free(p);
    }

    void set_events(Events* events) override { sim.set_events(events); }
    Handle create(const CreateSpec& request) override { return sim.create(request); }
    void destroy(Handle h) override { sim.destroy(h); }
    bool exists(Handle h) override { return sim.exists(h); }
    void set_parent(Handle child, Handle parent) override { sim.set_parent(child, parent); }
    void place_below(Handle h, Handle above) override { sim.place_below(h, above); }
    void show(Handle h, Show how) override { sim.show(h, how); }
    bool is_visible(Handle h) override { return sim.is_visible(h); }
    bool is_enabled(Handle h) override { return sim.is_enabled(h); }
    bool is_minimized(Handle h) override { return sim.is_minimized(h); }
    bool is_maximized(Handle h) override { return sim.is_maximized(h); }
    void activate_window(Handle h) override { sim.activate_window(h); }
    Rect outer_rect(Handle h) override { return sim.outer_rect(h); }
    Rect client_rect(Handle h) override { return sim.client_rect(h); }
    void move(Handle h, const Rect& r) override { sim.move(h, r); }
    std::uint32_t style(Handle h) override { return sim.style(h); }
    std::uint32_t ex_style(Handle h) override { return sim.ex_style(h); }
    void set_styles(Handle h, std::uint32_t style, std::uint32_t ex_style) override { sim.set_styles(h, style, ex_style); }
    void set_user(Handle h, void* user) override { sim.set_user(h, user); }
    void* user(Handle h) override { return sim.user(h); }
    Handle parent_of(Handle h) override { return sim.parent_of(h); }
    void invalidate(Handle h) override { sim.invalidate(h); }
    std::string text(Handle h) override { return sim.text(h); }
    void set_text(Handle h, std::string_view text) override { sim.set_text(h, text); }
    int check(Handle h) override { return sim.check(h); }
    void set_check(Handle h, int state) override { sim.set_check(h, state); }
    Handle focus() override { return sim.focus(); }
    void set_focus(Handle h) override { sim.set_focus(h); }
    void set_font(Handle h, Font f, bool redraw) override { sim.set_font(h, f, redraw); }
    void set_text_limit(Handle edit, std::int32_t limit) override { sim.set_text_limit(edit, limit); }
    void set_password_char(Handle edit, char c) override { sim.set_password_char(edit, c); }
    void set_selection(Handle edit, std::int32_t start, std::int32_t end) override { sim.set_selection(edit, start, end); }
    void scroll_caret(Handle edit) override { sim.scroll_caret(edit); }
    void set_image(Handle button, Image image) override { sim.set_image(button, image); }
    void set_updown(Handle updown, Handle buddy, std::int32_t low, std::int32_t high) override { sim.set_updown(updown, buddy, low, high); }
    void set_icon(Handle window, Image big, Image small) override { sim.set_icon(window, big, small); }
    void set_topmost(Handle window) override { sim.set_topmost(window); }
    void remove_move_command(Handle window) override { sim.remove_move_command(window); }
    void set_shape(Handle window, const Shape& shape) override { sim.set_shape(window, shape); }
    void set_cursor(Handle window, Cursor c) override { sim.set_cursor(window, c); }
    Font default_gui_font() override { return sim.default_gui_font(); }
    Font create_font(const std::uint8_t (&logfont)[60]) override { return sim.create_font(logfont); }
    void release_font(Font f) override { sim.release_font(f); }
    Brush create_brush(Color c) override { return sim.create_brush(c); }
    void release_brush(Brush b) override { sim.release_brush(b); }
    Color button_face_color() override { return sim.button_face_color(); }
    Image create_image(const Pixels& pixels, Color background) override { return sim.create_image(pixels, background); }
    void release_image(Image i) override { sim.release_image(i); }
    Cursor load_system_cursor(int which) override { return sim.load_system_cursor(which); }
    void release_cursor(Cursor c) override { sim.release_cursor(c); }
    Image program_icon(bool small) override { return sim.program_icon(small); }
    int double_byte_char_height(Font f) override { return sim.double_byte_char_height(f); }
    int edge_height() override { return sim.edge_height(); }
    Rect screen() override { return sim.screen(); }
    Rect work_area(Handle near_window) override { return sim.work_area(near_window); }
    bool open_clipboard() override { return sim.open_clipboard(); }
    void empty_clipboard() override { sim.empty_clipboard(); }
    Block global_alloc(std::uint32_t flags, std::size_t bytes) override { return sim.global_alloc(flags, bytes); }
    void* global_lock(Block b) override { return sim.global_lock(b); }
    void global_unlock(Block b) override { sim.global_unlock(b); }
    void set_clipboard_data(std::uint32_t format, Block b) override { sim.set_clipboard_data(format, b); }
    void close_clipboard() override { sim.close_clipboard(); }
    int message_box(std::string_view text, std::string_view caption, std::uint32_t flags) override { return sim.message_box(text, caption, flags); }
    [[noreturn]] void exit_process(int code) override { sim.exit_process(code); }
    bool file_exists(std::string_view path) override { return sim.file_exists(path); }
    void open_help(std::string_view path, std::int32_t context) override { sim.open_help(path, context); }
    std::string program_path() override { return sim.program_path(); }
    bool message_waiting() override { return sim.message_waiting(); }
    bool next_message(int* exit_code) override { return sim.next_message(exit_code); }
    void deliver_waiting() override { sim.deliver_waiting(); }
    void post_quit(int code) override { sim.post_quit(code); }
};

}  // namespace bench
