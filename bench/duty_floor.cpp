// The duty floor: the smallest plain Win32 program, without the framework, that does the work
// Fenlow must do by design. Same resources (manifest for common controls 6, dialog templates,
// icons, icon font), a hidden 320 x 356 main window with a menu bar, a four-pane status bar and
// the options template as a modeless child, the popup template created hidden, three tray
// icons, and a 1000 ms timer and a low-level hook that both refresh every indicator.
// Fenlow's figures are read against this program's: what lies between the two is what the
// framework and the application cost of their own.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "duty_floor.h"
#include "resource.h"

namespace {

const char kClassName[] = "FenlowDutyFloor";
const char kTitle[] = "Fenlow";
const UINT kTrayMessage = WM_APP + 1;
const UINT_PTR kTimerId = 0xABCDEF;

HINSTANCE g_instance;
HWND g_options;
HWND g_popup;
HWND g_statusBar;

INT_PTR CALLBACK OptionsProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

INT_PTR CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    if (msg != WM_INITDIALOG)
        return FALSE;
    // The popup's 16-point bold text font, as Fenlow makes it.
    HDC dc = GetDC(hwnd);
    int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    HFONT font =
        CreateFontA(-MulDiv(16, pixelsPerInch, 72), 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FF_MODERN | VARIABLE_PITCH, nullptr);
    SendDlgItemMessageA(hwnd, IDC_NOTIFY_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return FALSE;
}

void Layout(HWND hwnd, int width, int height)
{
    RECT bar = {};
    if (g_statusBar) {
        SendMessageA(g_statusBar, WM_SIZE, width, height);
        GetWindowRect(g_statusBar, &bar);
    }
    RECT client;
    GetClientRect(hwnd, &client);
    if (g_options)
        SetWindowPos(g_options, nullptr, 0, 0, client.right, client.bottom - (bar.bottom - bar.top), SWP_NOZORDER);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_CREATE:
            g_options = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_OPCIONES), hwnd, OptionsProc, 0);
            ShowWindow(g_options, SW_SHOWNORMAL);
            duty::g_hook = SetWindowsHookExA(WH_KEYBOARD_LL, DutyFloorKeyboardProc, g_instance, 0);
            return 0;
        case WM_SIZE:
            Layout(hwnd, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_TIMER:
            duty::Refresh();
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            UnhookWindowsHookEx(duty::g_hook);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void AddIconFont()
{
    HRSRC resource = FindResourceA(g_instance, MAKEINTRESOURCEA(IDR_ICONFONT), "BINARY");
    HGLOBAL loaded = resource ? LoadResource(g_instance, resource) : nullptr;
    void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD fonts = 0;
    if (data)
        AddFontMemResourceEx(data, SizeofResource(g_instance, resource), nullptr, &fonts);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_instance = instance;
    InitCommonControls();
    AddIconFont();

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_FENLOW));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc))
        return 1;
    HWND hwnd = CreateWindowExA(0, kClassName, kTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 356, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 1;

    g_statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd, nullptr,
                                  instance, nullptr);
    int rightEdges[4] = {100, 150, 200, 249};
    SendMessageA(g_statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(rightEdges));
    SendMessageA(g_statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(kTitle));
    g_popup = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_NOTIFY), hwnd, PopupProc, 0);
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);

    duty::SetUp(instance, hwnd, g_statusBar, kTrayMessage, kTitle);
    duty::AddIcons();
    duty::Refresh();
    SetTimer(hwnd, kTimerId, 1000, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(g_options, &msg) || IsDialogMessageA(g_popup, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    duty::DeleteIcons();
    return 0;
}
