#include "GraphFiles.h"

#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <string_view>

#include "FileSystem.h"
#include "GraphScales.h"
#include "RunError.h"

namespace pelorin::graph {
namespace {

// The canvas is laid out in pixels of a 96 dpi screen; a drawing keeps them as
// its units, so a PDF page is 3/4 of a point per pixel.
constexpr int kCanvasDpi = 96;
constexpr int kPdfDpi = 1200;

bool EndsWith(const std::string& fileName, std::string_view suffix) {
    if (fileName.size() < suffix.size()) return false;
    return QByteArray::fromStdString(fileName.substr(fileName.size() - suffix.size())).toLower() ==
           QByteArray(suffix.data(), static_cast<qsizetype>(suffix.size()));
}

}  // namespace

GraphFileFormat GraphFileFormatOf(const std::string& fileName) {
    if (EndsWith(fileName, ".png")) return GraphFileFormat::Png;
    if (EndsWith(fileName, ".svg")) return GraphFileFormat::Svg;
    if (EndsWith(fileName, ".pdf")) return GraphFileFormat::Pdf;
    return GraphFileFormat::Bitmap;
}

QByteArray GraphSvg(const GraphPicture& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(kCanvasWidth, kCanvasHeight));
    generator.setViewBox(QRect(0, 0, kCanvasWidth, kCanvasHeight));
    generator.setResolution(kCanvasDpi);
    generator.setTitle(picture.Title);
    generator.setDescription(QStringLiteral("Water table between the drains"));
    QPainter painter(&generator);
    PaintGraphScene(painter, picture.Scene, picture.Palette, GraphTarget::Drawing);
    painter.end();
    return bytes;
}

QByteArray GraphPdf(const GraphPicture& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    // Painted finer than the canvas pixels and scaled down to them: the texts
    // then keep their font's own spacing (not that of whole pixels), and a
    // reader of the file finds their words whole.
    writer.setResolution(kPdfDpi);
    const QSizeF points(kCanvasWidth * 72.0 / kCanvasDpi, kCanvasHeight * 72.0 / kCanvasDpi);
    writer.setPageLayout(
        QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(picture.Title);
    writer.setCreator(QStringLiteral("Pelorin"));
    QPainter painter(&writer);
    painter.scale(static_cast<double>(kPdfDpi) / kCanvasDpi,
                  static_cast<double>(kPdfDpi) / kCanvasDpi);
    PaintGraphScene(painter, picture.Scene, picture.Palette, GraphTarget::Drawing);
    painter.end();
    return bytes;
}

QString SaveGraphFile(const GraphPicture& picture, const std::string& fileName) {
    switch (GraphFileFormatOf(fileName)) {
        case GraphFileFormat::Svg: return WriteWholeFile(fileName, GraphSvg(picture));
        case GraphFileFormat::Pdf: return WriteWholeFile(fileName, GraphPdf(picture));
        case GraphFileFormat::Png:
        case GraphFileFormat::Bitmap: return SaveGraphImage(picture.Image, fileName);
    }
    return {};
}

QString SaveGraphFile(const GraphPicture& picture, const QString& fileName) {
    return SaveGraphFile(picture, QFile::encodeName(fileName).toStdString());
}

QString WriteWholeFile(const std::string& fileName, const QByteArray& bytes) {
    bool begun = false;
    const int error =
        ReplaceFile(fileName, std::string_view(bytes.constData(), bytes.size()), begun);
    if (error == 0) return {};
    return QString::fromLatin1(FileFault(error).what());
}

}  // namespace pelorin::graph
