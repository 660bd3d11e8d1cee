#include "FakeTray.h"

#include <shellapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace e2e {

// ------------------------------------------------------------------------------------------
// Pictures

IconPicture ResourcePicture(const std::wstring& exePath, int resId, int width, int height)
{
    HMODULE module = LoadLibraryExW(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return {};
    auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resId), IMAGE_ICON, width, height, 0));
    IconPicture picture = PictureOf(icon);
    if (icon)
        DestroyIcon(icon);
    FreeLibrary(module);
    return picture;
}

bool PictureMatchesResource(const IconPicture& got, const std::wstring& exePath, int resId)
{
    return !got.Empty() && ResourcePicture(exePath, resId, got.width, got.height) == got;
}

bool IconMatchesResource(const TrayIcon& icon, const std::wstring& exePath, int resId)
{
    return PictureMatchesResource(icon.picture, exePath, resId);
}

// ------------------------------------------------------------------------------------------
// The stand-in window

struct FakeTray::State
{
    struct Stored
    {
        TrayIcon icon;
        std::vector<uint8_t> sentPicture;  // TrayRecording::Lean: the record from kIconWidth on
    };

    explicit State(TrayRecording r) : recording(r) {}

    const TrayRecording recording;
    mutable std::mutex lock;
    std::vector<Stored> icons;
    std::vector<TrayCall> calls;
    size_t callCount = 0;
    size_t failedCount = 0;
    UINT armedId = 0;
    std::function<void()> armed;
    HWND watched = nullptr;
    DWORD answerDelay = 0;
    struct Refusal
    {
        int count = 0;
        bool landAnyway = false;
    };
    std::map<UINT, Refusal> refusals;  // by icon id
    size_t duplicateAdds = 0;
    HWND window = nullptr;
    std::thread thread;

    std::condition_variable started;
    bool ready = false;

    BOOL Handle(DWORD op, const uint8_t* data, size_t size);
    void Run();
};

