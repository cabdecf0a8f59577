#include "InputFile.h"

#include <cerrno>
#include <cstdio>

#include "CaseLayout.h"
#include "FileSystem.h"
#include "NumberFormat.h"
#include "RunError.h"
#include "TextReader.h"

namespace pelorin {

std::optional<CalcAim> AimFromCode(const std::string& code) {
    if (code == "Spa") return CalcAim::Spacing;
    if (code == "Dis") return CalcAim::Discharge;
    if (code == "Hyd") return CalcAim::WaterTableDepth;
    if (code == "Con") return CalcAim::Conductivity;
    return std::nullopt;
}

const char* AimCodeOf(CalcAim aim) {
    switch (aim) {
        case CalcAim::Spacing: return "Spa";
        case CalcAim::Discharge: return "Dis";
        case CalcAim::WaterTableDepth: return "Hyd";
        case CalcAim::Conductivity: return "Con";
    }
    return "Spa";
}

CalcMethod MethodFromCode(const std::string& code) {
    return code == "Dar" ? CalcMethod::Darcy : CalcMethod::EnergyBalance;
}

const char* MethodCodeOf(CalcMethod method) { return method == CalcMethod::Darcy ? "Dar" : "Ene"; }

std::string CannotOpenMessage(const std::string& fileName, const std::string& middle) {
    return "The file \"" + fileName + "\"could not be opened. It may be " + middle +
           " programmer should incorporate more time.";
}

int InputDecimals(int position, const std::string& aimCode) {
    if (position < 1 || position > kFilePositions) return 3;
    const AimLayout& layout = LayoutOf(AimFromCode(aimCode).value_or(CalcAim::Spacing));
    return layout.fileDecimals[static_cast<std::size_t>(position - 1)];
}

namespace {

std::string Quoted(const std::string& fileName) { return "\"" + fileName + "\""; }

void ReadCodes(TextReader& reader, InputCase& data, const std::string& fileName,
               InputReadResult& result) {
    data.AimCode = reader.ReadChars(3);
    reader.ReadChars(1);
    if (!AimFromCode(data.AimCode)) {
        result.Status = FileStatus::Corrupt;
        result.Messages.push_back(std::string(kProgramErrorText) + "The code in the inputfile " +
                                  Quoted(fileName) + " is corrupt");
    }
    data.MethodCode = reader.ReadChars(3);
    reader.SkipLine();
}

void ReadNumbers(TextReader& reader, InputCase& data, const std::string& fileName,
                 InputReadResult& result) {
    data.Values.clear();
    for (int k = 0; k < kInputValueCount; ++k) {
        data.Values.push_back(0);
        try {
            data.Values.back() = reader.ReadReal();
        } catch (const RunError& error) {
            const bool tooLong = error.Kind() == Fault::NumberTooLong;
            if (error.Kind() != Fault::InvalidNumericInput && !tooLong) throw;
            result.Status = FileStatus::Corrupt;
            result.Messages.push_back(
                std::string(kProgramErrorText) + "Real numbers in the inputfile " +
                Quoted(fileName) + " are corrupt" +
                (tooLong ? " (number " + std::to_string(k + 1) + " is too long)" : ""));
            return;
        }
    }
}

// The whole reading of an input file, from a reader that is open.
void ReadInputText(TextReader& reader, const std::string& fileName, InputReadResult& result) {
    InputCase& data = result.Case;
    try {
        data.Title1 = reader.ReadLine();
        data.Title2 = reader.ReadLine();
        reader.SkipLine();
        ReadCodes(reader, data, fileName, result);
        ReadNumbers(reader, data, fileName, result);
        data.NumbersRead = reader.RealsFound();
    } catch (const RunError& error) {
        if (error.Kind() == Fault::LineTooLong) {
            result.Status = FileStatus::Corrupt;
            result.Messages.push_back(std::string(kProgramErrorText) + "The inputfile " +
                                      Quoted(fileName) + " is corrupt: " + error.what());
        } else {
            result.Status = FileStatus::Fault;
            result.Messages.push_back(error.what());
        }
    }
}

}  // namespace

InputReadResult ReadInputFile(const std::string& fileName) {
    InputReadResult result;
    std::optional<TextReader> reader;
    try {
        reader.emplace(fileName);
    } catch (const RunError& error) {
        result.Status = FileStatus::CannotOpen;
        result.OpenFault = error.Kind();
        result.Messages = {CannotOpenMessage(fileName, "in use by another program,  or the")};
        return result;
    }
    ReadInputText(*reader, fileName, result);
    return result;
}

InputReadResult ParseInputFile(std::string_view bytes, const std::string& fileName) {
    InputReadResult result;
    TextReader reader(TextBytes{bytes});
    ReadInputText(reader, fileName, result);
    return result;
}

CaseInput CaseInputOf(const InputCase& file, const std::string& inputFileName,
                      const std::string& reportFileName) {
    CaseInput input;
    input.Title1 = file.Title1;
    input.Title2 = file.Title2;
    input.Aim = AimFromCode(file.AimCode).value_or(CalcAim::Spacing);
    input.Method = MethodFromCode(file.MethodCode);
    for (std::size_t k = 0; k < input.Numbers.size() && k < file.Values.size(); ++k)
        input.Numbers[k] = file.Values[k];
    input.NumbersRead = file.NumbersRead;
    input.InputFileName = inputFileName;
    input.ReportFileName = reportFileName;
    return input;
}

InputFileText FormatInputFile(const std::string& fileName, const InputCase& inputCase) {
    InputFileText formatted;
    std::string& text = formatted.Text;
    text += inputCase.Title1 + "\r\n";
    text += inputCase.Title2 + "\r\n";
    text += "File Name: " + fileName + "\r\n";
    text += inputCase.AimCode + " " + inputCase.MethodCode + "\r\n";
    for (int position = 1; position <= kInputValueCount; ++position) {
        const double value = position <= static_cast<int>(inputCase.Values.size())
                                 ? inputCase.Values[position - 1]
                                 : 0.0;
        // Judge the width on the bare text: only a number that fills its field
        // gets the separating blank, the others keep the ten-character layout.
        std::string number = FormatFixed(value, 0, InputDecimals(position, inputCase.AimCode));
        // A number too long for the reader would make a file that cannot be
        // opened again: nothing is written.
        if (number.size() > kMaxNumberLength) {
            formatted.Result = {
                FileStatus::Corrupt,
                std::string(kProgramErrorText) + "Real numbers in the inputfile \"" + fileName +
                    "\" are corrupt (number " + std::to_string(position) + " is too long)"};
            return formatted;
        }
        number.insert(0, number.size() >= 10 ? 1 : 10 - number.size(), ' ');
        text += number;
    }
    text += "\r\n";
    return formatted;
}

FileWriteResult WriteInputFile(const std::string& fileName, const InputCase& inputCase,
                               const std::string& folder) {
    const InputFileText formatted = FormatInputFile(fileName, inputCase);
    if (formatted.Result.Status != FileStatus::Ok) return formatted.Result;
    const std::string& text = formatted.Text;
    // Through the one writer: a write that fails part-way (a full disk) leaves
    // the earlier file whole, and a link at the name is replaced, not followed.
    bool opened = false;
    const std::string path = folder.empty() ? fileName : folder + "/" + fileName;
    if (ReplaceFile(path, text, opened) == 0) return {};
    if (!opened) {
        return {FileStatus::CannotOpen,
                CannotOpenMessage(fileName, "damaged, in use by another program,  or the")};
    }
    return {FileStatus::Corrupt, std::string(kProgramErrorText) +
                                     "Real numbers in the inputfile \"" + fileName +
                                     "\" are corrupt"};
}

}  // namespace pelorin
