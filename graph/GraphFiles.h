#pragma once

// The graph as a file: a Windows bitmap or a PNG picture of the canvas, or the
// same scene as a drawing (SVG, or a one-page PDF) whose texts stay texts, so
// that a document can scale it without blur and its words can be searched.

#include <QByteArray>
#include <QString>
#include <string>

#include "GraphDrawing.h"

namespace pelorin::graph {

enum class GraphFileFormat { Bitmap, Png, Svg, Pdf };

// By the extension of the name, in any case: ".png", ".svg" or ".pdf";
// anything else is a Windows bitmap.
GraphFileFormat GraphFileFormatOf(const std::string& fileName);

// The scene of a drawn picture as an SVG drawing of the canvas size.
QByteArray GraphSvg(const GraphPicture& picture);
// The same on a PDF page of the canvas size at 96 dots per inch.
QByteArray GraphPdf(const GraphPicture& picture);

// Writes the picture in the format its name asks for. Returns the error text,
// or an empty text when the file was written. The name is taken as the bytes
// given.
QString SaveGraphFile(const GraphPicture& picture, const std::string& fileName);
// The same for a name of the windows, in the system's encoding of file names.
QString SaveGraphFile(const GraphPicture& picture, const QString& fileName);

// Puts the encoded bytes in place through the program's one writer: a file
// that cannot be written whole leaves the old one as it was, and the failure
// keeps its run-time text. Empty when written.
QString WriteWholeFile(const std::string& fileName, const QByteArray& bytes);

}  // namespace pelorin::graph
