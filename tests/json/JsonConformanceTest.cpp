// Every file of the JSONTestSuite parsing corpus: nothing crashes (run this test under
// AddressSanitizer too), every file a parser must accept is accepted, and the files a
// strict parser must reject are rejected except for a fixed list of deliberate leniencies.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include "JSON.h"

#ifndef JSON_TEST_SUITE_DIR
#define JSON_TEST_SUITE_DIR ""
#endif

namespace {

namespace fs = std::filesystem;

// The rejection files this grammar accepts on purpose, each with its reason.
const std::set<std::string> kAcceptedOnPurpose = {
    // "123" then a NUL byte: the narrow text is a C string and ends at the NUL.
    "n_multidigit_number_then_00.json",
    // A raw tab inside a string: the only raw control character strings may hold.
    "n_string_unescaped_tab.json",
    // [True]: the literals true, false and null are matched without regard to case.
    "n_structure_capitalized_True.json",
};

bool parses(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The narrow entry point reads a C string: the text ends at its first NUL byte.
    return std::unique_ptr<JSONValue>(JSON::Parse(bytes.c_str())) != nullptr;
}

} // namespace

TEST(JsonConformance, SuiteFilesParseAsTheGrammarSays) {
    const fs::path folder = JSON_TEST_SUITE_DIR;
    if (folder.empty() || !fs::is_directory(folder))
        GTEST_SKIP() << "JSONTestSuite not found (set ET_JSON_TEST_SUITE_DIR)";
    std::size_t files = 0;
    std::set<std::string> nAccepted;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".json") continue;
        ++files;
        const bool accepted = parses(entry.path()); // i_ files: only "no crash" matters
        EXPECT_TRUE(accepted || !name.starts_with("y_")) << "rejected: " << name;
        if (name.starts_with("n_") && accepted) nAccepted.insert(name);
    }
    EXPECT_GT(files, 300u);
    EXPECT_EQ(nAccepted, kAcceptedOnPurpose);
}
