#pragma once

// Texts between the windows and the files: file contents are single-byte
// text, file names are in the system's encoding.

#include <QFile>
#include <QString>

#include <string>

namespace pelorin {

inline std::string ToFileText(const QString& text) {
    return text.toLatin1().toStdString();
}
inline QString FromFileText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FileNameToStd(const QString& name) {
    return QFile::encodeName(name).toStdString();
}
inline QString FileNameFromStd(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace pelorin
