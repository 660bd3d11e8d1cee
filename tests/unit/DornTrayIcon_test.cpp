// The tray icon slot against the real shell of the test desktop.
#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>
#include <string>
#include <vector>

#include "DornTrayIcon.h"

using namespace Dorn32::Windows;

namespace {

// A window for the shell to send callbacks to; nothing here pumps them.
HWND MakeOwnerWindow()
{
    return CreateWindowExA(0, "STATIC", "tray owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

NOTIFYICONDATAA Snapshot(const DornTrayIcon& slot)
{
    NOTIFYICONDATAA copy;
    memcpy(&copy, &slot, sizeof(copy));
    return copy;
}

bool SameBytes(const NOTIFYICONDATAA& a, const NOTIFYICONDATAA& b)
{
    return memcmp(&a, &b, sizeof(a)) == 0;
}

TEST(DornTrayIconTest, NewSlotIsTheBareRecord)
{
    static_assert(sizeof(DornTrayIcon) == sizeof(NOTIFYICONDATAA), "one NOTIFYICONDATAA and nothing more");
#ifndef _WIN64
    static_assert(sizeof(DornTrayIcon) == 508, "the full Windows 7 record in the 32-bit release");
#endif
    DornTrayIcon slot;
    EXPECT_EQ(sizeof(NOTIFYICONDATAA), slot.cbSize);
    EXPECT_EQ(7u, slot.uFlags);
    EXPECT_EQ(0x8001u, slot.uCallbackMessage);
    EXPECT_EQ(0u, slot.uID);
    EXPECT_EQ(nullptr, slot.hWnd);
    EXPECT_EQ(nullptr, slot.hIcon);
    EXPECT_STREQ("", slot.szTip);

    // Every byte outside the three set fields is zero.
    NOTIFYICONDATAA expected;
    memset(&expected, 0, sizeof(expected));
    expected.cbSize = sizeof(NOTIFYICONDATAA);
    expected.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    expected.uCallbackMessage = WM_APP + 1;
    EXPECT_TRUE(SameBytes(expected, Snapshot(slot)));
}

TEST(DornTrayIconTest, AddModifyDeleteAgainstTheShell)
{
    HWND owner = MakeOwnerWindow();
    ASSERT_NE(nullptr, owner);
    HICON first = LoadIconA(nullptr, IDI_APPLICATION);
    HICON second = LoadIconA(nullptr, IDI_WARNING);

    // Never added: the shell refuses and the record stays exactly as it was.
    DornTrayIcon slot;
    NOTIFYICONDATAA fresh = Snapshot(slot);
    EXPECT_FALSE(slot.Delete());
    EXPECT_TRUE(SameBytes(fresh, Snapshot(slot)));
    EXPECT_FALSE(slot.Modify());
    EXPECT_TRUE(SameBytes(fresh, Snapshot(slot)));

    ASSERT_TRUE(slot.Add(owner, 3, 0x8001, "Fenlow", first));
    EXPECT_EQ(owner, slot.hWnd);
    EXPECT_EQ(3u, slot.uID);
    EXPECT_EQ(0x8001u, slot.uCallbackMessage);
    EXPECT_EQ(first, slot.hIcon);
    EXPECT_EQ(0x87u, slot.uFlags);
    EXPECT_STREQ("Fenlow", slot.szTip);
    EXPECT_EQ(sizeof(NOTIFYICONDATAA), slot.cbSize);

    // A second add of the same icon is refused by the shell.
    EXPECT_FALSE(slot.Add(owner, 3, 0x8001, "Fenlow", first));

    EXPECT_TRUE(slot.SetIcon(second));
    EXPECT_EQ(second, slot.hIcon);
    EXPECT_STREQ("Fenlow", slot.szTip);
    EXPECT_EQ(0x87u, slot.uFlags);
    EXPECT_TRUE(slot.SetTip("Capital: ON"));
    EXPECT_STREQ("Capital: ON", slot.szTip);
    EXPECT_EQ(second, slot.hIcon);
    EXPECT_TRUE(slot.Modify());

    // Delete keeps every value; a second delete is refused and changes nothing.
    NOTIFYICONDATAA added = Snapshot(slot);
    EXPECT_TRUE(slot.Delete());
    EXPECT_TRUE(SameBytes(added, Snapshot(slot)));
    EXPECT_FALSE(slot.Delete());
    EXPECT_TRUE(SameBytes(added, Snapshot(slot)));

    // Changes to a slot that is not there are stored, but the shell refuses them.
    EXPECT_FALSE(slot.SetIcon(first));
    EXPECT_EQ(first, slot.hIcon);
    EXPECT_FALSE(slot.SetTip("Capital: OFF"));
    EXPECT_STREQ("Capital: OFF", slot.szTip);

    // Added again with new values.
    EXPECT_TRUE(slot.Add(owner, 2, 0x8001, "again", second));
    EXPECT_EQ(2u, slot.uID);
    EXPECT_STREQ("again", slot.szTip);
    EXPECT_TRUE(slot.Modify());
    EXPECT_TRUE(slot.Delete());
    DestroyWindow(owner);
}

// What a stand-in shell window received: Wine's Shell_NotifyIconA sends the record as WM_COPYDATA
// to the first "Shell_TrayWnd" in z-order, dwData the NIM_ code. The record is Wine's own 960-byte
// one (window as 32 bits, id at 4, flags at 8, callback message at 12, the tip in UTF-16 at 16),
// followed by the icon's bits when there is an icon.
struct ShellCall
{
    DWORD message;
    UINT id;
    UINT flags;
    std::wstring tip;
    bool hasIcon;
};

std::vector<ShellCall> g_shellCalls;

LRESULT CALLBACK StandInShellProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        auto* copy = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        const BYTE* data = static_cast<const BYTE*>(copy->lpData);
        if (copy->cbData < 960)
            return FALSE;
        ShellCall call;
        call.message = static_cast<DWORD>(copy->dwData);
        memcpy(&call.id, data + 4, sizeof(UINT));
        memcpy(&call.flags, data + 8, sizeof(UINT));
        call.tip.assign(reinterpret_cast<const wchar_t*>(data + 16));
        call.hasIcon = copy->cbData > 960;
        g_shellCalls.push_back(call);
        return TRUE;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(DornTrayIconTest, ShellReceivesTheRecordAsKept)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StandInShellProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    ASSERT_NE(0, RegisterClassA(&wc));
    HWND shell = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, shell);
    if (FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr) != shell) {
        DestroyWindow(shell);
        GTEST_SKIP() << "the stand-in is not the first tray window here";
    }
    HWND owner = MakeOwnerWindow();
    HICON first = LoadIconA(nullptr, IDI_APPLICATION);
    HICON second = LoadIconA(nullptr, IDI_WARNING);

