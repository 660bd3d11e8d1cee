// The process's long-lived objects, its entry function and the keyboard hook.
#include <windows.h>

#include "CFenlowApp.h"
#include "Dorn32.h"
#include "DornControls.h"
#include "DornCriticalSection.h"
#include "ProductInfo.h"
#include "resource.h"
#include "version.h"

using namespace Dorn32::Windows;

// Constructed in this order, destroyed in the reverse one (the dialog list comes before all of them).
ProductInfo g_productInfo;
static DornCriticalSection g_hookLock;
CFenlowApp g_app;

// Unicode, so that every code page shows the letters it has (see ProductInfo::Load). CRLF line ends.
const wchar_t g_disclaimer[] =
    L"\r\n\r\n"
    L"Este programa se ofrece tal cual, sin garant\u00eda de ning\u00fan tipo. En ning\u00fan caso los autores "
    L"ser\u00e1n responsables de los da\u00f1os causados por su uso.\r\n"
    L"Se permite su uso con fines no comerciales.\r\n"
    L"Se permite redistribuirlo libremente siempre que se mantenga dentro de su paquete de instalaci\u00f3n "
    L"tal como se public\u00f3.\r\n"
    L"\r\n"
    L"Fuente de iconos web:\r\n"
    L"- Typicons\r\n"
    L"https://www.s-ings.com/typicons/\r\n"
    L"\r\n"
    L"Dibujos de los iconos:\r\n"
    L"- Tavrin(Icons)\r\n"
    L"https://www.tavrin.net/\r\n"
    L"\r\n\r\n"
    L"Para m\u00e1s detalles visite " FENLOW_WEBSITE L"\r\n";

// The framework finds the icon font under its own name for the id.
static_assert(IDR_ICONFONT == IDR_DORN_ICONFONT, "the icon font's id in resource.h and in the framework differ");

int AppMain(int /*argc*/, char** /*argv*/)
{
    return g_app.Start() ? g_app.Run() : 0;
}

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    g_hookLock.Enter();
    if (code >= 0)
        g_app.OnKeyEvent(reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam)->vkCode);
    // Every event goes on unchanged: the hook only watches.
    LRESULT result = CallNextHookEx(g_app.m_hook, code, wParam, lParam);
    g_hookLock.Leave();
    return result;
}
