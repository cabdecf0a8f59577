#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pelorin {

// The pictures of the documentation: the program opens an example input file,
// runs it with every question answered yes, and saves a PNG of each sheet and
// help window into a folder.
struct ScreenshotTour {
    QString InputFile;
    QString OutputFolder;
};

// "--screenshot-tour <input file> <folder>"; nothing for any other command line.
std::optional<ScreenshotTour> ScreenshotTourFromArguments(const QStringList& arguments);

// Returns the process exit code: 0 when every picture was saved.
int RunScreenshotTour(const ScreenshotTour& tour);

}  // namespace pelorin
