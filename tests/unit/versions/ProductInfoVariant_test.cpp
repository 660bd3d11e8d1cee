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

// What Load makes of this program's version block: each field, and the about text's head with
// what follows it.
struct Expected
{
    const char* name;
    const char* company;
    const char* productVersion;
    const char* fileVersion;
    const char* copyright;
    std::string afterHead;
};

void ExpectLoaded(const char* givenName, const wchar_t* disclaimer, const Expected& e)
{
    PrepareRecord();
    g_record.info.Load(givenName, disclaimer);
    EXPECT_STREQ(e.name, g_record.info.productName);
    EXPECT_STREQ(e.company, g_record.info.companyName);
    EXPECT_STREQ(e.productVersion, g_record.info.productVersion);
    EXPECT_STREQ(e.fileVersion, g_record.info.fileVersion);
    EXPECT_STREQ(e.copyright, g_record.info.legalCopyright);
    EXPECT_EQ(about::Head(e.name, e.productVersion, e.copyright, e.fileVersion, e.company) + e.afterHead,
              std::string(g_record.info.aboutText));
    ExpectGuardIntact();
}

#if defined(PRODUCTINFO_VARIANT_NOVERSION)

TEST(ProductInfoNoVersion, EveryFieldFallsBack)
{
    EXPECT_STREQ("", GetVersionString("ProductName"));
    EXPECT_STREQ("", GetVersionString("CompanyName"));

    ExpectLoaded("Fenlow", L"\r\n\r\nfin\r\n", {"Fenlow", "Tavrin", "0.n", "0.n.0.n", "", "\r\n\r\nfin\r\n\r\n"});
    EXPECT_STREQ(kBuildBits, g_record.info.platformBits);

    // The product name falls back to whatever the caller gives.
    g_record.info.Load("Otro", L"");
    EXPECT_STREQ("Otro", g_record.info.productName);
}

#elif defined(PRODUCTINFO_VARIANT_NOTRANS)

TEST(ProductInfoNoTranslation, StringsComeFromTheRussianTable)
{
    EXPECT_STREQ("Russian Name", GetVersionString("ProductName"));
    ExpectLoaded("Fenlow", L"D", {"Russian Name", "Maker", "7.1", "7.1.0.9", "Libre", "D\r\n"});
}

#elif defined(PRODUCTINFO_VARIANT_EMPTYNAME)

TEST(ProductInfoEmptyStrings, EmptyCountsAsMissing)
{
    EXPECT_STREQ("", GetVersionString("ProductName"));
    EXPECT_STREQ("2.5", GetVersionString("ProductVersion"));
    ExpectLoaded("Given", L"D", {"Given", "Tavrin", "2.5", "0.n.0.n", "(c) Someone", "D\r\n"});
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

    ExpectLoaded("Fenlow", L"D", {name255.c_str(), "Maker", "1.0", "1.0.0.0", "", "D\r\n"});

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
