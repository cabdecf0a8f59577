#include "DesignSheet.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "GraphFiles.h"
#include "GraphScales.h"
#include "ReportFrame.h"
#include "ReportReaders.h"
#include "TextReader.h"

namespace pelorin::documents {
namespace {

// The layout is in points (1/72 inch) from the top left of the page's
// printable area; the painter's scale maps them onto the device.
constexpr double kPointsPerInch = 72.0;
constexpr double kFooterRoom = 22.0;
constexpr double kSectionGap = 14.0;
constexpr double kRowFactor = 1.45;  // row height per line height of the table font
constexpr double kPdfMarginMm = 18.0;

const QColor kInk(0, 0, 0);
const QColor kQuiet(90, 90, 90);
const QColor kRule(150, 150, 150);

// What the columns of the profile table hold, for its units row and legend.
struct ProfileColumn {
    const char* Name;
    const char* Unit;
    const char* Meaning;
};
constexpr std::array<ProfileColumn, 7> kProfileColumns{{
    {"X", "m", "distance from the drain"},
    {"F*", "m", "hydraulic head by the Darcy equation"},
    {"G*/p", "m/m", "gradient of F*"},
    {"F", "m", "hydraulic head by the energy balance"},
    {"G/p", "m/m", "gradient of F"},
    {"T1", "m/m", "energy loss per p"},
    {"T2", "m/m", "correction for the energy input per p"},
}};

QString Text(const std::string& text) { return graph::ReportText(text); }

QFont SheetFont(int points, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    // Pixels of the layout, which are points: the painter scales them.
    font.setPixelSize(points);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A column's unit; lengths in feet in US units (the gradients are ratios).
QString UnitOfColumn(const std::string& name, UnitSystem units = UnitSystem::SI) {
    for (const ProfileColumn& column : kProfileColumns) {
        if (name != column.Name) continue;
        if (std::string_view(column.Unit) == "m")
            return QString::fromLatin1(UnitName(Dimension::Length, units));
        return QString::fromLatin1(column.Unit);
    }
    return {};
}

QString ProfileLegend() {
    QStringList parts;
    for (const ProfileColumn& column : kProfileColumns)
        parts << QString::fromLatin1(column.Name) + QStringLiteral(": ") +
                     QString::fromLatin1(column.Meaning);
    return parts.join(QStringLiteral("; ")) +
           QStringLiteral("; p is a small increment of X. Heads are above drain level.");
}

// The day the sheet is made (UTC, ISO 8601). SOURCE_DATE_EPOCH, seconds since
// 1970, stands for now when it is set, so that a sheet can be made again the
// same.
QString SheetDate() {
    bool given = false;
    const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&given);
    const QDateTime made =
        given ? QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC) : QDateTime::currentDateTimeUtc();
    return made.date().toString(Qt::ISODate);
}

// The decimals a number of the report is printed with.
int DecimalsOf(const std::string& number) {
    const std::size_t point = number.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
}

std::optional<Quantity> QuantityOfSymbol(const std::string& symbol) {
    for (int q = 0; q < kQuantityCount; ++q)
        if (symbol == TextsOf(static_cast<Quantity>(q)).symbol) return static_cast<Quantity>(q);
    return std::nullopt;
}

// An echoed input in the user's units: the value that gives the report's
// number again, and its unit. Nothing for a row that is not a known quantity.
std::optional<std::pair<std::string, std::string>> InputInUnits(const ReportInputRow& input,
                                                                UnitSystem units) {
    const std::optional<Quantity> q = QuantityOfSymbol(input.Symbol);
    const std::optional<double> si = ParseReal(input.Value);
    if (!q || !si) return std::nullopt;
    return std::make_pair(ShowStoredValue(*si, *q, units, DecimalsOf(input.Value)),
                          std::string(UnitName(*q, units)));
}

// The unit a result line names inside its brackets: "m" in "(Darcy,  m)".
std::string UnitInLabel(const std::string& label) {
    const std::size_t close = label.rfind(')');
    const std::size_t open = label.rfind(' ', close);
    if (close == std::string::npos || open == std::string::npos) return {};
    return label.substr(open + 1, close - open - 1);
}

// What a result measures, by the unit of its line: a rate per day is the
// sought conductivity of a conductivity report, else a discharge.
std::optional<Dimension> DimensionOfResult(const std::string& unit, const std::string& module) {
    if (unit == "m") return Dimension::Length;
    if (unit == "m/day" || unit == "m/d")
        return module.ends_with("Cond") ? Dimension::Conductivity : Dimension::Recharge;
    return std::nullopt;
}

// A result line in the user's units: its label with the unit replaced, and
// the value converted from the report's figure with the report's decimals.
std::optional<ReportLabelledValue> ResultInUnits(const ReportLabelledValue& result,
                                                 const std::string& module, UnitSystem units) {
    const std::string unit = UnitInLabel(result.Label);
    const std::optional<Dimension> dimension = DimensionOfResult(unit, module);
    const std::optional<double> si = ParseReal(result.Value);
    if (!dimension || !si) return std::nullopt;
    std::string label = result.Label;
    label.replace(label.rfind(')') - unit.size(), unit.size(), UnitName(*dimension, units));
    return ReportLabelledValue{label, ShowResult(*si, *dimension, units, DecimalsOf(result.Value))};
}

// Paints the sheet page after page, moving down as it goes. Laid out twice:
// once without painting to count the pages (each footer says "page n of N"),
// then painted with that count.
class SheetPainter {
  public:
    // pageCount 0: lay out only, painting nothing.
    SheetPainter(QPagedPaintDevice& device, const DesignSheet& sheet, int pageCount)
        : device_(device), sheet_(sheet), pageCount_(pageCount) {
        const double scaleX = device.logicalDpiX() / kPointsPerInch;
        const double scaleY = device.logicalDpiY() / kPointsPerInch;
        if (Painting() && painter_.begin(&device)) {
            painter_.scale(scaleX, scaleY);
            painter_.setRenderHint(QPainter::Antialiasing, true);
        }
        width_ = device.width() / scaleX;
        bottom_ = device.height() / scaleY - kFooterRoom;
        reportName_ =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(sheet.ReportFile))).fileName();
        made_ = SheetDate();
    }

    // The number of pages the sheet takes.
    int Layout() {
        PaintSections();
        return page_;
    }

    bool Paint() {
        if (!painter_.isActive()) return false;
        PaintSections();
        return painter_.end();
    }

  private:
    const ReportContents& Report() const { return sheet_.Report; }
    bool Painting() const { return pageCount_ > 0; }

    void PaintSections() {
        PaintFooter();
        PaintTitles();
        PaintWarnings();
        PaintInputs();
        PaintResults();
        PaintGraph();
        PaintProfile();
    }

    void NewPage() {
        if (Painting()) device_.newPage();
        ++page_;
        y_ = 0;
        PaintFooter();
    }

    // Starts a new page when the height does not fit below; a page that is
    // still empty takes what it can.
    void Room(double height) {
        if (y_ > 0 && y_ + height > bottom_) NewPage();
    }

    double LineHeight(const QFont& font) const { return QFontMetricsF(font, &device_).height(); }

    void Draw(const QRectF& area, int flags, const QString& text, const QFont& font,
              const QColor& colour = kInk) {
        if (!Painting()) return;
        painter_.setFont(font);
        painter_.setPen(colour);
        painter_.drawText(area, flags, text);
    }

    // A paragraph across the page, wrapped at word ends.
    void Paragraph(const QString& text, const QFont& font, const QColor& colour = kInk) {
        const QRectF wanted(0, 0, width_, 1e6);
        const QRectF used =
            QFontMetricsF(font, &device_).boundingRect(wanted, Qt::TextWordWrap, text);
        Room(used.height());
        Draw(QRectF(0, y_, width_, used.height() + 1), Qt::TextWordWrap, text, font, colour);
        y_ += used.height();
    }

    void Rule(double at, double from, double to, double thickness = 0.5) {
        if (!Painting()) return;
        painter_.setPen(QPen(kRule, thickness));
        painter_.drawLine(QPointF(from, at), QPointF(to, at));
    }

    void Heading(const QString& text, double keepWithIt) {
        const QFont font = SheetFont(13, true);
        const double height = LineHeight(font) + 4;
        y_ += y_ > 0 ? kSectionGap : 0;
        Room(height + keepWithIt);
        Draw(QRectF(0, y_, width_, height), Qt::AlignLeft | Qt::AlignTop, text, font);
        y_ += height;
    }

    // On every page: what the sheet is of, when and by which program it was
    // made, and where the page stands. A long file name is shortened in its
    // middle so that the footer keeps to one line.
    void PaintFooter() {
        const QFont font = SheetFont(8);
        const QRectF area(0, bottom_ + kFooterRoom - LineHeight(font), width_, LineHeight(font));
        Rule(area.top() - 3, 0, width_);
        const QString page = QStringLiteral("page %1 of %2").arg(page_).arg(pageCount_);
        const QString made =
            QStringLiteral(", made %1 by %2").arg(made_, graph::ProgramAndVersion());
        const QFontMetricsF metrics(font, &device_);
        const double nameRoom =
            width_ - metrics.horizontalAdvance(page) - 24 -
            metrics.horizontalAdvance(QStringLiteral("Design sheet of ") + made);
        const QString name = metrics.elidedText(reportName_, Qt::ElideMiddle, nameRoom);
        Draw(area, Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Design sheet of ") + name + made, font, kQuiet);
        Draw(area, Qt::AlignRight | Qt::AlignVCenter, page, font, kQuiet);
    }

    void PaintTitles() {
        Paragraph(Text(Report().Title1), SheetFont(17, true));
        Paragraph(Text(Report().Title2), SheetFont(12));
        y_ += 8;
        // The report's own lines: joined, they would make sentences it does not write.
        for (std::size_t i = 0; i < Report().About.size(); ++i)
            Paragraph(Text(Report().About[i]), SheetFont(9, i == 0), kQuiet);
        y_ += 6;
        for (const ReportLabelledValue& name : Report().FileNames)
            Paragraph(Text(name.Label) + QLatin1Char(' ') + Text(name.Value), SheetFont(9), kQuiet);
    }

    double WrappedHeight(const QString& text, const QFont& font, double width) const {
        return QFontMetricsF(font, &device_)
            .boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text)
            .height();
    }

    // The warnings in a framed box under the titles, kept whole on one page:
    // its heading, what its lines are, then each warning.
    void PaintWarnings() {
        const SheetWarnings& warnings = sheet_.Warnings;
        if (!warnings.Any()) return;
        constexpr double kPadding = 7;
        constexpr double kLineGap = 3;
        const double inner = width_ - 2 * kPadding;
        struct BoxLine {
            QString Text;
            QFont Font;
            QColor Colour;
            double Height;
        };
        std::vector<BoxLine> lines;
        const auto add = [&](const QString& text, const QFont& font, const QColor& colour) {
            lines.push_back({text, font, colour, WrappedHeight(text, font, inner)});
        };
        add(QString::fromLatin1(warnings.Heading()), SheetFont(12, true), kInk);
        add(QString::fromLatin1(warnings.Note()), SheetFont(8), kQuiet);
        for (const std::string& text : warnings.Texts) add(Text(text), SheetFont(10), kInk);
        double height = 2 * kPadding;
        for (const BoxLine& line : lines) height += line.Height + kLineGap;
        height -= kLineGap;
        y_ += kSectionGap;
        Room(height);
        if (Painting()) {
            painter_.setPen(QPen(kInk, 1.2));
            painter_.setBrush(Qt::NoBrush);
            painter_.drawRect(QRectF(0, y_, width_, height));
        }
        double at = y_ + kPadding;
        for (const BoxLine& line : lines) {
            Draw(QRectF(kPadding, at, inner, line.Height + 1), Qt::TextWordWrap, line.Text,
                 line.Font, line.Colour);
            at += line.Height + kLineGap;
        }
        y_ += height;
    }

    // A table row: cells left to right, each in its column, right-aligned
    // where asked.
    struct Column {
        double Left;
        double Width;
        bool Right;
    };
    void Row(const std::vector<Column>& columns, const QStringList& cells, const QFont& font,
             double height) {
        for (int i = 0; i < cells.size() && i < static_cast<int>(columns.size()); ++i) {
            const Column& column = columns[static_cast<std::size_t>(i)];
            Draw(QRectF(column.Left, y_, column.Width, height),
                 (column.Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, cells[i],
                 font);
        }
        y_ += height;
    }

    void PaintInputs() {
        const QFont font = SheetFont(10);
        const QFont bold = SheetFont(10, true);
        const double height = LineHeight(font) * kRowFactor;
        Heading(QStringLiteral("Input data (") + Text(Report().Module) + QLatin1Char(')'),
                3 * height);
        const double valueWidth = 70;
        const double unitWidth = 60;
        const double symbolWidth = 45;
        const double quantityWidth = width_ - valueWidth - unitWidth - symbolWidth - 12;
        const std::vector<Column> columns{{0, quantityWidth, false},
                                          {quantityWidth + 4, symbolWidth, false},
                                          {quantityWidth + symbolWidth + 8, unitWidth, false},
                                          {width_ - valueWidth, valueWidth, true}};
        if (sheet_.Units != UnitSystem::SI) return PaintInputsBesideSi(font, bold, height);
        Row(columns,
            {QStringLiteral("Quantity"), QStringLiteral("Symbol"), QStringLiteral("Unit"),
             QStringLiteral("Value")},
            bold, height);
        Rule(y_, 0, width_, 0.8);
        for (const ReportInputRow& input : Report().Inputs) {
            Room(height);
            Row(columns,
                {Text(input.Quantity), Text(input.Symbol), Text(input.Unit), Text(input.Value)},
                font, height);
            Rule(y_, 0, width_, 0.3);
        }
    }

    // The inputs in the chosen units, each with the report's own value and unit
    // beside it: the report, and the input file it came from, are SI.
    void PaintInputsBesideSi(const QFont& font, const QFont& bold, double height) {
        const double siWidth = 90, valueWidth = 60, unitWidth = 45, symbolWidth = 35;
        const double quantityWidth = width_ - siWidth - valueWidth - unitWidth - symbolWidth - 16;
        const double unitLeft = quantityWidth + symbolWidth + 8;
        const std::vector<Column> columns{{0, quantityWidth, false},
                                          {quantityWidth + 4, symbolWidth, false},
                                          {unitLeft, unitWidth, false},
                                          {unitLeft + unitWidth + 4, valueWidth, true},
                                          {width_ - siWidth, siWidth, true}};
        Row(columns,
            {QStringLiteral("Quantity"), QStringLiteral("Symbol"), QStringLiteral("Unit"),
             QStringLiteral("Value"), QStringLiteral("Report (SI)")},
            bold, height);
        Rule(y_, 0, width_, 0.8);
        for (const ReportInputRow& input : Report().Inputs) {
            Room(height);
            const auto shown = InputInUnits(input, sheet_.Units);
            const std::string si = input.Value + " " + input.Unit;
            Row(columns,
                {Text(input.Quantity), Text(input.Symbol), Text(shown ? shown->second : input.Unit),
                 Text(shown ? shown->first : input.Value), Text(si)},
                font, height);
            Rule(y_, 0, width_, 0.3);
        }
    }

    void PaintResults() {
        const QFont font = SheetFont(10);
        const QFont bold = SheetFont(10, true);
        const double height = LineHeight(font) * kRowFactor;
        Heading(QStringLiteral("Results"), 2 * height);
        const double valueWidth = 70;
        const double labelWidth = std::min(width_ - valueWidth - 10, 320.0);
        const std::vector<Column> columns{{0, labelWidth, false},
                                          {labelWidth + 10, valueWidth, true}};
        for (std::size_t group = 0; group < Report().ResultGroups.size(); ++group) {
            if (group > 0) y_ += height / 2;
            for (const ReportLabelledValue& result : Report().ResultGroups[group]) {
                Room(height);
                const std::optional<ReportLabelledValue> shown =
                    sheet_.Units == UnitSystem::SI
                        ? std::nullopt
                        : ResultInUnits(result, Report().Module, sheet_.Units);
                const ReportLabelledValue& line = shown ? *shown : result;
                Draw(QRectF(columns[0].Left, y_, columns[0].Width, height),
                     Qt::AlignLeft | Qt::AlignVCenter, Text(line.Label), font);
                Draw(QRectF(columns[1].Left, y_, columns[1].Width, height),
                     Qt::AlignRight | Qt::AlignVCenter, Text(line.Value), bold);
                if (shown) {
                    // The report's own figure and unit beside the converted one.
                    Draw(QRectF(columns[1].Left + columns[1].Width + 10, y_, 110, height),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         Text("(" + result.Value + " " + UnitInLabel(result.Label) + ")"), font,
                         kQuiet);
                }
                y_ += height;
            }
        }
    }

    void PaintGraph() {
        const double scale = width_ / graph::kCanvasWidth;
        const double height = graph::kCanvasHeight * scale;
        if (!sheet_.Graph.Drawn()) {
            Heading(QStringLiteral("Water table between the drains"), 0);
            Paragraph(sheet_.Graph.Refusal, SheetFont(10));
            return;
        }
        Heading(QStringLiteral("Water table between the drains"), height);
        if (!Painting()) {
            y_ += height;
            return;
        }
        painter_.save();
        painter_.translate(0, y_);
        painter_.scale(scale, scale);
        painter_.setClipRect(QRect(0, 0, graph::kCanvasWidth, graph::kCanvasHeight));
        graph::PaintGraphScene(painter_, sheet_.Graph.Scene, sheet_.Graph.Palette,
                               graph::GraphTarget::Drawing);
        painter_.restore();
        y_ += height;
    }

    void ProfileHead(const std::vector<Column>& columns, const QFont& bold, const QFont& font,
                     double height) {
        QStringList names;
        QStringList units;
        for (const std::string& name : Report().ProfileColumns) {
            names << Text(name);
            const QString unit = UnitOfColumn(name, sheet_.Units);
            units << (unit.isEmpty() ? QString() : QLatin1Char('(') + unit + QLatin1Char(')'));
        }
        Row(columns, names, bold, height);
        Row(columns, units, font, height);
        Rule(y_, 0, width_, 0.8);
    }

    void PaintProfile() {
        const QFont font = SheetFont(9);
        const QFont bold = SheetFont(9, true);
        const double height = LineHeight(font) * 1.3;
        Heading(QStringLiteral("Water-table profile"), 4 * height);
        const int count = std::max<int>(1, static_cast<int>(Report().ProfileColumns.size()));
        const double width = width_ / count;
        std::vector<Column> columns;
        for (int i = 0; i < count; ++i) columns.push_back({i * width, width - 6, true});
        ProfileHead(columns, bold, font, height);
        for (const std::vector<std::string>& row : Report().ProfileRows) {
            if (y_ + height > bottom_) {
                NewPage();
                ProfileHead(columns, bold, font, height);
            }
            Row(columns, ProfileCells(row), font, height);
        }
        Rule(y_, 0, width_, 0.8);
        y_ += 4;
        Paragraph(ProfileLegend(), SheetFont(8), kQuiet);
        // Which results are the table's and which the search's.
        if (const std::string_view source = MidwayHeadSource(Report().Module); !source.empty())
            Paragraph(Text(std::string(source)), SheetFont(8), kQuiet);
    }

    // A profile row; its distances and heads in feet when US units are asked.
    QStringList ProfileCells(const std::vector<std::string>& row) const {
        QStringList cells;
        for (std::size_t k = 0; k < row.size(); ++k) {
            const bool length = k < Report().ProfileColumns.size() &&
                                UnitOfColumn(Report().ProfileColumns[k]) == QStringLiteral("m");
            const std::optional<double> si = ParseReal(row[k]);
            cells << Text(sheet_.Units != UnitSystem::SI && length && si
                              ? ShowResult(*si, Dimension::Length, sheet_.Units, DecimalsOf(row[k]))
                              : row[k]);
        }
        return cells;
    }

    QPagedPaintDevice& device_;
    const DesignSheet& sheet_;
    QPainter painter_;
    double width_ = 0;
    double bottom_ = 0;
    double y_ = 0;
    int page_ = 1;
    int pageCount_;
    QString reportName_;
    QString made_;
};

}  // namespace

