#include "DesktopSession.h"

#include <utility>

namespace pelorin {

InputReadResult DesktopSession::ReadInputFile() {
    InputReadResult result = pelorin::ReadInputFile(CurrentFileName);
    if (result.Status == FileStatus::Ok) Input = result.Case;
    return result;
}

FileWriteResult DesktopSession::WriteInputFile(const std::string& fileName) const {
    return pelorin::WriteInputFile(fileName, Input);
}

std::string DesktopSession::ReadReportLines(const std::string& fileName) {
    ReportLinesResult result = pelorin::ReadReportLines(fileName);
    if (result.Status == FileStatus::CannotOpen) return result.Message;
    ReportLines = std::move(result.Lines);
    ReportLineCount = static_cast<int>(ReportLines.size());
    return result.Message;
}

std::string DesktopSession::ReadReportProfile(const std::string& fileName) {
    ReportProfileResult result = pelorin::ReadReportProfile(fileName);
    if (result.Status == FileStatus::CannotOpen) return result.Message;
    if (result.TitlesRead) {
        Input.Title1 = result.Title1;
        Input.Title2 = result.Title2;
        ReportMethodTag = result.MethodTag;
    }
    ProfileRowCount = static_cast<int>(result.X.size());
    if (ProfileRowCount > 0) {
        ProfileX = std::move(result.X);
        ProfileHeadDarcy = std::move(result.HeadDarcy);
        ProfileHeadEnergy = std::move(result.HeadEnergy);
    }
    return result.Message;
}

}  // namespace pelorin
