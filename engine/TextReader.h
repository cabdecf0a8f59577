#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace pelorin {

// Reads a single-byte text file the way the program's files are read: a line
// ends at LF, CR LF or a lone CR; numbers are read in free format. Every fault
// becomes a RunError with the run-time text of the file layer.
class TextReader {
public:
    explicit TextReader(const std::string& path);
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    bool AtEnd();
    // Back to the first line.
    void Rewind();
    // The rest of the current line, without its line end, which is consumed.
    std::string ReadLine();
    void SkipLine();
    // Up to `count` characters of the current line; the line end is not consumed.
    std::string ReadChars(std::size_t count);
    // One real number: separators (blanks, control characters, line ends) are
    // skipped, then a run of at most 64 other characters must be a number.
    // Only separators before the end of the file read as 0.
    double ReadReal();

private:
    int Peek();
    int Get();
    void CheckStream();

    std::FILE* file_ = nullptr;
};

// A real number in the program's files: an optional sign, digits with an
// optional '.' (or '.' and digits), an optional exponent. No hexadecimal, no
// NaN or infinity, and nothing beyond the range of a double.
std::optional<double> ParseReal(std::string_view text);

inline bool IsSeparator(int ch) { return (ch >= 0 && ch <= ' ') || ch == 0x7F; }

}  // namespace pelorin
