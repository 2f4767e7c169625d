// The process's life after the toolkit is ready: the entry routine, then the normal end.
#include "app/app.h"
#include "commands/commands.h"
#include "frame/frame.h"

namespace app {

int run(tk::Toolkit& toolkit) {
    commands::program_entry(toolkit);
    int code = frame::exit_code_of_loop();
    frame::shut_down_frame(code);
    return code;
}

}  // namespace app
