// The product information record in programs whose version block differs from the shipped one.
// Built once per block (see tests/CMakeLists.txt); the define names the block this program carries.
#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "AboutText.h"
#include "ProductInfo.h"

namespace {

using about::kBuildBits;

// The record with room behind it, so a copy that runs past a field's end shows.
struct GuardedInfo
{
    ProductInfo info;
    unsigned char guard[512];
};

GuardedInfo g_record;

void PrepareRecord()
{
    // No terminators anywhere: every field must be terminated by Load itself.
    memset(&g_record, 0x5A, sizeof(g_record));
}

void ExpectGuardIntact()
{
    for (size_t i = 0; i < sizeof(g_record.guard); ++i) {
        if (g_record.guard[i] != 0x5A) {
            ADD_FAILURE() << "byte " << i << " behind the record was overwritten";
            return;
        }
    }
}

#if defined(PRODUCTINFO_VARIANT_NOVERSION)

TEST(ProductInfoNoVersion, EveryFieldFallsBack)
{
    EXPECT_STREQ("", GetVersionString("ProductName"));
    EXPECT_STREQ("", GetVersionString("CompanyName"));

    PrepareRecord();
    g_record.info.Load("Fenlow", L"\r\n\r\nfin\r\n");
    EXPECT_STREQ("Fenlow", g_record.info.productName);
    EXPECT_STREQ("Tavrin", g_record.info.companyName);
    EXPECT_STREQ("0.n", g_record.info.productVersion);
    EXPECT_STREQ("0.n.0.n", g_record.info.fileVersion);
    EXPECT_STREQ("", g_record.info.legalCopyright);
    EXPECT_STREQ(kBuildBits, g_record.info.platformBits);
    EXPECT_EQ(about::Head("Fenlow", "0.n", "", "0.n.0.n", "Tavrin") + "\r\n\r\nfin\r\n\r\n",
              std::string(g_record.info.aboutText));
    ExpectGuardIntact();

    // The product name falls back to whatever the caller gives.
    g_record.info.Load("Otro", L"");
    EXPECT_STREQ("Otro", g_record.info.productName);
}

#elif defined(PRODUCTINFO_VARIANT_NOTRANS)

TEST(ProductInfoNoTranslation, StringsComeFromTheRussianTable)
{
    EXPECT_STREQ("Russian Name", GetVersionString("ProductName"));

    PrepareRecord();
    g_record.info.Load("Fenlow", L"D");
    EXPECT_STREQ("Russian Name", g_record.info.productName);
    EXPECT_STREQ("Maker", g_record.info.companyName);
    EXPECT_STREQ("7.1", g_record.info.productVersion);
    EXPECT_STREQ("7.1.0.9", g_record.info.fileVersion);
    EXPECT_STREQ("Libre", g_record.info.legalCopyright);
    EXPECT_EQ(about::Head("Russian Name", "7.1", "Libre", "7.1.0.9", "Maker") + "D\r\n",
              std::string(g_record.info.aboutText));
    ExpectGuardIntact();
}

#elif defined(PRODUCTINFO_VARIANT_EMPTYNAME)

TEST(ProductInfoEmptyStrings, EmptyCountsAsMissing)
{
    EXPECT_STREQ("", GetVersionString("ProductName"));
    EXPECT_STREQ("2.5", GetVersionString("ProductVersion"));

    PrepareRecord();
    g_record.info.Load("Given", L"D");
    EXPECT_STREQ("Given", g_record.info.productName);
    EXPECT_STREQ("Tavrin", g_record.info.companyName);
    EXPECT_STREQ("2.5", g_record.info.productVersion);
    EXPECT_STREQ("0.n.0.n", g_record.info.fileVersion);
    EXPECT_STREQ("(c) Someone", g_record.info.legalCopyright);
    EXPECT_EQ(about::Head("Given", "2.5", "(c) Someone", "0.n.0.n", "Tavrin") + "D\r\n",
              std::string(g_record.info.aboutText));
    ExpectGuardIntact();
}

#elif defined(PRODUCTINFO_VARIANT_LONG)

std::string Digits(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += static_cast<char>('0' + i % 10);
    return text;
}

TEST(ProductInfoLongTexts, CutSafelyAtTheBufferLimits)
{
    // The stored name has 400 characters; a lookup returns the first 255.
    const std::string name255 = Digits(255);
    EXPECT_EQ(name255, std::string(GetVersionString("ProductName")));
    EXPECT_STREQ("Maker", GetVersionString("CompanyName"));

    PrepareRecord();
    g_record.info.Load("Fenlow", L"D");
    EXPECT_EQ(name255, std::string(g_record.info.productName));
    EXPECT_EQ(about::Head(name255, "1.0", "", "1.0.0.0", "Maker") + "D\r\n", std::string(g_record.info.aboutText));
    ExpectGuardIntact();

    // An about text that would pass 4095 characters ends there, terminated.
    std::wstring disclaimer(5000, L'x');
    PrepareRecord();
    g_record.info.Load("Fenlow", disclaimer.c_str());
    const std::string head = about::Head(name255, "1.0", "", "1.0.0.0", "Maker");
    ASSERT_EQ(0, g_record.info.aboutText[4095]);
    ASSERT_EQ(4095u, strlen(g_record.info.aboutText));
    EXPECT_EQ(head, std::string(g_record.info.aboutText, head.size()));
    EXPECT_EQ(std::string(4095 - head.size(), 'x'), std::string(g_record.info.aboutText + head.size()));
    ExpectGuardIntact();
}

#else
#error "no product information variant chosen"
#endif

}  // namespace
