// Dialog objects, the static dialog procedure and the modeless-dialog list against real user32.
#include <gtest/gtest.h>

#include <vector>

#include "Dorn32.h"
#include "DornDialog.h"
#include "unit_resource.h"

using namespace Dorn32::Windows;

namespace {

const UINT WM_TEST_CLOSE = WM_APP + 1;
const UINT WM_TEST_RESULT = WM_APP + 2;

class RecordingDialog : public DornDialog
{
public:
    explicit RecordingDialog(int id) : DornDialog(id) {}

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(msg);
        switch (msg) {
            case WM_INITDIALOG:
                initSawInitControls = initControlsRan;
                return TRUE;
            case WM_COMMAND:
                // Edit notifications are noise here; only the dialog manager's commands count.
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
                    commands.push_back(LOWORD(wParam));
                return 0;
            case WM_CTLCOLORSTATIC:
                return reinterpret_cast<INT_PTR>(brush);
            case WM_TEST_RESULT:
                return 1234;
            case WM_TEST_CLOSE:
                Close(hwnd);
                return 0;
            case WM_GETTEXT:
                ++getTextCalls;
                return DefaultProc(hwnd, msg, wParam, lParam);
            default:
                return DefaultProc(hwnd, msg, wParam, lParam);
        }
    }

    void InitControls() override
    {
        initControlsRan = true;
        handleAtInitControls = m_hWnd;
    }

    std::vector<UINT> seen;
    std::vector<WORD> commands;
    bool initControlsRan = false;
    bool initSawInitControls = false;
    HWND handleAtInitControls = nullptr;
    int getTextCalls = 0;
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
};

class DornDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { g_hInstance = GetModuleHandleA(nullptr); }
};

TEST_F(DornDialogTest, InitialisationOrderAndEarlyMessages)
{
    RecordingDialog dlg(IDD_TEST_FIRST);
    HWND hwnd = dlg.CreateModeless(g_hInstance, nullptr, SW_HIDE);
    ASSERT_NE(nullptr, hwnd);
    // WM_SETFONT and friends come before WM_INITDIALOG and never reach the object.
    ASSERT_FALSE(dlg.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dlg.seen.front());
    EXPECT_TRUE(dlg.initSawInitControls);
    EXPECT_EQ(hwnd, dlg.handleAtInitControls);
    EXPECT_EQ(hwnd, dlg.m_hWnd);
    DestroyWindow(hwnd);
}

TEST_F(DornDialogTest, ResultsTravelDirectlyOrThroughMsgResult)
{
    RecordingDialog dlg(IDD_TEST_FIRST);
    HWND hwnd = dlg.CreateModeless(g_hInstance, nullptr, SW_HIDE);
    ASSERT_NE(nullptr, hwnd);
    HDC dc = GetDC(hwnd);
    EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.brush),
              SendMessageA(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(hwnd, dc);

    EXPECT_EQ(TRUE, DornDialog::StaticDlgProc(hwnd, WM_TEST_RESULT, 0, 0));
    EXPECT_EQ(1234, GetWindowLongPtrA(hwnd, DWLP_MSGRESULT));
    EXPECT_EQ(1234, SendMessageA(hwnd, WM_TEST_RESULT, 0, 0));
    EXPECT_EQ(TRUE, DornDialog::StaticDlgProc(hwnd, WM_COMMAND, 5, 0));
    EXPECT_EQ(0, GetWindowLongPtrA(hwnd, DWLP_MSGRESULT));
    DestroyWindow(hwnd);
}

TEST_F(DornDialogTest, DefaultProcessingRunsOnceWithoutRecursion)
{
    RecordingDialog dlg(IDD_TEST_FIRST);
    HWND hwnd = dlg.CreateModeless(g_hInstance, nullptr, SW_HIDE);
    ASSERT_NE(nullptr, hwnd);
    char text[32] = {};
    LRESULT length = SendMessageA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(5, length);
    EXPECT_STREQ("first", text);
    EXPECT_EQ(1, dlg.getTextCalls);
    EXPECT_EQ(0, dlg.m_callingDefault);
    DestroyWindow(hwnd);
}

