// The product information record, read from the version block this test program carries (fenlow.rc's).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ProductInfo.h"
#include "version.h"

namespace {

// The record names the width of the build that carries it.
#ifdef _WIN64
const char kBuildBits[] = "64";
#else
const char kBuildBits[] = "32";
#endif

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

    std::string expected = std::string("Fenlow\r\n") +
                           "Version : 0.1 Beta\r\n"
                           "Freeware\r\n"
                           "Release : 0.1.0.4 \r\n"
                           "Build platform: " + std::string(kBuildBits) + "-bit  \r\n" +
                           "\r\n"
                           "Desarrollado por: \r\n"
                           " Tavrin\r\n" +
                           g_disclaimer + "\r\n";
    EXPECT_EQ(expected, std::string(g_productInfo.aboutText));

    // The fallback name plays no part while the block has a product name.
    g_productInfo.Load("Other", g_disclaimer);
    EXPECT_STREQ("Fenlow", g_productInfo.productName);
    EXPECT_EQ(expected, std::string(g_productInfo.aboutText));
}

TEST(ProductInfoTest, DisclaimerLayout)
{
    const std::string text = g_disclaimer;
    ASSERT_GT(text.size(), 4u);
    EXPECT_EQ("\r\n\r\n", text.substr(0, 4));
    const std::string ending = FENLOW_WEBSITE "\r\n";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(ending, text.substr(text.size() - ending.size()));
    EXPECT_NE(std::string::npos, text.find("\r\n- Typicons\r\n"));

    // "- <name>(Icons)" is a line of its own, followed by a web address.
    size_t icons = text.find("(Icons)\r\n");
    ASSERT_NE(std::string::npos, icons);
    size_t lineStart = text.rfind("\r\n", icons);
    ASSERT_NE(std::string::npos, lineStart);
    EXPECT_EQ("- ", text.substr(lineStart + 2, 2));
    EXPECT_GT(icons, lineStart + 4) << "a name sits between the hyphen and (Icons)";
    EXPECT_EQ("http", text.substr(icons + 9, 4));
    size_t typicons = text.find("- Typicons\r\n");
    ASSERT_NE(std::string::npos, typicons);
    EXPECT_EQ("http", text.substr(typicons + 12, 4));
    EXPECT_LT(typicons, icons) << "the font credit comes before the pictures' credit";

    // CRLF everywhere, no other control characters, no bytes that CP-1252 leaves undefined.
    bool nonAscii = false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
        else if (c == '\r')
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
        else
            EXPECT_GE(c, 0x20) << "control byte at " << i;
        EXPECT_TRUE(c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) << "byte " << int(c) << " at " << i;
        nonAscii |= c >= 0x80;
    }
    // Spanish accents as single CP-1252 bytes: the text must not be UTF-8.
    if (nonAscii) {
        EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0));
    }
    EXPECT_TRUE(nonAscii) << "the Spanish text has accented letters";
}

}  // namespace
