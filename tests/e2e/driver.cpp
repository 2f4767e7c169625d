// The end-to-end driver: a console program that runs under Wine beside the territory program
// and reads or pokes its window from outside, as any other process could. The harness
// (run_e2e.py) calls one sub-command per run and parses what it prints on stdout.
//
// Texts are printed as hex of their bytes (GBK), so nothing depends on the console's code page.
// Texts too long for a command line (one argument may hold 128 KiB at most) go through files
// instead: the *-file sub-commands take a Windows path and move the raw bytes.
// Exit codes: 0 done, 1 no window, 2 bad usage, 3 no control with that id, 4 clipboard busy,
// 5 no text on the clipboard, 6 the program did not answer, 7 a file could not be read or written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The window's title; GBK bytes at run time, like every literal of this project.
constexpr const char* kTitle = "领地设置";
// How long the program may take to answer one message before it counts as hung.
constexpr UINT kAnswerMs = 5000;

enum Exit : int {
    EXIT_DONE = 0,
    EXIT_NO_WINDOW = 1,
    EXIT_USAGE = 2,
    EXIT_NO_CONTROL = 3,
    EXIT_CLIPBOARD_BUSY = 4,
    EXIT_NO_CLIPBOARD_TEXT = 5,
    EXIT_NO_ANSWER = 6,
    EXIT_FILE = 7,
};

// The program may own hidden top-level windows with the same title; the visible one counts.
HWND find_program_window() {
    HWND h = nullptr;
    while ((h = FindWindowExA(nullptr, h, nullptr, kTitle)) != nullptr) {
        if (IsWindowVisible(h)) return h;
    }
    return nullptr;
}

std::string to_hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

bool from_hex(const char* hex, std::string& out) {
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::size_t n = std::strlen(hex);
    if (n % 2 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < n; i += 2) {
        int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool read_file(const char* path, std::string& out) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    out.clear();
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, got);
    bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

bool write_file(const char* path, const std::string& bytes) {
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Sends a message and gives up when the program does not answer in time.
bool ask(HWND h, UINT msg, WPARAM w, LPARAM l, DWORD_PTR& result) {
    return SendMessageTimeoutA(h, msg, w, l, SMTO_ABORTIFHUNG, kAnswerMs, &result) != 0;
}

// WM_GETTEXT, not GetWindowTextA: the latter does not ask a window of another process.
bool window_text(HWND h, std::string& text) {
    DWORD_PTR length = 0;
    if (!ask(h, WM_GETTEXTLENGTH, 0, 0, length)) return false;
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!ask(h, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied)) {
        return false;
    }
    text.assign(buffer.data(), std::strlen(buffer.data()));
    return true;
}

struct Search {
    int id = 0;
    HWND found = nullptr;
};

BOOL CALLBACK match_id(HWND h, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (GetDlgCtrlID(h) == search->id) {
        search->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND find_control(HWND window, int id) {
    Search search;
    search.id = id;
    EnumChildWindows(window, match_id, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK collect(HWND h, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(h);
    return TRUE;
}

bool parse_int(const char* s, long& value) {
    char* end = nullptr;
    value = std::strtol(s, &end, 0);
    return end != s && *end == '\0';
}

int cmd_wait_window(long timeout_ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND h = find_program_window()) {
            std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(h)));
            return EXIT_DONE;
        }
        if (static_cast<long>(GetTickCount() - start) >= timeout_ms) return EXIT_NO_WINDOW;
        Sleep(50);
    }
}

int cmd_wait_gone(long timeout_ms) {
    DWORD start = GetTickCount();
    while (find_program_window() != nullptr) {
        if (static_cast<long>(GetTickCount() - start) >= timeout_ms) return EXIT_NO_WINDOW;
        Sleep(50);
    }
    std::printf("gone\n");
    return EXIT_DONE;
}

// The window and every descendant control, as JSON. Control rectangles are in the window's
// client coordinates; centres are on the screen, where a mouse click lands.
int cmd_layout(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);

    std::vector<HWND> children;
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&children));

    std::printf("{\"window\": {\"left\": %ld, \"top\": %ld, \"width\": %ld, \"height\": %ld},\n",
                outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top);
    std::printf(" \"client\": {\"left\": %ld, \"top\": %ld, \"width\": %ld, \"height\": %ld},\n",
                origin.x, origin.y, client.right, client.bottom);
    std::printf(" \"controls\": [");
    bool first = true;
    for (HWND child : children) {
        char class_name[256] = {};
        GetClassNameA(child, class_name, sizeof class_name);
        std::string text;
        if (!window_text(child, text)) return EXIT_NO_ANSWER;
        RECT r{};
        GetWindowRect(child, &r);
        POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
        MapWindowPoints(HWND_DESKTOP, window, corners, 2);
        HWND parent = GetParent(child);
        int parent_id = parent == window ? 0 : GetDlgCtrlID(parent);
        std::string safe_class;
        for (const char* p = class_name; *p; ++p) {
            if (*p == '"' || *p == '\\') safe_class += '\\';
            safe_class += *p;
        }
        std::printf("%s\n  {\"id\": %d, \"parent\": %d, \"class\": \"%s\", \"style\": %lu, "
                    "\"ex_style\": %lu, \"visible\": %s, \"enabled\": %s, \"text\": \"%s\", "
                    "\"rect\": {\"left\": %ld, \"top\": %ld, \"width\": %ld, \"height\": %ld}, "
                    "\"centre\": {\"x\": %ld, \"y\": %ld}}",
                    first ? "" : ",", GetDlgCtrlID(child), parent_id, safe_class.c_str(),
                    static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongA(child, GWL_EXSTYLE)),
                    IsWindowVisible(child) ? "true" : "false",
                    IsWindowEnabled(child) ? "true" : "false", to_hex(text).c_str(),
                    corners[0].x, corners[0].y, corners[1].x - corners[0].x,
                    corners[1].y - corners[0].y, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        first = false;
    }
    std::printf("\n ]}\n");
    return EXIT_DONE;
}

