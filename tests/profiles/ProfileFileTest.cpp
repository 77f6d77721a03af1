// The profile file: the values an export writes, exact round trips through import,
// clamping, and files that are rejected without touching the stored profiles.
#include "ProfileFile.h"
#include "CanvasLayout.h"
#include "KeyboardFrames.h"
#include "MemoryDefaults.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace et;
using ::testing::ElementsAre;

namespace {

// Where values sit in the file, counted by hand from its layout.
constexpr int kBlink = 3;
constexpr int kFirstFlag = 4;
constexpr int kFirstKey = 366;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

int colorValue(int profile, int index, int component) {
    return 14 + ((profile - 1) * kColorCount + index) * 3 + component;
}
int keyValue(int profile, int32_t id) {
    const auto& ids = canvasKeyIds();
    return kFirstKey + (profile - 1) * 115 +
           static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

void storeRandomProfiles(ProfileStore& store, std::mt19937& rng) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> color(0, 12);
    store.defaults().setDouble("blinkTimePref", unit(rng) * 5.0);
    for (int n = 1; n <= 9; ++n) {
        ColorSet set;
        for (Color& c : set)
            c = {unit(rng), unit(rng), unit(rng), 1.0};
        store.saveProfileColors(set, n);
        KeyMap map(528);
        for (int& v : map)
            v = color(rng);
        store.saveKeyToColorMap(map, n);
        store.saveCooldownFlag(n, unit(rng) < 0.5);
    }
}

struct ProfileFileTest : ::testing::Test {
    MemoryDefaults defaults;
    ProfileStore store{defaults};

    std::vector<float> exported() { return exportProfileValues(store, "118"); }
    ProfileImport importValues(const std::vector<float>& values) {
        return importProfileFile(encodeProfileValues(values), store);
    }
};

} // namespace

TEST_F(ProfileFileTest, ExportOfTheDefaultProfiles) {
    defaults.setDouble("blinkTimePref", 0.25);
    store.saveCooldownFlag(9, true);
    const auto v = exported();
    ASSERT_EQ(v.size(), kProfileFileValues);
    EXPECT_THAT(std::vector<float>(v.begin(), v.begin() + 5),
                ElementsAre(654321.0f, 118.0f, 1.0f, 0.25f, 0.0f));
    EXPECT_EQ(v[kFirstFlag + 8], 1.0f);
    for (int marker : {13, 365, 1401})
        EXPECT_EQ(v[marker], 654321.0f) << marker;
    EXPECT_THAT(std::vector<float>(v.begin() + 14, v.begin() + 17), ElementsAre(1.0f, 0.5f, 0.0f));
    EXPECT_EQ(v[kFirstKey], 5.0f) << "Esc is color B";
    EXPECT_EQ(v[keyValue(9, 522)], 11.0f) << "the badge is color H";

    const auto bytes = encodeProfileValues(v);
    ASSERT_EQ(bytes.size(), 5608u);
    EXPECT_THAT(std::vector<int>(bytes.begin(), bytes.begin() + 4),
                ElementsAre(0x10, 0xBF, 0x1F, 0x49));

    // A build that is not a plain number is written as 0.
    for (const char* build : {"1.2.3", "", "12a"})
        EXPECT_EQ(exportProfileValues(store, build)[1], 0.0f) << build;
    EXPECT_EQ(exportProfileValues(store, "1e300")[1], std::numeric_limits<float>::max());
}

