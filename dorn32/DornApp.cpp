#include "DornApp.h"

#include <commctrl.h>

#include "Dorn32.h"
#include "DornDialog.h"

namespace Dorn32 {
namespace Windows {

namespace {
const char kDefaultClassName[] = "dorncapplication";
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
      m_hClient(nullptr)
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
        m_wndClass.hIconSm = LoadIconA(g_hInstance, m_iconName);
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
    if (m_width && m_create.nWidth == static_cast<int>(CW_USEDEFAULT))
        m_create.nWidth = m_width;
    if (m_height && m_create.nHeight == static_cast<int>(CW_USEDEFAULT))
        m_create.nHeight = m_height;
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
    return m_hClient;
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
        // The status bar places itself along the parent's bottom edge on WM_SIZE.
        ::SendMessageA(m_hStatusBar, WM_SIZE, static_cast<WPARAM>(width), static_cast<LPARAM>(height));
        GetWindowRect(m_hStatusBar, &rc);
        statusBarHeight = rc.bottom - rc.top;
    }
    int clientHeight = client.bottom - toolBarHeight - statusBarHeight;
    if (m_hClient)
        SetWindowPos(m_hClient, nullptr, 0, toolBarHeight, client.right, clientHeight, SWP_NOZORDER);
}

LRESULT DornApp::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
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
