// The shipped fenlow.exe as a file: a 32-bit GUI program that needs only Windows' own DLLs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "FenlowDriver.h"

namespace {

class PeFile
{
public:
    explicit PeFile(const std::wstring& path)
    {
        std::ifstream in(path.c_str(), std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool Valid() const
    {
        return bytes_.size() > sizeof(IMAGE_DOS_HEADER) && Dos()->e_magic == IMAGE_DOS_SIGNATURE &&
               Nt()->Signature == IMAGE_NT_SIGNATURE;
    }
    const IMAGE_DOS_HEADER* Dos() const { return reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data()); }
    const IMAGE_NT_HEADERS32* Nt() const
    {
        return reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes_.data() + Dos()->e_lfanew);
    }

    // File pointer for a relative virtual address.
    const char* At(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(Nt());
        for (WORD i = 0; i < Nt()->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize)
                return bytes_.data() + section->PointerToRawData + (rva - section->VirtualAddress);
        }
        return nullptr;
    }

    std::vector<std::string> Exports() const
    {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY& dir = Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        if (!dir.VirtualAddress)
            return names;
        auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(At(dir.VirtualAddress));
        auto* nameRvas = reinterpret_cast<const DWORD*>(At(exports->AddressOfNames));
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            names.push_back(At(nameRvas[i]));
        EXPECT_EQ(exports->NumberOfNames, exports->NumberOfFunctions);
        return names;
    }

    std::set<std::string> ImportedDlls() const
    {
        std::set<std::string> dlls;
        const IMAGE_DATA_DIRECTORY& dir = Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(At(dir.VirtualAddress));
        for (; entry && entry->Name; ++entry) {
            std::string name = At(entry->Name);
            std::transform(name.begin(), name.end(), name.begin(), ::tolower);
            dlls.insert(name);
        }
        return dlls;
    }

private:
    std::vector<char> bytes_;
};

// The release's fenlow.exe: the one beside this program, or, where the programs run as a 64-bit
// build, the 32-bit one named by FENLOW_SHIPPED_EXE (a host path, which Wine maps under Z:).
std::wstring ShippedExe()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"FENLOW_SHIPPED_EXE", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return e2e::ExeNextToMe(L"fenlow.exe");
    std::wstring shipped = path;
    std::replace(shipped.begin(), shipped.end(), L'/', L'\\');
    return shipped[0] == L'\\' ? L"Z:" + shipped : shipped;
}

TEST(BinaryTest, FenlowIsA32BitGuiProgramWithOneExportAndSystemImports)
{
    PeFile pe(ShippedExe());
    ASSERT_TRUE(pe.Valid());
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, pe.Nt()->FileHeader.Machine);
    EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, pe.Nt()->OptionalHeader.Magic);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, pe.Nt()->OptionalHeader.Subsystem);
    EXPECT_EQ(0u, pe.Nt()->FileHeader.TimeDateStamp);  // no link time: the same sources give the same file

    EXPECT_EQ(std::vector<std::string>{"LowLevelKeyboardProc"}, pe.Exports());

    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll",   "gdi32.dll",   "shell32.dll",
                                           "comctl32.dll", "advapi32.dll", "version.dll", "msvcrt.dll"};
    std::set<std::string> dlls = pe.ImportedDlls();
    EXPECT_FALSE(dlls.empty());
    for (const std::string& dll : dlls)
        EXPECT_EQ(1u, allowed.count(dll)) << dll;
}

}  // namespace
