#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "FuzzTargets.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = std::filesystem;

using Target = int (*)(const std::uint8_t*, std::size_t);

// Every input kept under fuzz/regressions/<target>/ once broke that target or
// stands for a hostile file; each must now go through without a crash (the
// targets abort when a reader breaks its own promises).
TEST(FuzzRegressions, KeptInputsRunCleanly) {
    const std::map<std::string, Target> targets = {
        {"input_file", fuzz::InputFile},
        {"number_reading", fuzz::NumberReading},
        {"report_readers", fuzz::ReportReaders},
        {"run_path", fuzz::RunPath},
    };
    int replayed = 0;
    for (const auto& [name, target] : targets) {
        const fs::path folder = test::SourceDir() / "fuzz" / "regressions" / name;
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string bytes = test::ReadFile(entry.path());
            SCOPED_TRACE(entry.path().string());
            EXPECT_EQ(target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 4);
}

}  // namespace
}  // namespace pelorin
