#include "PictureFiles.h"

#include <cstdint>

namespace pelorin {

namespace {

const QString kEndsEarly = QStringLiteral("it ends before its picture does");

// Little-endian and big-endian unsigned fields; 0 past the end.
std::uint32_t Le(const QByteArray& b, qsizetype at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | (at + i < b.size() ? static_cast<std::uint8_t>(b[at + i]) : 0u);
    return value;
}

std::uint32_t Be32(const QByteArray& b, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | (at + i < b.size() ? static_cast<std::uint8_t>(b[at + i]) : 0u);
    return value;
}

// A PNG file is a chain of chunks that must reach its end chunk.
QString PngReason(const QByteArray& b) {
    qsizetype at = 8;
    while (at + 12 <= b.size()) {
        const std::uint32_t length = Be32(b, at);
        const QByteArray type = b.mid(at + 4, 4);
        if (length > 0x7FFFFFFFu || at + 12 + qsizetype(length) > b.size()) return kEndsEarly;
        if (type == "IEND") return {};
        at += 12 + qsizetype(length);
    }
    return kEndsEarly;
}

// Run-length coded rows must cover the whole picture, row by row, before the
// end marker: a row left short or a skip would leave pixels unset.
QString RleReason(const QByteArray& b, qsizetype at, std::int64_t width, std::int64_t height,
                  bool fourBits) {
    std::int64_t x = 0;
    std::int64_t rows = 0;
    while (at + 2 <= b.size()) {
        const int count = static_cast<std::uint8_t>(b[at]);
        const int code = static_cast<std::uint8_t>(b[at + 1]);
        at += 2;
        if (count > 0) {
            x += count;
        } else if (code == 0 || code == 1) {  // end of row, end of picture
            if (x < width) return QStringLiteral("it leaves pixels of its picture unset");
            x = 0;
            ++rows;
            if (code == 1 || rows == height)
                return rows >= height ? QString()
                                      : QStringLiteral("it leaves pixels of its picture unset");
        } else if (code == 2) {
            return QStringLiteral("it leaves pixels of its picture unset");
        } else {  // a literal run, padded to an even length
            const qsizetype bytes = fourBits ? (code + 1) / 2 : code;
            at += bytes + (bytes % 2);
            x += code;
        }
    }
    return kEndsEarly;
}

QString BmpReason(const QByteArray& b) {
    if (b.size() < 18) return kEndsEarly;
    const std::uint32_t dataOffset = Le(b, 10, 4);
    const std::uint32_t headerSize = Le(b, 14, 4);
    if (headerSize != 12 && headerSize < 40) return QStringLiteral("its header is damaged");
    if (b.size() < 14 + qsizetype(headerSize)) return kEndsEarly;
    const bool core = headerSize == 12;
    const std::int64_t width = core ? Le(b, 18, 2) : static_cast<std::int32_t>(Le(b, 18, 4));
    const std::int64_t rawHeight = core ? Le(b, 20, 2) : static_cast<std::int32_t>(Le(b, 22, 4));
    const std::int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    const int bits = static_cast<int>(Le(b, core ? 24 : 28, 2));
    const std::uint32_t compression = core ? 0 : Le(b, 30, 4);
    const std::uint32_t coloursUsed = core ? 0 : Le(b, 46, 4);
    if (width <= 0 || height <= 0) return QStringLiteral("its picture has no size");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return QStringLiteral("its header is damaged");
    std::int64_t tables = 0;  // colour masks and palette after the header
    if (compression == 3 && headerSize == 40) tables += 12;
    if (compression == 6 && headerSize == 40) tables += 16;
    if (bits <= 8)
        tables += std::int64_t(coloursUsed != 0 ? coloursUsed : 1u << bits) * (core ? 3 : 4);
    if (14 + headerSize + tables > b.size()) return kEndsEarly;
    if (dataOffset > b.size()) return kEndsEarly;
    switch (compression) {
        case 0:
        case 3:
        case 6: {
            const std::int64_t stride = (width * bits + 31) / 32 * 4;
            return std::int64_t(dataOffset) + stride * height > b.size() ? kEndsEarly : QString();
        }
        case 1:
            return bits == 8 ? RleReason(b, dataOffset, width, height, false)
                             : QStringLiteral("its header is damaged");
        case 2:
            return bits == 4 ? RleReason(b, dataOffset, width, height, true)
                             : QStringLiteral("its header is damaged");
        default:
            return QStringLiteral("its bitmap is compressed in a way this program does not read");
    }
}

}  // namespace

QString IncompletePictureReason(const QByteArray& bytes) {
    if (bytes.isEmpty()) return QStringLiteral("it is empty");
    if (bytes.startsWith("BM")) return BmpReason(bytes);
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) return PngReason(bytes);
    return QStringLiteral("it is neither a bitmap (.bmp) nor a PNG picture");
}

}  // namespace pelorin
