#include "CFenlowApp.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "Dorn32.h"
#include "DornControls.h"
#include "ProductInfo.h"
#include "resource.h"
#include "version.h"

using namespace Dorn32::Windows;

namespace {

// What the lock monitor saw last; the first refresh of the process only records, never announces.
BYTE g_prevCapLock;
BYTE g_prevNumLock;
BYTE g_prevScrLock;
BYTE g_lockMonitorReady;

struct LockKey
{
    int vk;
    UINT trayId;
    BYTE CSettings::*trayChosen;
    DornTrayIcon CFenlowApp::*tray;
    HICON CFenlowApp::*iconOn;
    HICON CFenlowApp::*iconOff;
    const char* tipOn;
    const char* tipOff;
    int pane;
    const char* paneOn;
    const char* popupOn;
    const char* popupOff;
    BYTE CSettings::*notify;
    BYTE* previous;
};

// Refreshed in this order: the last announcement of one refresh is the one left on screen.
const LockKey kLockKeys[] = {
    {VK_CAPITAL, kTrayCapsId, &CSettings::CapLock, &CFenlowApp::m_trayCaps, &CFenlowApp::m_iconCapsOn,
     &CFenlowApp::m_iconCapsOff, "Capital: ON", "Capital: OFF", 1, "CAP", "Caps. Lock: ON", "Caps. Lock: OFF",
     &CSettings::CapLockMsg, &g_prevCapLock},
    {VK_SCROLL, kTrayScrollId, &CSettings::ScrLock, &CFenlowApp::m_trayScroll, &CFenlowApp::m_iconScrollOn,
     &CFenlowApp::m_iconScrollOff, "Scroll: ON", "Scroll: OFF", 2, "SCR", "Scr. Lock: ON", "Scr. Lock: OFF",
     &CSettings::ScrLockMsg, &g_prevScrLock},
    {VK_NUMLOCK, kTrayNumId, &CSettings::NumLock, &CFenlowApp::m_trayNum, &CFenlowApp::m_iconNumOn,
     &CFenlowApp::m_iconNumOff, "Nunlock: ON", "Nunlock: OFF", 3, "NUM", "Num. Lock: ON", "Num. Lock: OFF",
     &CSettings::NumLockMsg, &g_prevNumLock},
};

const char kPaneOff[] = "   ";

// The main window's size at 96 dpi; its width grows with the density, its height with its content.
const int kWindowWidth = 320;
const int kWindowHeight = 356;

// The status panes' right edges at 96 dpi: the product name, then Caps, Scroll and Num Lock.
// The last ends at 249, not 250, as it always has.
const int kPaneRightEdges[] = {100, 150, 200, 249};
const int kPaneCount = sizeof(kPaneRightEdges) / sizeof(kPaneRightEdges[0]);

// The tray menu opens at the cursor with its right edge there, tracks either button, may open
// while another is open (a taskbar restart can reload it), and animates both ways vertically.
const UINT kTrayMenuFlags = TPM_RIGHTALIGN | TPM_RIGHTBUTTON | TPM_RECURSE | TPM_VERPOSANIMATION | TPM_VERNEGANIMATION;

}  // namespace

const CFenlowApp::TrayPicture CFenlowApp::kTrayPictures[kTrayPictureCount] = {
    {&CFenlowApp::m_iconPlain, IDI_TRAY},
    {&CFenlowApp::m_iconCapsOff, IDI_CAPSLOCK_OFF},
    {&CFenlowApp::m_iconCapsOn, IDI_CAPSLOCK_ON},
    {&CFenlowApp::m_iconNumOff, IDI_NUMLOCK_OFF},
    {&CFenlowApp::m_iconNumOn, IDI_NUMLOCK_ON},
    {&CFenlowApp::m_iconScrollOff, IDI_SCROLLLOCK_OFF},
    {&CFenlowApp::m_iconScrollOn, IDI_SCROLLLOCK_ON},
};