TEST_F(DornDialogTest, ModelessDialogsAreAskedInCreationOrderAndNoFurther)
{
    size_t before = g_modelessDialogs.size();
    RecordingDialog outer(IDD_TEST_FIRST);
    RecordingDialog inner(IDD_TEST_CHILD);
    HWND outerWnd = outer.CreateModeless(g_hInstance, nullptr, SW_SHOW);
    HWND innerWnd = inner.CreateModeless(g_hInstance, outerWnd, SW_SHOW);
    ASSERT_NE(nullptr, outerWnd);
    ASSERT_NE(nullptr, innerWnd);
    ASSERT_EQ(before + 2, g_modelessDialogs.size());
    EXPECT_EQ(&outer, g_modelessDialogs.back() == &inner ? *std::prev(g_modelessDialogs.end(), 2) : nullptr);

    // Esc in the inner dialog's edit belongs to both; the dialog created first takes it.
    HWND edit = GetDlgItem(innerWnd, IDC_TEST_EDIT);
    MSG msg = {edit, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(DornDialog::IsModelessDialogMessage(&msg));
    EXPECT_EQ(std::vector<WORD>{IDCANCEL}, outer.commands);
    EXPECT_TRUE(inner.commands.empty());

    // A message for a window that is in no dialog is left to the pump.
    HWND stray = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, g_hInstance, nullptr);
    MSG other = {stray, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_FALSE(DornDialog::IsModelessDialogMessage(&other));
    DestroyWindow(stray);
    DestroyWindow(outerWnd);
}

TEST_F(DornDialogTest, FailedCreationLeavesTheListAlone)
{
    size_t before = g_modelessDialogs.size();
    RecordingDialog dlg(IDD_TEST_BROKEN);
    EXPECT_EQ(nullptr, dlg.CreateModeless(g_hInstance, nullptr, SW_SHOW));
    EXPECT_EQ(before, g_modelessDialogs.size());
    RecordingDialog missing(4711);
    EXPECT_EQ(nullptr, missing.CreateModeless(g_hInstance, nullptr, SW_SHOW));
    EXPECT_EQ(-1, missing.DoModal(g_hInstance, nullptr));
    EXPECT_EQ(before, g_modelessDialogs.size());
}

TEST_F(DornDialogTest, CloseEndsModalWithZeroAndDestroysModeless)
{
    RecordingDialog modal(IDD_TEST_FIRST);
    // Posted before the dialog exists: its modal loop picks it up and the dialog closes itself.
    struct Closer
    {
        static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD)
        {
            KillTimer(nullptr, id);
            HWND dlg = FindWindowA(nullptr, "first");
            if (dlg)
                PostMessageA(dlg, WM_TEST_CLOSE, 0, 0);
        }
    };
    SetTimer(nullptr, 0, 50, Closer::Fire);
    EXPECT_EQ(0, modal.DoModal(g_hInstance, nullptr));
    EXPECT_EQ(1, modal.m_modal);
    EXPECT_FALSE(IsWindow(modal.m_hWnd));

    size_t before = g_modelessDialogs.size();
    RecordingDialog modeless(IDD_TEST_SECOND);
    HWND hwnd = modeless.CreateModeless(g_hInstance, nullptr, SW_HIDE);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(0, modeless.m_modal);
    EXPECT_TRUE(modeless.Close(hwnd));
    EXPECT_FALSE(IsWindow(hwnd));
    // The entry stays: the list is never pruned.
    EXPECT_EQ(before + 1, g_modelessDialogs.size());
}

// A dialog object that goes away, by scope or by deleting itself while the pump offers it a
// message, leaves the list with it.
TEST_F(DornDialogTest, GoneDialogObjectsLeaveTheList)
{
    size_t before = g_modelessDialogs.size();
    {
        RecordingDialog scoped(IDD_TEST_FIRST);
        ASSERT_NE(nullptr, scoped.CreateModeless(g_hInstance, nullptr, SW_HIDE));
        ASSERT_EQ(before + 1, g_modelessDialogs.size());
        DestroyWindow(scoped.m_hWnd);
    }
    EXPECT_EQ(before, g_modelessDialogs.size());

    // Deletes itself when the dialog manager turns Esc into IDCANCEL.
    struct SelfDeleting final : RecordingDialog
    {
        SelfDeleting() : RecordingDialog(IDD_TEST_FIRST) {}
        INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(hwnd);
                delete this;
                return 0;
            }
            return RecordingDialog::DialogProc(hwnd, msg, wParam, lParam);
        }
    };
    auto* doomed = new SelfDeleting;
    HWND doomedWnd = doomed->CreateModeless(g_hInstance, nullptr, SW_SHOW);
    ASSERT_NE(nullptr, doomedWnd);
    RecordingDialog after(IDD_TEST_SECOND);
    ASSERT_NE(nullptr, after.CreateModeless(g_hInstance, nullptr, SW_HIDE));
    ASSERT_EQ(before + 2, g_modelessDialogs.size());

    MSG esc = {GetDlgItem(doomedWnd, IDC_TEST_EDIT), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(DornDialog::IsModelessDialogMessage(&esc));
    EXPECT_FALSE(IsWindow(doomedWnd));
    ASSERT_EQ(before + 1, g_modelessDialogs.size());
    EXPECT_EQ(&after, g_modelessDialogs.back());
    DestroyWindow(after.m_hWnd);
}

}  // namespace
