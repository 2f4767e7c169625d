// A toolkit that hands every call to a sim unchanged and notes the byte count of each heap
// request, granted or not, so that a test knows what the Nth allocation of a run asks for.
#pragma once

#include <cstddef>
#include <vector>

#include "toolkit/sim/sim.h"

namespace hardening {

struct HeapRecorder final : tk::Toolkit {
    explicit HeapRecorder(sim::SimToolkit& s) : sim(s) {}

    sim::SimToolkit& sim;
    std::vector<std::size_t> requests;  // in order of the calls

    void* heap_alloc(std::size_t bytes) override {
        requests.push_back(bytes);
        return sim.heap_alloc(bytes);
    }

    // Everything else goes straight to the sim.
    void set_events(tk::Events* events) override { sim.set_events(events); }
    tk::Handle create(const tk::CreateSpec& spec) override { return sim.create(spec); }
    void destroy(tk::Handle h) override { sim.destroy(h); }
    bool exists(tk::Handle h) override { return sim.exists(h); }
    void set_parent(tk::Handle child, tk::Handle parent) override { sim.set_parent(child, parent); }
    void place_below(tk::Handle h, tk::Handle above) override { sim.place_below(h, above); }
    void show(tk::Handle h, tk::Show how) override { sim.show(h, how); }
    bool is_visible(tk::Handle h) override { return sim.is_visible(h); }
    bool is_enabled(tk::Handle h) override { return sim.is_enabled(h); }
    bool is_minimized(tk::Handle h) override { return sim.is_minimized(h); }
    bool is_maximized(tk::Handle h) override { return sim.is_maximized(h); }
    void activate_window(tk::Handle h) override { sim.activate_window(h); }
    tk::Rect outer_rect(tk::Handle h) override { return sim.outer_rect(h); }
    tk::Rect client_rect(tk::Handle h) override { return sim.client_rect(h); }
    void move(tk::Handle h, const tk::Rect& r) override { sim.move(h, r); }
    std::uint32_t style(tk::Handle h) override { return sim.style(h); }
    std::uint32_t ex_style(tk::Handle h) override { return sim.ex_style(h); }
    void set_styles(tk::Handle h, std::uint32_t s, std::uint32_t ex) override { sim.set_styles(h, s, ex); }
    void set_user(tk::Handle h, void* user) override { sim.set_user(h, user); }
    void* user(tk::Handle h) override { return sim.user(h); }
    tk::Handle parent_of(tk::Handle h) override { return sim.parent_of(h); }
    void invalidate(tk::Handle h) override { sim.invalidate(h); }

    std::string text(tk::Handle h) override { return sim.text(h); }
    void set_text(tk::Handle h, std::string_view t) override { sim.set_text(h, t); }
    int check(tk::Handle h) override { return sim.check(h); }
    void set_check(tk::Handle h, int state) override { sim.set_check(h, state); }
    tk::Handle focus() override { return sim.focus(); }
    void set_focus(tk::Handle h) override { sim.set_focus(h); }

    void set_font(tk::Handle h, tk::Font f, bool redraw) override { sim.set_font(h, f, redraw); }
    void set_text_limit(tk::Handle edit, std::int32_t limit) override { sim.set_text_limit(edit, limit); }
    void set_password_char(tk::Handle edit, char c) override { sim.set_password_char(edit, c); }
    void set_selection(tk::Handle edit, std::int32_t start, std::int32_t end) override {
        sim.set_selection(edit, start, end);
    }
    void scroll_caret(tk::Handle edit) override { sim.scroll_caret(edit); }
    void set_image(tk::Handle button, tk::Image image) override { sim.set_image(button, image); }
    void set_updown(tk::Handle updown, tk::Handle buddy, std::int32_t low, std::int32_t high) override {
        sim.set_updown(updown, buddy, low, high);
    }
    void set_icon(tk::Handle window, tk::Image big, tk::Image small) override { sim.set_icon(window, big, small); }
    void set_topmost(tk::Handle window) override { sim.set_topmost(window); }
    void remove_move_command(tk::Handle window) override { sim.remove_move_command(window); }
    void set_shape(tk::Handle window, const Shape& shape) override { sim.set_shape(window, shape); }
    void set_cursor(tk::Handle window, tk::Cursor c) override { sim.set_cursor(window, c); }

    tk::Font default_gui_font() override { return sim.default_gui_font(); }
    tk::Font create_font(const std::uint8_t (&logfont)[60]) override { return sim.create_font(logfont); }
    void release_font(tk::Font f) override { sim.release_font(f); }
    tk::Brush create_brush(tk::Color c) override { return sim.create_brush(c); }
    void release_brush(tk::Brush b) override { sim.release_brush(b); }
    tk::Color button_face_color() override { return sim.button_face_color(); }
    tk::Image create_image(const tk::Pixels& pixels, tk::Color background) override {
        return sim.create_image(pixels, background);
    }
    void release_image(tk::Image i) override { sim.release_image(i); }
    tk::Cursor load_system_cursor(int which) override { return sim.load_system_cursor(which); }
    void release_cursor(tk::Cursor c) override { sim.release_cursor(c); }
    tk::Image program_icon(bool small) override { return sim.program_icon(small); }
    int double_byte_char_height(tk::Font f) override { return sim.double_byte_char_height(f); }
    int edge_height() override { return sim.edge_height(); }
    tk::Rect screen() override { return sim.screen(); }
    tk::Rect work_area(tk::Handle near_window) override { return sim.work_area(near_window); }

    bool open_clipboard() override { return sim.open_clipboard(); }
    void empty_clipboard() override { sim.empty_clipboard(); }
    tk::Block global_alloc(std::uint32_t flags, std::size_t bytes) override { return sim.global_alloc(flags, bytes); }
    void* global_lock(tk::Block b) override { return sim.global_lock(b); }
    void global_unlock(tk::Block b) override { sim.global_unlock(b); }
    void set_clipboard_data(std::uint32_t format, tk::Block b) override { sim.set_clipboard_data(format, b); }
    void close_clipboard() override { sim.close_clipboard(); }

    void heap_free(void* p) override { sim.heap_free(p); }
    int message_box(std::string_view t, std::string_view caption, std::uint32_t flags) override {
        return sim.message_box(t, caption, flags);
    }
    [[noreturn]] void exit_process(int code) override { sim.exit_process(code); }
    bool file_exists(std::string_view path) override { return sim.file_exists(path); }
    void open_help(std::string_view path, std::int32_t context) override { sim.open_help(path, context); }
    std::string program_path() override { return sim.program_path(); }

    bool message_waiting() override { return sim.message_waiting(); }
    bool next_message(int* exit_code) override { return sim.next_message(exit_code); }
    void deliver_waiting() override { sim.deliver_waiting(); }
    void post_quit(int code) override { sim.post_quit(code); }
};

}  // namespace hardening
