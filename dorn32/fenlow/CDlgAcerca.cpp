#include "CDlgAcerca.h"

#include <windows.h>
#include <shellapi.h>
#include <stdio.h>

#include "DornControls.h"
#include "ProductInfo.h"
#include "resource.h"
#include "version.h"

using namespace Dorn32::Windows;

CDlgAcerca::CDlgAcerca() : DornDialog(IDD_ACERCA), m_boldFont(nullptr) {}

void CDlgAcerca::InitControls()
{
    m_title.AttachDlgItem(IDC_ABOUT_TITLE, m_hWnd);
    m_link.AttachDlgItem(IDC_ABOUT_LINK, m_hWnd);
    m_aboutBox.AttachDlgItem(IDC_ABOUT_TEXT, m_hWnd);
}

INT_PTR CDlgAcerca::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_DESTROY:
            ReleaseBoldFont();
            break;
        default:
            break;
    }
    return DefaultProc(hwnd, msg, wParam, lParam);
}

BOOL CDlgAcerca::OnInitDialog()
{
    ReleaseBoldFont();  // a showing that never got its WM_DESTROY must not leak its font
    LOGFONTA logFont = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfWeight = FW_BOLD;
    m_boldFont = CreateFontIndirectA(&logFont);

    char title[100];
    snprintf(title, sizeof(title), "%s v%s", g_productInfo.productName, g_productInfo.productVersion);
    m_title.SendMessage(LCM_SETFONTTEXT, reinterpret_cast<WPARAM>(m_boldFont), reinterpret_cast<LPARAM>(title));
    // No font: the link keeps its own underlined one.
    m_link.SendMessage(LCM_SETFONTTEXT, 0, reinterpret_cast<LPARAM>(FENLOW_WEBSITE));
    m_link.SendMessage(LCM_SETCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_HOTLIGHT)));
    m_aboutBox.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_productInfo.aboutText));
    return TRUE;  // the dialog manager focuses the first tab stop, OK
}

void CDlgAcerca::OnCommand(int id)
{
    switch (id) {
        case IDOK:
        case IDCANCEL:
            Close(m_hWnd);
            break;
        case IDC_ABOUT_LINK:
            ShellExecuteA(nullptr, "open", FENLOW_WEBSITE, nullptr, nullptr, SW_SHOWNORMAL);
            break;
        default:
            break;
    }
}

void CDlgAcerca::ReleaseBoldFont()
{
    // The title label may draw with the font until the dialog's window goes, no longer.
    if (m_boldFont)
        DeleteObject(m_boldFont);
    m_boldFont = nullptr;
}
