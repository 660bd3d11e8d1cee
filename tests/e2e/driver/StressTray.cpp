#include "StressTray.h"

#include <shellapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace e2e {

namespace {

// Byte offsets in the record Wine's Shell_NotifyIcon sends (see FakeTray.cpp and wine.md).
enum : size_t {
    kHwnd = 0, kId = 4, kFlags = 8, kTip = 16, kIconWidth = 944, kIconHeight = 948, kIconPlanes = 952,
    kIconBpp = 956, kIconBits = 960,
};

uint32_t U32(const uint8_t* data, size_t offset)
{
    uint32_t v;
    std::memcpy(&v, data + offset, sizeof v);
    return v;
}

std::string Tip(const uint8_t* data)
{
    wchar_t wide[129] = {};
    std::memcpy(wide, data + kTip, 128 * sizeof(wchar_t));
    char text[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

const wchar_t kClass[] = L"Shell_TrayWnd";

struct Stored {
    StressTray::Icon icon;
    std::vector<uint8_t> pictureRecord;  // from kIconWidth to the end
};

}  // namespace

struct StressTray::State {
    mutable std::mutex lock;
    std::vector<Stored> icons;
    size_t calls = 0;
    size_t failed = 0;
    HWND window = nullptr;
    std::thread thread;
    std::condition_variable started;
    bool ready = false;

    BOOL Handle(DWORD op, const uint8_t* data, size_t size)
    {
        if (size < kIconBits)
            return FALSE;
        HWND owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(U32(data, kHwnd)));
        UINT id = U32(data, kId);
        UINT flags = U32(data, kFlags);
        std::lock_guard<std::mutex> guard(lock);
        ++calls;
        auto it = std::find_if(icons.begin(), icons.end(),
                               [&](const Stored& s) { return s.icon.owner == owner && s.icon.id == id; });
        Stored* target = nullptr;
        bool ok = false;
        switch (op) {
            case NIM_ADD:
                if (it == icons.end()) {
                    Stored added;
                    added.icon.owner = owner;
                    added.icon.id = id;
                    GetWindowThreadProcessId(owner, &added.icon.pid);
                    icons.push_back(std::move(added));
                    target = &icons.back();
                    ok = true;
                }
                break;
            case NIM_MODIFY:
                if (it != icons.end()) {
                    target = &*it;
                    ok = true;
                }
                break;
            case NIM_DELETE:
                if (it != icons.end()) {
                    icons.erase(it);
                    ok = true;
                }
                break;
            default:
                ok = it != icons.end();
                break;
        }
        if (target) {
            if (flags & NIF_TIP)
                target->icon.tip = Tip(data);
            if (flags & NIF_ICON)
                target->pictureRecord.assign(data + kIconWidth, data + size);
        }
        failed += !ok;
        return ok ? TRUE : FALSE;
    }

    void Run();
};

namespace {

LRESULT CALLBACK StressTrayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* state = reinterpret_cast<StressTray::State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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

void StressTray::State::Run()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = StressTrayProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    // Visible and topmost at the bottom, as FakeTray: the work area stays as with the real taskbar.
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"", WS_POPUP, 0,
                                cy - 20, cx, 20, nullptr, nullptr, instance, this);
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

StressTray::StressTray() : state_(std::make_unique<State>())
{
    state_->thread = std::thread([s = state_.get()] { s->Run(); });
    std::unique_lock<std::mutex> guard(state_->lock);
    state_->started.wait(guard, [this] { return state_->ready; });
}

StressTray::~StressTray()
{
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        hwnd = state_->window;
    }
    if (hwnd)
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    state_->thread.join();
}

std::vector<StressTray::Icon> StressTray::Icons() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    std::vector<Icon> icons;
    for (const Stored& s : state_->icons)
        icons.push_back(s.icon);
    return icons;
}

std::vector<StressTray::Icon> StressTray::IconsOf(DWORD pid) const
{
    std::vector<Icon> mine;
    for (const Icon& icon : Icons())
        if (icon.pid == pid)
            mine.push_back(icon);
    return mine;
}

std::optional<StressTray::Icon> StressTray::FindByPid(DWORD pid, UINT id) const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    for (const Stored& s : state_->icons)
        if (s.icon.pid == pid && s.icon.id == id)
            return s.icon;
    return std::nullopt;
}

IconPicture StressTray::Picture(DWORD pid, UINT id) const
{
    std::vector<uint8_t> record;
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        for (const Stored& s : state_->icons)
            if (s.icon.pid == pid && s.icon.id == id)
                record = s.pictureRecord;
    }
    const size_t kHeader = kIconBits - kIconWidth;
    if (record.size() < kHeader)
        return {};
    uint32_t width = U32(record.data(), 0), height = U32(record.data(), 4);
    uint32_t planes = U32(record.data(), 8), bpp = U32(record.data(), 12);
    if (width == 0 || height == 0 || width > 1024 || height > 1024 || planes == 0 || bpp == 0 || bpp > 32)
        return {};
    size_t maskSize = (width * height + 15) / 16 * 2;
    size_t colourSize = (planes * width * height * bpp + 15) / 16 * 2;
    if (record.size() < kHeader + maskSize + colourSize)
        return {};
    // Rebuilt the way the shell does, as FakeTray does for every call.
    HICON icon = CreateIcon(nullptr, width, height, static_cast<BYTE>(planes), static_cast<BYTE>(bpp),
                            record.data() + kHeader, record.data() + kHeader + maskSize);
    IconPicture picture = PictureOf(icon);
    if (icon)
        DestroyIcon(icon);
    return picture;
}

size_t StressTray::Calls() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->calls;
}

size_t StressTray::FailedCalls() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->failed;
}

void StressTray::Restart()
{
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->icons.clear();
    }
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

}  // namespace e2e
