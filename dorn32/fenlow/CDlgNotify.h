// The translucent, always-on-top popup that announces a lock-key change; created once, hidden, reused.
#pragma once

#include "DornDialog.h"

class CDlgNotify : public Dorn32::Windows::DornDialog
{
public:
    // countdown: the application's tick counter that hides the popup; Show sets it to 1.
    explicit CDlgNotify(int& countdown);

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void InitControls() override;

    void Show(const char* text);
    void Place();
    void Hide();

    HBRUSH m_background;
    LOGBRUSH m_brushDesc;
    int m_x;
    int m_y;
    int m_width;
    int m_height;
    RECT m_dialogRect;
    Dorn32::Windows::DornWnd m_text;
    Dorn32::Windows::DornWnd m_glyph1;
    Dorn32::Windows::DornWnd m_glyph2;

private:
    void OnInitDialog(HWND hwnd);
    void FitText(const char* text);
    HBRUSH RenewBackground();

    SIZE m_textSize;  // the text control's size in the template
    SIZE m_growth;    // what the popup and its text control grow by for the text shown

    int& m_countdown;
};

// Makes a window layered with a constant opacity; false where the system cannot.
bool SetWindowAlpha(HWND window, BYTE alpha);

// The popup's bold font, made when the popup is created and kept for the whole run.
extern HFONT g_popupFont;
