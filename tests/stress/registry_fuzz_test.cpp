// Generated registry states for the eight settings values against the real settings store.
// Each run takes a new seed unless FENLOW_STRESS_SEED is set; the seed is printed to repeat a run.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CSettings.h"
#include "SettingsFlags.h"
#include "FenlowDriver.h"
#include "StressProbe.h"

using e2e::RegistryFixture;
using e2e::RegValue;
using e2e::SplitMix;
using settings_flags::FlagRef;
using settings_flags::kFlags;

namespace {

const int kStates = 1200;

enum Kind { Absent, Binary, Dword, String, MultiString, Subkey, OtherType, KindCount };
const char* const kKindNames[] = {"absent", "REG_BINARY", "REG_DWORD", "REG_SZ", "REG_MULTI_SZ", "subkey", "other"};

struct Planned
{
    Kind kind = Absent;
    std::string name;  // as written: the case may differ from the program's
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool wide = false;  // written with RegSetValueExW (raw UTF-16 bytes)
};

std::vector<BYTE> RandomBytes(SplitMix& rng, size_t size)
{
    std::vector<BYTE> bytes(size);
    for (BYTE& b : bytes)
        b = static_cast<BYTE>(rng.Below(256));
    return bytes;
}

// Lengths around the limits come up often; any length up to 300 can.
size_t BinaryLength(SplitMix& rng)
{
    static const size_t kEdges[] = {0, 1, 2, 3, 4, 8, 127, 128, 254, 255, 256, 257, 299, 300};
    if (rng.Below(2))
        return kEdges[rng.Below(sizeof kEdges / sizeof kEdges[0])];
    return rng.Below(301);
}

// The registry matches names without regard to case: "caplock" is the CapLock value.
std::string MixCase(SplitMix& rng, const char* name)
{
    std::string mixed = name;
    if (rng.Below(4) == 0)
        for (char& c : mixed)
            c = static_cast<char>(rng.Below(2) ? toupper(static_cast<unsigned char>(c))
                                               : tolower(static_cast<unsigned char>(c)));
    return mixed;
}

Planned Plan(SplitMix& rng, const char* name)
{
    Planned p;
    p.kind = static_cast<Kind>(rng.Below(KindCount));
    p.name = MixCase(rng, name);
    switch (p.kind) {
        case Absent:
            break;
        case Binary:
            p.type = REG_BINARY;
            p.data = RandomBytes(rng, BinaryLength(rng));
            // A zero first byte in a third of them, so that "off" values are common too.
            if (!p.data.empty() && rng.Below(3) == 0)
                p.data[0] = 0;
            break;
        case Dword:
            p.type = REG_DWORD;
            // Mostly four bytes; sometimes a malformed length.
            p.data = RandomBytes(rng, rng.Below(4) ? 4 : rng.Below(9));
            break;
        case String:
        case MultiString:
            p.type = p.kind == String ? REG_SZ : REG_MULTI_SZ;
            p.wide = rng.Below(2) != 0;
            // Raw bytes: odd lengths, no terminator, embedded NULs and unpaired surrogates included.
            p.data = RandomBytes(rng, rng.Below(2) ? rng.Below(8) : rng.Below(301));
            break;
        case Subkey:
            break;
        case OtherType: {
            static const DWORD kTypes[] = {REG_NONE,          REG_EXPAND_SZ, REG_DWORD_BIG_ENDIAN, REG_LINK, REG_QWORD,
                                           REG_RESOURCE_LIST, 0x1234};
            p.type = kTypes[rng.Below(sizeof kTypes / sizeof kTypes[0])];
            p.data = RandomBytes(rng, BinaryLength(rng));
            break;
        }
        default:
            break;
    }
    return p;
}

// What the settings store must make of it: a REG_BINARY of 1..255 bytes counts, by its first byte.
BYTE Expected(const Planned& p)
{
    if (p.kind != Binary || p.data.empty() || p.data.size() > 255)
        return 0;
    return p.data[0] ? 1 : 0;
}

std::string Describe(const Planned& p)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s=%s", p.name.c_str(), kKindNames[p.kind]);
    std::string s = text;
    if (p.kind != Absent && p.kind != Subkey) {
        std::snprintf(text, sizeof text, "(type %lu, %u bytes%s, first %02X)", static_cast<unsigned long>(p.type),
                      static_cast<unsigned>(p.data.size()), p.wide ? ", W" : "",
                      p.data.empty() ? 0u : static_cast<unsigned>(p.data[0]));
        s += text;
    }
    return s;
}

