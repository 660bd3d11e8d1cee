#include "DornWnd.h"

namespace Dorn32 {
namespace Windows {

HWND DornWnd::Create(DWORD exStyle,
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
                     LPVOID param)
{
    m_hWnd =
        ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param);
    return m_hWnd;
}

HWND DornWnd::AttachDlgItem(int id, HWND dialog)
{
    m_hWnd = ::GetDlgItem(dialog, id);
    return m_hWnd;
}

HDC DornWnd::GetDC()
{
    return ::GetDC(m_hWnd);
}

UINT DornWnd::IsDlgButtonChecked(int id)
{
    return ::IsDlgButtonChecked(m_hWnd, id);
}

int DornWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type)
{
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

BOOL DornWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageA(m_hWnd, msg, wParam, lParam);
}

LRESULT DornWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, msg, wParam, lParam);
}

BOOL DornWnd::SetForegroundWindow()
{
    return ::SetForegroundWindow(m_hWnd);
}

BOOL DornWnd::SetWindowText(LPCSTR text)
{
    return ::SetWindowTextA(m_hWnd, text);
}

BOOL DornWnd::ShowWindow(int showCommand)
{
    return ::ShowWindow(m_hWnd, showCommand);
}

BOOL DornWnd::UpdateWindow()
{
    return ::UpdateWindow(m_hWnd);
}

HWND AttachDlgItem(HWND dialog, int id, DornWnd& control)
{
    return control.AttachDlgItem(id, dialog);
}

}  // namespace Windows
}  // namespace Dorn32
