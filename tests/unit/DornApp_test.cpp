// The main-window class and the pump against real user32.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Dorn32.h"
#include "DornApp.h"
#include "DornDialog.h"
#include "resource.h"

using namespace Dorn32::Windows;

namespace {

const char kDefaultClassName[] = DORN_DEFAULT_CLASS_NAME;

// A main window that records what its window procedure saw.
class RecordingApp : public DornApp
{
public:
    explicit RecordingApp(const char* className)
    {
        m_wndClass.lpszClassName = className;
        m_create.lpClassName = className;
    }

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(msg);
        if (msg == WM_CREATE) {
            hwndAtCreate = hwnd;
            memberAtCreate = m_hWnd;
        }
        return DefaultProc(hwnd, msg, wParam, lParam);
    }

    std::vector<UINT> seen;
    HWND hwndAtCreate = nullptr;
    HWND memberAtCreate = reinterpret_cast<HWND>(1);
};

class DornAppTest : public ::testing::Test
{
protected:
    void SetUp() override { g_hInstance = GetModuleHandleA(nullptr); }

    // A destroyed main window leaves WM_QUIT behind; later tests in the same process need a clean queue.
    void TearDown() override
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

TEST_F(DornAppTest, WndProcSeesNothingBeforeNcCreateAndHandleIsNullDuringCreate)
{
    RecordingApp app("DornAppTestA");
    app.m_title = "recording";
    ASSERT_NE(0, app.RegisterWindowClass());
    ASSERT_TRUE(app.CreateMainWindow());

    ASSERT_FALSE(app.seen.empty());
    // WM_GETMINMAXINFO comes before WM_NCCREATE and must go to DefWindowProcA alone.
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), app.seen.front());
    EXPECT_NE(app.seen.end(), std::find(app.seen.begin(), app.seen.end(), static_cast<UINT>(WM_CREATE)));
    EXPECT_EQ(nullptr, app.memberAtCreate);
    EXPECT_EQ(app.m_hWnd, app.hwndAtCreate);
    char title[64] = {};
    GetWindowTextA(app.m_hWnd, title, sizeof(title));
    EXPECT_STREQ("recording", title);
    DestroyWindow(app.m_hWnd);
}

TEST_F(DornAppTest, CreationSettingsFallBackAndDefaultsApply)
{
    {
        // A width already in the creation arguments wins over the simple setting.
        RecordingApp app("DornAppTestB");
        app.m_width = 300;
        app.m_height = 200;
        app.m_create.nWidth = 250;
        app.m_style = WS_POPUP;
        ASSERT_NE(0, app.RegisterWindowClass());
        ASSERT_TRUE(app.CreateMainWindow());
        RECT rc;
        GetWindowRect(app.m_hWnd, &rc);
        EXPECT_EQ(250, rc.right - rc.left);
        EXPECT_EQ(200, rc.bottom - rc.top);
        DestroyWindow(app.m_hWnd);
    }
    {
        // No style given: visible, caption and system menu.
        RecordingApp app("DornAppTestC");
        ASSERT_NE(0, app.RegisterWindowClass());
        ASSERT_TRUE(app.CreateMainWindow());
        LONG style = GetWindowLongA(app.m_hWnd, GWL_STYLE);
        EXPECT_EQ(static_cast<LONG>(WS_VISIBLE | WS_CAPTION | WS_SYSMENU),
                  style & static_cast<LONG>(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CHILD));
        char cls[64] = {};
        GetClassNameA(app.m_hWnd, cls, sizeof(cls));
        EXPECT_STREQ("DornAppTestC", cls);
        DestroyWindow(app.m_hWnd);
    }
    {
        // Zero sizes become CW_USEDEFAULT rather than an invisible window.
        RecordingApp app("DornAppTestD");
        app.m_width = 0;
        app.m_create.nWidth = 0;
        ASSERT_NE(0, app.RegisterWindowClass());
        ASSERT_TRUE(app.CreateMainWindow());
        EXPECT_EQ(static_cast<int>(CW_USEDEFAULT), app.m_create.nWidth);
        RECT rc;
        GetWindowRect(app.m_hWnd, &rc);
        EXPECT_GT(rc.right - rc.left, 0);
        DestroyWindow(app.m_hWnd);
    }
}

TEST_F(DornAppTest, DefaultClassNameAndPresetIconAreKept)
{
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    // An earlier test of this process may have registered it; its windows are gone by now.
    if (GetClassInfoExA(GetModuleHandleA(nullptr), kDefaultClassName, &existing)) {
        ASSERT_TRUE(UnregisterClassA(kDefaultClassName, GetModuleHandleA(nullptr))) << GetLastError();
    }
    RecordingApp app(nullptr);
    HICON preset = LoadIconA(nullptr, IDI_WARNING);
    app.m_wndClass.hIcon = preset;
    app.m_iconName = IDI_APPLICATION;
    ASSERT_NE(0, app.RegisterWindowClass());
    EXPECT_EQ(preset, app.m_wndClass.hIcon);
    EXPECT_STREQ(kDefaultClassName, app.m_wndClass.lpszClassName);
    ASSERT_TRUE(app.CreateMainWindow());
    char cls[64] = {};
    GetClassNameA(app.m_hWnd, cls, sizeof(cls));
    EXPECT_STREQ(kDefaultClassName, cls);
    DestroyWindow(app.m_hWnd);
    // The application's own class: the in-process tests of the application register it next.
    UnregisterClassA(kDefaultClassName, g_hInstance);
}

