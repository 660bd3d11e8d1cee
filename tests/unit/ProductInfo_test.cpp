// The product information record, read from the version block this test program carries (fenlow.rc's).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "AboutText.h"
#include "FreshProcess.h"
#include "ProductInfo.h"
#include "ProgramCopy.h"
#include "version.h"

namespace {

using about::kBuildBits;

// The bytes Windows-1252 gives the text; it has every letter of the disclaimer.
std::string Windows1252(const std::wstring& text)
{
    std::string bytes(text.size() * 2 + 1, '\0');
    BOOL defaulted = FALSE;
    bytes.resize(WideCharToMultiByte(1252, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0],
                                     static_cast<int>(bytes.size()), nullptr, &defaulted));
    EXPECT_FALSE(defaulted);
    return bytes;
}

TEST(ProductInfoTest, ShippedVersionBlockFillsEveryField)
{
    EXPECT_STREQ("Fenlow", GetVersionString("ProductName"));
    EXPECT_STREQ("0.1 Beta", GetVersionString("ProductVersion"));
    EXPECT_STREQ("fenlow.exe", GetVersionString("OriginalFilename"));
    EXPECT_STREQ("", GetVersionString("NoSuchString"));
    // One shared buffer: the next lookup overwrites what the last one returned.
    const char* first = GetVersionString("CompanyName");
    const char* second = GetVersionString("FileVersion");
    EXPECT_EQ(first, second);
    EXPECT_STREQ("0.1.0.4", first);

    g_productInfo.Load("Fenlow", g_disclaimer);
    EXPECT_STREQ("Fenlow", g_productInfo.productName);
    EXPECT_STREQ("0.1 Beta", g_productInfo.productVersion);
    EXPECT_STREQ("Tavrin", g_productInfo.companyName);
    EXPECT_STREQ("0.1.0.4", g_productInfo.fileVersion);
    EXPECT_STREQ("Freeware", g_productInfo.legalCopyright);
    EXPECT_STREQ(kBuildBits, g_productInfo.platformBits);

    const std::string head =
        "Fenlow\r\n"
        "Version : 0.1 Beta\r\n"
        "Freeware\r\n"
        "Release : 0.1.0.4 \r\n"
        "Build platform: " +
        std::string(kBuildBits) + "-bit  \r\n" +
        "\r\n"
        "Desarrollado por: \r\n"
        " Tavrin\r\n";
    // The disclaimer in the system code page: under Windows-1252 the very bytes, one per letter,
    // that Windows-1252 programs have always shown.
    ASSERT_EQ(1252u, GetACP());
    const std::string expected = head + Windows1252(g_disclaimer) + "\r\n";
    EXPECT_EQ(expected, std::string(g_productInfo.aboutText));
    EXPECT_EQ(head.size() + std::wcslen(g_disclaimer) + 2, expected.size());
    EXPECT_NE(std::string::npos, expected.find("sin garant\355a de ning\372n tipo"));

    // The fallback name plays no part while the block has a product name.
    g_productInfo.Load("Other", g_disclaimer);
    EXPECT_STREQ("Fenlow", g_productInfo.productName);
    EXPECT_EQ(expected, std::string(g_productInfo.aboutText));
}

// "major.minor.patch.build" of a VS_FIXEDFILEINFO version.
std::string Dotted(DWORD high, DWORD low)
{
    char text[48];
    snprintf(text, sizeof(text), "%u.%u.%u.%u", unsigned{HIWORD(high)}, unsigned{LOWORD(high)}, unsigned{HIWORD(low)},
             unsigned{LOWORD(low)});
    return text;
}

// One attribute of the program's own assemblyIdentity in its manifest, the first in the file.
std::string ManifestIdentity(const char* attribute)
{
    HRSRC res = FindResource(nullptr, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    if (!res)
        return "(no manifest)";
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, res))),
                               SizeofResource(nullptr, res));
    const size_t identity = manifest.find("<assemblyIdentity ");
    const size_t end = manifest.find("/>", identity);
    const std::string key = std::string(" ") + attribute + "=\"";
    const size_t start = manifest.find(key, identity);
    if (identity == std::string::npos || start > end)
        return "(no " + std::string(attribute) + ")";
    return manifest.substr(start + key.size(), manifest.find('"', start + key.size()) - start - key.size());
}

