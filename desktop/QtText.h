#pragma once

// Texts between the windows and the files: file contents are single-byte
// text, file names are in the system's encoding.

#include <QFile>
#include <QString>

#include <string>

namespace pelorin {

inline std::string ToFileText(const QString& text) { return text.toLatin1().toStdString(); }
inline QString FromFileText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FileNameToStd(const QString& name) {
    return QFile::encodeName(name).toStdString();
}
inline QString FileNameFromStd(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

// The characters of the text that single-byte file text cannot hold, each once,
// in the order they first appear, separated by ", "; empty when there are none.
QString CharactersOutsideLatin1(const QString& text);

// A line of a report as the Output sheet shows it: file text is Latin-1, but
// the two lines that name the input and the report file hold the names as the
// system's bytes, shown as the system spells them where they are valid UTF-8.
QString ReportLineForDisplay(int lineNumber, const std::string& line);

}  // namespace pelorin
