#include "DornApp.h"

#include <commctrl.h>

#include <algorithm>

#include "Dorn32.h"
#include "DornDialog.h"

namespace Dorn32 {
namespace Windows {

namespace {

const char kDefaultClassName[] = DORN_DEFAULT_CLASS_NAME;
// WM_SYSCOMMAND's low four bits are the system's own.
const WPARAM kSysCommandMask = 0xFFF0;

bool HasVisibleStyle(HWND window)
{
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool IsDialogWindow(HWND window)
{
    return static_cast<ULONG_PTR>(GetClassLongPtrA(window, GCW_ATOM)) == reinterpret_cast<ULONG_PTR>(WC_DIALOG);
}

// The system commands the keyboard alone brings to a window that holds the focus.
bool IsKeyboardSysCommand(WPARAM command)
{
    const WPARAM kind = command & kSysCommandMask;
    return kind == SC_KEYMENU || kind == SC_CLOSE;
}

// Height of a bar along the top or bottom edge, or 0 without one.
int BarHeight(HWND bar)
{
    RECT rc;
    if (!bar || !GetWindowRect(bar, &rc))
        return 0;
    return rc.bottom - rc.top;
}

}  // namespace

int ScaleForDpi(int pixels, int axis)
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI);
}

DornApp::DornApp()
    : m_title(nullptr),
      m_iconName(nullptr),
      m_menuName(nullptr),
      m_style(0),
      m_exStyle(0),
      m_width(CW_USEDEFAULT),
      m_height(CW_USEDEFAULT),
      m_wndClass(),
      m_create(),
      m_hAccel(nullptr),
      m_hToolBar(nullptr),
      m_hStatusBar(nullptr),
      m_hClient(nullptr),
      m_clientSize(),
      m_hClientFocus(nullptr)
{
    m_wndClass.cbSize = sizeof(WNDCLASSEXA);
    // A system cursor: it comes with a null instance, whenever the object is built.
    m_wndClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    m_wndClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);

    m_create.dwStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    m_create.X = CW_USEDEFAULT;
    m_create.Y = CW_USEDEFAULT;
    m_create.nWidth = CW_USEDEFAULT;
    m_create.nHeight = CW_USEDEFAULT;
}

