#include "CDlgNotify.h"

#include "DornControls.h"
#include "resource.h"

using namespace Dorn32::Windows;

HFONT g_popupFont = nullptr;

namespace {

const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kWhite = RGB(255, 255, 255);
const BYTE kPopupAlpha = 158;
// The popup's text is bold, in this size.
const int kPopupFontPoints = 16;
const int kPointsPerInch = 72;
// Typicons code points for the glyph controls a popup template may have.
const WCHAR kGlyph1 = 0xE10E;
const WCHAR kGlyph2 = 0xE122;
// The popup's top edge sits this far down the work area.
const int kPopupTopPercent = 75;

typedef BOOL(WINAPI* SetLayeredWindowAttributesProc)(HWND, COLORREF, BYTE, DWORD);
SetLayeredWindowAttributesProc g_setLayeredWindowAttributes = nullptr;
bool g_layeredLookupDone = false;

}  // namespace

bool SetWindowAlpha(HWND window, BYTE alpha)
{
    // Looked up once, at run time: the popup stays opaque on a system without it. user32 is
    // already loaded in any window's process, so no reference is taken.
    if (!g_layeredLookupDone) {
        HMODULE user32 = GetModuleHandleA("user32");
        if (user32) {
            g_setLayeredWindowAttributes = reinterpret_cast<SetLayeredWindowAttributesProc>(
                reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
        }
        g_layeredLookupDone = true;
    }
    if (!g_setLayeredWindowAttributes)
        return false;
    SetLastError(0);
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (GetLastError() != 0)
        return false;
    // The colour key is ignored: only LWA_ALPHA is asked for.
    return g_setLayeredWindowAttributes(window, kWhite, alpha, LWA_ALPHA) != FALSE;
}

CDlgNotify::CDlgNotify(int& countdown)
    : DornDialog(IDD_NOTIFY),
      m_background(nullptr),
      m_brushDesc{BS_SOLID, kGrey, 0},
      m_x(0),
      m_y(0),
      m_width(0),
      m_height(0),
      m_dialogRect(),
      m_textSize(),
      m_growth(),
      m_countdown(countdown)
{
}

void CDlgNotify::InitControls()
{
    Dorn32::Windows::AttachDlgItem(m_hWnd, IDC_NOTIFY_TEXT, m_text);
    Dorn32::Windows::AttachDlgItem(m_hWnd, IDC_NOTIFY_GLYPH1, m_glyph1);
    Dorn32::Windows::AttachDlgItem(m_hWnd, IDC_NOTIFY_GLYPH2, m_glyph2);
}

void CDlgNotify::OnInitDialog(HWND hwnd)
{
    HDC dc = ::GetDC(hwnd);
    int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    // Clip precision 4 has no CLIP_ name (CLIP_STROKE_PRECIS is 2).
    const BYTE kClipPrecision = 4;
    g_popupFont =
        CreateFontA(-MulDiv(kPopupFontPoints, pixelsPerInch, kPointsPerInch), 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET,
                    OUT_DEFAULT_PRECIS, kClipPrecision, ANTIALIASED_QUALITY, FF_MODERN | VARIABLE_PITCH, nullptr);
    m_text.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(g_popupFont), TRUE);
    // Template 107 has no glyph controls; these go to null handles and do nothing.
    m_glyph1.SendMessage(LCM_SETGLYPH, 0, kGlyph1);
    m_glyph2.SendMessage(LCM_SETGLYPH, 0, kGlyph2);
    // HTTRANSPARENT passes a click only to this thread's windows: transparent, with the layered
    // style, it reaches the window under the popup, whichever program has it.
    SetWindowLongA(hwnd, GWL_EXSTYLE, GetWindowLongA(hwnd, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    GetWindowRect(hwnd, &m_dialogRect);
    RECT text = {};
    GetWindowRect(m_text.m_hWnd, &text);
    m_textSize = {text.right - text.left, text.bottom - text.top};
    Hide();
}

HBRUSH CDlgNotify::RenewBackground()
{
    // One brush at a time: the previous one is no longer selected anywhere once asked again.
    if (m_background)
        DeleteObject(m_background);
    m_background = CreateBrushIndirect(&m_brushDesc);
    return m_background;
}

INT_PTR CDlgNotify::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_NCHITTEST:
            // Clicks fall through to whatever lies beneath.
            return HTTRANSPARENT;
        case WM_INITDIALOG:
            OnInitDialog(hwnd);
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    ::SendMessageA(GetWindow(hwnd, GW_OWNER), WM_COMMAND, IDM_NOTIFY_OK, 0);
                    Hide();
                    break;
                case IDCANCEL:
                    Hide();
                    break;
            }
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kWhite);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, kGrey);
            return reinterpret_cast<INT_PTR>(RenewBackground());
        }
        case WM_CTLCOLORDLG: {
            HBRUSH brush = RenewBackground();
            m_glyph2.SendMessage(LCM_SETCOLOR, kGrey, kWhite);
            m_glyph1.SendMessage(LCM_SETCOLOR, kGrey, kWhite);
            return reinterpret_cast<INT_PTR>(brush);
        }
        default:
            return DefaultProc(hwnd, msg, wParam, lParam);
    }
}

void CDlgNotify::Show(const char* text)
{
    m_countdown = 1;
    // Sized before the text goes in, so that it is laid out once, at the width it is shown at.
    FitText(text);
    m_text.SetWindowText(text);
    Place();
    // Never activated: the keyboard stays with the window the user is typing in.
    ShowWindow(SW_SHOWNOACTIVATE);
}

void CDlgNotify::FitText(const char* text)
{
    // The font mapper's choice for the popup font differs between systems, and can be wider than the
    // template allows for: the text control and the popup then grow by the shortfall. They never
    // shrink again, so the popup keeps one size once it has shown its longest text.
    HDC dc = ::GetDC(m_text.m_hWnd);
    HGDIOBJ old = SelectObject(dc, g_popupFont);
    RECT need = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(m_text.m_hWnd, dc);
    SIZE growth = m_growth;
    if (need.right - m_textSize.cx > growth.cx)
        growth.cx = need.right - m_textSize.cx;
    if (need.bottom - m_textSize.cy > growth.cy)
        growth.cy = need.bottom - m_textSize.cy;
    if (growth.cx == m_growth.cx && growth.cy == m_growth.cy)
        return;
    m_growth = growth;
    SetWindowPos(m_text.m_hWnd, nullptr, 0, 0, m_textSize.cx + m_growth.cx, m_textSize.cy + m_growth.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A layered popup keeps what it drew at the old size unless told to draw again.
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CDlgNotify::Place()
{
    int width = m_dialogRect.right - m_dialogRect.left + m_growth.cx;
    int height = m_dialogRect.bottom - m_dialogRect.top + m_growth.cy;
    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    SetWindowAlpha(m_hWnd, kPopupAlpha);
    // Only the right and bottom edges count: a taskbar at the left or top does not move the popup.
    m_x = (workArea.right - width) / 2;
    m_y = workArea.bottom * kPopupTopPercent / 100;
    m_width = width;
    m_height = height;
    MoveWindow(m_hWnd, m_x, m_y, m_width, m_height, TRUE);
    SetWindowPos(m_hWnd, HWND_TOPMOST, m_x, m_y, m_width, m_height, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CDlgNotify::Hide()
{
    // Shrunk to nothing at the origin first, so no stale frame of it can flash at the old place.
    MoveWindow(m_hWnd, 0, 0, 0, 0, TRUE);
    ShowWindow(SW_HIDE);
}
