// The settings record and the registry accessor against the real registry of the test prefix.
#include <gtest/gtest.h>

#include <string.h>

#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "CSettings.h"
#include "SettingsFlags.h"

using namespace settings_flags;

namespace {

bool KeyExists(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void PutValue(const char* name, DWORD type, const std::vector<BYTE>& data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, data.empty() ? nullptr : data.data(),
                                            static_cast<DWORD>(data.size())));
    RegCloseKey(key);
}

struct StoredValue
{
    DWORD type;
    std::vector<BYTE> data;
};

// Everything under the key: its values by name, and the number of subkeys.
std::map<std::string, StoredValue> ReadAllValues(DWORD* subkeys)
{
    std::map<std::string, StoredValue> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof(name);
        BYTE data[1024];
        DWORD dataLength = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS)
            break;
        values[name] = StoredValue{type, std::vector<BYTE>(data, data + dataLength)};
    }
    RegCloseKey(key);
    return values;
}

void SetAllFlags(CSettings& settings, BYTE value)
{
    for (const FlagRef& flag : kFlags)
        settings.*flag.member = value;
}

class CSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKeyPath); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKeyPath); }
};

// Users' stored settings are found by these names, in this key: written out, so that renaming one
// in the program fails here.
TEST_F(CSettingsTest, TheStoredNamesStayPut)
{
    const char* const stored[] = {"Init",    "Tray",       "CapLock",    "ScrLock",
                                  "NumLock", "CapLockMsg", "ScrLockMsg", "NumLockMsg"};
    ASSERT_EQ(std::size(stored), std::size(kFlags));
    for (size_t i = 0; i < std::size(stored); ++i)
        EXPECT_STREQ(stored[i], kFlags[i].name);
    EXPECT_STREQ(kKeyPath, CSettings::kKeyPath);
}

TEST_F(CSettingsTest, ConstructionValuesAndLoadWithoutKey)
{
    CSettings settings;
    EXPECT_EQ(0, settings.Init);
    EXPECT_EQ(1, settings.Tray);
    EXPECT_EQ(1, settings.CapLock);
    EXPECT_EQ(1, settings.ScrLock);
    EXPECT_EQ(1, settings.NumLock);
    EXPECT_EQ(0, settings.CapLockMsg);
    EXPECT_EQ(0, settings.ScrLockMsg);
    EXPECT_EQ(0, settings.NumLockMsg);
    EXPECT_STREQ(kKeyPath, CSettings::kKeyPath);

    SetAllFlags(settings, 1);
    settings.Load();
    for (const FlagRef& flag : kFlags)
        EXPECT_EQ(0, settings.*flag.member) << flag.name;
    // Reading never creates the key: that is left to the first save.
    EXPECT_FALSE(KeyExists(kKeyPath));
}

TEST_F(CSettingsTest, LoadReadsEachValueOnItsOwn)
{
    // Only some values present; every flag starts at 1 so a flag left alone would show.
    PutValue("CapLock", REG_BINARY, {1});
    PutValue("NumLockMsg", REG_BINARY, {1});
    PutValue("ScrLock", REG_BINARY, {0});
    CSettings settings;
    SetAllFlags(settings, 1);
    settings.Load();
    for (const FlagRef& flag : kFlags) {
        bool expectedOn = std::string(flag.name) == "CapLock" || std::string(flag.name) == "NumLockMsg";
        EXPECT_EQ(expectedOn ? 1 : 0, settings.*flag.member) << flag.name;
    }

    // All eight present and 0: every flag is replaced, whatever it held.
    for (const FlagRef& flag : kFlags)
        PutValue(flag.name, REG_BINARY, {0});
    SetAllFlags(settings, 1);
    settings.Load();
    for (const FlagRef& flag : kFlags)
        EXPECT_EQ(0, settings.*flag.member) << flag.name;

    // All eight present and nonzero, from a record that held 0.
    for (const FlagRef& flag : kFlags)
        PutValue(flag.name, REG_BINARY, {0x80});
    SetAllFlags(settings, 0);
    settings.Load();
    for (const FlagRef& flag : kFlags)
        EXPECT_EQ(1, settings.*flag.member) << flag.name;
}

