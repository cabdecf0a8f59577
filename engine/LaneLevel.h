#pragma once

// How many marches of a search share one march in the vector lanes of a core:
// the instruction set the lane marches use. Chosen once when a program starts,
// from what the processor has or from a level forced for tests; every level
// gives the same reports byte for byte.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelorin {

enum class LaneLevel { Scalar, Sse2, Avx2, Avx512 };

// The lanes of a march at the level: 1, 2, 8 in two AVX2 registers of four
// (their chains overlap: a step of eight lanes costs about one of four), or 8
// in one AVX-512 register (two cost a third more than one).
int LanesOf(LaneLevel level);

// "scalar", "sse2", "avx2" or "avx512".
std::string_view NameOf(LaneLevel level);
std::optional<LaneLevel> LaneLevelNamed(std::string_view name);

// The levels this processor (and this build) can run, from scalar upwards.
std::vector<LaneLevel> AvailableLaneLevels();
bool Available(LaneLevel level);

// The level the marches of every run in this process use: the highest one
// available, unless a program start-up chose another with SetLaneLevel.
LaneLevel CurrentLaneLevel();
void SetLaneLevel(LaneLevel level);

// The level a program runs with when the variable PELORIN_SIMD holds `forced`
// (empty: not set). Returns the refusal's text instead when `forced` names no
// level or one the processor lacks; the text names the levels it has.
struct LaneLevelChoice {
    LaneLevel level = LaneLevel::Scalar;
    std::string refusal;
};
LaneLevelChoice ChooseLaneLevel(std::string_view forced);

}  // namespace pelorin
