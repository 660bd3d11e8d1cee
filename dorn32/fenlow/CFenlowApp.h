// The application object: the main window, its dialogs, the settings, the tray icons and the lock monitor.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "CDlgAcerca.h"
#include "CDlgNotify.h"
#include "CDlgOpciones.h"
#include "CSettings.h"
#include "DornApp.h"
#include "DornTrayIcon.h"

// The tray icons report to the main window with this message.
const UINT WM_TRAYNOTIFY = WM_APP + 1;
const UINT_PTR kRefreshTimerId = 0xABCDEF;

class CFenlowApp : public Dorn32::Windows::DornApp
{
public:
    CFenlowApp();
    ~CFenlowApp();

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    BOOL OnCreate(HWND hwnd);
    void RefreshLockStates();
    void OnTimerTick();
    void LoadTrayResources();
    void LayoutTrayIcons();
    LRESULT OnTrayNotify(HWND hwnd, LPARAM lParam);
    void OnCommand(UINT id);
    void ConfirmExit();
    LRESULT OnNotify(NMHDR* header);

    // Declaration order is construction order; the destructor relies on it.
    CDlgAcerca m_dlgAcerca;
    int m_popupCountdown;
    CDlgNotify m_dlgNotify;
    CDlgOpciones m_dlgOpciones;
    CSettings m_settings;
    Dorn32::Windows::DornTrayIcon m_trayPlain;
    HICON m_iconPlain;
    HMENU m_trayMenu;
    UINT m_taskbarCreatedMsg;
    HHOOK m_hook;
    Dorn32::Windows::DornTrayIcon m_trayNum;
    Dorn32::Windows::DornTrayIcon m_trayCaps;
    Dorn32::Windows::DornTrayIcon m_trayScroll;
    HICON m_iconNumOff;
    HICON m_iconNumOn;
    HICON m_iconCapsOff;
    HICON m_iconCapsOn;
    HICON m_iconScrollOff;
    HICON m_iconScrollOn;

private:
    bool m_trackingMenu;
    HMENU m_staleTrayMenu;
};

extern CFenlowApp g_app;

extern "C" __declspec(dllexport) LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
