// A registry accessor that opens and closes the key on every call: 0 for success, 1 for failure,
// with the registry status left as the thread's last-error code.
#pragma once

#include <windows.h>

class CRegistry
{
public:
    int CreateKey(HKEY root, const char* path);
    int ReadValue(HKEY root, const char* path, const char* name, BYTE* buffer, DWORD size);
    int WriteValue(HKEY root, const char* path, const char* name, const BYTE* data, DWORD size);
};
