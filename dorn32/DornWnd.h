// A holder of one window handle that forwards to user32. It never owns the window.
#pragma once

#include <windows.h>

namespace Dorn32 {
namespace Windows {

class DornWnd
{
public:
    DornWnd() : m_hWnd(nullptr) {}

    HWND Create(DWORD exStyle,
                LPCSTR className,
                LPCSTR windowName,
                DWORD style,
                int x,
                int y,
                int width,
                int height,
                HWND parent,
                HMENU menu,
                HINSTANCE instance,
                LPVOID param);
    HWND AttachDlgItem(int id, HWND dialog);
    HDC GetDC();
    UINT IsDlgButtonChecked(int id);
    int MessageBox(LPCSTR text, LPCSTR caption, UINT type);
    BOOL PostMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT SendMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL SetForegroundWindow();
    BOOL SetWindowText(LPCSTR text);
    BOOL ShowWindow(int showCommand);
    BOOL UpdateWindow();

    HWND m_hWnd;
};

// Binds a control of a dialog to a handle holder; the dialogs call it from InitControls.
HWND AttachDlgItem(HWND dialog, int id, DornWnd& control);

}  // namespace Windows
}  // namespace Dorn32
