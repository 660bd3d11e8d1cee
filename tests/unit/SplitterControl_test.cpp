// The "Splitter" container against real user32/gdi32: layout, mouse drags, the tracking bar and notifications.
#include <windows.h>

#include <string.h>

#include <vector>

#include <gtest/gtest.h>

#include "DornControls.h"
#include "SplitterControl.h"
#include "ScreenImage.h"

using namespace Dorn32::Windows;
using screen::Image;

namespace {

const LRESULT kParentNotifyAnswer = 77;

struct Notify
{
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Notify> g_notifies;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        g_notifies.push_back({wParam, lParam});
        return kParentNotifyAnswer;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LPARAM Point(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

class SplitterControlTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        RegisterCustomControls();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "SplitterTestParent";
        RegisterClassA(&wc);
    }

    void SetUp() override
    {
        g_notifies.clear();
        m_parent = CreateWindowExA(WS_EX_TOPMOST, "SplitterTestParent", "splitters", WS_POPUP | WS_VISIBLE, 40, 40, 500,
                                   400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_parent, nullptr);
        m_splitter = CreateSplitter(0);
        ASSERT_NE(m_splitter, nullptr);
    }

    void TearDown() override
    {
        ReleaseCapture();
        DestroyWindow(m_parent);
    }

    HWND CreateSplitter(DWORD extraStyle)
    {
        return CreateWindowExA(0, "Splitter", "split", WS_CHILD | WS_VISIBLE | extraStyle, 10, 10, 300, 200, m_parent,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    // Two panes parked where no layout would put them.
    void AddPanes()
    {
        m_first = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 5, 6, 7, 8, m_splitter, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        m_second = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 15, 16, 17, 18, m_splitter, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        SendMessageA(m_splitter, SPM_SETPANE, 0, reinterpret_cast<LPARAM>(m_first));
        SendMessageA(m_splitter, SPM_SETPANE, 1, reinterpret_cast<LPARAM>(m_second));
    }

    // The whole splitter, borders included, as the tracking bar leaves it on the screen.
    Image Shot() const { return screen::Capture(m_splitter, true); }

    SplitterData* Data() const { return reinterpret_cast<SplitterData*>(GetWindowLongPtrA(m_splitter, 0)); }

    void Flush()
    {
        UpdateWindow(m_parent);
        UpdateWindow(m_splitter);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }

    void Drag(int fromX, int fromY, int toX, int toY)
    {
        SendMessageA(m_splitter, WM_LBUTTONDOWN, MK_LBUTTON, Point(fromX, fromY));
        SendMessageA(m_splitter, WM_MOUSEMOVE, MK_LBUTTON, Point(toX, toY));
        SendMessageA(m_splitter, WM_LBUTTONUP, 0, Point(toX, toY));
    }

    HWND m_parent = nullptr;
    HWND m_splitter = nullptr;
    HWND m_first = nullptr;
    HWND m_second = nullptr;
};

// Where a pane sits, in the splitter's client coordinates: x, y, width, height.
::testing::AssertionResult PaneAt(HWND splitter, HWND pane, int x, int y, int width, int height)
{
    RECT rect;
    GetWindowRect(pane, &rect);
    MapWindowPoints(nullptr, splitter, reinterpret_cast<POINT*>(&rect), 2);
    const int actual[4] = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    const int expected[4] = {x, y, width, height};
    if (memcmp(actual, expected, sizeof(actual)) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pane at " << actual[0] << "," << actual[1] << " " << actual[2] << "x"
                                         << actual[3] << ", expected " << x << "," << y << " " << width << "x"
                                         << height;
}

TEST_F(SplitterControlTest, ClassIsRegisteredWithArrowAndButtonFace)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "Splitter", &wc));
    EXPECT_EQ(wc.lpfnWndProc, SplitterWndProc);
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(wc.cbWndExtra, static_cast<int>(sizeof(LONG_PTR)));  // one pointer to the record
}

TEST_F(SplitterControlTest, NewSplitterHasItsDefaultsAndShowsButtonFace)
{
    const SplitterData* data = Data();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->firstPane, nullptr);
    EXPECT_EQ(data->secondPane, nullptr);
    EXPECT_EQ(data->stacked, 0);
    EXPECT_EQ(data->position, 100);
    EXPECT_EQ(data->barSize, 3);
    EXPECT_EQ(data->window, m_splitter);
    EXPECT_EQ(data->trackY, -4);
    EXPECT_EQ(data->trackX, -4);
    EXPECT_EQ(data->dragging, FALSE);
    char name[32] = "";
    GetWindowTextA(m_splitter, name, sizeof(name));
    EXPECT_STREQ(name, "split");

