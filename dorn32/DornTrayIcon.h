// One notification-area icon slot: exactly one NOTIFYICONDATAA record, one Shell_NotifyIconA call per operation.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace Dorn32 {
namespace Windows {

class DornTrayIcon : public NOTIFYICONDATAA
{
public:
    DornTrayIcon();

    bool Add(HWND window, UINT id, UINT callbackMessage, const char* tip, HICON icon);
    bool Modify();
    bool Delete();
    bool SetIcon(HICON icon);
    bool SetTip(const char* tip);

private:
    void CopyTip(const char* tip);
};

// The 32-bit release sends the full Windows 7 record; a 64-bit build (tests) has the same fields, wider.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAA) == 508,
              "the tray record must be the full 508-byte NOTIFYICONDATAA");
static_assert(sizeof(DornTrayIcon) == sizeof(NOTIFYICONDATAA), "the slot holds the record and nothing else");

}  // namespace Windows
}  // namespace Dorn32
