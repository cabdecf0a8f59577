#include "ReportWriter.h"

#include <utility>

#include "NumberFormat.h"
#include "RunError.h"

namespace pelorin {

ReportWriter::ReportWriter() = default;

ReportWriter::ReportWriter(std::string path) : path_(std::move(path)) {
    // A first temporary file, removed at once, so that an unwritable folder
    // stops the run before it starts; the one that is kept is made when the
    // report is whole.
    if (const int error = file_.Begin(path_); error != 0) throw FileFault(error);
    file_.Abandon();
}

void ReportWriter::Number(double value, int width, int decimals) {
    text_.append(FormatFixed(value, width, decimals));
}

void ReportWriter::Commit() {
    if (path_.empty()) return;
    if (const int error = file_.Begin(path_); error != 0) throw FileFault(error);
    if (const int error = file_.Write(text_); error != 0) throw FileFault(error);
    if (const int error = file_.Commit(); error != 0) throw FileFault(error);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return path + extension;
    return path.substr(0, dot) + extension;
}

}  // namespace pelorin