TEST_F(DornAppTest, LayoutPutsClientBetweenToolBarAndStatusBar)
{
    RecordingApp app("DornAppTestE");
    app.m_style = WS_OVERLAPPEDWINDOW;
    app.m_width = 320;
    app.m_height = 356;
    ASSERT_NE(0, app.RegisterWindowClass());
    ASSERT_TRUE(app.CreateMainWindow());
    HWND client = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 5, 5, 10, 10, app.m_hWnd, nullptr,
                                  g_hInstance, nullptr);
    RECT area;
    GetClientRect(app.m_hWnd, &area);

    // With no client window nothing moves; with no bars the client fills the whole area.
    app.RecalcLayout(area.right, area.bottom);
    RECT rc;
    GetWindowRect(client, &rc);
    EXPECT_EQ(10, rc.right - rc.left);
    app.SetClientWindow(client);
    app.RecalcLayout(area.right, area.bottom);
    GetClientRect(client, &rc);
    EXPECT_EQ(area.right, rc.right);
    EXPECT_EQ(area.bottom, rc.bottom);

    ASSERT_NE(nullptr, app.CreateStatusBar(WS_CHILD | WS_VISIBLE));
    app.RecalcLayout(area.right, area.bottom);
    RECT bar;
    GetWindowRect(app.m_hStatusBar, &bar);
    GetClientRect(client, &rc);
    EXPECT_GT(bar.bottom - bar.top, 0);
    EXPECT_EQ(area.bottom - (bar.bottom - bar.top), rc.bottom);
    POINT origin = {0, 0};
    MapWindowPoints(client, app.m_hWnd, &origin, 1);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(0, origin.y);
    DestroyWindow(app.m_hWnd);
}

// Leaves a known pattern in the stack below the caller, where the next call's locals will be, so
// that a local read before it is written shows up as that pattern.
__attribute__((noinline)) void ScribbleOnTheStack()
{
    volatile unsigned char junk[4096];
    for (size_t i = 0; i < sizeof(junk); ++i)
        junk[i] = 0x5A;
}

TEST_F(DornAppTest, LayoutBeforeTheMainWindowExistsMovesNothing)
{
    // As while WM_SIZE arrives inside CreateMainWindow: client window set, m_hWnd still null.
    RecordingApp app("DornAppTestH");
    HWND holder = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, g_hInstance, nullptr);
    HWND client =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 5, 5, 10, 10, holder, nullptr, g_hInstance, nullptr);
    ASSERT_NE(nullptr, client);
    app.SetClientWindow(client);
    ASSERT_EQ(nullptr, app.m_hWnd);

    ScribbleOnTheStack();
    app.RecalcLayout(300, 200);
    RECT rc;
    GetWindowRect(client, &rc);
    MapWindowPoints(nullptr, holder, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(5, rc.left);
    EXPECT_EQ(5, rc.top);
    EXPECT_EQ(10, rc.right - rc.left);
    EXPECT_EQ(10, rc.bottom - rc.top);
    DestroyWindow(holder);
}

// The system's arrow needs a null instance; the program's own has no such cursor.
TEST_F(DornAppTest, ClassCursorIsTheSystemArrowEvenWhenBuiltAfterWinMain)
{
    ASSERT_NE(nullptr, g_hInstance);
    RecordingApp app("DornAppTestI");
    EXPECT_NE(nullptr, app.m_wndClass.hCursor);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), app.m_wndClass.hCursor);
}

TEST_F(DornAppTest, DestroyThroughDefaultProcEndsThePumpWithZero)
{
    RecordingApp app("DornAppTestF");
    ASSERT_NE(0, app.RegisterWindowClass());
    ASSERT_TRUE(app.CreateMainWindow());
    PostMessageA(app.m_hWnd, WM_CLOSE, 0, 0);  // DefWindowProc destroys; DefaultProc posts the quit
    EXPECT_EQ(0, app.Run());
    EXPECT_FALSE(IsWindow(app.m_hWnd));
}

TEST_F(DornAppTest, TranslatedAcceleratorIsNeitherOfferedNorDispatched)
{
    RecordingApp app("DornAppTestG");
    ASSERT_NE(0, app.RegisterWindowClass());
    ASSERT_TRUE(app.CreateMainWindow());
    ACCEL accel = {FVIRTKEY, 'Q', 4242};
    app.m_hAccel = CreateAcceleratorTableA(&accel, 1);
    PostMessageA(app.m_hWnd, WM_KEYDOWN, 'Q', 0);
    PostMessageA(app.m_hWnd, WM_APP + 7, 0, 0);
    PostQuitMessage(3);
    app.seen.clear();
    EXPECT_EQ(3, app.Run());
    // The key became WM_COMMAND 4242 and never reached the window as WM_KEYDOWN.
    EXPECT_EQ(app.seen.end(), std::find(app.seen.begin(), app.seen.end(), static_cast<UINT>(WM_KEYDOWN)));
    EXPECT_NE(app.seen.end(), std::find(app.seen.begin(), app.seen.end(), static_cast<UINT>(WM_COMMAND)));
    EXPECT_NE(app.seen.end(), std::find(app.seen.begin(), app.seen.end(), static_cast<UINT>(WM_APP + 7)));
    DestroyAcceleratorTable(app.m_hAccel);
    DestroyWindow(app.m_hWnd);
}

// The window class's small icon is the icon's own frame of the small-icon size (the caption's and
// the taskbar's picture), not the large one shrunk.
TEST_F(DornAppTest, TheSmallClassIconIsTheSmallFrame)
{
    RecordingApp app("DornAppSmallIcon");
    app.m_iconName = MAKEINTRESOURCEA(IDI_FENLOW);
    ASSERT_NE(0, app.RegisterWindowClass());
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(app.m_wndClass.hIconSm, &info));
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), bitmap.bmWidth);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    UnregisterClassA("DornAppSmallIcon", g_hInstance);
}

}  // namespace