// The version block's numbers, its texts, the manifest and the version the build read from
// version.h are one version.
TEST(ProductInfoTest, VersionNumbersTextsAndBuildAgree)
{
    wchar_t path[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, path, MAX_PATH));
    DWORD handle = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(path, &handle));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    ASSERT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);

    const std::string numbers = Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    // "0.1 Beta": the major and minor numbers, then the stage.
    char shortVersion[48];
    snprintf(shortVersion, sizeof(shortVersion), "%u.%u %s", unsigned{HIWORD(fixed->dwFileVersionMS)},
             unsigned{LOWORD(fixed->dwFileVersionMS)}, FENLOW_TEXT(FENLOW_VERSION_STAGE));
    const struct
    {
        const char* what;
        std::string value;
        std::string expected;
    } rows[] = {
        {"PRODUCTVERSION", Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), numbers},
        {"FileVersion", GetVersionString("FileVersion"), numbers},
        {"ProductVersion", GetVersionString("ProductVersion"), shortVersion},
        {"CMake's PROJECT_VERSION", FENLOW_BUILD_PROJECT_VERSION, numbers},
        {"CMake's file version", FENLOW_BUILD_FILE_VERSION, numbers},
        {"CMake's product version", FENLOW_BUILD_PRODUCT_VERSION, shortVersion},
        {"the manifest's version", ManifestIdentity("version"), numbers},
        {"the manifest's name", ManifestIdentity("name"), FENLOW_COMPANY "." FENLOW_PRODUCT_NAME},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, row.value) << row.what;
}

// What ToExtendedPath makes of `path`, and that it writes the length it says, terminated.
std::wstring Extended(const std::wstring& path)
{
    const size_t length = ToExtendedPath(path.c_str(), nullptr, 0);
    std::wstring result(length + 1, L'#');
    EXPECT_EQ(length, ToExtendedPath(path.c_str(), &result[0], result.size()));
    EXPECT_EQ(L'\0', result[length]) << "not terminated";
    result.resize(length);
    return result;
}

TEST(ProductInfoTest, PathsPastMaxPathTakeTheExtendedForm)
{
    const std::wstring file = L"\\fenlow.exe";
    const std::wstring folder(300, L'p');
    const std::wstring deep = L"\\" + folder + file;
    // The longest drive path the file calls take as it is, and one character more.
    const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 1 - 3 - file.size(), L'f') + file;
    const std::wstring tooLong = L"C:\\" + std::wstring(MAX_PATH - 3 - file.size(), L'f') + file;
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), longest.size());
    ASSERT_EQ(static_cast<size_t>(MAX_PATH), tooLong.size());
    const struct
    {
        const char* what;
        std::wstring path;
        std::wstring expected;
    } rows[] = {
        {"short drive path", L"C:\\Fenlow" + file, L"C:\\Fenlow" + file},
        {"drive path of MAX_PATH - 1", longest, longest},
        {"drive path of MAX_PATH", tooLong, L"\\\\?\\" + tooLong},
        {"long drive path", L"D:" + deep, L"\\\\?\\D:" + deep},
        {"long drive path, small letter", L"d:" + deep, L"\\\\?\\d:" + deep},
        {"short network path", L"\\\\server\\share" + file, L"\\\\server\\share" + file},
        {"long network path", L"\\\\server\\share" + deep, L"\\\\?\\UNC\\server\\share" + deep},
        {"extended drive path", L"\\\\?\\C:" + deep, L"\\\\?\\C:" + deep},
        {"extended network path", L"\\\\?\\UNC\\server\\share" + deep, L"\\\\?\\UNC\\server\\share" + deep},
        {"device path", L"\\\\.\\C:" + deep, L"\\\\.\\C:" + deep},
        {"long relative path", folder + deep, folder + deep},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, Extended(row.path)) << row.what;

    // A buffer one short of the terminator is left alone.
    const std::wstring network = L"\\\\server\\share" + deep;
    const size_t length = ToExtendedPath(network.c_str(), nullptr, 0);
    std::wstring small(length, L'#');
    EXPECT_EQ(length, ToExtendedPath(network.c_str(), &small[0], small.size()));
    EXPECT_EQ(std::wstring(length, L'#'), small);
}