namespace {

const wchar_t kClass[] = L"Shell_TrayWnd";

// The record Wine's Shell_NotifyIcon sends (Wine-internal, 4-byte packing): byte offsets.
enum : size_t {
    kHwnd = 0,
    kId = 4,
    kFlags = 8,
    kCallback = 12,
    kTip = 16,
    kState = 272,
    kStateMask = 276,
    kInfo = 280,
    kVersion = 792,
    kInfoTitle = 796,
    kIconWidth = 944,
    kIconHeight = 948,
    kIconPlanes = 952,
    kIconBpp = 956,
    kIconBits = 960,
};

uint32_t U32(const uint8_t* data, size_t offset)
{
    uint32_t v;
    std::memcpy(&v, data + offset, sizeof v);
    return v;
}

std::string Ansi(const uint8_t* data, size_t offset, size_t maxChars)
{
    std::wstring wide(maxChars, L'\0');
    std::memcpy(&wide[0], data + offset, maxChars * sizeof(wchar_t));
    wide.resize(std::min(wide.find(L'\0'), maxChars));
    if (wide.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
    return text;
}

// Rebuilds the icon the way the shell does (CreateIcon from the sent bits). `sent` is the
// record from kIconWidth on, `size` its length.
IconPicture DecodeIcon(const uint8_t* sent, size_t size)
{
    const size_t header = kIconBits - kIconWidth;
    if (size < header)
        return {};
    uint32_t width = U32(sent, 0), height = U32(sent, kIconHeight - kIconWidth);
    uint32_t planes = U32(sent, kIconPlanes - kIconWidth), bpp = U32(sent, kIconBpp - kIconWidth);
    if (width == 0 || height == 0 || width > 1024 || height > 1024 || planes == 0 || bpp == 0 || bpp > 32)
        return {};
    size_t maskSize = (width * height + 15) / 16 * 2;
    size_t colourSize = (planes * width * height * bpp + 15) / 16 * 2;
    if (size < header + maskSize + colourSize)
        return {};
    HICON icon = CreateIcon(nullptr, width, height, static_cast<BYTE>(planes), static_cast<BYTE>(bpp), sent + header,
                            sent + header + maskSize);
    IconPicture picture = PictureOf(icon);
    if (icon)
        DestroyIcon(icon);
    return picture;
}

LRESULT CALLBACK TrayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* state = reinterpret_cast<FakeTray::State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCCREATE:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
            break;
        case WM_COPYDATA: {
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            if (!state || !cds || !cds->lpData)
                return FALSE;
            return state->Handle(static_cast<DWORD>(cds->dwData), static_cast<const uint8_t*>(cds->lpData),
                                 cds->cbData);
        }
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

BOOL FakeTray::State::Handle(DWORD op, const uint8_t* data, size_t size)
{
    if (size < kIconBits)
        return FALSE;
    HWND owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(U32(data, kHwnd)));
    UINT id = U32(data, kId);
    UINT flags = U32(data, kFlags);

    std::function<void()> before;
    bool watchedVisible = false;
    DWORD delay = 0;
    {
        std::lock_guard<std::mutex> guard(lock);
        delay = answerDelay;
        watchedVisible = watched && IsWindowVisible(watched);
        if (armed && op == NIM_MODIFY && id == armedId) {
            before = std::move(armed);
            armed = nullptr;
        }
    }
    if (delay)
        Sleep(delay);
    // Unlocked: what it does may bring more calls to this thread before it returns.
    if (before)
        before();

    // Decoding needs GDI: do it before taking the lock.
    IconPicture picture;
    bool lean = recording == TrayRecording::Lean;
    if (!lean && (op == NIM_ADD || op == NIM_MODIFY) && (flags & NIF_ICON))
        picture = DecodeIcon(data + kIconWidth, size - kIconWidth);

    std::lock_guard<std::mutex> guard(lock);
    auto it = std::find_if(icons.begin(), icons.end(),
                           [&](const Stored& s) { return s.icon.owner == owner && s.icon.id == id; });
    bool ok = false;
    Stored* stored = nullptr;
    switch (op) {
        case NIM_ADD: {
            if (it != icons.end()) {
                ++duplicateAdds;
                break;
            }
            auto refusal = refusals.find(id);
            bool refused = refusal != refusals.end() && refusal->second.count > 0;
            if (refused)
                --refusal->second.count;
            if (!refused || refusal->second.landAnyway) {
                Stored added;
                added.icon.owner = owner;
                added.icon.id = id;
                GetWindowThreadProcessId(owner, &added.icon.pid);
                icons.push_back(std::move(added));
                stored = &icons.back();
                ok = !refused;
            }
            break;
        }
        case NIM_MODIFY:
            if (it != icons.end()) {
                stored = &*it;
                ok = true;
            }
            break;
        case NIM_DELETE:
            if (it != icons.end()) {
                icons.erase(it);
                ok = true;
            }
            break;
        case NIM_SETVERSION:
            if (it != icons.end()) {
                it->icon.version = U32(data, kVersion);
                ok = true;
            }
            break;
        default:
            break;
    }
    if (stored) {
        TrayIcon* icon = &stored->icon;
        icon->flags |= flags;
        if (flags & NIF_MESSAGE)
            icon->callbackMessage = U32(data, kCallback);
        if (flags & NIF_TIP)
            icon->tip = Ansi(data, kTip, 128);
        if ((flags & NIF_ICON) && lean)
            stored->sentPicture.assign(data + kIconWidth, data + size);  // same size: no new memory
        else if (flags & NIF_ICON)
            icon->picture = picture;  // the log keeps it too
        if (flags & NIF_STATE) {
            DWORD mask = U32(data, kStateMask);
            icon->state = (icon->state & ~mask) | (U32(data, kState) & mask);
        }
        if (flags & NIF_INFO) {
            icon->info = Ansi(data, kInfo, 256);
            icon->infoTitle = Ansi(data, kInfoTitle, 64);
        }
    }
    ++callCount;
    failedCount += !ok;
    if (!lean)
        calls.push_back({op, owner, id, flags, ok, (flags & NIF_TIP) ? Ansi(data, kTip, 128) : std::string(), picture,
                         watchedVisible});
    return ok ? TRUE : FALSE;
}

void FakeTray::State::Run()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TrayProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);

    // Visible, because the system takes the work area from the first visible window of this
    // class; topmost, so it stays ahead of the real one in z-order.
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"", WS_POPUP, 0, cy - 20,
                                cx, 20, nullptr, nullptr, instance, this);
    if (hwnd)
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    {
        std::lock_guard<std::mutex> guard(lock);
        window = hwnd;
        ready = true;
    }
    started.notify_all();
    if (hwnd) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    }
    UnregisterClassW(kClass, instance);
}

