// Process entry of the Windows program: runs the program on the Win32 toolkit and ends the
// process with its code.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdlib>

#include "app/app.h"
#include "frame/frame.h"
#include "toolkit/win32/win32_toolkit.h"

// An exception that escapes everything ends the process at once. Replacing the library's
// verbose handler keeps its symbol demangler, a seventh of the program's size, out of the .exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // An exception caught at a window procedure ends the program like any other failure.
    win32::set_failure_handler([](const char* what) { frame::report_fatal_error(what, 0, 0); });
    int code = app::run(win32::toolkit());
    ExitProcess(static_cast<UINT>(code));
}
