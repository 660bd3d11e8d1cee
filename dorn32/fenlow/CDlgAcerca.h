// The about box: the product's name and version in bold, a link to its web site and the about text.
#pragma once

#include "DornDialog.h"

class CDlgAcerca : public Dorn32::Windows::DornDialog
{
public:
    CDlgAcerca();

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void InitControls() override;

    Dorn32::Windows::DornWnd m_title;
    Dorn32::Windows::DornWnd m_link;
    Dorn32::Windows::DornWnd m_aboutBox;

private:
    BOOL OnInitDialog();
    void OnCommand(int id);
    void ReleaseBoldFont();

    HFONT m_boldFont;  // made for each showing, deleted when that showing's window goes
};