namespace {

// The icon's frame for the screen's small-icon size, the size the notification area shows.
HICON LoadSmallIcon(int id)
{
    return static_cast<HICON>(LoadImageA(g_hInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

const LockKey* KeyOfTrayIcon(UINT id)
{
    const LockKey* end = std::end(kLockKeys);
    const LockKey* key = std::find_if(std::begin(kLockKeys), end, [id](const LockKey& k) { return k.trayId == id; });
    return key == end ? nullptr : key;
}

// A sent message (a "TaskbarCreated" that is sent, not posted) can run inside a refresh while a tray
// request waits on the shell: that nested refresh only asks the running one to go round again.
bool g_refreshing;
bool g_refreshAgain;

}  // namespace

CFenlowApp::CFenlowApp()
    : m_popupCountdown(0),
      m_dlgNotify(m_popupCountdown),
      m_dlgOpciones(m_settings, *this),
      m_iconPlain(nullptr),
      m_trayMenu(nullptr),
      m_taskbarCreatedMsg(0),
      m_hook(nullptr),
      m_iconNumOff(nullptr),
      m_iconNumOn(nullptr),
      m_iconCapsOff(nullptr),
      m_iconCapsOn(nullptr),
      m_iconScrollOff(nullptr),
      m_iconScrollOn(nullptr),
      m_trayMissing(),
      m_trayAddedAt(),
      m_timerStartedAt(0),
      m_refreshPosted(false),
      m_announced(false),
      m_menuDepth(0)
{
    // The record is filled later; the window takes whatever it holds when it is created.
    m_title = g_productInfo.productName;
    m_iconName = MAKEINTRESOURCEA(IDI_FENLOW);
    m_menuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    m_style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    m_exStyle = 0;
    m_width = kWindowWidth;
    m_height = kWindowHeight;
}

CFenlowApp::~CFenlowApp()
{
    // No icon may outlive the process in the notification area.
    m_trayPlain.Delete();
    m_trayCaps.Delete();
    m_trayScroll.Delete();
    m_trayNum.Delete();
}

LRESULT CFenlowApp::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
        case WM_CREATE:
            return OnCreate(hwnd) ? 0 : -1;
        case WM_DESTROY:
            m_trayPlain.Delete();
            m_trayMissing[kTrayPlainId] = false;  // gone on purpose: no tick may bring it back
            UnhookWindowsHookEx(m_hook);
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            RecalcLayout(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            if (wParam == SIZE_MINIMIZED)
                ShowWindow(SW_HIDE);  // minimised means gone to the tray, off the taskbar
            return 0;
        case WM_CLOSE:
            ConfirmExit();
            return 0;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            OnTimerTick();
            return 0;
        case WM_TRAYNOTIFY:
            return OnTrayNotify(hwnd, lParam);
        case WM_LOCKKEYEVENT:
            // Cleared first: a key that comes while this refresh waits on the shell asks for another.
            m_refreshPosted = false;
            RefreshLockStates();
            return 0;
        default:
            if (msg == m_taskbarCreatedMsg && m_taskbarCreatedMsg != 0)
                LoadTrayResources();
            return DefaultProc(hwnd, msg, wParam, lParam);
    }
}

bool CFenlowApp::Start(StartStage last)
{
    InitCommonControls();
    RegisterCustomControls();
    g_productInfo.Load(FENLOW_PRODUCT_NAME, g_disclaimer);
    if (!RegisterWindowClass() || !CreateMainWindow())
        return false;
    CreateStatusPanes();
    m_dlgNotify.CreateModeless(g_hInstance, m_hWnd, SW_HIDE);
    if (last == StartStage::Windows)
        return true;

    m_settings.Load();
    m_dlgOpciones.SettingsToChecks();
    // Until the settings have been saved once, every start shows the settings window.
    if (m_settings.Init == 0) {
        m_settings.Init = 1;
        ShowWindow(SW_SHOW);
    } else {
        ShowWindow(SW_HIDE);
    }
    UpdateWindow();
    if (last == StartStage::Settings)
        return true;

    LoadTrayResources();
    StartRefreshTimer();
    return true;
}

BOOL CFenlowApp::OnCreate(HWND hwnd)
{
    // m_hWnd is still null here: everything uses the handle WM_CREATE came with.
    m_taskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
    m_dlgOpciones.CreateModeless(g_hInstance, hwnd, SW_SHOWNORMAL);
    SetClientWindow(m_dlgOpciones.m_hWnd);
    m_hook = SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, g_hInstance, 0);
    return TRUE;
}

void CFenlowApp::CreateStatusPanes()
{
    CreateStatusBar(WS_CHILD | WS_VISIBLE);
    // At other densities the panes widen with the font.
    int rightEdges[kPaneCount];
    for (int i = 0; i < kPaneCount; ++i)
        rightEdges[i] = ScaleForDpi(kPaneRightEdges[i], LOGPIXELSX);
    ::SendMessageA(m_hStatusBar, SB_SETPARTS, kPaneCount, reinterpret_cast<LPARAM>(rightEdges));
    ::SendMessageA(m_hStatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(g_productInfo.productName));
    // The whole options dialog shows above the bar, whatever the density and the dialog font.
    FitToClient();
}

void CFenlowApp::RefreshLockStates()
{
    if (g_refreshing) {
        g_refreshAgain = true;
        return;
    }
    g_refreshing = true;
    m_announced = false;
    do {
        g_refreshAgain = false;
        for (const LockKey& key : kLockKeys) {
            BYTE on = (GetKeyState(key.vk) & 1) ? 1 : 0;
            DornTrayIcon& tray = this->*key.tray;
            bool iconTaken = tray.SetIcon(on ? this->*key.iconOn : this->*key.iconOff);
            bool tipTaken = tray.SetTip(on ? key.tipOn : key.tipOff);
            // Both refused: the shell no longer has a chosen icon. Only noted here, so that the
            // hook's path makes no more calls than these; the timer tick adds it again.
            m_trayMissing[key.trayId] = m_settings.*key.trayChosen && !iconTaken && !tipTaken;
            ::SendMessageA(m_hStatusBar, SB_SETTEXTA, key.pane, reinterpret_cast<LPARAM>(on ? key.paneOn : kPaneOff));
            if (g_lockMonitorReady && *key.previous != on && m_settings.*key.notify) {
                m_dlgNotify.Show(on ? key.popupOn : key.popupOff);
                m_announced = true;
            }
            *key.previous = on;
        }
        g_lockMonitorReady = 1;
    } while (g_refreshAgain);
    g_refreshing = false;
}

void CFenlowApp::OnKeyEvent(DWORD vk)
{
    const LockKey* end = std::end(kLockKeys);
    if (std::none_of(std::begin(kLockKeys), end, [vk](const LockKey& k) { return static_cast<DWORD>(k.vk) == vk; }))
        return;
    // The hook must return at once: Windows removes a low-level hook that keeps input waiting, and
    // the key reaches the key state only after the hook. The refresh runs from the message loop.
    if (!m_refreshPosted)
        m_refreshPosted = PostMessage(WM_LOCKKEYEVENT, 0, 0) != FALSE;
}

void CFenlowApp::OnTimerTick()
{
    RefreshLockStates();
    RestoreMissingTrayIcons();
    // A popup this tick has just shown is up for two to three ticks from now, as from any refresh.
    if (m_announced) {
        m_announced = false;
        return;
    }
    int before = m_popupCountdown;
    // Held at -1 while nothing is pending, so the counter never wraps in a long session.
    m_popupCountdown = before < 0 ? -1 : before - 1;
    if (before < 0)
        m_dlgNotify.Hide();
}

void CFenlowApp::StartRefreshTimer()
{
    // Read before the timer is set, so that each tick falls in the period it is due in.
    m_timerStartedAt = GetTickCount();
    SetTimer(m_hWnd, kRefreshTimerId, kRefreshPeriodMs, nullptr);
}

void CFenlowApp::LoadTrayResources()
{
    // The tray shows small icons: LoadIconA would give the large size, which the shell then shrinks.
    // Not shared, so each reload makes new handles; the old ones go once the new are in every slot.
    HICON old[std::size(kTrayPictures)];
    for (size_t i = 0; i < std::size(kTrayPictures); ++i) {
        old[i] = this->*kTrayPictures[i].icon;
        this->*kTrayPictures[i].icon = LoadSmallIcon(kTrayPictures[i].id);
    }

    LayoutTrayIcons();

    // The popup is taken out of its menu bar so that the one handle kept is all there is to free.
    HMENU bar = LoadMenuA(g_hInstance, MAKEINTRESOURCEA(IDR_TRAYMENU));
    HMENU menu = GetSubMenu(bar, 0);
    if (menu) {
        RemoveMenu(bar, 0, MF_BYPOSITION);
        DestroyMenu(bar);
        SetMenuDefaultItem(menu, IDM_TRAY_SHOW, FALSE);
        // A taskbar restart can arrive while menus are open: free the old one once all have closed.
        if (m_menuDepth > 0 && m_trayMenu)
            m_staleTrayMenus.push_back(m_trayMenu);
        else if (m_trayMenu)
            DestroyMenu(m_trayMenu);
        m_trayMenu = menu;
    } else if (bar) {
        DestroyMenu(bar);
    }

    RefreshLockStates();
    for (HICON icon : old)
        if (icon)
            DestroyIcon(icon);
}

void CFenlowApp::LayoutTrayIcons()
{
    m_trayNum.Delete();
    m_trayScroll.Delete();
    m_trayCaps.Delete();
    m_trayPlain.Delete();
    // A refused add is noted; the refresh after a layout judges the lock icons again.
    m_trayMissing[kTrayPlainId] = TrayIconChosen(kTrayPlainId) && !AddTrayIcon(kTrayPlainId, m_iconPlain);
    for (const LockKey& key : kLockKeys)
        m_trayMissing[key.trayId] = TrayIconChosen(key.trayId) && !AddTrayIcon(key.trayId, this->*key.iconOff);
}

DornTrayIcon& CFenlowApp::TraySlot(UINT id)
{
    const LockKey* key = KeyOfTrayIcon(id);
    return key ? this->*key->tray : m_trayPlain;
}

bool CFenlowApp::TrayIconChosen(UINT id) const
{
    if (const LockKey* key = KeyOfTrayIcon(id))
        return m_settings.*key->trayChosen != 0;
    // The plain icon stands in for the lock icons when none is chosen.
    return std::none_of(std::begin(kLockKeys), std::end(kLockKeys),
                        [this](const LockKey& key) { return m_settings.*key.trayChosen != 0; });
}

bool CFenlowApp::AddTrayIcon(UINT id, HICON picture)
{
    m_trayAddedAt[id] = GetTickCount();
    return TraySlot(id).Add(m_hWnd, id, WM_TRAYNOTIFY, g_productInfo.productName, picture);
}

void CFenlowApp::RestoreMissingTrayIcons()
{
    DWORD now = GetTickCount();
    for (UINT id = 0; id < kTrayIconCount; ++id) {
        // One add per icon in each period of the refresh timer, however the ticks bunch up: a
        // late tick and the one after it on time still get one try each.
        bool addedThisPeriod =
            (now - m_timerStartedAt) / kRefreshPeriodMs == (m_trayAddedAt[id] - m_timerStartedAt) / kRefreshPeriodMs;
        if (!m_trayMissing[id] || !TrayIconChosen(id) || addedThisPeriod)
            continue;
        // A shell that has just come back says so; its "TaskbarCreated" lays every icon out anew.
        MSG pending;
        if (m_taskbarCreatedMsg &&
            PeekMessageA(&pending, nullptr, m_taskbarCreatedMsg, m_taskbarCreatedMsg, PM_NOREMOVE))
            return;
        DornTrayIcon& slot = TraySlot(id);
        // A lock icon comes back with the picture the refresh has just put in its slot.
        HICON picture = id == kTrayPlainId ? m_iconPlain : slot.hIcon;
        // Refused, perhaps because an add that timed out landed after all: one modify tells.
        m_trayMissing[id] = !AddTrayIcon(id, picture) && !slot.Modify();
    }
}

LRESULT CFenlowApp::OnTrayNotify(HWND hwnd, LPARAM lParam)
{
    switch (lParam) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            POINT cursor;
            GetCursorPos(&cursor);
            HWND before = ::GetForegroundWindow();
            // Foreground first, or the menu does not close when the user clicks elsewhere.
            SetForegroundWindow();
            ++m_menuDepth;
            TrackPopupMenuEx(m_trayMenu, kTrayMenuFlags, cursor.x, cursor.y, hwnd, nullptr);
            // Menus replaced meanwhile go when the outermost one has closed, each once.
            if (--m_menuDepth == 0) {
                for (HMENU stale : m_staleTrayMenus)
                    DestroyMenu(stale);
                m_staleTrayMenus.clear();
            }
            // Closed without a choice over a window nobody sees: the keys go back where the user typed.
            MSG chosen;
            if (!IsWindowVisible(hwnd) && ::GetForegroundWindow() == hwnd && before && before != hwnd &&
                IsWindowVisible(before) && !PeekMessageA(&chosen, hwnd, WM_COMMAND, WM_COMMAND, PM_NOREMOVE))
                ::SetForegroundWindow(before);
            // Posted, not sent: the menu must find a message in the queue, or it does not close or
            // reopen properly.
            PostMessage(WM_NULL, 0, 0);
            break;
        }
        case WM_LBUTTONDBLCLK:
            ShowWindow(SW_SHOWNORMAL);
            break;
    }
    return 0;
}

