#include "TextReader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <sys/stat.h>

#include "RunError.h"

namespace pelorin {

TextReader::TextReader(const std::string& path) {
    if (path.empty()) throw RunError(Fault::FileNotFound);
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) throw FileFault(errno);
    // A folder opens like a file here but has no text: it counts as a file
    // that cannot be opened.
    struct stat info {};
    if (fstat(fileno(file_), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        throw FileFault(EISDIR);
    }
}

TextReader::~TextReader() {
    if (file_ != nullptr) std::fclose(file_);
}

void TextReader::CheckStream() {
    if (std::ferror(file_)) throw FileFault(errno != 0 ? errno : EIO);
}

int TextReader::Peek() {
    const int ch = std::getc(file_);
    if (ch == EOF) {
        CheckStream();
        return EOF;
    }
    std::ungetc(ch, file_);
    return ch;
}

int TextReader::Get() {
    const int ch = std::getc(file_);
    if (ch == EOF) CheckStream();
    return ch;
}

bool TextReader::AtEnd() { return Peek() == EOF; }

void TextReader::Rewind() {
    if (std::fseek(file_, 0, SEEK_SET) != 0) throw FileFault(errno);
    std::clearerr(file_);
}

std::string TextReader::ReadLine() {
    std::string line;
    for (;;) {
        const int ch = Get();
        if (ch == EOF || ch == '\n') break;
        if (ch == '\r') {
            if (Peek() == '\n') Get();
            break;
        }
        line.push_back(static_cast<char>(ch));
    }
    return line;
}

void TextReader::SkipLine() {
    for (;;) {
        const int ch = Get();
        if (ch == EOF || ch == '\n') return;
        if (ch == '\r') {
            if (Peek() == '\n') Get();
            return;
        }
    }
}

std::string TextReader::ReadChars(std::size_t count) {
    std::string text;
    while (text.size() < count) {
        const int ch = Peek();
        if (ch == EOF || ch == '\n' || ch == '\r') break;
        text.push_back(static_cast<char>(Get()));
    }
    return text;
}

double TextReader::ReadReal() {
    int ch = Peek();
    while (ch != EOF && IsSeparator(ch)) {
        Get();
        ch = Peek();
    }
    if (ch == EOF) return 0.0;
    constexpr std::size_t kMaxNumberLength = 64;
    std::string token;
    while (token.size() < kMaxNumberLength && ch != EOF && !IsSeparator(ch)) {
        token.push_back(static_cast<char>(Get()));
        ch = Peek();
    }
    const std::optional<double> value = ParseReal(token);
    if (!value) throw RunError(Fault::InvalidNumericInput);
    return *value;
}

namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Whether text has the shape of a decimal real number.
bool HasRealShape(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

std::optional<double> ParseReal(std::string_view text) {
    if (!HasRealShape(text)) return std::nullopt;
    const std::string copy(text);
    errno = 0;
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, CLocale());
    if (end != copy.c_str() + copy.size()) return std::nullopt;
    // Too small to represent reads as (nearly) zero; too large is no number.
    if (errno == ERANGE && std::isinf(value)) return std::nullopt;
    return value;
}

}  // namespace pelorin
