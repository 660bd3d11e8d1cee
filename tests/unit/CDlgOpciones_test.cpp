// The options dialog in the settings window, from the keyboard: the focus the main window is given
// lands on one of its controls, and keys sent there reach it through the program's own pump.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "InProcessApp.h"
#include "SettingsFlags.h"

namespace {

using settings_flags::kKeyPath;
using settings_flags::kParentPath;

HWND Item(int id)
{
    return GetDlgItem(g_app.m_dlgOpciones.m_hWnd, id);
}

bool Checked(int id)
{
    return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool SettingsWritten()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A key as the system delivers it, to the window with the focus, through the program's pump.
void Press(UINT msg, WPARAM key, LPARAM lParam)
{
    PostMessageA(GetFocus(), msg, key, lParam);
    PostQuitMessage(0);  // WM_QUIT comes after every message posted before it
    g_app.Run();
}

class CDlgOpcionesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (inprocess::RanInANewProcess())
            GTEST_SKIP() << "ran in a new process of its own, above";
        RegDeleteTreeA(HKEY_CURRENT_USER, kKeyPath);
        ASSERT_NO_FATAL_FAILURE(inprocess::MakeAppWindows());
        g_app.m_settings.Load();  // nothing stored: every box unticked, as on a first run
        g_app.LoadTrayResources();
    }
    void TearDown() override
    {
        inprocess::EndApp();
        RegDeleteTreeA(HKEY_CURRENT_USER, kKeyPath);
    }

    // The window as the tray shows it, with nothing ticked and the focus left on `id` last time.
    void ShowWithFocusLeftOn(int id)
    {
        g_app.m_dlgOpciones.SettingsToChecks();
        g_app.ShowWindow(SW_SHOWNORMAL);
        SetFocus(Item(id));
        SetFocus(g_app.m_hWnd);
    }
};

TEST_F(CDlgOpcionesTest, TheMainWindowHandsTheFocusToTheDialogAndGetsItBackWhereItWasLeft)
{
    g_app.ShowWindow(SW_SHOWNORMAL);
    SetFocus(g_app.m_hWnd);
    EXPECT_EQ(Item(IDOK), GetFocus()) << "the first tab stop";

    SetFocus(Item(IDC_ICON_NUM));
    SetFocus(g_app.m_hWnd);
    EXPECT_EQ(Item(IDC_ICON_NUM), GetFocus()) << "the control that had it last";

    // The user moves on to another box, another window is activated, then this one again.
    SetFocus(Item(IDC_MSG_SCROLL));
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    SetActiveWindow(other);
    ASSERT_NE(Item(IDC_MSG_SCROLL), GetFocus());
    SetActiveWindow(g_app.m_hWnd);
    EXPECT_EQ(Item(IDC_MSG_SCROLL), GetFocus()) << "after activation, where it was at deactivation";
    DestroyWindow(other);
}

// Started hidden, as from the second start on: the first showing puts the focus on Ok by itself.
TEST_F(CDlgOpcionesTest, ShownAfterAHiddenStartTheFocusIsOnOk)
{
    ASSERT_FALSE(IsChild(g_app.m_dlgOpciones.m_hWnd, GetFocus())) << "hidden";
    g_app.ShowWindow(SW_SHOWNORMAL);
    EXPECT_EQ(Item(IDOK), GetFocus());
}

