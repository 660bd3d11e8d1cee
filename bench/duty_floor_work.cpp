#include "duty_floor.h"

#include <commctrl.h>

#include <cstring>

#include "resource.h"

namespace duty {

HHOOK g_hook = nullptr;

namespace {

struct Key
{
    int vk;
    UINT iconId;
    int onPicture, offPicture;
    const char* tipOn;
    const char* tipOff;
    int pane;
    const char* paneOn;
};

// Caps, Scroll, Num: the order and the texts Fenlow uses.
const Key kKeys[3] = {
    {VK_CAPITAL, 1, IDI_CAPSLOCK_ON, IDI_CAPSLOCK_OFF, "Capital: ON", "Capital: OFF", 1, "CAP"},
    {VK_SCROLL, 2, IDI_SCROLLLOCK_ON, IDI_SCROLLLOCK_OFF, "Scroll: ON", "Scroll: OFF", 2, "SCR"},
    {VK_NUMLOCK, 3, IDI_NUMLOCK_ON, IDI_NUMLOCK_OFF, "Nunlock: ON", "Nunlock: OFF", 3, "NUM"},
};
const char kPaneOff[] = "   ";

NOTIFYICONDATAA g_icons[3];
HICON g_on[3], g_off[3];
HWND g_statusBar;

}  // namespace

void SetUp(HINSTANCE instance, HWND owner, HWND statusBar, UINT callbackMessage, const char* tip)
{
    g_statusBar = statusBar;
    for (int k = 0; k < 3; ++k) {
        g_on[k] = LoadIconA(instance, MAKEINTRESOURCEA(kKeys[k].onPicture));
        g_off[k] = LoadIconA(instance, MAKEINTRESOURCEA(kKeys[k].offPicture));
        NOTIFYICONDATAA& nid = g_icons[k];
        nid = NOTIFYICONDATAA();
        nid.cbSize = sizeof nid;
        nid.hWnd = owner;
        nid.uID = kKeys[k].iconId;
        nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
        nid.uCallbackMessage = callbackMessage;
        nid.hIcon = g_off[k];
        lstrcpynA(nid.szTip, tip, sizeof nid.szTip);
    }
}

void AddIcons()
{
    for (NOTIFYICONDATAA& nid : g_icons)
        Shell_NotifyIconA(NIM_ADD, &nid);
}

void DeleteIcons()
{
    for (NOTIFYICONDATAA& nid : g_icons)
        Shell_NotifyIconA(NIM_DELETE, &nid);
}

void Refresh()
{
    for (int k = 0; k < 3; ++k) {
        const Key& key = kKeys[k];
        bool on = (GetKeyState(key.vk) & 1) != 0;
        NOTIFYICONDATAA& nid = g_icons[k];
        nid.hIcon = on ? g_on[k] : g_off[k];
        Shell_NotifyIconA(NIM_MODIFY, &nid);
        lstrcpynA(nid.szTip, on ? key.tipOn : key.tipOff, sizeof nid.szTip);
        Shell_NotifyIconA(NIM_MODIFY, &nid);
        SendMessageA(g_statusBar, SB_SETTEXTA, key.pane, reinterpret_cast<LPARAM>(on ? key.paneOn : kPaneOff));
    }
}

}  // namespace duty

LRESULT CALLBACK DutyFloorKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0) {
        DWORD vk = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam)->vkCode;
        if (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL)
            duty::Refresh();
    }
    return CallNextHookEx(duty::g_hook, code, wParam, lParam);
}
