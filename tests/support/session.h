// A user's session with the real program on the sim backend: the frame started with the
// embedded form and the program's handlers, MainWindow open, controls addressed by name.
#pragma once

#include <string>
#include <string_view>

#include "commands/commands.h"
#include "frame/frame.h"
#include "toolkit/sim/sim.h"
#include "window/form.h"

namespace testing_support {

// Starts the frame on `sim` with the real form; `open` also builds MainWindow.
void start_program(sim::SimToolkit& sim, bool open = true);
// Frees what the frame and the window layer hold, so the next test starts afresh.
void stop_program();

struct Session {
    sim::SimToolkit sim;

    explicit Session(bool open = true) { start_program(sim, open); }
    ~Session() { stop_program(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    form::WindowTemplate& main_template();
    const form::UnitRecord& unit(std::string_view name);  // by its GBK name
    tk::Handle handle(std::string_view name);             // null when not live
    tk::Handle window();

    bool click(std::string_view name) { return sim.click(handle(name)); }
    // Replaces the field's text as a user would: select all, then type.
    void type_into(std::string_view name, std::string_view text);
    std::string text_of(std::string_view name) { return sim.text(handle(name)); }
    int check_of(std::string_view name) { return sim.check(handle(name)); }
    // The name of the control that has the focus, or "" when none of ours has.
    std::string focused_name();
};

}  // namespace testing_support
