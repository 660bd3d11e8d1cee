// The options dialog: the main window's client area, seven boxes that mirror the settings.
#pragma once

#include "CSettings.h"
#include "DornDialog.h"
#include "OptionsHost.h"

class CDlgOpciones : public Dorn32::Windows::DornDialog
{
public:
    // Both outlive the dialog; neither is used before the dialog's window exists.
    CDlgOpciones(CSettings& settings, OptionsHost& host);

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void InitControls() override;

    // Between the settings record and the boxes.
    void SettingsToChecks();
    void ChecksToSettings();

    // In the order of the settings flags Tray to NumLockMsg (not in the order of their ids).
    Dorn32::Windows::DornWnd m_hideTray;
    Dorn32::Windows::DornWnd m_iconCaps;
    Dorn32::Windows::DornWnd m_iconScroll;
    Dorn32::Windows::DornWnd m_iconNum;
    Dorn32::Windows::DornWnd m_msgCaps;
    Dorn32::Windows::DornWnd m_msgScroll;
    Dorn32::Windows::DornWnd m_msgNum;

private:
    CSettings& m_settings;
    OptionsHost& m_host;
};
