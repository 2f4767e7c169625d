// The program as the process entry sees it: everything above the toolkit.
#pragma once

namespace tk {
struct Toolkit;
}

namespace app {

// Runs the program on the given toolkit and returns the process's exit code.
int run(tk::Toolkit& toolkit);

}  // namespace app