TEST_F(CSettingsTest, OnlyBinaryValuesOfOneTo255BytesCount)
{
    CSettings settings;
    const DWORD one = 1;
    std::vector<BYTE> trailing(5, 1);
    trailing[0] = 0;
    struct Case
    {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        BYTE loads;  // the flag is set to the other value first, so a value left alone shows
    };
    const Case cases[] = {
        {"REG_DWORD 1", REG_DWORD,
         std::vector<BYTE>(reinterpret_cast<const BYTE*>(&one), reinterpret_cast<const BYTE*>(&one) + sizeof(one)), 0},
        {"REG_SZ \"1\"", REG_SZ, {'1', 0}, 0},
        {"300 bytes", REG_BINARY, std::vector<BYTE>(300, 1), 0},
        {"zero length", REG_BINARY, {}, 0},
        // The read capacity is 255: a value of exactly that length still counts, one byte more does not.
        {"255 bytes", REG_BINARY, std::vector<BYTE>(255, 1), 1},
        {"256 bytes", REG_BINARY, std::vector<BYTE>(256, 1), 0},
        // Only the first byte decides.
        {"first byte 0, others 1", REG_BINARY, trailing, 0},
    };
    for (const Case& c : cases) {
        PutValue("CapLock", c.type, c.data);
        settings.CapLock = !c.loads;
        settings.Load();
        EXPECT_EQ(c.loads, settings.CapLock) << c.what;
    }

    // A value that is not 1 still loads as 1, and the next save writes it back as 1.
    PutValue("CapLock", REG_BINARY, {0x02});
    settings.CapLock = 0;
    settings.Load();
    EXPECT_EQ(1, settings.CapLock) << "single byte 0x02";
    settings.Save();
    DWORD subkeys = 0;
    auto values = ReadAllValues(&subkeys);
    ASSERT_EQ(1u, values.count("CapLock"));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), values["CapLock"].type);
    EXPECT_EQ(std::vector<BYTE>{0x01}, values["CapLock"].data);
}

TEST_F(CSettingsTest, SaveWritesExactlyEightOneByteValues)
{
    CSettings settings;
    // Two patterns, each the other's inverse, so a swapped name or member shows in one of them.
    const BYTE pattern[8] = {1, 0, 1, 0, 0, 1, 1, 0};
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < 8; ++i)
            settings.*kFlags[i].member = round == 0 ? pattern[i] : static_cast<BYTE>(!pattern[i]);
        EXPECT_TRUE(settings.Save());

        DWORD subkeys = 99;
        auto values = ReadAllValues(&subkeys);
        EXPECT_EQ(0u, subkeys);
        ASSERT_EQ(8u, values.size());
        for (size_t i = 0; i < 8; ++i) {
            SCOPED_TRACE(kFlags[i].name);
            ASSERT_EQ(1u, values.count(kFlags[i].name));
            const StoredValue& stored = values[kFlags[i].name];
            EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored.type);
            EXPECT_EQ(std::vector<BYTE>{settings.*kFlags[i].member}, stored.data);
        }

        // What was saved loads back unchanged into a fresh record.
        CSettings reloaded;
        reloaded.Load();
        for (const FlagRef& flag : kFlags)
            EXPECT_EQ(settings.*flag.member, reloaded.*flag.member) << flag.name;
    }

    // A value that is not the program's own is left alone by Save and not deleted.
    PutValue("Stranger", REG_BINARY, {7});
    settings.Save();
    DWORD subkeys = 0;
    auto values = ReadAllValues(&subkeys);
    EXPECT_EQ(9u, values.size());
    EXPECT_EQ(1u, values.count("Stranger"));
}