    MoveWindow(m_splitter, 10, 10, 280, 180, TRUE);
    Flush();
    const Image shot = Shot();
    ASSERT_EQ(shot.width, 280);
    for (COLORREF pixel : shot.pixels)
        ASSERT_EQ(pixel, GetSysColor(COLOR_BTNFACE));
}

TEST_F(SplitterControlTest, PanesWaitForALayoutThenSitSideBySide)
{
    AddPanes();
    EXPECT_EQ(Data()->firstPane, m_first);
    EXPECT_EQ(Data()->secondPane, m_second);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 5, 6, 7, 8));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 15, 16, 17, 18));

    EXPECT_EQ(SendMessageA(m_splitter, SPM_LAYOUT, 0, 0), 0);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 100, 200));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 103, 0, 197, 200));

    // Any non-zero wParam names the second pane.
    HWND other = CreateWindowExA(0, "Static", "", WS_CHILD, 1, 2, 3, 4, m_splitter, nullptr, nullptr, nullptr);
    SendMessageA(m_splitter, SPM_SETPANE, 7, reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(Data()->secondPane, other);
    EXPECT_EQ(Data()->firstPane, m_first);
    EXPECT_TRUE(PaneAt(m_splitter, other, 1, 2, 3, 4));
}

TEST_F(SplitterControlTest, SetSplitLaysOutInBothOrientations)
{
    AddPanes();
    EXPECT_EQ(SendMessageA(m_splitter, SPM_SETSPLIT, 0, 120), 0);
    EXPECT_EQ(Data()->stacked, 0);
    EXPECT_EQ(Data()->position, 120);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 120, 200));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 123, 0, 177, 200));

    EXPECT_EQ(SendMessageA(m_splitter, SPM_SETSPLIT, 1, 50), 0);
    EXPECT_EQ(Data()->stacked, 1);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 300, 50));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 0, 53, 300, 147));

    // Any non-zero wParam means stacked, stored as 1.
    SendMessageA(m_splitter, SPM_SETSPLIT, 0, 10);
    SendMessageA(m_splitter, SPM_SETSPLIT, 2, 60);
    EXPECT_EQ(Data()->stacked, 1);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 300, 60));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 0, 63, 300, 137));

    // Not clamped: the first pane may run past the splitter.
    SendMessageA(m_splitter, SPM_SETSPLIT, 0, 400);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 400, 200));
}

TEST_F(SplitterControlTest, ResizingLaysOutWithTheNewClientSize)
{
    AddPanes();
    SendMessageA(m_splitter, SPM_SETSPLIT, 1, 40);
    MoveWindow(m_splitter, 10, 10, 260, 150, TRUE);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 260, 40));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 0, 43, 260, 107));
    // WM_SIZE's own numbers are used, not the window's.
    SendMessageA(m_splitter, WM_SIZE, SIZE_RESTORED, MAKELPARAM(90, 70));
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 90, 40));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 0, 43, 90, 27));
}

TEST_F(SplitterControlTest, DragSideBySideIsClampedAtBothEnds)
{
    AddPanes();
    SendMessageA(m_splitter, SPM_LAYOUT, 0, 0);

    EXPECT_EQ(SendMessageA(m_splitter, WM_LBUTTONDOWN, MK_LBUTTON, Point(150, 50)), 0);
    EXPECT_EQ(Data()->dragging, TRUE);
    EXPECT_EQ(Data()->trackX, 150);
    EXPECT_EQ(GetCapture(), m_splitter);
    EXPECT_EQ(SendMessageA(m_splitter, WM_MOUSEMOVE, MK_LBUTTON, Point(1000, 50)), 0);
    EXPECT_EQ(Data()->trackX, 296);
    EXPECT_EQ(Data()->position, 100);
    // Nothing moves during the drag.
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 100, 200));
    EXPECT_EQ(SendMessageA(m_splitter, WM_LBUTTONUP, 0, Point(1000, 50)), 0);
    EXPECT_EQ(Data()->dragging, FALSE);
    EXPECT_EQ(Data()->position, 296);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 296, 200));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 299, 0, 1, 200));

    Drag(200, 50, -50, 50);
    EXPECT_EQ(Data()->trackX, 0);
    EXPECT_EQ(Data()->position, 0);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 0, 200));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 3, 0, 297, 200));
    // The other coordinate plays no part.
    Drag(10, 500, 60, -300);
    EXPECT_EQ(Data()->position, 60);
    EXPECT_EQ(Data()->trackY, -4);
}

