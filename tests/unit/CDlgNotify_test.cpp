// The notification popup in this process: creation, placement, commands, colours, translucency.
#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "CDlgNotify.h"
#include "DensityChild.h"
#include "Dorn32.h"
#include "FreshProcess.h"
#include "resource.h"

using namespace Dorn32::Windows;

namespace {

// Counts the lookups of SetLayeredWindowAttributes by redirecting this program's import of
// GetProcAddress; installed before any test runs so that every lookup of the process is seen.
typedef FARPROC(WINAPI* GetProcAddressProc)(HMODULE, LPCSTR);
GetProcAddressProc g_realGetProcAddress = nullptr;
LONG g_layeredLookups = 0;
bool g_failLayeredLookup = false;

FARPROC WINAPI CountingGetProcAddress(HMODULE module, LPCSTR name)
{
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) && strcmp(name, "SetLayeredWindowAttributes") == 0) {
        ++g_layeredLookups;
        if (g_failLayeredLookup)
            return nullptr;
    }
    return g_realGetProcAddress(module, name);
}

bool RedirectGetProcAddress()
{
    g_realGetProcAddress = &GetProcAddress;
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return false;
    bool redirected = false;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
         ++module) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk); slot->u1.Function; ++slot) {
            if (slot->u1.Function != reinterpret_cast<ULONG_PTR>(g_realGetProcAddress))
                continue;
            DWORD protection;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(&CountingGetProcAddress);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
            redirected = true;
        }
    }
    return redirected;
}

const bool g_lookupsCounted = RedirectGetProcAddress();

// The popup's owner: a plain window that records the commands it is sent.
std::vector<std::pair<WPARAM, LPARAM>> g_ownerCommands;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        g_ownerCommands.emplace_back(wParam, lParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

RECT WindowRect(HWND hwnd)
{
    RECT rc = {-1, -1, -1, -1};
    GetWindowRect(hwnd, &rc);
    return rc;
}

std::string ControlText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

class CDlgNotifyTest : public ::testing::Test
{
protected:
    CDlgNotifyTest() : popup(countdown) {}

    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(nullptr);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &savedWorkArea, 0);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = g_hInstance;
        wc.lpszClassName = "CDlgNotifyTestOwner";
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, wc.lpszClassName, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                g_hInstance, nullptr);
        ASSERT_NE(nullptr, owner);
        g_ownerCommands.clear();
        ASSERT_NE(nullptr, popup.CreateModeless(g_hInstance, owner, SW_HIDE));
    }

    void TearDown() override
    {
        DestroyWindow(owner);
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &savedWorkArea, 0);
    }

    // False where the work area cannot be set for the test.
    bool SetWorkArea(LONG left, LONG top, LONG right, LONG bottom)
    {
        RECT area = {left, top, right, bottom};
        RECT check = {};
        return SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0) &&
               SystemParametersInfoA(SPI_GETWORKAREA, 0, &check, 0) && EqualRect(&area, &check);
    }

    void ExpectHiddenAtOrigin()
    {
        EXPECT_FALSE(IsWindowVisible(popup.m_hWnd));
        RECT rc = WindowRect(popup.m_hWnd);
        EXPECT_EQ(0, rc.left);
        EXPECT_EQ(0, rc.top);
        EXPECT_EQ(0, rc.right);
        EXPECT_EQ(0, rc.bottom);
    }

    int countdown = 0;
    CDlgNotify popup;
    HWND owner = nullptr;
    RECT savedWorkArea = {};
};

