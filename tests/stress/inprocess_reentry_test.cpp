// A lock-key event that arrives while a refresh waits on the shell. Each tray request is a
// SendMessage to the shell's window; while the program waits for the answer, the system may
// call its keyboard hook, which refreshes again inside the first refresh. Here a slow shell
// stand-in makes that happen at a chosen moment: the hook is called the way the system calls
// it, after the key state has changed, while the first refresh waits on its first tray request.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CFenlowApp.h"
#include "Dorn32.h"
#include "FenlowDriver.h"
#include "resource.h"

using namespace Dorn32::Windows;

namespace {

const UINT kPressDuringWait = WM_APP + 0x77;

void SetCaps(bool on)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CAPITAL] = on ? 1 : 0;
    SetKeyboardState(keys);
}

// ---- the main window, subclassed to take the "key pressed" message on its own thread ----

WNDPROC g_appProc = nullptr;
std::vector<std::string> g_popupTexts;
WNDPROC g_textProc = nullptr;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kPressDuringWait) {
        // What the system does on a Caps Lock release: the state flips, then the hook runs.
        SetCaps(wParam != 0);
        KBDLLHOOKSTRUCT event = {};
        event.vkCode = VK_CAPITAL;
        event.scanCode = MapVirtualKeyA(VK_CAPITAL, MAPVK_VK_TO_VSC);
        event.flags = LLKHF_UP;
        event.time = GetTickCount();
        return LowLevelKeyboardProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&event));
    }
    return CallWindowProcA(g_appProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK RecordingTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETTEXT && lParam)
        g_popupTexts.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(g_textProc, hwnd, msg, wParam, lParam);
}

// ---- a shell stand-in that answers like the shell and can be slow once ----

class SlowShell
{
public:
    SlowShell()
    {
        m_thread = std::thread([this] { Run(); });
        std::unique_lock<std::mutex> guard(m_lock);
        m_started.wait(guard, [this] { return m_ready; });
    }

    ~SlowShell()
    {
        PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }

    // On the next modify request for icon `id`, first send `message` (wParam `value`) to `target`.
    void ArmOnce(UINT id, HWND target, UINT message, WPARAM value)
    {
        m_armedId = id;
        m_target = target;
        m_message = message;
        m_value = value;
        m_armed = true;
    }

    bool Fired() const { return m_fired; }

    std::string Tip(UINT id)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_tips.count(id) ? m_tips[id] : std::string("(absent)");
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<SlowShell*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (msg) {
            case WM_NCCREATE:
                SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                  reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
                break;
            case WM_COPYDATA:
                return self ? self->Handle(reinterpret_cast<const COPYDATASTRUCT*>(lp)) : FALSE;
            case WM_CLOSE:
                DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    BOOL Handle(const COPYDATASTRUCT* cds)
    {
        // Wine's record: hWnd at 0, uID at 4, uFlags at 8, szTip (WCHAR[128]) at 16.
        if (!cds || cds->cbData < 16 + 256)
            return FALSE;
        const auto* data = static_cast<const uint8_t*>(cds->lpData);
        UINT id, flags;
        std::memcpy(&id, data + 4, 4);
        std::memcpy(&flags, data + 8, 4);
        if (m_armed && cds->dwData == NIM_MODIFY && id == m_armedId) {
            m_armed = false;
            m_fired = true;
            // The program waits for this answer; meanwhile the key event reaches its hook.
            SendMessageW(m_target, m_message, m_value, 0);
        }
        std::lock_guard<std::mutex> guard(m_lock);
        bool present = m_tips.count(id) != 0;
        switch (cds->dwData) {
            case NIM_ADD:
                if (present)
                    return FALSE;
                m_tips[id] = "";
                break;
            case NIM_MODIFY:
                if (!present)
                    return FALSE;
                break;
            case NIM_DELETE:
                m_tips.erase(id);
                return present;
            default:
                return present;
        }
        if (flags & NIF_TIP) {
            wchar_t wide[129] = {};
            std::memcpy(wide, data + 16, 256);
            char text[260] = {};
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
            m_tips[id] = text;
        }
        return TRUE;
    }

    void Run()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&wc);
        HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1,
                                    nullptr, nullptr, wc.hInstance, this);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_window = hwnd;
            m_ready = true;
        }
        m_started.notify_all();
        MSG msg;
        while (hwnd && GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        UnregisterClassW(L"Shell_TrayWnd", wc.hInstance);
    }

    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_started;
    bool m_ready = false;
    HWND m_window = nullptr;
    std::map<UINT, std::string> m_tips;
    std::atomic<bool> m_armed{false};
    std::atomic<bool> m_fired{false};
    UINT m_armedId = 0;
    HWND m_target = nullptr;
    UINT m_message = 0;
    WPARAM m_value = 0;
};

std::string PaneText(int pane)
{
    char text[256] = {};
    SendMessageA(g_app.m_hStatusBar, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(StressReentry, AKeyDuringARefreshLeavesTheLatestStateAndOnePopup)
{
    SlowShell shell;
    g_hInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    ASSERT_NE(0, g_app.RegisterWindowClass());
    ASSERT_TRUE(g_app.CreateMainWindow());
    ASSERT_NE(nullptr, g_app.CreateStatusBar(WS_CHILD | WS_VISIBLE));
    int rightEdges[4] = {100, 150, 200, 249};
    SendMessageA(g_app.m_hStatusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(rightEdges));
    ASSERT_NE(nullptr, g_app.m_dlgNotify.CreateModeless(g_hInstance, g_app.m_hWnd, SW_HIDE));
    g_textProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(GetDlgItem(g_app.m_dlgNotify.m_hWnd, IDC_NOTIFY_TEXT),
                                                             GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingTextProc)));
    g_appProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_app.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainProc)));
    g_app.m_settings.Init = 1;
    g_app.m_settings.CapLock = g_app.m_settings.ScrLock = g_app.m_settings.NumLock = 1;
    g_app.m_settings.CapLockMsg = 1;

    SetCaps(false);
    g_app.LoadTrayResources();
    ASSERT_EQ("Capital: OFF", shell.Tip(1));

    // Caps Lock goes on while the refresh waits on its first tray request (Caps Lock's picture).
    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        g_popupTexts.clear();
        shell.ArmOnce(1, g_app.m_hWnd, kPressDuringWait, on);
        g_app.RefreshLockStates();
        ASSERT_TRUE(shell.Fired());

        const char* tip = on ? "Capital: ON" : "Capital: OFF";
        EXPECT_EQ(tip, shell.Tip(1));
        EXPECT_STREQ(tip, g_app.m_trayCaps.szTip);
        EXPECT_EQ(on ? g_app.m_iconCapsOn : g_app.m_iconCapsOff, g_app.m_trayCaps.hIcon);
        EXPECT_EQ(on ? "CAP" : "   ", PaneText(1));
        // The change is announced once, and the next refresh has nothing new to say.
        const char* popup = on ? "Caps. Lock: ON" : "Caps. Lock: OFF";
        EXPECT_EQ(std::vector<std::string>{popup}, g_popupTexts);
        g_app.RefreshLockStates();
        EXPECT_EQ(std::vector<std::string>{popup}, g_popupTexts);
        EXPECT_EQ(tip, shell.Tip(1));
    }
    DestroyWindow(g_app.m_hWnd);
}

}  // namespace
