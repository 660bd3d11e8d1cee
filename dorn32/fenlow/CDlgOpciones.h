// The options dialog: the main window's client area, seven boxes that mirror the settings.
#pragma once

#include "DornDialog.h"

class CDlgOpciones : public Dorn32::Windows::DornDialog
{
public:
    CDlgOpciones();

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void InitControls() override;

    // In the order of the settings flags Tray to NumLockMsg (not in the order of their ids).
    Dorn32::Windows::DornWnd m_hideTray;
    Dorn32::Windows::DornWnd m_iconCaps;
    Dorn32::Windows::DornWnd m_iconScroll;
    Dorn32::Windows::DornWnd m_iconNum;
    Dorn32::Windows::DornWnd m_msgCaps;
    Dorn32::Windows::DornWnd m_msgScroll;
    Dorn32::Windows::DornWnd m_msgNum;
};

// Between the application's settings record and its options dialog.
void SettingsToChecks();
void ChecksToSettings();
