#include "GraphCommand.h"

#include <QByteArray>
#include <QString>
#include <iostream>

#include "GraphDrawing.h"
#include "GraphFiles.h"
#include "HeadlessGui.h"
#include "InputFile.h"
#include "ReportReaders.h"

namespace pelorin::graph {
namespace {

int Fail(const std::string& fileName, const std::string& message) {
    std::cerr << fileName << ": " << message << '\n';
    return 2;
}

}  // namespace

int RunGraphCommand(const GraphArguments& parsed) {
    const std::string refusal = PictureOverReportRefusal(parsed.Image, parsed.Report);
    if (!refusal.empty()) return Fail(parsed.Image, refusal);
    if (const std::string unread = NamedFileRefusal(parsed.Report); !unread.empty())
        return Fail(parsed.Report, unread);
    const ReportProfileResult report = ReadReportProfile(parsed.Report);
    if (!report.Message.empty()) return Fail(parsed.Report, report.Message);

    const auto application = StartHeadlessGui();
    GraphRequest request = GraphRequestFrom(report, parsed.InColour);
    request.Units = parsed.Units;
    const GraphPicture picture = DrawGraph(request);
    if (!picture.Drawn()) return Fail(parsed.Report, picture.Refusal.toStdString());
    const QString saveError = SaveGraphFile(picture, parsed.Image);
    if (!saveError.isEmpty()) return Fail(parsed.Image, saveError.toStdString());
    std::cout << parsed.Image << '\n';
    return 0;
}

}  // namespace pelorin::graph
