#include "DesignSheetCommand.h"

#include <iostream>

#include "DesignSheet.h"
#include "HeadlessGui.h"
#include "InputFile.h"

namespace pelorin::documents {
namespace {

int Fail(const std::string& fileName, const std::string& message) {
    std::cerr << fileName << ": " << message << '\n';
    return 2;
}

}  // namespace

int RunPdfCommand(const std::string& reportFile, const std::string& pdfFile, UnitSystem units) {
    const std::string refusal = DesignSheetOverReportRefusal(pdfFile, reportFile);
    if (!refusal.empty()) return Fail(pdfFile, refusal);
    if (const std::string unread = NamedFileRefusal(reportFile); !unread.empty())
        return Fail(reportFile, unread);
    const auto application = graph::StartHeadlessGui();
    const DesignSheetRead read = ReadDesignSheet(reportFile, std::nullopt, units);
    if (!read.Read()) return Fail(reportFile, read.Refusal.toStdString());
    const QString error = SaveDesignSheetPdf(read.Sheet, pdfFile);
    if (!error.isEmpty()) return Fail(pdfFile, error.toStdString());
    std::cout << pdfFile << '\n';
    return 0;
}

}  // namespace pelorin::documents