int cmd_text(HWND control) {
    std::string text;
    if (!window_text(control, text)) return EXIT_NO_ANSWER;
    std::printf("%s\n", to_hex(text).c_str());
    return EXIT_DONE;
}

// The text's bytes into a file; prints their count.
int cmd_text_file(HWND control, const char* path) {
    std::string text;
    if (!window_text(control, text)) return EXIT_NO_ANSWER;
    if (!write_file(path, text)) return EXIT_FILE;
    std::printf("%lu\n", static_cast<unsigned long>(text.size()));
    return EXIT_DONE;
}

// The edit field's text limit (EM_GETLIMITTEXT), in characters.
int cmd_limit(HWND control) {
    DWORD_PTR limit = 0;
    if (!ask(control, EM_GETLIMITTEXT, 0, 0, limit)) return EXIT_NO_ANSWER;
    std::printf("%lu\n", static_cast<unsigned long>(limit));
    return EXIT_DONE;
}

int cmd_set_text(HWND control, const std::string& text) {
    DWORD_PTR result = 0;
    if (!ask(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), result)) {
        return EXIT_NO_ANSWER;
    }
    std::printf("%lu\n", static_cast<unsigned long>(result));
    return EXIT_DONE;
}

int cmd_check(HWND control) {
    DWORD_PTR state = 0;
    if (!ask(control, BM_GETCHECK, 0, 0, state)) return EXIT_NO_ANSWER;
    std::printf("%lu\n", static_cast<unsigned long>(state));
    return EXIT_DONE;
}

// The child id of the control that has the keyboard focus in the window's thread:
// 0 for the window itself, -1 for none.
int cmd_focus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return EXIT_NO_ANSWER;
    int id = -1;
    if (info.hwndFocus == window) {
        id = 0;
    } else if (info.hwndFocus != nullptr) {
        id = GetDlgCtrlID(info.hwndFocus);
    }
    std::printf("%d\n", id);
    return EXIT_DONE;
}

bool open_clipboard_patiently() {
    for (int i = 0; i < 20; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(50);
    }
    return false;
}

// The CF_TEXT bytes on the clipboard, up to their terminating zero.
int clipboard_text(std::string& text) {
    if (!open_clipboard_patiently()) return EXIT_CLIPBOARD_BUSY;
    int code = EXIT_NO_CLIPBOARD_TEXT;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            std::size_t size = GlobalSize(data);
            text.assign(bytes, strnlen(bytes, size));
            GlobalUnlock(data);
            code = EXIT_DONE;
        }
    }
    CloseClipboard();
    return code;
}

int cmd_clipboard() {
    std::string text;
    int code = clipboard_text(text);
    if (code == EXIT_DONE) std::printf("%s\n", to_hex(text).c_str());
    return code;
}