bool Write(const Planned& p)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, RegistryFixture::kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = ERROR_SUCCESS;
    const BYTE* data = p.data.empty() ? nullptr : p.data.data();
    DWORD size = static_cast<DWORD>(p.data.size());
    if (p.kind == Subkey) {
        // A key where a value is expected, with a default value that would read as "on".
        HKEY sub = nullptr;
        rc = RegCreateKeyExA(key, p.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
        if (rc == ERROR_SUCCESS) {
            const BYTE one = 1;
            rc = RegSetValueExA(sub, nullptr, 0, REG_BINARY, &one, 1);
            RegCloseKey(sub);
        }
    } else if (p.kind != Absent && p.wide) {
        std::wstring name(p.name.begin(), p.name.end());
        rc = RegSetValueExW(key, name.c_str(), 0, p.type, data, size);
    } else if (p.kind != Absent) {
        rc = RegSetValueExA(key, p.name.c_str(), 0, p.type, data, size);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// After a save: exactly the eight values, each one byte of REG_BINARY equal to the flag.
std::string CheckSaved(const CSettings& settings, const RegistryFixture& registry)
{
    std::vector<RegValue> values = registry.ReadAll();
    std::string problems;
    if (values.size() != 8)
        problems += "value count " + std::to_string(values.size()) + "; ";
    for (const FlagRef& flag : kFlags) {
        int found = 0;
        for (const RegValue& v : values) {
            if (lstrcmpiA(v.name.c_str(), flag.name) != 0)
                continue;
            ++found;
            if (v.type != REG_BINARY || v.data.size() != 1 || v.data[0] != settings.*flag.member)
                problems += std::string(flag.name) + " stored as type " + std::to_string(v.type) + ", " +
                            std::to_string(v.data.size()) + " bytes; ";
        }
        if (found != 1)
            problems += std::string(flag.name) + " found " + std::to_string(found) + " times; ";
    }
    return problems;
}

TEST(StressRegistry, GeneratedStatesLoadByTheRulesAndSaveEightBytes)
{
    const uint64_t seed = e2e::SeedFromEnvironment("FENLOW_STRESS_SEED");
    char seedText[32];
    std::snprintf(seedText, sizeof seedText, "0x%016llX", static_cast<unsigned long long>(seed));
    std::printf("registry fuzz: seed %s, %d states (FENLOW_STRESS_SEED=%s repeats this run)\n", seedText, kStates,
                seedText);
    RecordProperty("seed", seedText);
    SplitMix rng(seed);
    RegistryFixture registry;

    int failures = 0;
    int ons = 0, offs = 0, keyAbsent = 0;
    int kinds[KindCount] = {};
    DWORD start = GetTickCount();
    for (int state = 0; state < kStates && failures < 5; ++state) {
        ASSERT_TRUE(registry.Delete());
        // Now and then no key at all.
        bool withKey = rng.Below(16) != 0;
        std::vector<Planned> plan;
        for (const FlagRef& flag : kFlags) {
            Planned p = Plan(rng, flag.name);
            if (!withKey)
                p = Planned{Absent, flag.name, REG_NONE, {}, false};
            ++kinds[p.kind];
            ASSERT_TRUE(Write(p)) << "state " << state << ": cannot write " << Describe(p);
            plan.push_back(p);
        }
        keyAbsent += !withKey;

        CSettings settings;
        // Whatever the record held before, Load replaces all eight.
        for (const FlagRef& flag : kFlags)
            settings.*flag.member = static_cast<BYTE>(0x5A + rng.Below(100));
        settings.Load();

        std::string problems;
        for (size_t i = 0; i < 8; ++i) {
            BYTE got = settings.*kFlags[i].member;
            BYTE want = Expected(plan[i]);
            (want ? ons : offs)++;
            if (got != want)
                problems += std::string(kFlags[i].name) + " loaded " + std::to_string(got) + ", want " +
                            std::to_string(want) + "; ";
        }
        if (!settings.Save())
            problems += "Save reported a failure; ";
        problems += CheckSaved(settings, registry);

        if (!problems.empty()) {
            ++failures;
            std::string state_text;
            for (const Planned& p : plan)
                state_text += Describe(p) + " ";
            ADD_FAILURE() << "seed " << seedText << ", state " << state << (withKey ? "" : " (no key)") << ": "
                          << problems << "\n  state: " << state_text;
        }
    }
    DWORD spent = GetTickCount() - start;
    std::printf(
        "registry fuzz: %d states in %lu ms; flags read on %d, off %d; key absent %d times;"
        " values absent %d, REG_BINARY %d, REG_DWORD %d, REG_SZ %d, REG_MULTI_SZ %d, subkey %d, other %d\n",
        kStates, static_cast<unsigned long>(spent), ons, offs, keyAbsent, kinds[Absent], kinds[Binary], kinds[Dword],
        kinds[String], kinds[MultiString], kinds[Subkey], kinds[OtherType]);
    RecordProperty("states", kStates);
    RecordProperty("ms", static_cast<int>(spent));
    // Both outcomes must really have been exercised, or the run proves little.
    EXPECT_GT(ons, kStates / 4);
    EXPECT_GT(offs, kStates / 4);
}

// The accessor never writes past the size it is given, whatever the stored value.
TEST(StressRegistry, ReadValueStaysInsideItsBuffer)
{
    const uint64_t seed = e2e::SeedFromEnvironment("FENLOW_STRESS_SEED");
    std::printf("read bounds: seed 0x%016llX\n", static_cast<unsigned long long>(seed));
    SplitMix rng(seed ^ 0x5EEDull);
    RegistryFixture registry;
    CRegistry accessor;
    const DWORD kSize = 255;
    const size_t kGuard = 64;
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(registry.Delete());
        Planned p = Plan(rng, "CapLock");
        ASSERT_TRUE(Write(p));
        std::vector<BYTE> buffer(kSize + kGuard, 0xCC);
        int rc = accessor.ReadValue(HKEY_CURRENT_USER, RegistryFixture::kPath, "CapLock", buffer.data(), kSize);
        for (size_t g = kSize; g < buffer.size(); ++g)
            ASSERT_EQ(0xCC, buffer[g]) << "byte " << g << " written, " << Describe(p);
        bool counts = p.kind == Binary && !p.data.empty() && p.data.size() <= kSize;
        ASSERT_EQ(counts || (p.kind == Binary && p.data.empty()) ? 0 : 1, rc) << Describe(p);
        if (rc != 0) {
            ASSERT_EQ(0, buffer[0]) << Describe(p);
        } else if (!p.data.empty()) {
            ASSERT_EQ(0, std::memcmp(buffer.data(), p.data.data(), p.data.size())) << Describe(p);
        }
    }
}

}  // namespace