// Installers end the copy already running by sending it this id: a new number would leave
// upgrades over older copies waiting on a program that never quits.
static_assert(IDM_TRAY_EXIT == 40006, "the tray menu's Exit id is fixed across releases");
// The same installers, and the tests, find running copies by the main window's class.
static_assert(std::string_view(DORN_DEFAULT_CLASS_NAME) == "dorncapplication",
              "the main window's class is fixed across releases");

void CFenlowApp::OnCommand(UINT id)
{
    switch (id) {
        case IDM_SALIR:
            PostMessage(WM_CLOSE, 0, 0);
            break;
        case IDM_ABOUT:
            m_dlgAcerca.DoModal(g_hInstance, m_hWnd);
            break;
        case IDM_TRAY_SHOW:
            ShowWindow(SW_SHOWNORMAL);
            break;
        case IDM_TRAY_EXIT:
            PostMessage(WM_DESTROY, 0, 0);
            break;
        case IDCANCEL:
            PostQuitMessage(0);
            break;
    }
}

void CFenlowApp::OnSettingsChosen(bool stored)
{
    LayoutTrayIcons();
    // After the layout, so freshly added icons show the current state at once.
    RefreshLockStates();
    ShowWindow(SW_HIDE);
    // The choices apply until the program ends either way; the user should know they will not last.
    if (!stored)
        ShowMessage(IDS_SAVE_FAILED, MB_OK | MB_ICONWARNING);
}

void CFenlowApp::OnOptionsDismissed()
{
    ShowWindow(SW_HIDE);
}

int CFenlowApp::ShowMessage(UINT stringId, UINT type)
{
    char text[1024];
    LoadStringA(g_hInstance, stringId, text, sizeof(text));
    return MessageBox(text, g_productInfo.productName, type);
}

void CFenlowApp::ConfirmExit()
{
    if (ShowMessage(IDS_CONFIRM_EXIT, MB_YESNO | MB_ICONQUESTION) == IDYES)
        PostMessage(WM_DESTROY, 0, 0);
}

LRESULT CFenlowApp::OnNotify(NMHDR* header)
{
    if (header->code != TTN_GETDISPINFOA)
        return 0;
    UINT stringId = 0;
    if (header->idFrom == IDM_SALIR)
        stringId = IDS_SALIR;
    else if (header->idFrom == IDM_ABOUT)
        stringId = IDS_ACERCA;
    if (stringId) {
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        LoadStringA(g_hInstance, stringId, info->szText, sizeof(info->szText));
    }
    return 0;
}
