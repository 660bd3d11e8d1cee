// Two copies of the program saving into the one settings key at the same time.
#include "StressSession.h"

#include <array>
#include <iterator>
#include <thread>

#include "SettingsFlags.h"

using namespace e2e;
using settings_flags::kFlags;

namespace {

class StressTwoInstances : public StressFenlow
{
};

const int kRounds = 150;

// The options boxes of flags 2 to 8, in flag order.
const int kBoxes[] = {IDC_HIDE_TRAY, IDC_ICON_CAPS,  IDC_ICON_SCROLL, IDC_ICON_NUM,
                      IDC_MSG_CAPS,  IDC_MSG_SCROLL, IDC_MSG_NUM};

using Flags = std::array<uint8_t, 8>;

// Sets the boxes, then presses OK the way the button does: each call returns once saved.
void SaveRounds(const Fenlow& f, uint64_t seed, std::vector<Flags>* saved, bool* ok)
{
    SplitMix rng(seed);
    HWND okButton = f.Box(IDOK);
    for (int round = 0; round < kRounds; ++round) {
        Flags flags = {1};
        for (int b = 0; b < 7; ++b) {
            flags[b + 1] = static_cast<uint8_t>(rng.Below(2));
            SendTimeout(f.Box(kBoxes[b]), BM_SETCHECK, flags[b + 1] ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(f.options, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(okButton), SMTO_ABORTIFHUNG, 10000, &result)) {
            *ok = false;
            return;
        }
        saved->push_back(flags);
    }
    *ok = true;
}

TEST_F(StressTwoInstances, TwoInstancesSavingTogetherLeaveEightValidValues)
{
    Fenlow a = Start();
    Fenlow b = Start();
    ASSERT_TRUE(a.options);
    ASSERT_TRUE(b.options);
    ASSERT_NE(a.process.Pid(), b.process.Pid());
    // Both are first starts: both show the settings window, and the key is still untouched.
    EXPECT_TRUE(IsWindowVisible(a.main));
    EXPECT_TRUE(IsWindowVisible(b.main));
    EXPECT_FALSE(registry.KeyExists());

    const uint64_t seed = SeedFromEnvironment("FENLOW_STRESS_SEED");
    std::printf("two instances: seed 0x%016llX, %d saves each\n", static_cast<unsigned long long>(seed), kRounds);
    std::vector<Flags> savedA, savedB;
    bool okA = false, okB = false;
    // Each from its own thread, so that the two programs' saves overlap.
    DWORD start = GetTickCount();
    std::thread ta(SaveRounds, std::cref(a), seed, &savedA, &okA);
    std::thread tb(SaveRounds, std::cref(b), seed ^ 0xB0B, &savedB, &okB);
    ta.join();
    tb.join();
    DWORD savingMs = GetTickCount() - start;
    ASSERT_TRUE(okA);
    ASSERT_TRUE(okB);
    std::printf("two instances: %d saves in %lu ms, both at once\n", 2 * kRounds, static_cast<unsigned long>(savingMs));
    Figure("saves", 2 * kRounds);
    Figure("saving_ms", savingMs, " ms");
    ASSERT_EQ(static_cast<size_t>(kRounds), savedA.size());
    ASSERT_EQ(static_cast<size_t>(kRounds), savedB.size());
    EXPECT_TRUE(a.process.Running());
    EXPECT_TRUE(b.process.Running());

    // Exactly eight one-byte REG_BINARY values, each 0 or 1, each as one of the two last saved it.
    std::vector<RegValue> values = registry.ReadAll();
    EXPECT_EQ(std::size(kFlags), values.size());
    Flags stored = {};
    for (int i = 0; i < 8; ++i) {
        std::optional<RegValue> v = registry.Read(kFlags[i].name);
        ASSERT_TRUE(v) << kFlags[i].name;
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), v->type) << kFlags[i].name;
        ASSERT_EQ(1u, v->data.size()) << kFlags[i].name;
        EXPECT_LE(v->data[0], 1) << kFlags[i].name;
        stored[i] = v->data[0];
        EXPECT_TRUE(stored[i] == savedA.back()[i] || stored[i] == savedB.back()[i]) << kFlags[i].name;
    }
    EXPECT_EQ(1, stored[0]);
    std::printf("two instances: the key holds %u values:", static_cast<unsigned>(values.size()));
    for (const RegValue& v : values)
        std::printf(" %s=%s%u(%u byte)", v.name.c_str(), v.type == REG_BINARY ? "" : "(not binary)",
                    v.data.empty() ? 0u : v.data[0], static_cast<unsigned>(v.data.size()));
    std::printf("\n");

    // Each still shows the icons it chose last.
    for (const Fenlow* f : {&a, &b}) {
        const Flags& last = f == &a ? savedA.back() : savedB.back();
        std::vector<UINT> want;
        if (!last[2] && !last[3] && !last[4])
            want.push_back(0);
        for (UINT id = 1; id <= 3; ++id)
            if (last[1 + id])
                want.push_back(id);
        EXPECT_EQ(want, TrayIdsOf(f->process.Pid()));
    }

    // A third start loads what is there: hidden (Init is 1), with the stored icons.
    Fenlow c = Start();
    ASSERT_TRUE(c.main);
    EXPECT_FALSE(IsWindowVisible(c.main));
    for (int b2 = 0; b2 < 7; ++b2)
        EXPECT_EQ(stored[b2 + 1] ? BST_CHECKED : BST_UNCHECKED, CheckState(c.Box(kBoxes[b2]))) << kFlags[b2 + 1].name;
}

}  // namespace
