#include "LaneLevel.h"

#include <atomic>

namespace pelorin {
namespace {

constexpr LaneLevel kAllLevels[] = {LaneLevel::Scalar, LaneLevel::Sse2, LaneLevel::Avx2,
                                    LaneLevel::Avx512};

bool ProcessorHas(LaneLevel level) {
    switch (level) {
        case LaneLevel::Scalar:
        case LaneLevel::Sse2: return true;  // x86-64's baseline; WebAssembly SIMD on the page
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
        case LaneLevel::Avx2: return __builtin_cpu_supports("avx2");
        case LaneLevel::Avx512: return __builtin_cpu_supports("avx512f");
#else
        case LaneLevel::Avx2:
        case LaneLevel::Avx512: return false;
#endif
    }
    return false;
}

LaneLevel HighestAvailable() {
    LaneLevel highest = LaneLevel::Scalar;
    for (LaneLevel level : kAllLevels)
        if (ProcessorHas(level)) highest = level;
    return highest;
}

std::atomic<int>& ChosenLevel() {
    static std::atomic<int> chosen{static_cast<int>(HighestAvailable())};
    return chosen;
}

}  // namespace

int LanesOf(LaneLevel level) {
    switch (level) {
        case LaneLevel::Scalar: return 1;
        case LaneLevel::Sse2: return 2;
        case LaneLevel::Avx2: return 8;  // two registers of four
        case LaneLevel::Avx512: return 8;
    }
    return 1;
}

std::string_view NameOf(LaneLevel level) {
    switch (level) {
        case LaneLevel::Scalar: return "scalar";
        case LaneLevel::Sse2: return "sse2";
        case LaneLevel::Avx2: return "avx2";
        case LaneLevel::Avx512: return "avx512";
    }
    return "scalar";
}

std::optional<LaneLevel> LaneLevelNamed(std::string_view name) {
    for (LaneLevel level : kAllLevels)
        if (NameOf(level) == name) return level;
    return std::nullopt;
}

std::vector<LaneLevel> AvailableLaneLevels() {
    std::vector<LaneLevel> levels;
    for (LaneLevel level : kAllLevels)
        if (ProcessorHas(level)) levels.push_back(level);
    return levels;
}

bool Available(LaneLevel level) { return ProcessorHas(level); }

LaneLevel CurrentLaneLevel() {
    return static_cast<LaneLevel>(ChosenLevel().load(std::memory_order_relaxed));
}

void SetLaneLevel(LaneLevel level) {
    ChosenLevel().store(static_cast<int>(level), std::memory_order_relaxed);
}

LaneLevelChoice ChooseLaneLevel(std::string_view forced) {
    if (forced.empty()) return {HighestAvailable(), ""};
    const std::optional<LaneLevel> level = LaneLevelNamed(forced);
    if (level && Available(*level)) return {*level, ""};
    std::string has;
    for (LaneLevel available : AvailableLaneLevels())
        has += (has.empty() ? "" : ", ") + std::string(NameOf(available));
    const std::string why = level ? "this processor lacks it" : "no such level";
    return {LaneLevel::Scalar,
            "PELORIN_SIMD=" + std::string(forced) + ": " + why + "; the levels it has are " + has};
}

}  // namespace pelorin
