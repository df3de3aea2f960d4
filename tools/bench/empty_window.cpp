// The baseline of the start-up benchmark: the least a Win32 program does to
// put an empty window on screen, built and started like pelma34.exe. It sets
// the event named by PELMA_PAINTED_EVENT once its window is painted.
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"EmptyWindow";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, L"EmptyWindow", L"Empty", WS_OVERLAPPEDWINDOW, 0, 0, 329, 337, nullptr,
                                nullptr, inst, nullptr);
    ShowWindow(hwnd, show);
    bool reported = false;
    MSG msg;
    for (;;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && !reported) {
            reported = true;
            wchar_t name[128];
            if (GetEnvironmentVariableW(L"PELMA_PAINTED_EVENT", name, 128)) {
                if (HANDLE e = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
                    SetEvent(e);
                    CloseHandle(e);
                }
            }
        }
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