ATOM DornApp::RegisterWindowClass()
{
    if (m_iconName && !m_wndClass.hIcon) {
        m_wndClass.hIcon = LoadIconA(g_hInstance, m_iconName);
        // The caption and the taskbar's small picture: the frame of that size, not the large one shrunk.
        m_wndClass.hIconSm =
            static_cast<HICON>(LoadImageA(g_hInstance, m_iconName, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    if (m_menuName)
        m_wndClass.lpszMenuName = m_menuName;
    m_wndClass.cbSize = sizeof(WNDCLASSEXA);
    if (!m_wndClass.lpszClassName)
        m_wndClass.lpszClassName = kDefaultClassName;
    if (!m_wndClass.lpfnWndProc)
        m_wndClass.lpfnWndProc = StaticWndProc;
    if (!m_wndClass.hInstance)
        m_wndClass.hInstance = g_hInstance;
    return RegisterClassExA(&m_wndClass);
}

BOOL DornApp::CreateMainWindow()
{
    if (m_title)
        m_create.lpWindowName = m_title;
    if (m_style)
        m_create.dwStyle = m_style;
    if (m_exStyle)
        m_create.dwExStyle = m_exStyle;
    // The simple sizes are pixels at 96 dpi: at other densities the window grows with its fonts.
    const int useDefault = static_cast<int>(CW_USEDEFAULT);
    if (m_width && m_create.nWidth == useDefault)
        m_create.nWidth = m_width == useDefault ? m_width : ScaleForDpi(m_width, LOGPIXELSX);
    if (m_height && m_create.nHeight == useDefault)
        m_create.nHeight = m_height == useDefault ? m_height : ScaleForDpi(m_height, LOGPIXELSY);
    if (!m_create.lpClassName)
        m_create.lpClassName = kDefaultClassName;
    if (!m_create.hInstance)
        m_create.hInstance = g_hInstance;
    if (!m_create.lpParam)
        m_create.lpParam = this;  // StaticWndProc finds the object through it
    if (m_create.nWidth == 0)
        m_create.nWidth = CW_USEDEFAULT;
    if (m_create.nHeight == 0)
        m_create.nHeight = CW_USEDEFAULT;

    const DornCreateParams& c = m_create;
    Create(c.dwExStyle, c.lpClassName, c.lpWindowName, c.dwStyle, c.X, c.Y, c.nWidth, c.nHeight, c.hWndParent, c.hMenu,
           c.hInstance, c.lpParam);
    return m_hWnd != nullptr;
}

HWND DornApp::CreateStatusBar(DWORD style)
{
    m_hStatusBar =
        CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, style, 0, 0, 0, 0, m_hWnd, nullptr, g_hInstance, nullptr);
    return m_hStatusBar;
}

HWND DornApp::SetClientWindow(HWND client)
{
    m_hClient = client;
    // A dialog focuses its first control when it is made. The main window is its parent: m_hWnd is
    // not set yet while the main window handles WM_CREATE.
    if (client)
        KeepFocusWhileHidden(GetParent(client));
    // Its size as it comes (a dialog: its template's size) is what FitToClient makes room for.
    RECT rc = {};
    if (client)
        GetWindowRect(client, &rc);
    m_clientSize = {rc.right - rc.left, rc.bottom - rc.top};
    return m_hClient;
}

void DornApp::FitToClient()
{
    if (!m_hWnd || !m_hClient)
        return;
    if (m_hStatusBar)
        ::SendMessageA(m_hStatusBar, WM_SIZE, 0, 0);  // so that it has its height for its font
    RECT client;
    GetClientRect(m_hWnd, &client);
    RECT outer;
    GetWindowRect(m_hWnd, &outer);
    int needWidth = m_clientSize.cx;
    int needHeight = BarHeight(m_hToolBar) + m_clientSize.cy + BarHeight(m_hStatusBar);
    // Grown by the shortfall: a menu bar or frame of any height is already counted.
    int growX = needWidth > client.right ? needWidth - client.right : 0;
    int growY = needHeight > client.bottom ? needHeight - client.bottom : 0;
    // A given height is as tall as the content, never less than its 96-dpi pixels. The content
    // grows with the dialog font, which grows less than the density: a scaled height left a band.
    const int useDefault = static_cast<int>(CW_USEDEFAULT);
    if (m_height && m_height != useDefault) {
        const int outerHeight = outer.bottom - outer.top;
        const int fitHeight = outerHeight - client.bottom + needHeight;
        growY = std::max(m_height, fitHeight) - outerHeight;
    }
    if (growX || growY) {
        SetWindowPos(m_hWnd, nullptr, 0, 0, outer.right - outer.left + growX, outer.bottom - outer.top + growY,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        GetClientRect(m_hWnd, &client);
    }
    RecalcLayout(client.right, client.bottom);
}

void DornApp::RecalcLayout(int width, int height)
{
    // Nothing to lay out in before the main window exists.
    RECT client;
    if (!GetClientRect(m_hWnd, &client))
        return;
    int toolBarHeight = 0;
    int statusBarHeight = 0;
    RECT rc = {};
    if (m_hToolBar) {
        ::SendMessageA(m_hToolBar, TB_AUTOSIZE, 0, 0);
        GetWindowRect(m_hToolBar, &rc);
        toolBarHeight = rc.bottom - rc.top;
    }
    if (m_hStatusBar) {
        // The status bar places itself along the parent's bottom edge on WM_SIZE, and only for a
        // restored or maximised size: the width in wParam left it where it was.
        ::SendMessageA(m_hStatusBar, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
        GetWindowRect(m_hStatusBar, &rc);
        statusBarHeight = rc.bottom - rc.top;
    }
    int clientHeight = client.bottom - toolBarHeight - statusBarHeight;
    if (m_hClient)
        SetWindowPos(m_hClient, nullptr, 0, toolBarHeight, client.right, clientHeight, SWP_NOZORDER);
}

LRESULT DornApp::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        // DefWindowProc would keep the keyboard focus on this window, where the client's controls
        // never see a key: like a frame window with a view, hand it on, and back where it was left.
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE)
                SaveClientFocus(GetFocus());
            else if (!HIWORD(wParam) && FocusClient(hwnd))  // not while minimised
                return 0;
            break;
        case WM_SETFOCUS:
            SaveClientFocus(reinterpret_cast<HWND>(wParam));  // the window that just lost it
            if (FocusClient(hwnd))
                return 0;
            break;
        case WM_SYSCOMMAND:
            // Alt, F10 or Alt+letter would open the menu bar (Alt+Space the window menu), and Alt+F4
            // ask to quit, of a window nobody sees.
            if (IsKeyboardSysCommand(wParam) && !IsWindowVisible(hwnd))
                return 0;
            break;
        // Hidden with nothing else to activate, it stays active; shown again while active, with the
        // focus itself or nowhere (after a minimise), no activation comes that would hand it on.
        case WM_WINDOWPOSCHANGED:
            if (!IsShown(hwnd))
                KeepFocusWhileHidden(hwnd);
            else if (GetFocus() == hwnd || (!GetFocus() && GetActiveWindow() == hwnd))
                FocusClient(hwnd);
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void DornApp::SaveClientFocus(HWND focus)
{
    if (m_hClient && focus && IsChild(m_hClient, focus))
        m_hClientFocus = focus;
}

bool DornApp::IsShown(HWND self)
{
    return IsWindowVisible(self) && !IsIconic(self);
}

void DornApp::KeepFocusWhileHidden(HWND self)
{
    HWND focus = GetFocus();
    if (IsShown(self) || !m_hClient || !focus || !IsChild(m_hClient, focus))
        return;
    SaveClientFocus(focus);
    ::SetFocus(self);
}

bool DornApp::FocusClient(HWND self)
{
    // A hidden or minimised window keeps the focus itself: keys typed then (after the tray menu
    // made it the foreground window, say) must not reach controls nobody can see.
    if (!IsShown(self))
        return false;
    if (!m_hClient || !HasVisibleStyle(m_hClient))
        return false;
    HWND target = m_hClientFocus;
    if (!target || !IsChild(m_hClient, target) || !HasVisibleStyle(target) || !IsWindowEnabled(target))
        target = GetNextDlgTabItem(m_hClient, nullptr, FALSE);
    // A dialog is told, so that its default button follows the focus as with Tab.
    if (target && IsDialogWindow(m_hClient))
        ::SendMessageA(m_hClient, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    else
        ::SetFocus(target ? target : m_hClient);
    return true;
}

int DornApp::Run()
{
    MSG msg;
    BOOL got;
    // GetMessageA's -1 (an invalid call) would spin forever here; it ends the pump like WM_QUIT.
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return 0;
        if (m_hAccel && TranslateAcceleratorA(m_hWnd, m_hAccel, &msg))
            continue;
        if (DornDialog::IsModelessDialogMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK DornApp::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* app = reinterpret_cast<DornApp*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (app)
        return app->WndProc(hwnd, msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace Windows
}  // namespace Dorn32