TEST_F(CDlgNotifyTest, CreationMakesTheFontMeasuresAndHides)
{
    ASSERT_NE(nullptr, g_popupFont);
    LOGFONTA font = {};
    ASSERT_EQ(static_cast<int>(sizeof(font)), GetObjectA(g_popupFont, sizeof(font), &font));
    HDC dc = GetDC(popup.m_hWnd);
    int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(popup.m_hWnd, dc);
    EXPECT_EQ(-MulDiv(16, pixelsPerInch, 72), font.lfHeight);
    EXPECT_EQ(0, font.lfWidth);
    EXPECT_EQ(700, font.lfWeight);
    EXPECT_EQ(0, font.lfItalic);
    EXPECT_EQ(0, font.lfUnderline);
    EXPECT_EQ(0, font.lfStrikeOut);
    EXPECT_EQ(0, font.lfCharSet);
    EXPECT_EQ(0, font.lfOutPrecision);
    EXPECT_EQ(4, font.lfClipPrecision);
    EXPECT_EQ(4, font.lfQuality);
    EXPECT_EQ(0x32, font.lfPitchAndFamily);
    EXPECT_STREQ("", font.lfFaceName);

    HWND text = GetDlgItem(popup.m_hWnd, IDC_NOTIFY_TEXT);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(text, popup.m_text.m_hWnd);
    EXPECT_EQ(reinterpret_cast<LRESULT>(g_popupFont), SendMessageA(text, WM_GETFONT, 0, 0));
    // The template has no controls 1 and 2.
    EXPECT_EQ(nullptr, popup.m_glyph1.m_hWnd);
    EXPECT_EQ(nullptr, popup.m_glyph2.m_hWnd);

    ExpectHiddenAtOrigin();
    EXPECT_EQ(0, countdown);

    // Measured while the window still had its template size: compare with a plain dialog of it.
    HWND plain = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_NOTIFY), owner, PlainDialogProc, 0);
    ASSERT_NE(nullptr, plain);
    RECT units = {0, 0, 132, 33};
    MapDialogRect(plain, &units);
    RECT plainRect = WindowRect(plain);
    DestroyWindow(plain);
    EXPECT_EQ(units.right, popup.m_dialogRect.right - popup.m_dialogRect.left);
    EXPECT_EQ(units.bottom, popup.m_dialogRect.bottom - popup.m_dialogRect.top);
    EXPECT_EQ(plainRect.right - plainRect.left, popup.m_dialogRect.right - popup.m_dialogRect.left);
    EXPECT_EQ(plainRect.bottom - plainRect.top, popup.m_dialogRect.bottom - popup.m_dialogRect.top);
    EXPECT_GT(units.right, 0);
}

