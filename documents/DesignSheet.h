#pragma once

// The design sheet: a report on A4 pages for a design document, with its
// titles, the input table with symbols and units, the results as the report
// gives them, the water-table graph as a drawing (the scene of the Graphics
// sheet, in black and white) and the profile table. Nothing is recomputed:
// every number is the report's own text. Texts are drawn as texts, so that
// they can be selected and searched. The warnings of the run stand in a box
// of their own under the titles: the run's messages where the run is known,
// otherwise what the report's numbers show (sheetrules/SheetWarnings.h); a
// sheet without warnings has no box.

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "GraphDrawing.h"
#include "ReportContents.h"
#include "SheetWarnings.h"
#include "Units.h"

class QPagedPaintDevice;

namespace pelorin::documents {

struct DesignSheet {
    ReportContents Report;
    std::string ReportFile;     // as it was named
    graph::GraphPicture Graph;  // its Refusal is shown when the profile cannot be drawn
    // In US units the inputs and results are converted from the report's texts
    // and shown with those texts (SI) beside them; the profile's lengths and
    // the graph are in feet.
    UnitSystem Units = UnitSystem::SI;
    SheetWarnings Warnings;
};

struct DesignSheetRead {
    QString Refusal;  // why no sheet can be made of the file; empty when read
    DesignSheet Sheet;

    bool Read() const { return Refusal.isEmpty(); }
};

// Reads the report and draws its graph. Needs a QGuiApplication. The
// warnings are `runMessages`, the messages of the run that made the report,
// when they are known; otherwise they are read from the report.
DesignSheetRead ReadDesignSheet(const std::string& reportFile,
                                std::optional<std::vector<std::string>> runMessages = std::nullopt,
                                UnitSystem units = UnitSystem::SI);

// Paints the pages on the device (a PDF writer, a printer, a print preview)
// within its page layout; begins and ends its own painter. False when the
// device cannot be painted on (a printer that is not ready, say).
bool PaintDesignSheet(QPagedPaintDevice& device, const DesignSheet& sheet);

// The sheet as a PDF document of A4 pages; empty when it could not be made.
QByteArray DesignSheetPdf(const DesignSheet& sheet);

// Writes the PDF through the program's one writer. Returns the error text, or
// an empty text when the file was written.
QString SaveDesignSheetPdf(const DesignSheet& sheet, const std::string& fileName);
// The same for a name of the windows, in the system's encoding of file names.
QString SaveDesignSheetPdf(const DesignSheet& sheet, const QString& fileName);

// Why the sheet may not be written under `fileName`: it is the report itself.
std::string DesignSheetOverReportRefusal(const std::string& fileName,
                                         const std::string& reportName);

}  // namespace pelorin::documents
