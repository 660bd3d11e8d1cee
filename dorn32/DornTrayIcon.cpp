#include "DornTrayIcon.h"

#include <string.h>

namespace Dorn32 {
namespace Windows {

DornTrayIcon::DornTrayIcon() : NOTIFYICONDATAA()
{
    cbSize = sizeof(NOTIFYICONDATAA);
    uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    uCallbackMessage = WM_APP + 1;
}

bool DornTrayIcon::Add(HWND window, UINT id, UINT callbackMessage, const char* tip, HICON icon)
{
    hWnd = window;
    uID = id;
    uCallbackMessage = callbackMessage;
    hIcon = icon;
    uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    CopyTip(tip);
    cbSize = sizeof(NOTIFYICONDATAA);
    return Shell_NotifyIconA(NIM_ADD, this) != FALSE;
}

bool DornTrayIcon::Modify()
{
    cbSize = sizeof(NOTIFYICONDATAA);
    return Shell_NotifyIconA(NIM_MODIFY, this) != FALSE;
}

bool DornTrayIcon::Delete()
{
    cbSize = sizeof(NOTIFYICONDATAA);
    return Shell_NotifyIconA(NIM_DELETE, this) != FALSE;
}

bool DornTrayIcon::SetIcon(HICON icon)
{
    hIcon = icon;
    return Modify();
}

bool DornTrayIcon::SetTip(const char* tip)
{
    CopyTip(tip);
    return Modify();
}

void DornTrayIcon::CopyTip(const char* tip)
{
    // Longer texts are cut after 127 bytes; a null text clears the tip.
    size_t length = tip ? strnlen(tip, sizeof(szTip) - 1) : 0;
    if (length)
        memcpy(szTip, tip, length);
    szTip[length] = '\0';
}

}  // namespace Windows
}  // namespace Dorn32
