#include "ProductInfo.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include "version.h"

namespace {

char g_versionString[256];

// The longest path the system has: a UNICODE_STRING holds 32,767 characters.
const DWORD kLongestPath = 32768;

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

// Converts the longest leading part of `source` that fits, terminator included, into `capacity`
// bytes of the system code page, never cutting a character in two. A letter the code page lacks
// becomes its default character, not a look-alike (a plain "i" for an accented one is another
// letter); a UTF-8 code page takes no such flag.
void ToAnsiBounded(char* target, size_t capacity, const wchar_t* source, size_t length)
{
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int room = static_cast<int>(capacity) - 1;
    // Each UTF-16 unit gives at least one byte, so no more than `room` of them can fit.
    int count = length < static_cast<size_t>(room) ? static_cast<int>(length) : room;
    int needed = 0;
    for (;;) {
        if (count > 0 && static_cast<size_t>(count) < length && IS_HIGH_SURROGATE(source[count - 1]))
            --count;
        needed = count > 0 ? WideCharToMultiByte(CP_ACP, flags, source, count, nullptr, 0, nullptr, nullptr) : 0;
        if (needed <= room)
            break;
        // Each unit gives at most three bytes: dropping a third of the excess never drops too much.
        count -= (needed - room + 2) / 3;
    }
    int written = needed > 0 ? WideCharToMultiByte(CP_ACP, flags, source, count, target, needed, nullptr, nullptr) : 0;
    target[written > 0 ? written : 0] = '\0';
}

bool IsDriveAbsolute(const wchar_t* path)
{
    const wint_t letter = towlower(path[0]);
    return letter >= L'a' && letter <= L'z' && path[1] == L':' && path[2] == L'\\';
}

// \\?\ and \\.\ name a path the system takes as it is; any other \\ starts a network path.
bool IsDevicePath(const wchar_t* path)
{
    return wcsncmp(path, L"\\\\", 2) == 0 && (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

// The program file's path as the system knows it, in any script and of any length; on the process
// heap (HeapFree it), or null.
wchar_t* ModulePath()
{
    for (DWORD size = MAX_PATH;; size = size * 2 < kLongestPath ? size * 2 : kLongestPath) {
        auto* path = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, size * sizeof(wchar_t)));
        if (!path)
            return nullptr;
        DWORD length = GetModuleFileNameW(nullptr, path, size);
        if (length == 0 || length >= size) {
            HeapFree(GetProcessHeap(), 0, path);  // a path cut short would name another file
            if (length == 0 || size == kLongestPath)
                return nullptr;
            continue;
        }
        const size_t extendedLength = ToExtendedPath(path, nullptr, 0);
        if (extendedLength == length)
            return path;
        auto* extended = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (extendedLength + 1) * sizeof(wchar_t)));
        if (extended)
            ToExtendedPath(path, extended, extendedLength + 1);
        HeapFree(GetProcessHeap(), 0, path);
        return extended;
    }
}

}  // namespace

size_t ToExtendedPath(const wchar_t* path, wchar_t* target, size_t capacity)
{
    const size_t length = wcslen(path);
    const wchar_t* prefix = L"";
    size_t dropped = 0;
    if (length >= MAX_PATH && IsDriveAbsolute(path)) {
        prefix = L"\\\\?\\";
    } else if (length >= MAX_PATH && wcsncmp(path, L"\\\\", 2) == 0 && !IsDevicePath(path)) {
        // The UNC form stands in for the two backslashes of the server's name.
        prefix = L"\\\\?\\UNC\\";
        dropped = 2;
    }
    const size_t prefixLength = wcslen(prefix);
    const size_t result = prefixLength + length - dropped;
    if (target && result < capacity) {
        wcscpy(target, prefix);
        wcscpy(target + prefixLength, path + dropped);
    }
    return result;
}

const char* GetVersionString(const char* name)
{
    g_versionString[0] = '\0';

    // The wide calls: an ANSI path would carry "?" for letters outside the code page and name no file.
    wchar_t* path = ModulePath();
    if (!path)
        return g_versionString;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    void* data = size ? HeapAlloc(GetProcessHeap(), 0, size) : nullptr;
    if (data && GetFileVersionInfoW(path, 0, size, data)) {
        char translation[16] = "041904b0";
        WORD* languages = nullptr;
        UINT length = 0;
        if (VerQueryValueW(data, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&languages), &length) &&
            languages && length >= 2 * sizeof(WORD)) {
            snprintf(translation, sizeof(translation), "%04x%04x", languages[0], languages[1]);
        }
        char query[256];
        wchar_t wideQuery[256];
        int written = snprintf(query, sizeof(query), "\\StringFileInfo\\%s\\%s", translation, name);
        wchar_t* value = nullptr;
        if (written > 0 && written < static_cast<int>(sizeof(query)) &&
            MultiByteToWideChar(CP_ACP, 0, query, -1, wideQuery, 256) &&
            VerQueryValueW(data, wideQuery, reinterpret_cast<void**>(&value), &length) && value && length) {
            // The length counts characters, the terminator included; never read past it.
            ToAnsiBounded(g_versionString, sizeof(g_versionString), value, wcsnlen(value, length));
        }
    }
    if (data)
        HeapFree(GetProcessHeap(), 0, data);
    HeapFree(GetProcessHeap(), 0, path);
    return g_versionString;
}

void ProductInfo::Load(const char* fallbackProductName, const wchar_t* disclaimer)
{
    char ansiDisclaimer[sizeof(aboutText)];
    ToAnsiBounded(ansiDisclaimer, sizeof(ansiDisclaimer), disclaimer, wcslen(disclaimer));

    CopyOr(productName, sizeof(productName), GetVersionString("ProductName"), fallbackProductName);
    CopyOr(companyName, sizeof(companyName), GetVersionString("CompanyName"), FENLOW_COMPANY);
    CopyOr(productVersion, sizeof(productVersion), GetVersionString("ProductVersion"), "0.n");
    CopyOr(fileVersion, sizeof(fileVersion), GetVersionString("FileVersion"), "0.n.0.n");
    CopyBounded(legalCopyright, sizeof(legalCopyright), GetVersionString("LegalCopyright"));
    snprintf(platformBits, sizeof(platformBits), "%d", static_cast<int>(sizeof(void*) * 8));
    snprintf(aboutText, sizeof(aboutText),
             "%s\r\nVersion : %s\r\n%s\r\nRelease : %s \r\nBuild platform: %s-bit %s \r\n\r\n"
             "Desarrollado por: \r\n %s\r\n%s\r\n",
             productName, productVersion, legalCopyright, fileVersion, platformBits, "", companyName, ansiDisclaimer);
}
