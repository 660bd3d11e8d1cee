// The application object: the main window, its dialogs, the settings, the tray icons and the lock monitor.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <list>

#include "CDlgAcerca.h"
#include "CDlgNotify.h"
#include "CDlgOpciones.h"
#include "CSettings.h"
#include "DornApp.h"
#include "DornTrayIcon.h"
#include "OptionsHost.h"

// The tray icons report to the main window with this message.
const UINT WM_TRAYNOTIFY = WM_APP + 1;
// The keyboard hook posts this for a lock-key event: the refresh runs from the message loop.
const UINT WM_LOCKKEYEVENT = WM_APP + 2;
const UINT_PTR kRefreshTimerId = 0xABCDEF;
const UINT kRefreshPeriodMs = 1000;

// The notification-area ids of the four icons: the plain one, then one per lock key.
const UINT kTrayPlainId = 0;
const UINT kTrayCapsId = 1;
const UINT kTrayScrollId = 2;
const UINT kTrayNumId = 3;
const UINT kTrayIconCount = 4;

// How far Start goes. The program goes all the way; in-process tests stop earlier and drive the rest.
enum class StartStage {
    Windows,   // the custom controls, the product record, the main window, its status bar and the popup
    Settings,  // then the stored settings in the boxes, and the window shown on a first run
    Tray,      // then the tray icons with the first refresh, and the refresh timer
};

class CFenlowApp : public Dorn32::Windows::DornApp, private OptionsHost
{
public:
    CFenlowApp();
    ~CFenlowApp();

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Start-up up to the message pump. False if the main window could not be made.
    bool Start(StartStage last = StartStage::Tray);
    BOOL OnCreate(HWND hwnd);
    void CreateStatusPanes();
    void RefreshLockStates();
    // From the keyboard hook: asks for a refresh if `vk` is a lock key, and returns at once.
    void OnKeyEvent(DWORD vk);
    void OnTimerTick();
    void StartRefreshTimer();
    void LoadTrayResources();
    void LayoutTrayIcons();
    LRESULT OnTrayNotify(HWND hwnd, LPARAM lParam);
    void OnCommand(UINT id);
    void ConfirmExit();
    // A message box with string `stringId`, titled with the product name.
    int ShowMessage(UINT stringId, UINT type);
    LRESULT OnNotify(NMHDR* header);

    // Declaration order is construction order; the destructor relies on it.
    CDlgAcerca m_dlgAcerca;
    int m_popupCountdown;
    CDlgNotify m_dlgNotify;
    CSettings m_settings;
    CDlgOpciones m_dlgOpciones;
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

    // The tray's pictures: the member that holds each and its icon resource.
    struct TrayPicture
    {
        HICON CFenlowApp::*icon;
        int id;
    };
    static constexpr size_t kTrayPictureCount = 7;
    static const TrayPicture kTrayPictures[kTrayPictureCount];

private:
    void OnSettingsChosen(bool stored) override;
    void OnOptionsDismissed() override;
    Dorn32::Windows::DornTrayIcon& TraySlot(UINT id);
    bool TrayIconChosen(UINT id) const;
    bool AddTrayIcon(UINT id, HICON picture);
    void RestoreMissingTrayIcons();

    // Icons the shell refused or lost, by id; the timer tick adds them again.
    bool m_trayMissing[kTrayIconCount];
    // When each icon was last added (GetTickCount), and when the refresh timer was started.
    DWORD m_trayAddedAt[kTrayIconCount];
    DWORD m_timerStartedAt;
    // A refresh is posted and not yet run: a burst of lock-key events asks for one.
    bool m_refreshPosted;
    // The last refresh showed the popup: its time counts from the next tick.
    bool m_announced;
    // Tray menus open now (TPM_RECURSE lets them nest), and menus replaced while one was open.
    int m_menuDepth;
    std::list<HMENU> m_staleTrayMenus;  // a list: a vector would link the library's string-based errors (~90 KiB)
};

extern CFenlowApp g_app;

extern "C" __declspec(dllexport) LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
