#include "DornControls.h"

#include "LabelControl.h"
#include "SplitterControl.h"

namespace Dorn32 {
namespace Windows {

namespace {

void RegisterControlClass(HINSTANCE instance, LPCSTR name, WNDPROC proc, UINT style, LPCTSTR cursor, HBRUSH background)
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
    RegisterClassExA(&wc);
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
    RegisterControlClass(instance, "Link", LabelWndProc, CS_HREDRAW | CS_VREDRAW, IDC_HAND, nullptr);
    RegisterControlClass(instance, "Text", LabelWndProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, nullptr);
    AddIconFont(instance);
    RegisterControlClass(instance, "Splitter", SplitterWndProc, 0, IDC_ARROW,
                         reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    return 0;
}

}  // namespace Windows
}  // namespace Dorn32