// Hidden (by Cancel, say) or minimised, the window keeps the focus itself whatever activates it,
// and hands it back to the box left last once it is shown again.
TEST_F(CDlgOpcionesTest, AHiddenOrMinimisedWindowKeepsTheFocusFromTheDialog)
{
    struct Case
    {
        const char* name;
        int hide;
        int focusAfterShow;  // a minimised window's controls cannot take the focus, a hidden one's can
    };
    const Case cases[] = {{"hidden", SW_HIDE, IDOK}, {"minimised", SW_MINIMIZE, IDC_ICON_SCROLL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowWithFocusLeftOn(IDC_ICON_SCROLL);
        ASSERT_EQ(Item(IDC_ICON_SCROLL), GetFocus());
        g_app.ShowWindow(c.hide);
        SetActiveWindow(g_app.m_hWnd);
        EXPECT_FALSE(IsChild(g_app.m_dlgOpciones.m_hWnd, GetFocus())) << "activated";
        SetFocus(g_app.m_hWnd);
        EXPECT_FALSE(IsChild(g_app.m_dlgOpciones.m_hWnd, GetFocus())) << "focused";
        SetFocus(Item(IDOK));  // as a dialog does when it is made
        SetFocus(g_app.m_hWnd);
        EXPECT_FALSE(IsChild(g_app.m_dlgOpciones.m_hWnd, GetFocus())) << "focused after a control had it";

        g_app.ShowWindow(SW_SHOWNORMAL);
        EXPECT_EQ(Item(c.focusAfterShow), GetFocus()) << "shown again, where it was left";
    }
}

TEST_F(CDlgOpcionesTest, EscEnterTabAndAltLettersWork)
{
    const LPARAM kAltDown = 1 << 29;  // the context bit: Alt is held
    struct Case
    {
        const char* keys;
        UINT msg;
        WPARAM key;
        LPARAM lParam;
        bool shown;    // the window afterwards
        bool written;  // the settings
        int toggled;   // the box whose tick the keys changed, or 0
        int focus;     // where the focus is afterwards, or 0 for anywhere
    };
    const Case cases[] = {
        {"Esc", WM_KEYDOWN, VK_ESCAPE, 1, false, false, 0, 0},
        {"Enter", WM_KEYDOWN, VK_RETURN, 1, false, true, 0, 0},
        {"Tab", WM_KEYDOWN, VK_TAB, 1, true, false, 0, IDCANCEL},
        {"Alt+O", WM_SYSCHAR, 'o', kAltDown, false, true, 0, 0},
        {"Alt+S", WM_SYSCHAR, 's', kAltDown, true, false, IDC_ICON_SCROLL, IDC_ICON_SCROLL},
        {"Alt+N", WM_SYSCHAR, 'n', kAltDown, true, false, IDC_ICON_NUM, IDC_ICON_NUM},
        {"Alt+P", WM_SYSCHAR, 'p', kAltDown, true, false, IDC_MSG_CAPS, IDC_MSG_CAPS},
        {"Alt+L", WM_SYSCHAR, 'l', kAltDown, true, false, IDC_MSG_SCROLL, IDC_MSG_SCROLL},
        {"Alt+M", WM_SYSCHAR, 'm', kAltDown, true, false, IDC_MSG_NUM, IDC_MSG_NUM},
    };
    const int boxes[] = {IDC_ICON_CAPS, IDC_ICON_SCROLL, IDC_ICON_NUM, IDC_MSG_CAPS, IDC_MSG_SCROLL, IDC_MSG_NUM};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        RegDeleteTreeA(HKEY_CURRENT_USER, kKeyPath);
        ShowWithFocusLeftOn(IDOK);
        ASSERT_EQ(Item(IDOK), GetFocus());

        Press(c.msg, c.key, c.lParam);

        EXPECT_EQ(c.shown, IsWindowVisible(g_app.m_hWnd) != FALSE);
        EXPECT_EQ(c.written, SettingsWritten());
        for (int box : boxes)
            EXPECT_EQ(box == c.toggled, Checked(box)) << "box " << box;
        if (c.focus) {
            EXPECT_EQ(Item(c.focus), GetFocus());
        }
    }

    // A box ticked, then Esc: the tick goes back and nothing is written; Enter saves it.
    ShowWithFocusLeftOn(IDOK);
    SendMessageA(Item(IDC_ICON_NUM), BM_SETCHECK, BST_CHECKED, 0);
    Press(WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(Checked(IDC_ICON_NUM));
    EXPECT_FALSE(SettingsWritten());
    ShowWithFocusLeftOn(IDOK);
    SendMessageA(Item(IDC_ICON_NUM), BM_SETCHECK, BST_CHECKED, 0);
    Press(WM_KEYDOWN, VK_RETURN, 1);
    BYTE numLock = 0;
    DWORD size = sizeof(numLock);
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueA(HKEY_CURRENT_USER, kKeyPath, "NumLock", RRF_RT_REG_BINARY, nullptr, &numLock, &size));
    EXPECT_EQ(1, numLock);
}

// Message boxes this thread opens: title and texts, each closed with OK as soon as it is active.
struct MessageBoxSeen
{
    std::string title;
    std::string texts;
};
std::vector<MessageBoxSeen> g_boxes;

LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    char name[16] = {};
    if (code == HCBT_ACTIVATE && GetClassNameA(hwnd, name, sizeof(name)) && strcmp(name, "#32770") == 0) {
        MessageBoxSeen box;
        char text[1024] = {};
        GetWindowTextA(hwnd, text, sizeof(text));
        box.title = text;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            GetWindowTextA(child, text, sizeof(text));
            box.texts += std::string(text) + "|";
        }
        g_boxes.push_back(box);
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(CDlgOpcionesTest, EnterSaysWhenTheSettingsCouldNotBeStoredAndKeepsThemForTheSession)
{
    HHOOK hook = SetWindowsHookExA(WH_CBT, CloseMessageBoxes, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    g_boxes.clear();

    // Stored: no box.
    ShowWithFocusLeftOn(IDOK);
    Press(WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(SettingsWritten());
    EXPECT_TRUE(g_boxes.empty());

    // A volatile parent refuses the key, so no value can be written.
    RegDeleteTreeA(HKEY_CURRENT_USER, kParentPath);
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kParentPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                                             nullptr, &parent, nullptr));
    RegCloseKey(parent);
    ShowWithFocusLeftOn(IDOK);
    SendMessageA(Item(IDC_ICON_NUM), BM_SETCHECK, BST_CHECKED, 0);
    Press(WM_KEYDOWN, VK_RETURN, 1);
    UnhookWindowsHookEx(hook);
    RegDeleteTreeA(HKEY_CURRENT_USER, kParentPath);

    EXPECT_FALSE(IsWindowVisible(g_app.m_hWnd));
    EXPECT_EQ(1, g_app.m_settings.NumLock) << "the choice applies until the program ends";
    char expected[1024] = {};
    ASSERT_NE(0, LoadStringA(GetModuleHandleA(nullptr), IDS_SAVE_FAILED, expected, sizeof(expected)));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(g_productInfo.productName, g_boxes[0].title);
    EXPECT_NE(std::string::npos, g_boxes[0].texts.find(expected)) << g_boxes[0].texts;
}

}  // namespace
