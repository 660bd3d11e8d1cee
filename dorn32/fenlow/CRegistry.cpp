#include "CRegistry.h"

int CRegistry::CreateKey(HKEY root, const char* path)
{
    HKEY key;
    LONG status = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return 1;
    }
    RegCloseKey(key);
    return 0;
}

int CRegistry::ReadValue(HKEY root, const char* path, const char* name, BYTE* buffer, DWORD size)
{
    HKEY key;
    LONG status = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        buffer[0] = '\0';
        return 1;
    }
    DWORD type = 0;
    DWORD length = size;
    status = RegQueryValueExA(key, name, nullptr, &type, buffer, &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        buffer[0] = '\0';
        return 1;
    }
    if (type != REG_BINARY) {
        buffer[0] = '\0';
        return 1;
    }
    return 0;
}

int CRegistry::WriteValue(HKEY root, const char* path, const char* name, const BYTE* data, DWORD size)
{
    HKEY key;
    LONG status = RegOpenKeyExA(root, path, 0, KEY_WRITE, &key);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return 1;
    }
    status = RegSetValueExA(key, name, 0, REG_BINARY, data, size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return 1;
    }
    return 0;
}
