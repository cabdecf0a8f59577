#include "QtText.h"

#include <QStringDecoder>

#include "ReportDisplay.h"

namespace pelorin {

QString CharactersOutsideLatin1(const QString& text) {
    QList<char32_t> seen;
    QStringList foreign;
    for (const char32_t c : text.toUcs4()) {
        if (c <= 0xFF || seen.contains(c)) continue;
        seen << c;
        foreign << QString::fromUcs4(&c, 1);
    }
    return foreign.join(QStringLiteral(", "));
}

QString ReportLineForDisplay(int lineNumber, const std::string& line) {
    if (lineNumber >= kFirstFileNameLine && lineNumber <= kLastFileNameLine) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = utf8(QByteArrayView(line.data(), qsizetype(line.size())));
        if (!utf8.hasError()) return decoded;
    }
    return FromFileText(line);
}

}  // namespace pelorin
