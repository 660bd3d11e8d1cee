// The shipped fenlow.exe as a file: a 32-bit GUI program that needs only Windows' own DLLs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FenlowDriver.h"
#include "IconFrames.h"

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

// The file's resources, loaded as data only: nothing of it runs, whatever its bitness.
class ResourceFile
{
public:
    explicit ResourceFile(const std::wstring& path)
        : m_module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    ~ResourceFile()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    HMODULE Module() const { return m_module; }

    // The bytes of one resource; empty when there is none.
    std::string Bytes(LPCSTR type, LPCSTR name) const
    {
        HRSRC found = FindResourceA(m_module, name, type);
        if (!found)
            return std::string();
        return std::string(static_cast<const char*>(LockResource(LoadResource(m_module, found))),
                           SizeofResource(m_module, found));
    }

private:
    HMODULE m_module;
};

// An icon group's directory as resources store it (the file's one, with a resource id in place of
// the offset).
#pragma pack(push, 2)
struct GroupHeader
{
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupEntry
{
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// The size the system makes of one stored icon frame; 0 x 0 when it cannot read it.
SIZE DecodedSize(std::string frame)
{
    // The only format version CreateIconFromResourceEx takes.
    const DWORD kIconFormat = 0x00030000;
    SIZE size = {0, 0};
    HICON icon = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(&frame[0]), static_cast<DWORD>(frame.size()), TRUE,
                                          kIconFormat, 0, 0, LR_DEFAULTCOLOR);
    ICONINFO info = {};
    if (icon && GetIconInfo(icon, &info)) {
        BITMAP colour = {};
        if (GetObjectA(info.hbmColor, sizeof(colour), &colour))
            size = {colour.bmWidth, colour.bmHeight};
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    if (icon)
        DestroyIcon(icon);
    return size;
}

BOOL CALLBACK CollectIconGroup(HMODULE, LPCSTR, LPSTR name, LONG_PTR found)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(found)->push_back(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    else
        ADD_FAILURE() << "an icon group named \"" << name << "\" rather than numbered";
    return TRUE;
}

// Every icon group holds exactly the frames of its table row, each a 32-bit picture that the system
// reads at its own size, so that whatever size Windows asks for is there as drawn.
TEST(BinaryTest, EveryIconGroupHasAFrameForEverySize)
{
    ResourceFile exe(ShippedExe());
    ASSERT_TRUE(exe.Module()) << "error " << GetLastError();
    std::vector<int> ids;
    EnumResourceNamesA(exe.Module(), RT_GROUP_ICON, CollectIconGroup, reinterpret_cast<LONG_PTR>(&ids));
    std::vector<int> expectedIds;
    for (const iconframes::Group& group : iconframes::Groups())
        expectedIds.push_back(group.id);
    std::sort(ids.begin(), ids.end());
    std::sort(expectedIds.begin(), expectedIds.end());
    EXPECT_EQ(expectedIds, ids);

    for (const iconframes::Group& group : iconframes::Groups()) {
        SCOPED_TRACE("icon group " + std::to_string(group.id));
        std::string dir = exe.Bytes(RT_GROUP_ICON, MAKEINTRESOURCEA(group.id));
        ASSERT_GE(dir.size(), sizeof(GroupHeader));
        const GroupHeader* header = reinterpret_cast<const GroupHeader*>(dir.data());
        ASSERT_EQ(sizeof(GroupHeader) + header->count * sizeof(GroupEntry), dir.size());
        const GroupEntry* entries = reinterpret_cast<const GroupEntry*>(header + 1);
        std::vector<int> sizes;
        for (WORD i = 0; i < header->count; ++i) {
            const GroupEntry& entry = entries[i];
            sizes.push_back(entry.width);
            SCOPED_TRACE("frame " + std::to_string(entry.width));
            EXPECT_EQ(entry.width, entry.height);
            EXPECT_EQ(32, entry.bitCount);
            std::string frame = exe.Bytes(RT_ICON, MAKEINTRESOURCEA(entry.id));
            ASSERT_EQ(entry.bytes, frame.size());
            const bool png = frame.compare(0, sizeof(kPngSignature) - 1, kPngSignature) == 0;
            EXPECT_EQ(iconframes::IsBitmapFrame(entry.width), !png) << (png ? "stored as PNG" : "stored as a bitmap");
            SIZE decoded = DecodedSize(frame);
            EXPECT_EQ(entry.width, decoded.cx);
            EXPECT_EQ(entry.width, decoded.cy);
        }
        EXPECT_EQ(group.sizes, sizes);
    }
}

// Windows reads the awareness from the manifest as it starts the program: the system's own reader
// is asked here, through an activation context made from the file.
TEST(BinaryTest, ManifestDeclaresSystemDpiAwarenessAndNoPerMonitorAwareness)
{
    std::wstring path = ShippedExe();
    ACTCTXW request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpResourceName = reinterpret_cast<LPCWSTR>(CREATEPROCESS_MANIFEST_RESOURCE_ID);
    // A 64-bit test of the 32-bit release runs in a 64-bit-only Wine prefix, which holds no x86
    // side-by-side assemblies: the release's manifest is read there with its architecture as this
    // process's, so that the common controls it names can be found; its settings are untouched.
    wchar_t tempFolder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempFolder);
    const std::wstring manifestCopy = std::wstring(tempFolder) + L"fenlow-binarytest.manifest";
    if (sizeof(void*) == 8 && ShippedExe() != e2e::ExeNextToMe(L"fenlow.exe")) {
        std::string manifest = ResourceFile(path).Bytes(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
        ASSERT_FALSE(manifest.empty());
        for (size_t at; (at = manifest.find("processorArchitecture=\"x86\"")) != std::string::npos;)
            manifest.replace(at, std::strlen("processorArchitecture=\"x86\""), "processorArchitecture=\"amd64\"");
        HANDLE file = CreateFileW(manifestCopy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, manifest.data(), static_cast<DWORD>(manifest.size()), &written, nullptr);
        CloseHandle(file);
        path = manifestCopy;
        request.dwFlags = 0;
    }
    request.lpSource = path.c_str();
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(INVALID_HANDLE_VALUE, context) << "error " << GetLastError();

    WCHAR value[64] = {};
    SIZE_T written = 0;
    EXPECT_TRUE(QueryActCtxSettingsW(0, context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware",
                                     value, ARRAYSIZE(value), &written))
        << "error " << GetLastError();
    EXPECT_EQ(std::wstring(L"true"), value);

    // Per-monitor awareness would ask for a new layout on every WM_DPICHANGED.
    value[0] = L'\0';
    EXPECT_FALSE(QueryActCtxSettingsW(0, context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                      L"dpiAwareness", value, ARRAYSIZE(value), &written))
        << "dpiAwareness is \"" << value << "\"";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SXS_KEY_NOT_FOUND), GetLastError());
    ReleaseActCtx(context);
    DeleteFileW(manifestCopy.c_str());
}

}  // namespace