// The version block is found from a folder path more than twice MAX_PATH long, so that the path's
// buffer grows twice: this test program runs this test again from a copy of itself there.
TEST(ProductInfoTest, VersionFoundFromAFolderPastMaxPath)
{
    const char kInCopy[] = "FENLOW_TEST_IN_LONG_FOLDER";
    const DWORD kRoom = 4 * MAX_PATH;
    std::wstring self(kRoom, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], kRoom));
    if (GetEnvironmentVariableA(kInCopy, nullptr, 0)) {
        ASSERT_GT(self.size(), 2u * MAX_PATH) << "the copy runs from a short path";
        ASSERT_LT(self.size(), static_cast<size_t>(kRoom));
        EXPECT_STREQ(FENLOW_PRODUCT_NAME, GetVersionString("ProductName"));
        EXPECT_STREQ(FENLOW_PRODUCT_VERSION, GetVersionString("ProductVersion"));
        EXPECT_STREQ(FENLOW_FILE_VERSION, GetVersionString("FileVersion"));
        return;
    }
    // Under Wine the copy is started from inside its folder, and a current folder past MAX_PATH
    // breaks the later module lookups of the process that set it: a process of its own starts it.
    const char kStarter[] = "FENLOW_TEST_STARTS_THE_COPY";
    if (!GetEnvironmentVariableA(kStarter, nullptr, 0)) {
        EXPECT_EQ(0u, freshprocess::RunCurrentTest(kStarter)) << "failed in the starting process; its output is above";
        return;
    }
    const std::vector<std::wstring> folders = {std::wstring(200, L'a'), std::wstring(200, L'b'),
                                               std::wstring(200, L'c')};
    ProgramCopy copy(self, folders);
    ASSERT_TRUE(copy.Copied()) << "error " << GetLastError();
    ASSERT_GT(copy.Exe().size(), 2u * MAX_PATH);
    EXPECT_EQ(0u, freshprocess::RunCurrentTest(kInCopy, &copy)) << "failed in the copy; its output is above";
}

TEST(ProductInfoTest, DisclaimerLayout)
{
    const std::wstring text = g_disclaimer;
    ASSERT_GT(text.size(), 4u);
    EXPECT_EQ(L"\r\n\r\n", text.substr(0, 4));
    const std::wstring ending = L"" FENLOW_WEBSITE L"\r\n";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(ending, text.substr(text.size() - ending.size()));
    EXPECT_NE(std::wstring::npos, text.find(L"\r\n- Typicons\r\n"));

    // "- <name>(Icons)" is a line of its own, followed by a web address.
    size_t icons = text.find(L"(Icons)\r\n");
    ASSERT_NE(std::wstring::npos, icons);
    size_t lineStart = text.rfind(L"\r\n", icons);
    ASSERT_NE(std::wstring::npos, lineStart);
    EXPECT_EQ(L"- ", text.substr(lineStart + 2, 2));
    EXPECT_GT(icons, lineStart + 4) << "a name sits between the hyphen and (Icons)";
    EXPECT_EQ(L"http", text.substr(icons + 9, 4));
    size_t typicons = text.find(L"- Typicons\r\n");
    ASSERT_NE(std::wstring::npos, typicons);
    EXPECT_EQ(L"http", text.substr(typicons + 12, 4));
    EXPECT_LT(typicons, icons) << "the font credit comes before the pictures' credit";

    // CRLF everywhere and no other control characters.
    bool nonAscii = false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\n')
            EXPECT_TRUE(i > 0 && text[i - 1] == L'\r') << "bare LF at " << i;
        else if (c == L'\r')
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == L'\n') << "bare CR at " << i;
        else
            EXPECT_GE(c, 0x20) << "control character at " << i;
        nonAscii |= c >= 0x80;
    }
    EXPECT_TRUE(nonAscii) << "the Spanish text has accented letters";
}

}  // namespace
