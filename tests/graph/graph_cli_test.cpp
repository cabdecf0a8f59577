#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "GraphTestSupport.h"
#include "TestSupport.h"

namespace pelorin::graph {
namespace {

using pelorin::test::RunCli;
using pelorin::test::TempDir;
using pelorin::test::WriteFile;

std::set<QRgb> ColoursOf(const QImage& image) {
    std::set<QRgb> colours;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) colours.insert(rgb.pixel(x, y));
    return colours;
}

TEST(GraphCommand, WritesABitmapOrAPngOfTheReport) {
    TempDir folder;
    WriteFile(folder.File("case.out"), test::ReportText("DarSpac", test::HalfSpacing20Rows()));
    struct Case {
        std::vector<std::string> args;
        const char* image;
        const char* format;
        bool blackAndWhite;
    };
    const std::vector<Case> cases{
        {{"graph", "case.out", "colour.bmp"}, "colour.bmp", "bmp", false},
        {{"graph", "--bw", "case.out", "bw.png"}, "bw.png", "png", true},
        {{"graph", "case.out", "plain"}, "plain", "bmp", false},
    };
    for (const Case& c : cases) {
        const auto result = RunCli(c.args, folder.Path());
        EXPECT_EQ(result.exitCode, 0) << c.image << ": " << result.err;
        EXPECT_EQ(result.out, std::string(c.image) + "\n");
        const std::string bytes = pelorin::test::ReadFile(folder.File(c.image));
        EXPECT_EQ(bytes.substr(0, 2), std::string(c.format) == "bmp" ? "BM" : "\x89P") << c.image;
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(folder.File(c.image)), c.format)) << c.image;
        EXPECT_EQ(image.size(), QSize(623, 465)) << c.image;
        const bool onlyGreys =
            ColoursOf(image) ==
            std::set<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(192, 192, 192)};
        EXPECT_EQ(onlyGreys, c.blackAndWhite) << c.image;
    }
}

TEST(GraphCommand, DrawsTheReportOfARealRun) {
    TempDir folder;
    const std::string input =
        pelorin::test::WriteCase(folder.Path() / "spacing.inp", "Spa", "Ene",
                                 {0.005, 2, 5, 1.8, 1.9, 0, 0.2, 1, 1, 1, 2, 2, 0.8});
    ASSERT_EQ(RunCli({"run", "spacing.inp"}, folder.Path()).exitCode, 0);
    const auto result = RunCli({"graph", "spacing.out", "spacing.bmp"}, folder.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(folder.File("spacing.bmp")), "bmp"));
    EXPECT_EQ(image.size(), QSize(623, 465));
}

TEST(GraphCommand, ExitsWith2AndAMessageWhenNoPictureCanBeWritten) {
    TempDir folder;
    WriteFile(folder.File("empty.out"), test::ReportText("DarSpac", {}));
    WriteFile(folder.File("case.out"), test::ReportText("DarSpac", test::FourRows()));
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"graph", "missing.out", "g.bmp"}, "missing.out: No such file\n"},
        {{"graph", "empty.out", "g.bmp"}, "holds no watertable profile"},
        {{"graph", "case.out", "no-such-folder/g.bmp"}, "no-such-folder/g.bmp: "},
        {{"graph", "case.out"}, "Usage: pelorin-cli graph [--bw] [--units si|us] REPORT IMAGE"},
    };
    for (const Case& c : cases) {
        const auto result = RunCli(c.args, folder.Path());
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("g.bmp")));
}

TEST(GraphCommand, HelpNamesTheGraphCommand) {
    TempDir folder;
    const auto result = RunCli({"--help"}, folder.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("pelorin-cli graph [--bw] [--units si|us] REPORT IMAGE"),
              std::string::npos);
}

}  // namespace
}  // namespace pelorin::graph