TEST_F(CSettingsTest, RegistryAccessorResultsAndLastError)
{
    CRegistry registry;
    BYTE buffer[16];

    // Missing key: status as last error, only the first byte cleared.
    memset(buffer, 0xAA, sizeof(buffer));
    SetLastError(12345);
    EXPECT_EQ(1, registry.ReadValue(HKEY_CURRENT_USER, kKeyPath, "CapLock", buffer, sizeof(buffer)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(0, buffer[0]);
    for (size_t i = 1; i < sizeof(buffer); ++i)
        EXPECT_EQ(0xAA, buffer[i]) << i;

    // Missing value in an existing key.
    PutValue("Other", REG_BINARY, {1});
    memset(buffer, 0xAA, sizeof(buffer));
    SetLastError(12345);
    EXPECT_EQ(1, registry.ReadValue(HKEY_CURRENT_USER, kKeyPath, "CapLock", buffer, sizeof(buffer)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(0xAA, buffer[1]);

    // Wrong type: a failure that leaves the last error as it was.
    const DWORD seven = 7;
    PutValue("CapLock", REG_DWORD,
             std::vector<BYTE>(reinterpret_cast<const BYTE*>(&seven),
                               reinterpret_cast<const BYTE*>(&seven) + sizeof(seven)));
    memset(buffer, 0xAA, sizeof(buffer));
    SetLastError(12345);
    EXPECT_EQ(1, registry.ReadValue(HKEY_CURRENT_USER, kKeyPath, "CapLock", buffer, sizeof(buffer)));
    EXPECT_EQ(12345u, GetLastError());
    EXPECT_EQ(0, buffer[0]);

    // Too long for the buffer: the query's status is the last error.
    PutValue("CapLock", REG_BINARY, std::vector<BYTE>(20, 3));
    SetLastError(12345);
    EXPECT_EQ(1, registry.ReadValue(HKEY_CURRENT_USER, kKeyPath, "CapLock", buffer, 10));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    EXPECT_EQ(0, buffer[0]);

    // Success returns the value's bytes.
    PutValue("CapLock", REG_BINARY, {9, 8, 7});
    memset(buffer, 0, sizeof(buffer));
    EXPECT_EQ(0, registry.ReadValue(HKEY_CURRENT_USER, kKeyPath, "CapLock", buffer, sizeof(buffer)));
    EXPECT_EQ(9, buffer[0]);
    EXPECT_EQ(8, buffer[1]);
    EXPECT_EQ(7, buffer[2]);

    // Writing needs the key; CreateKey makes it and succeeds again when it exists.
    RegDeleteTreeA(HKEY_CURRENT_USER, kKeyPath);
    const BYTE data[2] = {5, 6};
    SetLastError(12345);
    EXPECT_EQ(1, registry.WriteValue(HKEY_CURRENT_USER, kKeyPath, "CapLock", data, 2));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(KeyExists(kKeyPath));
    EXPECT_EQ(0, registry.CreateKey(HKEY_CURRENT_USER, kKeyPath));
    EXPECT_TRUE(KeyExists(kKeyPath));
    EXPECT_EQ(0, registry.CreateKey(HKEY_CURRENT_USER, kKeyPath));
    EXPECT_EQ(0, registry.WriteValue(HKEY_CURRENT_USER, kKeyPath, "CapLock", data, 2));
    DWORD subkeys = 0;
    auto values = ReadAllValues(&subkeys);
    EXPECT_EQ((std::vector<BYTE>{5, 6}), values["CapLock"].data);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), values["CapLock"].type);
}

TEST_F(CSettingsTest, SaveGoesOnAfterCreateKeyFails)
{
    // A volatile parent refuses a non-volatile child, which makes CreateKey fail.
    HKEY parent;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kParentPath, 0, KEY_READ, &parent) == ERROR_SUCCESS) {
        DWORD subkeys = 0, values = 0;
        RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(parent);
        if (subkeys != 0 || values != 0)
            GTEST_SKIP() << "HKCU\\SOFTWARE\\Tavrin holds other data; not touching it";
        RegDeleteTreeA(HKEY_CURRENT_USER, kParentPath);
    }
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kParentPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                                             nullptr, &parent, nullptr));
    RegCloseKey(parent);

    CRegistry registry;
    SetLastError(0);
    EXPECT_EQ(1, registry.CreateKey(HKEY_CURRENT_USER, kKeyPath));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CHILD_MUST_BE_VOLATILE), GetLastError());

    CSettings settings;
    SetAllFlags(settings, 1);
    SetLastError(0);
    EXPECT_FALSE(settings.Save()) << "nothing was stored";
    // Each write then failed by itself; the last one left its status.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(KeyExists(kKeyPath));
    for (const FlagRef& flag : kFlags)
        EXPECT_EQ(1, settings.*flag.member) << flag.name;

    RegDeleteTreeA(HKEY_CURRENT_USER, kParentPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kParentPath);
}

}  // namespace