TEST_F(CDlgNotifyTest, PlacementFollowsTheWorkAreaRightAndBottom)
{
    if (!SetWorkArea(0, 0, 1920, 1040))
        GTEST_SKIP() << "the work area cannot be set here";
    popup.m_dialogRect = {7, 9, 207, 63};  // 200 x 54, anywhere

    struct Case
    {
        RECT area;
        int x, y;
    } cases[] = {
        {{0, 0, 1920, 1040}, 860, 780},
        {{60, 0, 1920, 1080}, 860, 810},  // taskbar at the left: x does not move
        {{0, 40, 1920, 1080}, 860, 810},  // taskbar at the top: y does not move
        {{0, 0, 1023, 767}, 411, 575},    // odd sizes: fractions dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.area.top * 10000 + c.area.left);
        ASSERT_TRUE(SetWorkArea(c.area.left, c.area.top, c.area.right, c.area.bottom));
        popup.Show("Num. Lock: ON");  // short enough for the template, so the popup keeps its size
        RECT rc = WindowRect(popup.m_hWnd);
        EXPECT_EQ(c.x, rc.left);
        EXPECT_EQ(c.y, rc.top);
        EXPECT_EQ(200, rc.right - rc.left);
        EXPECT_EQ(54, rc.bottom - rc.top);
        EXPECT_EQ(c.x, popup.m_x);
        EXPECT_EQ(c.y, popup.m_y);
        EXPECT_EQ(200, popup.m_width);
        EXPECT_EQ(54, popup.m_height);
        popup.Hide();
    }

    popup.Show("Caps. Lock: ON");
    LONG exStyle = GetWindowLongA(popup.m_hWnd, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(popup.m_hWnd, &key, &alpha, &flags));
    EXPECT_EQ(158, alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
    // The dialog rectangle stays as it was set: every show uses its size.
    EXPECT_EQ(7, popup.m_dialogRect.left);
    EXPECT_EQ(63, popup.m_dialogRect.bottom);
}

TEST_F(CDlgNotifyTest, ShowAndHide)
{
    countdown = -7;
    popup.Show("Num. Lock: ON");  // short enough for the template, so the popup keeps its size
    EXPECT_EQ(1, countdown);
    EXPECT_EQ("Num. Lock: ON", ControlText(popup.m_hWnd, IDC_NOTIFY_TEXT));
    EXPECT_TRUE(IsWindowVisible(popup.m_hWnd));
    RECT rc = WindowRect(popup.m_hWnd);
    EXPECT_EQ(popup.m_dialogRect.right - popup.m_dialogRect.left, rc.right - rc.left);

    // Shown again: new text, countdown back to 1.
    countdown = -1;
    popup.Show("Num. Lock: OFF");
    EXPECT_EQ(1, countdown);
    EXPECT_EQ("Num. Lock: OFF", ControlText(popup.m_hWnd, IDC_NOTIFY_TEXT));
    EXPECT_TRUE(IsWindowVisible(popup.m_hWnd));

    // Hiding leaves the countdown alone.
    popup.Hide();
    ExpectHiddenAtOrigin();
    EXPECT_EQ(1, countdown);
}

TEST_F(CDlgNotifyTest, MouseFallsThroughAndCommandsHide)
{
    popup.Show("Caps. Lock: ON");
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(popup.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(popup.m_x + 5, popup.m_y + 5)));

    // Other ids do nothing.
    EXPECT_EQ(0, SendMessageA(popup.m_hWnd, WM_COMMAND, 3, 0));
    EXPECT_EQ(0, SendMessageA(popup.m_hWnd, WM_COMMAND, IDM_NOTIFY_OK, 0));
    EXPECT_TRUE(IsWindowVisible(popup.m_hWnd));
    EXPECT_TRUE(g_ownerCommands.empty());

    // OK tells the owner, whatever the notification code, then hides.
    EXPECT_EQ(0, SendMessageA(popup.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
    ASSERT_EQ(1u, g_ownerCommands.size());
    EXPECT_EQ(static_cast<WPARAM>(IDM_NOTIFY_OK), g_ownerCommands[0].first);
    EXPECT_EQ(0, g_ownerCommands[0].second);
    ExpectHiddenAtOrigin();

    // Cancel only hides.
    popup.Show("Caps. Lock: OFF");
    EXPECT_EQ(0, SendMessageA(popup.m_hWnd, WM_COMMAND, IDCANCEL, 0));
    ExpectHiddenAtOrigin();
    EXPECT_EQ(1u, g_ownerCommands.size());

    // Enter and Esc reach it through the dialog manager.
    popup.Show("Caps. Lock: ON");
    MSG enter = {popup.m_hWnd, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_TRUE(DornDialog::IsModelessDialogMessage(&enter));
    ASSERT_EQ(2u, g_ownerCommands.size());
    EXPECT_EQ(static_cast<WPARAM>(IDM_NOTIFY_OK), g_ownerCommands[1].first);
    ExpectHiddenAtOrigin();
    popup.Show("Caps. Lock: ON");
    MSG escape = {popup.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(DornDialog::IsModelessDialogMessage(&escape));
    EXPECT_EQ(2u, g_ownerCommands.size());
    ExpectHiddenAtOrigin();
}

TEST_F(CDlgNotifyTest, GreyGroundWhiteTextOneBrushAtATime)
{
    HWND text = GetDlgItem(popup.m_hWnd, IDC_NOTIFY_TEXT);
    HDC dc = GetDC(text);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    SetBkMode(dc, TRANSPARENT);

    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(popup.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(text)));
    ASSERT_NE(nullptr, brush);
    LOGBRUSH desc = {};
    ASSERT_EQ(static_cast<int>(sizeof(desc)), GetObjectA(brush, sizeof(desc), &desc));
    EXPECT_EQ(static_cast<UINT>(BS_SOLID), desc.lbStyle);
    EXPECT_EQ(RGB(128, 128, 128), desc.lbColor);
    EXPECT_EQ(RGB(255, 255, 255), GetTextColor(dc));
    EXPECT_EQ(RGB(128, 128, 128), GetBkColor(dc));
    EXPECT_EQ(OPAQUE, GetBkMode(dc));
    EXPECT_EQ(brush, popup.m_background);

    // Each ask replaces the brush and deletes the one before.
    const UINT renewing[] = {WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORBTN, WM_CTLCOLORDLG};
    for (UINT msg : renewing) {
        SCOPED_TRACE(msg);
        SetTextColor(dc, RGB(1, 2, 3));
        auto next = reinterpret_cast<HBRUSH>(
            SendMessageA(popup.m_hWnd, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(text)));
        ASSERT_NE(nullptr, next);
        EXPECT_NE(brush, next);
        EXPECT_EQ(0u, GetObjectType(brush));
        EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(next));
        ASSERT_EQ(static_cast<int>(sizeof(desc)), GetObjectA(next, sizeof(desc), &desc));
        EXPECT_EQ(RGB(128, 128, 128), desc.lbColor);
        EXPECT_EQ(next, popup.m_background);
        // The dialog's own ground leaves the text colours of the DC alone.
        EXPECT_EQ(msg == WM_CTLCOLORDLG ? RGB(1, 2, 3) : RGB(255, 255, 255), GetTextColor(dc));
        brush = next;
    }

    // Scroll bars and message boxes go to the default handling: the brush stays.
    SendMessageA(popup.m_hWnd, WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(popup.m_hWnd, WM_CTLCOLORMSGBOX, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(brush, popup.m_background);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(brush));
    ReleaseDC(text, dc);
}

TEST_F(CDlgNotifyTest, LayeredAttributesAreLookedUpOncePerProcess)
{
    ASSERT_TRUE(g_lookupsCounted);
    if (g_failLayeredLookup) {
        // The lookup was made to fail earlier in this process, for good: the case needs a new one.
        EXPECT_EQ(0u, freshprocess::RunCurrentTest()) << "failed in a new process; its output is above";
        return;
    }
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, g_hInstance, nullptr);
    EXPECT_TRUE(SetWindowAlpha(window, 10));
    EXPECT_TRUE(SetWindowAlpha(window, 200));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(200, alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    popup.Show("Caps. Lock: ON");
    popup.Show("Caps. Lock: OFF");
    EXPECT_EQ(1, g_layeredLookups);
    // A window that is not there cannot take the style.
    EXPECT_FALSE(SetWindowAlpha(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFFFFF0)), 100));
    DestroyWindow(window);
}

// Last in this file: it leaves the process without layered windows.
TEST_F(CDlgNotifyTest, WithoutLayeredAttributesThePopupStaysOpaque)
{
    ASSERT_TRUE(g_lookupsCounted);
    if (g_layeredLookups != 0) {
        // A lookup was made earlier in this process: the case needs one that has made none.
        EXPECT_EQ(0u, freshprocess::RunCurrentTest()) << "failed in a new process; its output is above";
        return;
    }
    g_failLayeredLookup = true;
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, g_hInstance, nullptr);
    EXPECT_FALSE(SetWindowAlpha(window, 100));
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(1, g_layeredLookups);

    // Never looked up again, even once it would succeed.
    g_failLayeredLookup = false;
    EXPECT_FALSE(SetWindowAlpha(window, 100));
    popup.Show("Caps. Lock: ON");
    EXPECT_EQ(1, g_layeredLookups);
    EXPECT_TRUE(IsWindowVisible(popup.m_hWnd));
    EXPECT_FALSE(GetWindowLongA(popup.m_hWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongA(popup.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    g_failLayeredLookup = true;  // tells later tests of this process what happened
    DestroyWindow(window);
}

// The popup's font is 16 points at whatever resolution the system reports: checked at each density
// in a child process, since the setting only reaches processes started after it changes.
// Sixteen points in pixels at each density, as a negative (character) height.
struct Density
{
    int dpi;
    LONG height;
};
const Density kDensities[] = {{120, -27}, {144, -32}, {168, -37}, {192, -43}};

TEST_F(CDlgNotifyTest, FontHeightIsSixteenPointsAtEveryDensity)
{
    if (density::IsChild()) {
        // The child: the system reports the density it was started for, and the popup the fixture
        // made there follows it.
        const int dpi = density::RequestedDpi();
        ASSERT_EQ(dpi, density::ScreenDpi());
        const Density* expected = nullptr;
        for (const Density& row : kDensities)
            if (row.dpi == dpi)
                expected = &row;
        ASSERT_NE(nullptr, expected) << dpi << " dpi is not in the table";
        LOGFONTA font = {};
        ASSERT_TRUE(GetObjectA(g_popupFont, sizeof(font), &font));
        EXPECT_EQ(expected->height, font.lfHeight) << "at " << dpi << " dpi";
        EXPECT_EQ(FW_BOLD, font.lfWeight);
        return;
    }
    for (const Density& row : kDensities)
        EXPECT_EQ(0u, density::RunChild(row.dpi)) << "at " << row.dpi << " dpi; the child's output is above";
}

}  // namespace
