#include "FuzzTargets.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "CaseFiles.h"
#include "InputChecks.h"
#include "InputFile.h"
#include "ReportReaders.h"
#include "RunError.h"
#include "TextReader.h"

namespace pelorin::fuzz {
namespace {

namespace fs = std::filesystem;

// A private folder for the files one fuzz input becomes.
const fs::path& WorkFolder() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() / ("pelorin-fuzz-" + std::to_string(getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name) {
    const fs::path path = WorkFolder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path.string();
}

// Cases whose marches would take more than some millions of steps are valid
// but slow; the fuzzer is after crashes and hangs, not long calculations.
bool QuickToRun(const InputCase& c) {
    for (double v : c.Values)
        if (!std::isfinite(v) || std::fabs(v) > 1e6) return false;
    const CalcAim aim = *AimFromCode(c.AimCode);
    const double spacing = aim == CalcAim::Spacing        ? 0
                           : aim == CalcAim::Conductivity ? c.Values[7]
                                                          : c.Values[12];
    // A step count beyond 32 bits stops the run at once with a range check.
    if (aim == CalcAim::WaterTableDepth) return spacing <= 10 || spacing > 43000;
    if (aim == CalcAim::Conductivity && spacing > 430000) return true;
    if (aim == CalcAim::Spacing && c.Values[3] - c.Values[12] < 0.2) return false;
    return spacing <= 20;
}

}  // namespace

int InputFile(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInput(data, size, "case.inp");
    const InputReadResult result = ReadInputFile(path);
    if (result.Status == FileStatus::Ok && result.Case.Values.size() != 13) std::abort();
    if (result.Status == FileStatus::Ok) {
        const std::string copy = (WorkFolder() / "copy.inp").string();
        const FileWriteResult written = WriteInputFile(copy, result.Case);
        // A value whose fixed-point text is too long for an input file (1e308
        // read in exponent form) is refused by the writer; anything else it
        // writes must read back.
        if (written.Status != FileStatus::Ok) {
            if (written.Message.find("is too long)") == std::string::npos) std::abort();
            return 0;
        }
        const InputReadResult again = ReadInputFile(copy);
        if (again.Status != FileStatus::Ok) std::abort();
    }
    return 0;
}

int NumberReading(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)ParseReal(text);
    const std::string path = WriteInput(data, size, "numbers.txt");
    try {
        TextReader reader(path);
        for (int i = 0; i < 20; ++i) (void)reader.ReadReal();
    } catch (const RunError&) {
    }
    return 0;
}

int ReportReaders(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInput(data, size, "report.out");
    const ReportLinesResult lines = ReadReportLines(path);
    const ReportProfileResult profile = ReadReportProfile(path);
    if (profile.X.size() != profile.HeadDarcy.size() ||
        profile.X.size() != profile.HeadEnergy.size())
        std::abort();
    (void)lines;
    return 0;
}

int RunPath(const std::uint8_t* data, std::size_t size) {
    // The bytes are judged in memory first, so that only cases quick to run
    // reach the run, which reads them from the file as every program does.
    const InputReadResult input =
        ParseInputFile(std::string_view(reinterpret_cast<const char*>(data), size), "run.inp");
    if (input.Status != FileStatus::Ok || !QuickToRun(input.Case)) return 0;
    const std::string path = WriteInput(data, size, "run.inp");
    FileRunOptions options;
    options.ErrorListFile = (WorkFolder() / "Error.lst").string();
    SilentSink sink;
    const FileRun run = RunInputFile(path, sink, options);
    if (!run.Ran()) std::abort();  // the same bytes read from the file
    return 0;
}

}  // namespace pelorin::fuzz
