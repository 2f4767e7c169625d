// The yardstick for start-up: about the least a Win32 program with a window like ours can do.
// One top-level window with 43 plain child controls (push buttons, group boxes, check and
// radio buttons, edits, static labels), the default GUI font, shown centred with the focus in
// its first edit. Nothing is read from data; no C++ library beyond what the compiler needs.
#include <windows.h>

namespace {

constexpr const char* kClass = "MinimalWin32Window";
constexpr const char* kTitle = "minimal_win32";
constexpr int kFirstEditId = 1000;

LRESULT CALLBACK window_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(h, msg, w, l);
}

struct Child {
    const char* cls;
    DWORD style;
    int count;
};

// The same mix of kinds as the real window: 23 buttons, 9 group frames, 4 edits, 4 labels,
// one check box and two radio buttons.
const Child kChildren[] = {
    {"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, 2},
    {"EDIT", WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 2},
    {"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 23},
    {"BUTTON", BS_GROUPBOX, 9},
    {"STATIC", SS_LEFT, 4},
    {"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 1},
    {"BUTTON", WS_TABSTOP | BS_AUTORADIOBUTTON, 2},
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    if (!RegisterClassA(&wc)) return 1;

    const int width = 609, height = 369;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExA(0, kClass, kTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                  width, height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;

    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    HWND first_edit = nullptr;
    int id = kFirstEditId, n = 0;
    for (const Child& c : kChildren) {
        for (int i = 0; i < c.count; ++i, ++n, ++id) {
            const DWORD ex = lstrcmpA(c.cls, "EDIT") == 0 ? WS_EX_CLIENTEDGE : 0;
            HWND child = CreateWindowExA(ex, c.cls, c.cls, WS_CHILD | WS_VISIBLE | c.style, 8 + (n % 6) * 98,
                                         8 + (n / 6) * 40, 90, 32, window,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
            if (child == nullptr) return 1;
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            if (first_edit == nullptr) first_edit = child;
        }
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    SetFocus(first_edit);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
