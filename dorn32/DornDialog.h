// A dialog from a template id with a virtual dialog procedure, shown modal or created modeless.
#pragma once

#include <list>

#include "DornWnd.h"

namespace Dorn32 {
namespace Windows {

class DornDialog : public DornWnd
{
public:
    explicit DornDialog(int templateId);
    // Takes the object off the modeless-dialog list, so that the pump never asks a dialog that is gone.
    ~DornDialog();
    DornDialog(const DornDialog&) = delete;
    DornDialog& operator=(const DornDialog&) = delete;

    virtual INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual void InitControls() {}

    INT_PTR DoModal(HINSTANCE instance, HWND parent);
    HWND CreateModeless(HINSTANCE instance, HWND parent, int showCommand);
    BOOL Close(HWND dialog);
    LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    static INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static BOOL IsModelessDialogMessage(MSG* msg);

    int m_templateId;
    int m_modal;
    int m_callingDefault;
};

// Every dialog created modeless, in creation order; the pump offers each message to them.
extern std::list<DornWnd*> g_modelessDialogs;

}  // namespace Windows
}  // namespace Dorn32
