#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"

namespace pelorin {

// The longest number an input file may hold, in characters.
inline constexpr std::size_t kMaxNumberLength = 64;

// The bytes of a file that is already in memory (the page's, a study's row).
struct TextBytes {
    std::string_view bytes;
};

// Reads a single-byte text the way the program's files are read: a line ends
// at LF, CR LF or a lone CR; numbers are read in free format. The text is a
// file, read as it goes, or bytes already in memory, which are read the same
// way. Every fault becomes a RunError with the run-time text of the file
// layer. Only regular files are read. A line longer than kMaxLineLength ends
// the reading with Fault::LineTooLong, so that a file without line ends cannot
// take the memory.
class TextReader {
  public:
    static constexpr std::size_t kMaxLineLength = 16 * 1024 * 1024;

    explicit TextReader(const std::string& path);
    explicit TextReader(TextBytes text);
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
    // skipped, then a run of at most 64 other characters must be a number;
    // a longer run is Fault::NumberTooLong. Only separators before the end of
    // the file read as 0.
    double ReadReal();
    // How many of the ReadReal calls so far found a number (the others met
    // the end of the text and read 0).
    int RealsFound() const { return realsFound_; }

  private:
    int Peek();
    int Get();
    bool Fill();

    FileReader file_;
    bool inMemory_ = false;  // buffer_ holds the whole text; there is no file
    std::vector<char> buffer_;
    std::size_t next_ = 0;        // the next byte of buffer_ to hand out
    std::size_t filled_ = 0;      // bytes of buffer_ that hold file content
    bool ended_ = false;          // the file gave no more bytes
    std::size_t lineLength_ = 0;  // bytes of the current line handed out so far
    long line_ = 1;               // the number of the current line
    bool afterCr_ = false;        // the last byte handed out was a CR
    int realsFound_ = 0;
};

// A real number in the program's files: an optional sign, digits with an
// optional '.' (or '.' and digits), an optional exponent. No hexadecimal, no
// NaN or infinity, and nothing beyond the range of a double.
std::optional<double> ParseReal(std::string_view text);

inline bool IsSeparator(int ch) { return (ch >= 0 && ch <= ' ') || ch == 0x7F; }

}  // namespace pelorin
