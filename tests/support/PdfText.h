#pragma once

// What a reader of a PDF file finds in it, through poppler-utils: its text as
// pdftotext lays it out, and its page count and page size as pdfinfo gives
// them.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace pelorin::test {

inline QString RunPoppler(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text in reading order line by line (-layout keeps a table's row on one
// line), every run of white space made one blank.
inline QString PdfText(const QString& file) {
    return RunPoppler(QStringLiteral("pdftotext"),
                      {QStringLiteral("-layout"), file, QStringLiteral("-")})
        .simplified();
}

// "Pages" and "Page size" of pdfinfo, e.g. "2" and "595 x 842 pts (A4)".
inline QString PdfInfo(const QString& file, const QString& field) {
    const QString info = RunPoppler(QStringLiteral("pdfinfo"), {file});
    const QRegularExpression line(
        QStringLiteral("^") + QRegularExpression::escape(field) + QStringLiteral(":\\s*(.*)$"),
        QRegularExpression::MultilineOption);
    return line.match(info).captured(1).trimmed();
}

}  // namespace pelorin::test
