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

    // One per settings flag, in the record's order; a flag without a box leaves its slot empty.
    Dorn32::Windows::DornWnd m_boxes[CSettings::kFlagCount];

private:
    CSettings& m_settings;
    OptionsHost& m_host;
};
