#include "CDlgOpciones.h"

#include "resource.h"

using namespace Dorn32::Windows;

namespace {

struct Box
{
    int id;
    DornWnd CDlgOpciones::*control;
    BYTE CSettings::*flag;
};

const Box kBoxes[] = {
    {IDC_HIDE_TRAY, &CDlgOpciones::m_hideTray, &CSettings::Tray},
    {IDC_ICON_CAPS, &CDlgOpciones::m_iconCaps, &CSettings::CapLock},
    {IDC_ICON_SCROLL, &CDlgOpciones::m_iconScroll, &CSettings::ScrLock},
    {IDC_ICON_NUM, &CDlgOpciones::m_iconNum, &CSettings::NumLock},
    {IDC_MSG_CAPS, &CDlgOpciones::m_msgCaps, &CSettings::CapLockMsg},
    {IDC_MSG_SCROLL, &CDlgOpciones::m_msgScroll, &CSettings::ScrLockMsg},
    {IDC_MSG_NUM, &CDlgOpciones::m_msgNum, &CSettings::NumLockMsg},
};

}  // namespace

CDlgOpciones::CDlgOpciones(CSettings& settings, OptionsHost& host)
    : DornDialog(IDD_OPCIONES), m_settings(settings), m_host(host)
{
}

void CDlgOpciones::SettingsToChecks()
{
    for (const Box& box : kBoxes)
        (this->*box.control).SendMessage(BM_SETCHECK, m_settings.*box.flag, 0);
}

void CDlgOpciones::ChecksToSettings()
{
    for (const Box& box : kBoxes)
        m_settings.*box.flag = IsDlgButtonChecked(box.id) ? 1 : 0;
}

void CDlgOpciones::InitControls()
{
    for (const Box& box : kBoxes)
        Dorn32::Windows::AttachDlgItem(m_hWnd, box.id, this->*box.control);
}

INT_PTR CDlgOpciones::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_INITDIALOG:
            SettingsToChecks();
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    ChecksToSettings();
                    m_host.OnSettingsChosen(m_settings.Save());
                    break;
                case IDCANCEL:
                    SettingsToChecks();
                    m_host.OnOptionsDismissed();
                    break;
            }
            return 0;
        default:
            return DefaultProc(hwnd, msg, wParam, lParam);
    }
}
