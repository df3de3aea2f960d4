/* A module that stands in for a system DLL in the planting test: loaded into
   a process, it adds its own path as a line to the file named by the
   environment variable PELMA_PLANTED_LOG, and then refuses to stay. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t log[MAX_PATH], path[MAX_PATH + 2];
    DWORD n = GetEnvironmentVariableW(L"PELMA_PLANTED_LOG", log, MAX_PATH);
    DWORD len = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || len == 0 || len >= MAX_PATH) return FALSE;
    path[len++] = L'\r';
    path[len++] = L'\n';
    HANDLE h = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(h, path, len * sizeof(wchar_t), &written, NULL);
        CloseHandle(h);
    }
    return FALSE;
}
