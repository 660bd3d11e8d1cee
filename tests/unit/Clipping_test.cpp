// Every window the program shows, at 96, 120, 144, 168 and 192 dpi: each control lies inside its parent's
// client area and shows its whole text in its own font, the settings window holds no empty band under
// its buttons, the popup lies centred in the work area, and each tray picture is its icon's own frame of
// the small-icon size. Each density runs in a child process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "DensityChild.h"
#include "DornControls.h"
#include "IconPicture.h"
#include "InProcessApp.h"
#include "LabelInspect.h"
#include "ProductInfo.h"
#include "version.h"

namespace {

// The settings window's outer size at 96 dpi.
const int kWindowWidth = 320;
const int kWindowHeight = 356;
// The most air between OK's bottom edge and the status bar at 96 dpi: the dialog's own margin
// and what the window's 96-dpi height leaves over it. Other densities get at most this, scaled.
const int kAirUnderOkAt96 = 30;

// The texts the popup is shown with.
const char* const kPopupTexts[] = {"Caps. Lock: ON", "Caps. Lock: OFF", "Scr. Lock: ON",
                                   "Scr. Lock: OFF", "Num. Lock: ON",   "Num. Lock: OFF"};

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::wstring TextOf(HWND window)
{
    WCHAR text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::string Narrow(const std::wstring& text)
{
    char out[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof(out), nullptr, nullptr);
    return out;
}

std::string Describe(const RECT& rc)
{
    char text[64];
    snprintf(text, sizeof(text), "(%ld,%ld)-(%ld,%ld)", rc.left, rc.top, rc.right, rc.bottom);
    return text;
}

// A control's rectangle in its parent's client coordinates.
RECT RectIn(HWND parent, HWND control)
{
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Width and height of one line of text as DrawText lays it out ("&" marks a mnemonic).
SIZE Measure(const std::wstring& text, HFONT font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    RECT rc = {0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &rc, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

int DigitWidth(HFONT font)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    INT width = 0;
    GetCharWidth32W(dc, L'0', L'0', &width);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return width;
}

class Walk
{
public:
    explicit Walk(int dpi) : m_dpi(dpi) {}

    void Fault(const std::string& where, const std::string& what) { m_faults.push_back(where + ": " + what); }

    const std::vector<std::string>& Faults() const { return m_faults; }

    int Dpi() const { return m_dpi; }

    // Every visible child of `parent`, and theirs in turn, against its parent's client area.
    void Children(const std::string& where, HWND parent)
    {
        RECT area;
        GetClientRect(parent, &area);
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!(GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE))
                continue;
            std::string name = where + " > " + ClassOf(child) + " " + std::to_string(GetDlgCtrlID(child)) + " \"" +
                               Narrow(TextOf(child)) + "\"";
            RECT rc = RectIn(parent, child);
            if (rc.left < 0 || rc.top < 0 || rc.right > area.right || rc.bottom > area.bottom)
                Fault(name, "at " + Describe(rc) + ", outside its parent's client area " + Describe(area));
            Text(name, child);
            Children(name, child);
        }
    }

private:
    void Fits(const std::string& name, const std::wstring& text, HFONT font, int roomX, int roomY)
    {
        SIZE need = Measure(text, font);
        if (need.cx > roomX || need.cy > roomY) {
            LOGFONTA lf = labels::LogFontOf(font);
            Fault(name, "its text in \"" + std::string(lf.lfFaceName) + "\" " + std::to_string(lf.lfHeight) +
                            " needs " + std::to_string(need.cx) + " x " + std::to_string(need.cy) + ", room " +
                            std::to_string(roomX) + " x " + std::to_string(roomY));
        }
    }

    // The text of a control, in its own font, against the room its kind of control gives it.
    void Text(const std::string& name, HWND control)
    {
        std::string kind = ClassOf(control);
        LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
        RECT client;
        GetClientRect(control, &client);
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
        std::wstring text = TextOf(control);
        const int edgeX = GetSystemMetrics(SM_CXEDGE);
        const int edgeY = GetSystemMetrics(SM_CYEDGE);
        const int focusX = GetSystemMetrics(SM_CXFOCUSBORDER);
        if (kind == "Button") {
            switch (style & BS_TYPEMASK) {
                case BS_PUSHBUTTON:
                case BS_DEFPUSHBUTTON:
                    // The raised edge, the focus rectangle and a pixel of air on either side.
                    Fits(name, text, font, client.right - 2 * (edgeX + focusX + 1), client.bottom - 2 * edgeY);
                    break;
                case BS_CHECKBOX:
                case BS_AUTOCHECKBOX: {
                    // The box (13 pixels at 96 dpi), the gap of half a digit, the focus rectangle.
                    int box = MulDiv(13, m_dpi, USER_DEFAULT_SCREEN_DPI);
                    Fits(name, text, font, client.right - box - DigitWidth(font) / 2 - 2 * focusX, client.bottom);
                    break;
                }
                case BS_GROUPBOX:
                    // The caption sits in the frame's top edge, a digit in from either side.
                    Fits(name, text, font, client.right - 2 * DigitWidth(font), client.bottom);
                    break;
            }
        } else if (kind == "Static") {
            if ((style & SS_TYPEMASK) != SS_ICON)
                Fits(name, text, font, client.right, client.bottom);
        } else if (kind == "Link" || kind == "Text") {
            HFONT own = labels::DataOf(control)->font;
            Fits(name, text, own ? own : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), client.right,
                 client.bottom);
        } else if (kind == STATUSCLASSNAMEA) {
            Panes(name, control, font);
        }
    }

    void Panes(const std::string& name, HWND bar, HFONT font)
    {
        RECT area;
        GetClientRect(bar, &area);
        int borders[3] = {};
        SendMessageA(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
        int count = static_cast<int>(SendMessageA(bar, SB_GETPARTS, 0, 0));
        for (int pane = 0; pane < count; ++pane) {
            std::string paneName = name + " pane " + std::to_string(pane);
            RECT rc = {};
            SendMessageA(bar, SB_GETRECT, pane, reinterpret_cast<LPARAM>(&rc));
            if (rc.left < 0 || rc.right > area.right)
                Fault(paneName, "at " + Describe(rc) + ", outside the bar " + Describe(area));
            WCHAR text[256] = {};
            SendMessageW(bar, SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(text));
            Fits(paneName + " \"" + Narrow(text) + "\"", text, font, rc.right - rc.left - 2 * borders[0],
                 rc.bottom - rc.top);
        }
    }

    int m_dpi;
    std::vector<std::string> m_faults;
};

// The about box is modal: a timer inside its loop walks it once it shows, and closes it.
Walk* g_aboutWalk = nullptr;
bool g_aboutSeen = false;

BOOL CALLBACK FindAboutBox(HWND window, LPARAM found)
{
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != g_app.m_hWnd)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK WalkAboutBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAboutBox, reinterpret_cast<LPARAM>(&box));
    if (!box || g_aboutSeen)
        return;
    g_aboutSeen = true;
    RECT outer;
    GetWindowRect(box, &outer);
    printf("%d dpi: about box %ld x %ld\n", g_aboutWalk->Dpi(), outer.right - outer.left, outer.bottom - outer.top);
    g_aboutWalk->Children("about box", box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

void WalkAtThisDensity(int dpi)
{
    using namespace Dorn32::Windows;
    ASSERT_EQ(dpi, density::ScreenDpi()) << "the child does not see the density it was started for";
    RegisterCustomControls();
    g_productInfo.Load(FENLOW_PRODUCT_NAME, g_disclaimer);
    ASSERT_NO_FATAL_FAILURE(inprocess::MakeAppWindows());
    Walk walk(dpi);

    // The settings window as a first run shows it, every lock on so that every pane has its text.
    for (BYTE vk : {VK_CAPITAL, VK_SCROLL, VK_NUMLOCK})
        inprocess::SetToggle(vk, true);
    g_app.RefreshLockStates();
    g_app.ShowWindow(SW_SHOW);
    RECT outer;
    GetWindowRect(g_app.m_hWnd, &outer);
    SIZE size = {outer.right - outer.left, outer.bottom - outer.top};
    printf("%d dpi: settings window %ld x %ld\n", dpi, size.cx, size.cy);
    if (dpi == USER_DEFAULT_SCREEN_DPI) {
        EXPECT_EQ(kWindowWidth, size.cx);
        EXPECT_EQ(kWindowHeight, size.cy);
    } else {
        EXPECT_GE(size.cx, MulDiv(kWindowWidth, dpi, USER_DEFAULT_SCREEN_DPI));
    }
    walk.Children("settings window", g_app.m_hWnd);
    // The options dialog ends where the status bar begins: OK and Cancel above it, whole, and no
    // wider band of air under them than at 96 dpi.
    RECT options = RectIn(g_app.m_hWnd, g_app.m_dlgOpciones.m_hWnd);
    RECT bar = RectIn(g_app.m_hWnd, g_app.m_hStatusBar);
    if (options.bottom > bar.top)
        walk.Fault("settings window",
                   "the options dialog " + Describe(options) + " runs under the status bar " + Describe(bar));
    RECT ok = RectIn(g_app.m_hWnd, GetDlgItem(g_app.m_dlgOpciones.m_hWnd, IDOK));
    const int air = bar.top - ok.bottom;
    printf("%d dpi: %d pixels between OK and the status bar\n", dpi, air);
    if (air > MulDiv(kAirUnderOkAt96, dpi, USER_DEFAULT_SCREEN_DPI))
        walk.Fault("settings window", "OK " + Describe(ok) + " ends " + std::to_string(air) +
                                          " pixels above the status bar " + Describe(bar) + ", at most " +
                                          std::to_string(MulDiv(kAirUnderOkAt96, dpi, USER_DEFAULT_SCREEN_DPI)));

    // The tray gets each picture as its icon's frame of the small-icon size, drawn for that size.
    g_app.LoadTrayResources();
    const int small = GetSystemMetrics(SM_CXSMICON);
    for (const CFenlowApp::TrayPicture& picture : CFenlowApp::kTrayPictures) {
        std::string name = "tray picture " + std::to_string(picture.id);
        pictures::IconPicture got = pictures::PictureOf(g_app.*picture.icon);
        pictures::IconPicture frame = pictures::StoredFrame(GetModuleHandleA(nullptr), picture.id, small);
        if (got.width != small || got.height != small)
            walk.Fault(name, std::to_string(got.width) + " x " + std::to_string(got.height) + ", not the small-icon " +
                                 std::to_string(small));
        else if (frame.Empty())
            walk.Fault(name, "its icon has no frame of " + std::to_string(small) + " pixels");
        else if (got != frame)
            walk.Fault(name, "not its icon's frame of " + std::to_string(small) + " pixels");
    }

    // The popup inside the work area and centred in it, as much room on either side give or take a pixel.
    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT popup = {};
    for (const char* text : kPopupTexts) {
        g_app.m_dlgNotify.Show(text);
        std::string name = std::string("popup \"") + text + "\"";
        GetWindowRect(g_app.m_dlgNotify.m_hWnd, &popup);
        if (popup.left < workArea.left || popup.top < workArea.top || popup.right > workArea.right ||
            popup.bottom > workArea.bottom)
            walk.Fault(name, "at " + Describe(popup) + ", outside the work area " + Describe(workArea));
        if (abs((popup.left - workArea.left) - (workArea.right - popup.right)) > 1)
            walk.Fault(name, "at " + Describe(popup) + ", not centred in the work area " + Describe(workArea));
        walk.Children(name, g_app.m_dlgNotify.m_hWnd);
        g_app.m_dlgNotify.Hide();
    }
    printf("%d dpi: popup %ld x %ld after its last text, work area %s\n", dpi, popup.right - popup.left,
           popup.bottom - popup.top, Describe(workArea).c_str());

    g_aboutWalk = &walk;
    UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, WalkAboutBox);
    g_app.OnCommand(IDM_ABOUT);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_aboutSeen) << "the about box never came up";

    std::string faults;
    for (const std::string& fault : walk.Faults())
        faults += "\n  " + fault;
    EXPECT_TRUE(walk.Faults().empty()) << dpi << " dpi:" << faults;
}

TEST(ClippingTest, NothingIsClippedFrom96To192Dpi)
{
    if (density::IsChild()) {
        WalkAtThisDensity(density::RequestedDpi());
        return;
    }
    for (int dpi : {96, 120, 144, 168, 192})
        EXPECT_EQ(0u, density::RunChild(dpi)) << "at " << dpi << " dpi; the child's output is above";
}

}  // namespace
