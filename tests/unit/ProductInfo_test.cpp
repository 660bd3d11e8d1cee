// The product information record, read from the version block this test program carries (fenlow.rc's).
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "AboutText.h"
#include "ProductInfo.h"
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
