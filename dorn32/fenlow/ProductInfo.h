// What the program says about itself, read once at start-up from its own version resource.
#pragma once

#include <stddef.h>

struct ProductInfo
{
    char productName[1024];
    char productVersion[1024];
    char companyName[1024];
    char fileVersion[1024];
    char legalCopyright[1024];
    char platformBits[1024];
    char aboutText[4096];

    // The disclaimer is Unicode; the record holds it in the system code page.
    void Load(const char* fallbackProductName, const wchar_t* disclaimer);
};

// Looks a string up in this program file's version resource. The result lives in one shared
// 256-byte buffer that the next lookup overwrites; it is the empty string when there is none.
const char* GetVersionString(const char* name);

// A full path in the form the file calls take past MAX_PATH: C:\dir as \\?\C:\dir, and a network
// path \\server\share\dir as \\?\UNC\server\share\dir. A shorter path, one in a device form
// (\\?\ or \\.\ first) and a relative one stay as they are. Writes the result and its terminator to
// `target` when `capacity` holds them; returns its length without the terminator.
size_t ToExtendedPath(const wchar_t* path, wchar_t* target, size_t capacity);

// The record of this process, filled at start-up.
extern ProductInfo g_productInfo;

// The closing part of the about text (Spanish, CRLF line ends).
extern const wchar_t g_disclaimer[];