TEST_F(ProfileFileTest, RandomProfilesSurviveExportAndImport) {
    std::mt19937 rng(2024);
    const std::set<int32_t> keys(canvasKeyIds().begin(), canvasKeyIds().end());
    for (int round = 0; round < 3; ++round) {
        storeRandomProfiles(store, rng);
        auto bytes = exportProfileFile(store, "7");
        MemoryDefaults target;
        ProfileStore into(target);
        bytes.insert(bytes.end(), {0x12, 0x34, 0x56}); // trailing bytes are ignored
        const ProfileImport result = importProfileFile(bytes, into);
        ASSERT_EQ(result.status, kProfileFileDone);
        EXPECT_FALSE(result.readPastEnd);
        EXPECT_EQ(*target.getDouble("blinkTimePref"),
                  static_cast<double>(static_cast<float>(*defaults.getDouble("blinkTimePref"))));
        for (int n = 1; n <= 9; ++n) {
            EXPECT_EQ(into.loadCooldownFlag(n), store.loadCooldownFlag(n));
            ColorSet original, imported;
            store.loadProfileColors(original, n);
            into.loadProfileColors(imported, n);
            for (Color& c : original) // the file holds floats
                c = {static_cast<float>(c.red), static_cast<float>(c.green),
                     static_cast<float>(c.blue), 1.0};
            EXPECT_EQ(imported, original) << n;
            KeyMap originalMap, importedMap;
            store.loadKeyToColorMap(originalMap, n);
            into.loadKeyToColorMap(importedMap, n);
            ASSERT_EQ(importedMap.size(), 528u);
            for (int32_t id = 0; id < 528; ++id)
                EXPECT_EQ(importedMap[id], keys.count(id) ? originalMap[id] : 0) << id;
        }
        // Exporting what was imported gives the same file.
        bytes.resize(bytes.size() - 3);
        EXPECT_EQ(exportProfileFile(into, "7"), bytes);
    }
}

TEST_F(ProfileFileTest, OutOfRangeValuesAreClampedAndHeaderValuesIgnored) {
    auto v = exported();
    v[1] = kNaN;
    v[2] = -1e30f;
    v[kBlink] = 9.0f;
    v[colorValue(1, kColorA, 0)] = 1.5f;
    v[colorValue(2, kColorB, 1)] = -0.5f;
    v[colorValue(3, kColorC, 2)] = std::numeric_limits<float>::infinity();
    v[keyValue(1, CLK_Escape)] = 14.7f;
    v[keyValue(1, CLK_Q)] = -3.0f;
    v[keyValue(1, CLK_W)] = 6.9f;
    v[keyValue(4, 522)] = kNaN;
    ASSERT_EQ(importValues(v).status, kProfileFileDone);
    EXPECT_EQ(defaults.getDouble("blinkTimePref"), 5.0);
    ColorSet set1, set2, set3;
    store.loadProfileColors(set1, 1);
    store.loadProfileColors(set2, 2);
    store.loadProfileColors(set3, 3);
    EXPECT_EQ(set1[kColorA].red, 1.0);
    EXPECT_EQ(set2[kColorB].green, 0.0);
    EXPECT_EQ(set3[kColorC].blue, 1.0);
    KeyMap map;
    store.loadKeyToColorMap(map, 1);
    EXPECT_THAT((std::vector{map[CLK_Escape], map[CLK_Q], map[CLK_W]}), ElementsAre(12, 0, 6));
    store.loadKeyToColorMap(map, 4);
    EXPECT_EQ(map[522], 12) << "NaN in the key maps is 12";
}

TEST_F(ProfileFileTest, RejectedFilesLeaveTheStoreUnchanged) {
    std::mt19937 rng(99);
    storeRandomProfiles(store, rng);
    const auto good = exported();
    const auto before = defaults.values();
    auto withValue = [&](int index, float value) {
        auto v = good;
        v[index] = value;
        return v;
    };
    const std::vector<std::pair<const char*, std::vector<float>>> bad = {
        {"first marker", withValue(0, 654320.0f)},
        {"third marker", withValue(365, kNaN)},
        {"last marker", withValue(1401, 654321.5f)},
        {"flag of one half", withValue(kFirstFlag + 2, 0.5f)},
        {"flag of NaN", withValue(kFirstFlag + 8, kNaN)},
        {"blink time NaN", withValue(kBlink, kNaN)},
        {"color NaN", withValue(colorValue(9, kColorL, 2), kNaN)},
        {"one value short", std::vector<float>(good.begin(), good.end() - 1)},
        {"cut after the colors", std::vector<float>(good.begin(), good.begin() + 366)},
        {"empty", {}},
    };
    for (const auto& [what, values] : bad) {
        const ProfileImport result = importValues(values);
        EXPECT_EQ(result.status, kProfileFileInvalid) << what;
        EXPECT_EQ(result.readPastEnd, !values.empty() && values.size() < good.size()) << what;
        EXPECT_EQ(defaults.values(), before) << what;
    }
    const std::vector<unsigned char> threeBytes{0x10, 0xBF, 0x1F};
    EXPECT_EQ(importProfileFile(threeBytes, store).status, kProfileFileInvalid);
    EXPECT_EQ(defaults.values(), before);
}