TEST_F(SplitterControlTest, DragStackedIsClampedAtBothEnds)
{
    AddPanes();
    SendMessageA(m_splitter, SPM_SETSPLIT, 1, 50);
    Drag(100, 50, 100, 999);
    EXPECT_EQ(Data()->trackY, 196);
    EXPECT_EQ(Data()->position, 196);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 300, 196));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 0, 199, 300, 1));

    Drag(100, 150, 100, -30);
    EXPECT_EQ(Data()->trackY, 0);
    EXPECT_EQ(Data()->position, 0);
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 0, 3, 300, 197));
    EXPECT_EQ(Data()->trackX, -4);
}

TEST_F(SplitterControlTest, PressAndReleaseWithoutMovingSetsThePressedPosition)
{
    AddPanes();
    SendMessageA(m_splitter, SPM_SETSPLIT, 1, 50);
    SendMessageA(m_splitter, WM_LBUTTONDOWN, MK_LBUTTON, Point(30, 80));
    SendMessageA(m_splitter, WM_LBUTTONUP, 0, Point(30, 80));
    EXPECT_EQ(Data()->dragging, FALSE);
    EXPECT_EQ(Data()->position, 80);
    EXPECT_TRUE(PaneAt(m_splitter, m_first, 0, 0, 300, 80));
    EXPECT_TRUE(PaneAt(m_splitter, m_second, 0, 83, 300, 117));

    // A release with no press before it is not a drag.
    SendMessageA(m_splitter, WM_LBUTTONUP, 0, Point(30, 120));
    EXPECT_EQ(Data()->position, 80);
}

TEST_F(SplitterControlTest, BorderedSplitterPositionIsWindowCoordinateLessTheBorder)
{
    HWND bordered = CreateSplitter(WS_BORDER);
    ASSERT_NE(bordered, nullptr);
    POINT origin = {0, 0};
    ClientToScreen(bordered, &origin);
    RECT window;
    GetWindowRect(bordered, &window);
    const int border = origin.x - window.left;
    ASSERT_GT(border, 0);
    SendMessageA(bordered, WM_LBUTTONDOWN, MK_LBUTTON, Point(50, 50));
    SendMessageA(bordered, WM_LBUTTONUP, 0, Point(-100, 50));
    const auto* data = reinterpret_cast<SplitterData*>(GetWindowLongPtrA(bordered, 0));
    EXPECT_EQ(data->trackX, 0);
    EXPECT_EQ(data->position, -border);
}

TEST_F(SplitterControlTest, TrackingBarInvertsACheckerboardAndLeavesNoTrace)
{
    Flush();
    const Image before = Shot();
    ASSERT_EQ(before.width, 300);
    ASSERT_EQ(before.height, 200);

    // Every changed pixel is inverted, inside the bar, two of every four in each of its rows.
    auto checkBarAt = [&](const Image& now, int barX) {
        for (int y = 0; y < before.height; ++y) {
            int changedInRow = 0;
            for (int x = 0; x < before.width; ++x) {
                const COLORREF was = before.At(x, y);
                const COLORREF is = now.At(x, y);
                if (was == is)
                    continue;
                ASSERT_EQ(is, was ^ 0xFFFFFFu) << x << "," << y;
                ASSERT_TRUE(x >= barX - 2 && x < barX + 2 && y >= 1) << x << "," << y;
                ++changedInRow;
            }
            ASSERT_EQ(changedInRow, y >= 1 ? 2 : 0) << "row " << y;
        }
    };

    SendMessageA(m_splitter, WM_LBUTTONDOWN, MK_LBUTTON, Point(150, 40));
    checkBarAt(Shot(), 150);

    SendMessageA(m_splitter, WM_MOUSEMOVE, MK_LBUTTON, Point(200, 40));
    EXPECT_EQ(Data()->trackX, 200);
    const Image moved = Shot();
    checkBarAt(moved, 200);

    // Without the button held a move changes nothing, and a move to the same place redraws nothing.
    SendMessageA(m_splitter, WM_MOUSEMOVE, 0, Point(250, 40));
    SendMessageA(m_splitter, WM_MOUSEMOVE, MK_LBUTTON, Point(200, 90));
    EXPECT_EQ(Data()->trackX, 200);
    EXPECT_TRUE(Shot() == moved);

    SendMessageA(m_splitter, WM_LBUTTONUP, 0, Point(200, 40));
    EXPECT_TRUE(Shot() == before);
}

