#include "CDlgOpciones.h"

#include "resource.h"

using namespace Dorn32::Windows;

CDlgOpciones::CDlgOpciones(CSettings& settings, OptionsHost& host)
    : DornDialog(IDD_OPCIONES), m_settings(settings), m_host(host)
{
}

void CDlgOpciones::SettingsToChecks()
{
    for (size_t i = 0; i < CSettings::kFlagCount; ++i)
        if (CSettings::kFlags[i].box)
            m_boxes[i].SendMessage(BM_SETCHECK, m_settings.*CSettings::kFlags[i].member, 0);
}

void CDlgOpciones::ChecksToSettings()
{
    for (const CSettings::Flag& flag : CSettings::kFlags)
        if (flag.box)
            m_settings.*flag.member = IsDlgButtonChecked(flag.box) ? 1 : 0;
}

void CDlgOpciones::InitControls()
{
    for (size_t i = 0; i < CSettings::kFlagCount; ++i)
        if (CSettings::kFlags[i].box)
            Dorn32::Windows::AttachDlgItem(m_hWnd, CSettings::kFlags[i].box, m_boxes[i]);
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
