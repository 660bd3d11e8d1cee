// The floor: only what the platform asks of any lock-key tray utility (a hidden window, a
// 1000 ms timer, a low-level keyboard hook that passes everything on, one tray icon).
// Fenlow's figures are read against this program's.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "floor_hook.h"

namespace {

const char kClassName[] = "FenlowFloor";
const UINT kTrayMessage = WM_APP + 1;
const UINT_PTR kTimerId = 1;

LRESULT CALLBACK FloorWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FloorWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return 1;
    HWND hwnd = CreateWindowExA(0, kClassName, "Floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 1;
    SetTimer(hwnd, kTimerId, 1000, nullptr);
    g_floorHook = SetWindowsHookExA(WH_KEYBOARD_LL, FloorKeyboardProc, instance, 0);

    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = hwnd;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    std::strcpy(nid.szTip, "Floor");
    Shell_NotifyIconA(NIM_ADD, &nid);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);

    Shell_NotifyIconA(NIM_DELETE, &nid);
    UnhookWindowsHookEx(g_floorHook);
    return 0;
}
