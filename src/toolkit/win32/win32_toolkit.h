// The Win32 backend of the toolkit seam: USER, GDI and KERNEL through their ANSI calls.
// This header is free of <windows.h>, so the process entry sees only the seam.
#pragma once

#include "toolkit/toolkit.h"

namespace win32 {

// The one backend instance of the process.
tk::Toolkit& toolkit();

// Called when a C++ exception reaches a window procedure, which must not let it pass into
// the system. Without a handler the backend shows an error box and exits with -1.
using FailureHandler = void (*)(const char* what);
void set_failure_handler(FailureHandler handler);

}  // namespace win32