    DornTrayIcon slot;
    EXPECT_TRUE(slot.Add(owner, 1, 0x8001, "Fenlow", first));
    EXPECT_TRUE(slot.SetIcon(second));
    EXPECT_TRUE(slot.SetTip("Capital: ON"));
    EXPECT_TRUE(slot.Delete());
    DestroyWindow(owner);
    DestroyWindow(shell);
    UnregisterClassA("Shell_TrayWnd", wc.hInstance);

    ASSERT_EQ(4u, g_shellCalls.size());
    const DWORD expectedMessages[] = {NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_DELETE};
    const wchar_t* expectedTips[] = {L"Fenlow", L"Fenlow", L"Capital: ON", L"Capital: ON"};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expectedMessages[i], g_shellCalls[i].message);
        EXPECT_EQ(1u, g_shellCalls[i].id);
        EXPECT_EQ(0x87u, g_shellCalls[i].flags);
        EXPECT_EQ(std::wstring(expectedTips[i]), g_shellCalls[i].tip);
        EXPECT_TRUE(g_shellCalls[i].hasIcon);
    }
}

TEST(DornTrayIconTest, TooltipIsCopiedWithinItsBuffer)
{
    DornTrayIcon slot;
    const std::string tip127(127, 'a');
    slot.SetTip(tip127.c_str());
    EXPECT_EQ(tip127, std::string(slot.szTip));

    // Longer texts are cut to 127 characters and a terminator; the field behind stays untouched.
    std::string tip200;
    for (int i = 0; i < 200; ++i)
        tip200 += static_cast<char>('A' + i % 26);
    slot.SetTip(tip200.c_str());
    EXPECT_EQ(tip200.substr(0, 127), std::string(slot.szTip));
    EXPECT_EQ(0, slot.szTip[127]);
    EXPECT_EQ(0u, slot.dwState);
    EXPECT_EQ(0u, slot.dwStateMask);

    HWND owner = MakeOwnerWindow();
    slot.Add(owner, 1, 0x8001, tip200.c_str(), nullptr);
    EXPECT_EQ(tip200.substr(0, 127), std::string(slot.szTip));
    EXPECT_EQ(0u, slot.dwState);
    slot.Delete();

    slot.SetTip(nullptr);
    EXPECT_STREQ("", slot.szTip);
    slot.SetTip("x");
    slot.Add(owner, 1, 0x8001, nullptr, nullptr);
    EXPECT_STREQ("", slot.szTip);
    slot.Delete();
    DestroyWindow(owner);
}

}  // namespace
