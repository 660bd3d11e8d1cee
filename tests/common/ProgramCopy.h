// A copy of a program file in folders of its own below %TEMP%, of any length, removed again at the
// end; and a way to start it from there however long its path is.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ProgramCopy
{
public:
    // `source` goes, under its own file name, into Base() and then each of `folders` in turn.
    ProgramCopy(const std::wstring& source, const std::vector<std::wstring>& folders)
    {
        std::wstring folder = Base();
        m_folders.push_back(folder);
        for (const std::wstring& name : folders)
            m_folders.push_back(folder += L"\\" + name);
        for (const std::wstring& made : m_folders)
            CreateDirectoryW(Extended(made).c_str(), nullptr);
        m_exe = folder + source.substr(source.find_last_of(L'\\'));
        m_copied = CopyFileW(Extended(source).c_str(), Extended(m_exe).c_str(), FALSE);
    }

    ~ProgramCopy()
    {
        DeleteFileW(Extended(m_exe).c_str());
        for (auto made = m_folders.rbegin(); made != m_folders.rend(); ++made)
            RemoveDirectoryW(Extended(*made).c_str());
    }

    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    // The folder the copies go below.
    static std::wstring Base()
    {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"fenlow-copy-" + std::to_wstring(GetCurrentProcessId());
    }

    bool Copied() const { return m_copied; }
    const std::wstring& Exe() const { return m_exe; }
    std::wstring Folder() const { return m_folders.back(); }

    // Starts the copy with `commandLine` (program name first) in a current folder short enough
    // for any program; false if it could not be started.
    bool Start(std::wstring commandLine, PROCESS_INFORMATION* started) const
    {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        wchar_t shortFolder[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, shortFolder);
        // CreateProcess takes a program past MAX_PATH by its extended name, as Windows does.
        if (CreateProcessW(Extended(m_exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, shortFolder,
                           &si, started))
            return true;
        // Wine 8 cuts that name to MAX_PATH and finds no file; it does find the program by its file
        // name from within its folder, and the new process then has the whole path all the same.
        const DWORD refused = GetLastError();
        wchar_t current[MAX_PATH] = L"";
        GetCurrentDirectoryW(MAX_PATH, current);
        bool ok = false;
        if (SetCurrentDirectoryW(Folder().c_str())) {
            const std::wstring name = m_exe.substr(m_exe.find_last_of(L'\\') + 1);
            ok = CreateProcessW(name.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, shortFolder, &si,
                                started) != FALSE;
            SetCurrentDirectoryW(current);
        }
        if (!ok)
            SetLastError(refused);
        return ok;
    }

private:
    // The file calls take paths past MAX_PATH in this form.
    static std::wstring Extended(const std::wstring& path) { return L"\\\\?\\" + path; }

    std::vector<std::wstring> m_folders;
    std::wstring m_exe;
    bool m_copied = false;
};
