// US customary units at the edge: typed values become the input file's SI
// numbers and are shown back so that they give the same numbers again; the
// soil-texture presets are the cited table.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "InputFile.h"
#include "NumberFormat.h"
#include "SoilTexture.h"
#include "Units.h"

using namespace pelorin;

namespace {

std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream stream(line);
        std::string cell;
        while (std::getline(stream, cell, ',')) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

Quantity QuantityNamed(const std::string& symbol) {
    for (int k = 0; k < kQuantityCount; ++k)
        if (symbol == TextsOf(static_cast<Quantity>(k)).symbol) return static_cast<Quantity>(k);
    ADD_FAILURE() << "no quantity " << symbol;
    return Quantity::R;
}

// Each typed value goes through the input file writer and reader, as Save/Run
// does, and must come back as the table says, in both directions.
TEST(UsUnits, TypedValuesGiveTheFilesNumbersAndShowThemBack) {
    const auto rows = ReadCsv(PELORIN_SOURCE_DIR "/tests/data/us-units.csv");
    ASSERT_GE(rows.size(), 10u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 5u);
        const CalcAim aim = *AimFromCode(row[0]);
        const Quantity q = QuantityNamed(row[1]);
        const int decimals = FileDecimals(aim, q);
        const double stored = StoredSiValue(std::stod(row[2]), q, UnitSystem::US, decimals);
        EXPECT_EQ(FormatFixed(stored, 0, decimals), row[3]) << row[0] << " " << row[1];
        const std::string shown = ShowStoredValue(stored, q, UnitSystem::US, decimals);
        EXPECT_EQ(shown, row[4]) << row[0] << " " << row[1];
        EXPECT_EQ(StoredSiValue(std::stod(shown), q, UnitSystem::US, decimals), stored)
            << "round trip of " << row[1];
        // SI shows the file's own number.
        EXPECT_EQ(ShowStoredValue(stored, q, UnitSystem::SI, decimals), row[3]);
    }
}

TEST(UsUnits, TextureTableIsTheCitedOne) {
    const auto rows = ReadCsv(PELORIN_SOURCE_DIR "/assets/soil-texture-k.csv");
    ASSERT_EQ(rows.size(), kTextureClasses.size());
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        const TextureClass* texture = FindTextureClass(" " + row[0] + " ");
        ASSERT_NE(texture, nullptr) << row[0];
        EXPECT_EQ(texture->ftPerDay, std::stod(row[1])) << row[0];
        EXPECT_EQ(texture->metresPerDay, std::stod(row[2])) << row[0];
        EXPECT_EQ(TextureConductivity(row[0], UnitSystem::US), std::stod(row[1]));
        EXPECT_EQ(FormatFixed(texture->ftPerDay * 0.3048, 0, 4), row[2]) << row[0];
    }
    EXPECT_EQ(TypicalNote(*FindTextureClass("Silt Loam")), "typical for silt loam, not measured");
    EXPECT_FALSE(TextureConductivity("peat", UnitSystem::SI).has_value());
}

}  // namespace
