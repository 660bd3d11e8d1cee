#include "DornDialog.h"

namespace Dorn32 {
namespace Windows {

// Built before, and destroyed after, the application's static dialog objects in other files.
#if defined(_MSC_VER)
#pragma warning(disable : 4073)
#pragma init_seg(lib)
std::list<DornWnd*> g_modelessDialogs;
#else
std::list<DornWnd*> g_modelessDialogs __attribute__((init_priority(200)));
#endif

namespace {

// Messages whose result the dialog procedure returns itself rather than through DWL_MSGRESULT.
bool ReturnsResultDirectly(UINT msg)
{
    switch (msg) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

}  // namespace

DornDialog::DornDialog(int templateId) : m_templateId(templateId), m_modal(0), m_callingDefault(0) {}

DornDialog::~DornDialog()
{
    g_modelessDialogs.remove(this);
}

INT_PTR DornDialog::DoModal(HINSTANCE instance, HWND parent)
{
    m_hWnd = nullptr;
    m_callingDefault = 0;
    m_modal = 1;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(m_templateId), parent, StaticDlgProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND DornDialog::CreateModeless(HINSTANCE instance, HWND parent, int showCommand)
{
    m_hWnd = nullptr;
    m_modal = 0;
    m_callingDefault = 0;
    m_hWnd = CreateDialogParamA(instance, MAKEINTRESOURCEA(m_templateId), parent, StaticDlgProc,
                                reinterpret_cast<LPARAM>(this));
    ::ShowWindow(m_hWnd, showCommand);
    if (m_hWnd)
        g_modelessDialogs.push_back(this);
    return m_hWnd;
}

BOOL DornDialog::Close(HWND dialog)
{
    if (m_modal)
        return EndDialog(dialog, 0);
    return DestroyWindow(dialog);
}

LRESULT DornDialog::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // DefDlgProcA calls StaticDlgProc first; the flag makes that nested call answer FALSE at once.
    m_callingDefault = 1;
    return DefDlgProcA(hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK DornDialog::StaticDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
        auto* created = reinterpret_cast<DornDialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        created->m_hWnd = hwnd;
        created->InitControls();
    }
    auto* dialog = reinterpret_cast<DornDialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!dialog)
        return FALSE;
    dialog->m_hWnd = hwnd;
    if (dialog->m_callingDefault) {
        dialog->m_callingDefault = 0;
        return FALSE;
    }
    if (ReturnsResultDirectly(msg))
        return dialog->DialogProc(hwnd, msg, wParam, lParam);
    LRESULT result = dialog->DialogProc(hwnd, msg, wParam, lParam);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

BOOL DornDialog::IsModelessDialogMessage(MSG* msg)
{
    // Nothing of the list is touched once a dialog has taken the message: handling it may have
    // destroyed a dialog object and with it that object's entry.
    for (DornWnd* dialog : g_modelessDialogs) {
        if (IsDialogMessageA(dialog->m_hWnd, msg))
            return TRUE;
    }
    return FALSE;
}

}  // namespace Windows
}  // namespace Dorn32