int cmd_clipboard_file(const char* path) {
    std::string text;
    int code = clipboard_text(text);
    if (code != EXIT_DONE) return code;
    if (!write_file(path, text)) return EXIT_FILE;
    std::printf("%lu\n", static_cast<unsigned long>(text.size()));
    return EXIT_DONE;
}

// Opens the clipboard for a message window of this process and returns that window, or null
// when the clipboard stays busy. Wine lets a second OpenClipboard through when both callers name
// the same window, null included, so a window of our own never counts as the program's open.
HWND open_clipboard_as_own_window() {
    HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (owner == nullptr) return nullptr;
    for (int i = 0; i < 20; ++i) {
        if (OpenClipboard(owner)) return owner;
        Sleep(50);
    }
    DestroyWindow(owner);
    return nullptr;
}

// Puts a known text on the clipboard, so that a later read shows whether the program replaced it.
int cmd_set_clipboard(const std::string& text) {
    HWND owner = open_clipboard_as_own_window();
    if (owner == nullptr) return EXIT_CLIPBOARD_BUSY;
    EmptyClipboard();
    bool placed = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* bytes = GlobalLock(block)) {
            std::memcpy(bytes, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
            placed = SetClipboardData(CF_TEXT, block) != nullptr;
        }
        if (!placed) GlobalFree(block);  // only a block the clipboard took belongs to it
    }
    CloseClipboard();
    DestroyWindow(owner);
    if (!placed) return EXIT_NO_ANSWER;
    std::printf("set\n");
    return EXIT_DONE;
}

// Keeps the clipboard open, as a busy program would, so that the other program cannot open it.
int cmd_hold_clipboard(long ms) {
    HWND owner = open_clipboard_as_own_window();
    if (owner == nullptr) return EXIT_CLIPBOARD_BUSY;
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(ms));
    CloseClipboard();
    DestroyWindow(owner);
    std::printf("released\n");
    return EXIT_DONE;
}

int cmd_close(HWND window) {
    if (!PostMessageA(window, WM_CLOSE, 0, 0)) return EXIT_NO_ANSWER;
    std::printf("posted\n");
    return EXIT_DONE;
}

int usage() {
    std::fprintf(stderr,
                 "usage: e2e_driver wait-window MS | wait-gone MS | layout | text ID | "
                 "text-file ID PATH | set-text ID HEX | set-text-file ID PATH | check ID | "
                 "limit ID | focus | clipboard | clipboard-file PATH | set-clipboard-file PATH | "
                 "hold-clipboard MS | close\n");
    return EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    long number = 0;
    const bool has_number = argc >= 3 && parse_int(argv[2], number);

    if (command == "wait-window") return has_number ? cmd_wait_window(number) : usage();
    if (command == "wait-gone") return has_number ? cmd_wait_gone(number) : usage();
    if (command == "clipboard") return cmd_clipboard();
    if (command == "clipboard-file") return argc == 3 ? cmd_clipboard_file(argv[2]) : usage();
    if (command == "set-clipboard-file") {
        if (argc != 3) return usage();
        std::string text;
        if (!read_file(argv[2], text)) return EXIT_FILE;
        return cmd_set_clipboard(text);
    }
    if (command == "hold-clipboard") return has_number ? cmd_hold_clipboard(number) : usage();

    HWND window = find_program_window();
    if (command == "layout" || command == "focus" || command == "close") {
        if (window == nullptr) return EXIT_NO_WINDOW;
        if (command == "layout") return cmd_layout(window);
        if (command == "focus") return cmd_focus(window);
        return cmd_close(window);
    }
    if (command == "text" || command == "text-file" || command == "set-text" ||
        command == "set-text-file" || command == "check" || command == "limit") {
        if (!has_number) return usage();
        if (window == nullptr) return EXIT_NO_WINDOW;
        HWND control = find_control(window, static_cast<int>(number));
        if (control == nullptr) return EXIT_NO_CONTROL;
        if (command == "text") return cmd_text(control);
        if (command == "check") return cmd_check(control);
        if (command == "limit") return cmd_limit(control);
        if (argc != 4) return usage();
        if (command == "text-file") return cmd_text_file(control, argv[3]);
        std::string text;
        if (command == "set-text-file") {
            if (!read_file(argv[3], text)) return EXIT_FILE;
        } else if (!from_hex(argv[3], text)) {
            return usage();
        }
        return cmd_set_text(control, text);
    }
    return usage();
}
