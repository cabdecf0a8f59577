#pragma once

#include <cstddef>
#include <cstdint>

// The bodies of the fuzz targets. libFuzzer drives them through the fuzz_*
// programs; the ordinary test suite replays the inputs that once failed.
namespace pelorin::fuzz {

int InputFile(const std::uint8_t* data, std::size_t size);
int NumberReading(const std::uint8_t* data, std::size_t size);
int ReportReaders(const std::uint8_t* data, std::size_t size);
int RunPath(const std::uint8_t* data, std::size_t size);

}  // namespace pelorin::fuzz
