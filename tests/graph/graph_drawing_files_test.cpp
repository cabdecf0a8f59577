// The graph command's drawings: SVG and PDF files of a report hold the texts
// of the picture as texts (titles, axis captions, tick labels, legend) and
// both curves' markers where the picture has them; the bitmaps stay as they
// were.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "DesktopSession.h"
#include "GraphDrawing.h"
#include "GraphicsSheet.h"
#include "PdfText.h"
#include "QStringPrinting.h"
#include "TestSupport.h"

namespace pelorin::graph {
namespace {

using pelorin::test::RunCli;
using pelorin::test::TempDir;

std::string Example(const char* name) { return std::string(PELORIN_SOURCE_DIR "/Data/") + name; }

// The scene the Graphics sheet paints for the report.
GraphScene SceneOf(const std::string& report) {
    DesktopSession session;
    EXPECT_EQ(session.ReadReportProfile(report), "");
    return BuildGraphScene(GraphRequestOf(session, true));
}

// Each text of the picture with its left edge, sorted.
std::vector<std::pair<QString, int>> SceneTexts(const GraphScene& scene) {
    std::vector<std::pair<QString, int>> texts;
    for (const SceneItem& item : scene.Items)
        if (const auto* text = std::get_if<SceneText>(&item))
            texts.emplace_back(text->Text, text->TopLeft.x());
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::pair<QString, int>> SvgTexts(const QString& file) {
    QFile svg(file);
    EXPECT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader reader(&svg);
    std::vector<std::pair<QString, int>> texts;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QStringLiteral("text")) {
            const int x = qRound(reader.attributes().value(QStringLiteral("x")).toDouble());
            texts.emplace_back(reader.readElementText(), x);
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    std::sort(texts.begin(), texts.end());
    return texts;
}

int Count(const std::vector<std::pair<QString, int>>& texts, const QString& content) {
    return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                          [&](const auto& text) { return text.first == content; }));
}

// Marker letters in the extracted text: words of only "x" or only "o" letters
// (markers close together may run into one word).
std::map<QChar, int> MarkerLetters(const QString& text) {
    std::map<QChar, int> letters;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (word.count(QLatin1Char('x')) == word.size() ||
            word.count(QLatin1Char('o')) == word.size())
            letters[word.front()] += static_cast<int>(word.size());
    return letters;
}

class GraphDrawingFiles : public testing::TestWithParam<const char*> {};

TEST_P(GraphDrawingFiles, SvgAndPdfHoldTheTextsAndBothCurvesOfThePicture) {
    TempDir folder;
    const std::string report = Example(GetParam());
    const GraphScene scene = SceneOf(report);
    ASSERT_TRUE(scene.Refusal.isEmpty());
    const auto expected = SceneTexts(scene);
    const int darcyMarkers = Count(expected, QStringLiteral("x"));
    const int energyMarkers = Count(expected, QStringLiteral("o"));
    ASSERT_GT(darcyMarkers, 3);
    ASSERT_GT(energyMarkers, 3);

    for (const char* name : {"graph.svg", "graph.PDF"}) {
        const auto result = RunCli({"graph", report, name}, folder.Path());
        EXPECT_EQ(result.exitCode, 0) << name << ": " << result.err;
        EXPECT_EQ(result.out, std::string(name) + "\n");
    }
    // The drawing has every text of the picture at its column, no other.
    EXPECT_EQ(SvgTexts(QString::fromStdString(folder.File("graph.svg"))), expected);

    const QString pdf = QString::fromStdString(folder.File("graph.PDF"));
    EXPECT_EQ(pelorin::test::PdfInfo(pdf, QStringLiteral("Pages")), "1");
    EXPECT_EQ(pelorin::test::PdfInfo(pdf, QStringLiteral("Page size")), "467 x 349 pts");
    const QString text = pelorin::test::PdfText(pdf);
    for (const auto& [content, column] : expected) {
        if (content == "x" || content == "o") continue;
        EXPECT_TRUE(text.contains(content.simplified()))
            << content.toStdString() << " in " << text.toStdString();
    }
    // The legend's letter besides the markers.
    const std::map<QChar, int> letters = MarkerLetters(text);
    EXPECT_EQ(letters.at(QLatin1Char('x')), darcyMarkers + 1) << text.toStdString();
    EXPECT_EQ(letters.at(QLatin1Char('o')), energyMarkers + 1) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Examples, GraphDrawingFiles,
                         testing::Values("spacing-energy-pipe.out", "discharge-darcy-pipe.out",
                                         "depth-ditch-resistance.out"));

// The bitmap of the README's example is the picture committed with it, pixel
// for pixel: drawings are painted from the same scene without changing it.
TEST(GraphDrawingFiles, TheBitmapOfTheExampleIsTheDocumentedPicture) {
    TempDir folder;
    const auto result =
        RunCli({"graph", Example("spacing-darcy-pipe.out"), "example.png"}, folder.Path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    QImage drawn;
    QImage documented;
    ASSERT_TRUE(drawn.load(QString::fromStdString(folder.File("example.png"))));
    ASSERT_TRUE(documented.load(QStringLiteral(PELORIN_SOURCE_DIR "/docs/graph-example.png")));
    EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32),
              documented.convertToFormat(QImage::Format_RGB32));
}

}  // namespace
}  // namespace pelorin::graph
