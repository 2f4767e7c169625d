// Start of the frame and the event loop.
#include <string>

#include "frame/frame_internal.h"
#include "resources/constant_texts.h"
#include "window/open_window.h"

namespace frame {

namespace {
int loop_exit_code = 0;
}

void start_frame(tk::Toolkit& toolkit, std::span<const std::uint8_t> form_bytes,
                 std::span<const form::Handler> handlers) {
    set_toolkit(toolkit);  // its heap is the heap of all texts
    const auto& c = resources::constant_texts;
    set_constant_block(&c, &c + 1);
    form::LoadResult loaded = form::load_form(form_bytes, handlers);
    if (loaded.error != form::LoadError::none) report_fatal_error(WINDOW_DATA_FAILED, 0, 0);
    templates() = std::move(loaded.form);
}

void run_event_loop() {
    set_loop_started();
    if (!ui::any_window_open()) return;
    tk::Toolkit& t = toolkit();
    int code = 0;
    while (t.next_message(&code)) {
    }
    loop_exit_code = code;
}

int exit_code_of_loop() { return loop_exit_code; }

void window_destroyed() {
    if (!ui::any_window_open() && loop_started()) toolkit().post_quit(0);
}

}  // namespace frame
