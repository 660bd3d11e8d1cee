#include "ProductInfo.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

namespace {

char g_versionString[256];

// Copies at most capacity - 1 bytes and always terminates.
void CopyBounded(char* target, size_t capacity, const char* source)
{
    size_t length = strnlen(source, capacity - 1);
    memcpy(target, source, length);
    target[length] = '\0';
}

void CopyOr(char* target, size_t capacity, const char* value, const char* fallback)
{
    CopyBounded(target, capacity, *value ? value : fallback);
}

}  // namespace

const char* GetVersionString(const char* name)
{
    g_versionString[0] = '\0';

    char path[256];
    DWORD pathLength = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (pathLength == 0 || pathLength >= sizeof(path))
        return g_versionString;  // a path cut short would name another file

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return g_versionString;

    void* data = HeapAlloc(GetProcessHeap(), 0, size);
    if (!data)
        return g_versionString;
    if (GetFileVersionInfoA(path, 0, size, data)) {
        char translation[16] = "041904b0";
        WORD* languages = nullptr;
        UINT length = 0;
        if (VerQueryValueA(data, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&languages), &length) &&
            languages && length) {
            snprintf(translation, sizeof(translation), "%04x%04x", languages[0], languages[1]);
        }
        char query[256];
        int written = snprintf(query, sizeof(query), "\\StringFileInfo\\%s\\%s", translation, name);
        char* value = nullptr;
        if (written > 0 && written < static_cast<int>(sizeof(query)) &&
            VerQueryValueA(data, query, reinterpret_cast<void**>(&value), &length) && value && length) {
            // The length counts characters, the terminator included; never read past it.
            size_t count = length < sizeof(g_versionString) ? length : sizeof(g_versionString) - 1;
            memcpy(g_versionString, value, count);
            g_versionString[count] = '\0';
        }
    }
    HeapFree(GetProcessHeap(), 0, data);
    return g_versionString;
}

void ProductInfo::Load(const char* fallbackProductName, const char* disclaimer)
{
    CopyOr(productName, sizeof(productName), GetVersionString("ProductName"), fallbackProductName);
    CopyOr(companyName, sizeof(companyName), GetVersionString("CompanyName"), "Tavrin");
    CopyOr(productVersion, sizeof(productVersion), GetVersionString("ProductVersion"), "0.n");
    CopyOr(fileVersion, sizeof(fileVersion), GetVersionString("FileVersion"), "0.n.0.n");
    CopyBounded(legalCopyright, sizeof(legalCopyright), GetVersionString("LegalCopyright"));
    snprintf(platformBits, sizeof(platformBits), "%d", static_cast<int>(sizeof(void*) * 8));
    snprintf(aboutText, sizeof(aboutText),
             "%s\r\nVersion : %s\r\n%s\r\nRelease : %s \r\nBuild platform: %s-bit %s \r\n\r\n"
             "Desarrollado por: \r\n %s\r\n%s\r\n",
             productName, productVersion, legalCopyright, fileVersion, platformBits, "", companyName, disclaimer);
}
