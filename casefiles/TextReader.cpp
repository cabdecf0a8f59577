#include "TextReader.h"

#include <locale.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "RunError.h"

namespace pelorin {

TextReader::TextReader(const std::string& path) : buffer_(64 * 1024) {
    if (path.empty()) throw RunError(Fault::FileNotFound);
    if (const int error = file_.Open(path); error != 0) throw FileFault(error);
}

TextReader::TextReader(TextBytes text)
    : inMemory_(true), buffer_(text.bytes.begin(), text.bytes.end()), filled_(buffer_.size()) {}

bool TextReader::Fill() {
    if (inMemory_) ended_ = true;
    if (ended_) return false;
    int error = 0;
    const long count = file_.Read(buffer_.data(), buffer_.size(), error);
    if (count < 0) throw FileFault(error);
    next_ = 0;
    filled_ = static_cast<std::size_t>(count);
    ended_ = count == 0;
    return !ended_;
}

int TextReader::Peek() {
    if (next_ == filled_ && !Fill()) return EOF;
    return static_cast<unsigned char>(buffer_[next_]);
}

int TextReader::Get() {
    const int ch = Peek();
    if (ch == EOF) return EOF;
    ++next_;
    if (ch == '\n' || ch == '\r') {
        if (!(ch == '\n' && afterCr_)) ++line_;
        lineLength_ = 0;
    } else if (++lineLength_ > kMaxLineLength) {
        throw RunError(Fault::LineTooLong,
                       "line " + std::to_string(line_) + " is longer than 16 MiB");
    }
    afterCr_ = ch == '\r';
    return ch;
}

bool TextReader::AtEnd() { return Peek() == EOF; }

void TextReader::Rewind() {
    next_ = 0;
    if (!inMemory_) {
        if (const int error = file_.Rewind(); error != 0) throw FileFault(error);
        filled_ = 0;
        ended_ = false;
    }
    lineLength_ = 0;
    line_ = 1;
    afterCr_ = false;
    realsFound_ = 0;
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
    std::string token;
    while (token.size() < kMaxNumberLength && ch != EOF && !IsSeparator(ch)) {
        token.push_back(static_cast<char>(Get()));
        ch = Peek();
    }
    if (ch != EOF && !IsSeparator(ch)) throw RunError(Fault::NumberTooLong);
    const std::optional<double> value = ParseReal(token);
    if (!value) throw RunError(Fault::InvalidNumericInput);
    ++realsFound_;
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