DesignSheetRead ReadDesignSheet(const std::string& reportFile,
                                std::optional<std::vector<std::string>> runMessages,
                                UnitSystem units) {
    DesignSheetRead read;
    read.Sheet.ReportFile = reportFile;
    read.Sheet.Units = units;
    read.Sheet.Report = ReadReportContents(reportFile);
    if (read.Sheet.Report.Status != FileStatus::Ok) {
        read.Refusal = graph::ReportText(read.Sheet.Report.Message);
        return read;
    }
    read.Sheet.Warnings =
        runMessages ? WarningsOfRun(std::move(*runMessages)) : WarningsOfReport(read.Sheet.Report);
    const ReportProfileResult profile = ReadReportProfile(reportFile);
    graph::GraphRequest request = graph::GraphRequestFrom(profile, false);
    request.Units = units;
    read.Sheet.Graph = graph::DrawGraph(request);
    if (!profile.Message.empty()) read.Sheet.Graph.Refusal = graph::ReportText(profile.Message);
    return read;
}

bool PaintDesignSheet(QPagedPaintDevice& device, const DesignSheet& sheet) {
    const int pages = SheetPainter(device, sheet, 0).Layout();
    return SheetPainter(device, sheet, pages).Paint();
}

QByteArray DesignSheetPdf(const DesignSheet& sheet) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                    QPageLayout::Millimeter));
    writer.setTitle(graph::ReportText(sheet.Report.Title1));
    writer.setCreator(QStringLiteral("Pelorin"));
    if (!PaintDesignSheet(writer, sheet)) return {};
    return bytes;
}

QString SaveDesignSheetPdf(const DesignSheet& sheet, const std::string& fileName) {
    const QByteArray pdf = DesignSheetPdf(sheet);
    if (pdf.isEmpty()) return QStringLiteral("The design sheet could not be made.");
    return graph::WriteWholeFile(fileName, pdf);
}

QString SaveDesignSheetPdf(const DesignSheet& sheet, const QString& fileName) {
    return SaveDesignSheetPdf(sheet, QFile::encodeName(fileName).toStdString());
}

std::string DesignSheetOverReportRefusal(const std::string& fileName,
                                         const std::string& reportName) {
    return graph::OverReportRefusal("The design sheet", fileName, reportName);
}

}  // namespace pelorin::documents