TEST_F(SplitterControlTest, StackedTrackingBarSpansTheWidthLessOnePixelEachSide)
{
    SendMessageA(m_splitter, SPM_SETSPLIT, 1, 50);
    Flush();
    const Image before = Shot();
    SendMessageA(m_splitter, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 120));
    const Image during = Shot();
    const int width = before.width;
    for (int x = 0; x < width; ++x) {
        int changedInColumn = 0;
        for (int y = 0; y < before.height; ++y) {
            if (before.At(x, y) == during.At(x, y))
                continue;
            ASSERT_TRUE(y >= 118 && y < 122) << x << "," << y;
            ++changedInColumn;
        }
        ASSERT_EQ(changedInColumn, x >= 1 && x < width - 1 ? 2 : 0) << "column " << x;
    }
    SendMessageA(m_splitter, WM_LBUTTONUP, 0, Point(10, 120));
    EXPECT_TRUE(Shot() == before);
}

// The release will never come once the capture is gone: the drag ends there, leaving the panes be.
TEST_F(SplitterControlTest, LostCaptureEndsTheDragAndErasesTheBar)
{
    Flush();
    const Image before = Shot();
    SendMessageA(m_splitter, WM_LBUTTONDOWN, MK_LBUTTON, Point(100, 40));
    const Image during = Shot();
    ASSERT_FALSE(during == before);
    SetCapture(m_parent);
    ReleaseCapture();
    EXPECT_EQ(Data()->dragging, FALSE);
    EXPECT_TRUE(Shot() == before);

    SendMessageA(m_splitter, WM_MOUSEMOVE, 0, Point(160, 40));
    EXPECT_EQ(Data()->dragging, FALSE);
    EXPECT_EQ(Data()->trackX, 100);
    EXPECT_TRUE(Shot() == before);

    // A stray release afterwards moves nothing.
    SendMessageA(m_splitter, WM_LBUTTONUP, 0, Point(160, 40));
    EXPECT_EQ(Data()->dragging, FALSE);
    EXPECT_EQ(Data()->position, 100);
    EXPECT_TRUE(Shot() == before);
}

TEST_F(SplitterControlTest, MouseMoveSetsTheClassCursorForTheOrientation)
{
    SendMessageA(m_splitter, WM_MOUSEMOVE, 0, Point(10, 10));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(m_splitter, GCLP_HCURSOR)), LoadCursor(nullptr, IDC_SIZEWE));
    SendMessageA(m_splitter, SPM_SETSPLIT, 1, 50);
    SendMessageA(m_splitter, WM_MOUSEMOVE, 0, Point(10, 10));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(m_splitter, GCLP_HCURSOR)), LoadCursor(nullptr, IDC_SIZENS));
    // One class cursor for every splitter.
    HWND another = CreateSplitter(0);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(another, GCLP_HCURSOR)), LoadCursor(nullptr, IDC_SIZENS));
    SendMessageA(another, WM_MOUSEMOVE, 0, Point(10, 10));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(m_splitter, GCLP_HCURSOR)), LoadCursor(nullptr, IDC_SIZEWE));
}

TEST_F(SplitterControlTest, NotifyGoesOnToTheParentAndIsAnsweredByDefault)
{
    NMHDR header = {m_splitter, 42, 0xFFFFFFFEu};
    EXPECT_EQ(SendMessageA(m_splitter, WM_NOTIFY, 42, reinterpret_cast<LPARAM>(&header)), 0);
    ASSERT_EQ(g_notifies.size(), 1u);
    EXPECT_EQ(g_notifies[0].wParam, 42u);
    EXPECT_EQ(g_notifies[0].lParam, reinterpret_cast<LPARAM>(&header));
}

}  // namespace
