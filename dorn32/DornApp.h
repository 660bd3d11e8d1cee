// The application's main window: window class, creation, status bar, layout and the message pump.
#pragma once

#include "DornWnd.h"

// The main window's class unless the application names its own. Other programs find the running
// application by it (its installer, its tests): renamed, an older copy would be hidden from them.
#define DORN_DEFAULT_CLASS_NAME "dorncapplication"

namespace Dorn32 {
namespace Windows {

// The twelve arguments of CreateWindowExA, in the call's order.
struct DornCreateParams
{
    DWORD dwExStyle;
    LPCSTR lpClassName;
    LPCSTR lpWindowName;
    DWORD dwStyle;
    int X;
    int Y;
    int nWidth;
    int nHeight;
    HWND hWndParent;
    HMENU hMenu;
    HINSTANCE hInstance;
    LPVOID lpParam;
};

class DornApp : public DornWnd
{
public:
    DornApp();

    virtual LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    ATOM RegisterWindowClass();
    BOOL CreateMainWindow();
    HWND CreateStatusBar(DWORD style);
    HWND SetClientWindow(HWND client);
    void FitToClient();
    void RecalcLayout(int width, int height);
    LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    int Run();

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Simple settings a derived class fills in its constructor; zero or null means "not given".
    const char* m_title;
    const char* m_iconName;
    const char* m_menuName;
    DWORD m_style;
    DWORD m_exStyle;
    int m_width;   // pixels at 96 dpi, scaled to the screen's density
    int m_height;  // the same; FitToClient then fits it to the content, never below these pixels

    WNDCLASSEXA m_wndClass;
    DornCreateParams m_create;
    HACCEL m_hAccel;
    HWND m_hToolBar;
    HWND m_hStatusBar;
    HWND m_hClient;
    SIZE m_clientSize;    // the client window's own size when it was named
    HWND m_hClientFocus;  // the client's control that had the keyboard focus last

private:
    // `self` is the main window: m_hWnd is null until CreateMainWindow returns.
    static bool IsShown(HWND self);
    void SaveClientFocus(HWND focus);
    void KeepFocusWhileHidden(HWND self);
    bool FocusClient(HWND self);
};

// Pixels given at 96 dpi, in the screen's density along LOGPIXELSX or LOGPIXELSY.
int ScaleForDpi(int pixels, int axis);

}  // namespace Windows
}  // namespace Dorn32
