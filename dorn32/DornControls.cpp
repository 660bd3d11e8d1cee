#include "DornControls.h"

#include "LabelControl.h"
#include "SplitterControl.h"

namespace Dorn32 {
namespace Windows {

namespace {

// 0 when the class is there with this procedure (registered now or by an earlier call), else the
// system's error code.
DWORD RegisterControlClass(HINSTANCE instance, LPCSTR name, WNDPROC proc, UINT style, LPCTSTR cursor, HBRUSH background)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, cursor);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (RegisterClassExA(&wc))
        return 0;
    const DWORD error = GetLastError();
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    if (error == ERROR_CLASS_ALREADY_EXISTS && GetClassInfoExA(instance, name, &existing) &&
        existing.lpfnWndProc == proc)
        return 0;
    return error != 0 ? error : ERROR_GEN_FAILURE;  // a failure without a code is still one
}

void AddIconFont(HINSTANCE instance)
{
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_DORN_ICONFONT), "BINARY");
    if (!resource)
        return;
    HGLOBAL loaded = LoadResource(instance, resource);
    void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return;
    DWORD fonts = 0;
    // Private to this process and kept until it ends; the handle is never needed again.
    AddFontMemResourceEx(data, SizeofResource(instance, resource), nullptr, &fonts);
}

}  // namespace

int RegisterCustomControls()
{
    // The program file itself, so this also works before WinMain has set g_hInstance.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const DWORD link = RegisterControlClass(instance, "Link", LabelWndProc, CS_HREDRAW | CS_VREDRAW, IDC_HAND, nullptr);
    const DWORD text =
        RegisterControlClass(instance, "Text", LabelWndProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, nullptr);
    // Without the font, glyphs fall back to whatever the font mapper finds: not a failure.
    AddIconFont(instance);
    const DWORD splitter = RegisterControlClass(instance, "Splitter", SplitterWndProc, 0, IDC_ARROW,
                                                reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    // Each class is tried; the first failure is the one passed on.
    if (link)
        return static_cast<int>(link);
    if (text)
        return static_cast<int>(text);
    return static_cast<int>(splitter);
}

}  // namespace Windows
}  // namespace Dorn32
