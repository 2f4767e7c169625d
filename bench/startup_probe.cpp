// Start-up probe: launches a program and reports how long it takes until its window is
// visible with the keyboard focus in a given control, as the user would first type there.
//
//   startup_probe EXE TITLE FOCUS_ID STOP_FILE
//
// TITLE is the window's caption as GBK bytes in hex (so that no console code page is
// involved), FOCUS_ID the child window identifier that must have the focus. Prints
// "ready MS WINPID" once the window is ready, then keeps the program running until STOP_FILE
// exists (so that its memory can be read from outside), closes it and prints "exit CODE".
// Exit codes: 0 done, 1 the program did not start, 2 usage, 3 not ready in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kReadyTimeoutMs = 20000;
constexpr DWORD kStopTimeoutMs = 60000;

double elapsed_ms(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

bool from_hex(const char* hex, char* out, std::size_t size) {
    const std::size_t n = std::strlen(hex);
    if (n % 2 != 0 || n / 2 + 1 > size) return false;
    for (std::size_t i = 0; i < n; i += 2) {
        unsigned value = 0;
        if (std::sscanf(hex + i, "%2x", &value) != 1) return false;
        out[i / 2] = static_cast<char>(value);
    }
    out[n / 2] = '\0';
    return true;
}

// The visible top-level window of that process with that title; hidden owners share titles.
HWND find_window(const char* title, DWORD process) {
    HWND h = nullptr;
    while ((h = FindWindowExA(nullptr, h, nullptr, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == process && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

// The child window identifier of the control with the focus in that window's thread; -1 when
// the focus is elsewhere, 0 when the window itself has it.
int focused_id(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return -1;
    if (info.hwndFocus == window) return 0;
    if (info.hwndFocus == nullptr || !IsChild(window, info.hwndFocus)) return -1;
    return GetDlgCtrlID(info.hwndFocus);
}

}  // namespace

int main(int argc, char** argv) {
    char title[256];
    if (argc != 5 || !from_hex(argv[2], title, sizeof title)) {
        std::fprintf(stderr, "usage: startup_probe EXE TITLE_HEX FOCUS_ID STOP_FILE\n");
        return 2;
    }
    const int focus_id = std::atoi(argv[3]);
    const char* stop_file = argv[4];

    char command[MAX_PATH + 2];
    std::snprintf(command, sizeof command, "\"%s\"", argv[1]);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[1], command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("error CreateProcess %lu\n", GetLastError());
        return 1;
    }

    HWND window = nullptr;
    double ready = -1;
    int focus = -1;
    while (elapsed_ms(start) < kReadyTimeoutMs) {
        window = find_window(title, pi.dwProcessId);
        focus = window != nullptr ? focused_id(window) : -1;
        if (window != nullptr && focus == focus_id) {
            ready = elapsed_ms(start);
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;  // it ended early
        Sleep(1);
    }
    if (ready < 0) {
        std::printf("error not ready: %s, focus id %d\n", window != nullptr ? "window visible" : "no window",
                    focus);
        std::fflush(stdout);
        TerminateProcess(pi.hProcess, 3);
        return 3;
    }
    std::printf("ready %.1f %lu\n", ready, pi.dwProcessId);
    std::fflush(stdout);

    const DWORD waiting_since = GetTickCount();
    while (GetFileAttributesA(stop_file) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - waiting_since < kStopTimeoutMs)
        Sleep(5);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 4);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit %lu\n", code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
