#include "ReportWriter.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include "NumberFormat.h"
#include "RunError.h"

namespace pelorin {

ReportWriter::ReportWriter() = default;

ReportWriter::ReportWriter(std::string path) : path_(std::move(path)), tempPath_(path_ + ".part") {
    file_ = std::fopen(tempPath_.c_str(), "wb");
    if (file_ == nullptr) throw FileFault(errno);
}

ReportWriter::~ReportWriter() { Discard(); }

void ReportWriter::Discard() noexcept {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
        std::remove(tempPath_.c_str());
    }
}

void ReportWriter::Number(double value, int width, int decimals) {
    text_.append(FormatFixed(value, width, decimals));
}

void ReportWriter::Commit() {
    if (file_ == nullptr) return;
    const bool written = std::fwrite(text_.data(), 1, text_.size(), file_) == text_.size() &&
                         std::fflush(file_) == 0;
    int error = errno;
    if (!written) {
        Discard();
        throw FileFault(error);
    }
    std::FILE* file = std::exchange(file_, nullptr);
    if (std::fclose(file) != 0) {
        error = errno;
        std::remove(tempPath_.c_str());
        throw FileFault(error);
    }
    if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        error = errno;
        std::remove(tempPath_.c_str());
        throw FileFault(error);
    }
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return path + extension;
    return path.substr(0, dot) + extension;
}

}  // namespace pelorin