FakeTray::FakeTray(TrayRecording recording) : m_state(std::make_unique<State>(recording))
{
    m_state->thread = std::thread([s = m_state.get()] { s->Run(); });
    std::unique_lock<std::mutex> guard(m_state->lock);
    m_state->started.wait(guard, [this] { return m_state->ready; });
}

FakeTray::~FakeTray()
{
    HWND hwnd = Window();
    if (hwnd)
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    m_state->thread.join();
}

HWND FakeTray::Window() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->window;
}

std::vector<TrayIcon> FakeTray::Icons() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    std::vector<TrayIcon> icons;
    for (const State::Stored& s : m_state->icons)
        icons.push_back(s.icon);
    return icons;
}

std::vector<TrayIcon> FakeTray::IconsOf(DWORD pid) const
{
    std::vector<TrayIcon> mine;
    for (const TrayIcon& icon : Icons())
        if (icon.pid == pid)
            mine.push_back(icon);
    return mine;
}

std::optional<TrayIcon> FakeTray::Find(HWND owner, UINT id) const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    for (const State::Stored& s : m_state->icons)
        if (s.icon.owner == owner && s.icon.id == id)
            return s.icon;
    return std::nullopt;
}

std::optional<TrayIcon> FakeTray::FindByPid(DWORD pid, UINT id) const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    for (const State::Stored& s : m_state->icons)
        if (s.icon.pid == pid && s.icon.id == id)
            return s.icon;
    return std::nullopt;
}

IconPicture FakeTray::Picture(DWORD pid, UINT id) const
{
    std::vector<uint8_t> sent;
    {
        std::lock_guard<std::mutex> guard(m_state->lock);
        auto it = std::find_if(m_state->icons.begin(), m_state->icons.end(),
                               [&](const State::Stored& s) { return s.icon.pid == pid && s.icon.id == id; });
        if (it == m_state->icons.end())
            return {};
        if (m_state->recording == TrayRecording::Full)
            return it->icon.picture;
        sent = it->sentPicture;
    }
    // Decoding needs GDI: outside the lock, as in Handle.
    return DecodeIcon(sent.data(), sent.size());
}

size_t FakeTray::Count() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->icons.size();
}

std::vector<TrayCall> FakeTray::Calls() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->calls;
}

size_t FakeTray::CallCount() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->callCount;
}

size_t FakeTray::FailedCallCount() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->failedCount;
}

void FakeTray::ClearLog()
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->calls.clear();
}

void FakeTray::Restart()
{
    // One step for the programs: a tray call waits on the lock until the broadcast is posted.
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->icons.clear();
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

void FakeTray::Forget()
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->icons.clear();
}

void FakeTray::RefuseAdds(UINT id, int count, bool landAnyway)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->refusals[id] = {count, landAnyway};
}

size_t FakeTray::DuplicateAddCount() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->duplicateAdds;
}

bool FakeTray::Click(const TrayIcon& icon, UINT mouseMsg, bool send) const
{
    WPARAM wp = icon.id;
    LPARAM lp = mouseMsg;
    if (icon.version >= NOTIFYICON_VERSION_4) {
        // Version 4 carries the anchor point in wParam and the id in lParam's high word.
        POINT pt = {};
        GetCursorPos(&pt);
        wp = MAKEWPARAM(pt.x, pt.y);
        lp = MAKELPARAM(mouseMsg, icon.id);
    }
    if (!send)
        return PostMessageW(icon.owner, icon.callbackMessage, wp, lp) != FALSE;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(icon.owner, icon.callbackMessage, wp, lp, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

void FakeTray::BeforeNextModify(UINT id, std::function<void()> before)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->armedId = id;
    m_state->armed = std::move(before);
}

void FakeTray::AnswerLate(DWORD ms)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->answerDelay = ms;
}

void FakeTray::WatchVisibility(HWND window)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->watched = window;
}

}  // namespace e2e
