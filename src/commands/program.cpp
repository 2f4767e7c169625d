// The program's entry routine and its own (empty) start and end routines.
#include "commands/commands.h"
#include "commands/handler_table.h"
#include "resources/control_ids.h"
#include "resources/form_bytes.h"
#include "window/open_window.h"

namespace commands {

void program_init() {}
void program_cleanup() {}

std::int32_t program_entry(tk::Toolkit& toolkit) {
    frame::start_frame(toolkit, resources::main_window_form(), program_handlers);
    program_init();
    frame::register_end_routine(program_cleanup);
    if (!ui::open_window(resources::ID_MainWindow))
        frame::report_fatal_error(frame::START_WINDOW_FAILED, resources::ID_MainWindow, 0);
    frame::run_event_loop();
    return 0;
}

}  // namespace commands
