#include "SweepChartFile.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <limits>

#include "GraphFiles.h"

namespace pelorin::study {

namespace {

const QColor kLineColours[] = {QColor(0, 0, 139),   QColor(200, 0, 0),    QColor(0, 128, 0),
                               QColor(255, 140, 0), QColor(128, 0, 128),  QColor(0, 139, 139),
                               QColor(139, 69, 19), QColor(105, 105, 105)};

// Round ticks over [low, high]: a step of 1, 2 or 5 times a power of ten that
// gives about six intervals, and the axis ends widened to whole steps.
struct Axis {
    double low = 0;
    double high = 1;
    double step = 0.2;
};

Axis RoundAxis(double low, double high) {
    if (!(high > low)) {
        const double pad = low == 0 ? 1 : std::fabs(low) * 0.1;
        low -= pad;
        high += pad;
    }
    const double rough = (high - low) / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= rough) break;
    }
    return {std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step, step};
}

QString TickText(double value, double step) {
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return QString::number(std::fabs(value) < step * 1e-9 ? 0.0 : value, 'f', decimals);
}

// The axes and the plot's rectangle of a chart of the given size: where the
// painting puts a point, and where a window finds it again.
struct Frame {
    Axis xAxis;
    Axis yAxis;
    QRect plot;
    double X(double x) const {
        return plot.left() + (x - xAxis.low) / (xAxis.high - xAxis.low) * plot.width();
    }
    double Y(double y) const {
        return plot.bottom() - (y - yAxis.low) / (yAxis.high - yAxis.low) * plot.height();
    }
};

Frame FrameOf(const SweepChart& chart, QSize size) {
    double xLow = std::numeric_limits<double>::max(), xHigh = -xLow, yLow = xLow, yHigh = -xLow;
    for (const ChartLine& line : chart.Lines) {
        for (const auto& [x, y] : line.Points) {
            xLow = std::min(xLow, x), xHigh = std::max(xHigh, x);
            yLow = std::min(yLow, y), yHigh = std::max(yHigh, y);
        }
    }
    if (xLow > xHigh) xLow = 0, xHigh = 1, yLow = 0, yHigh = 1;
    return {RoundAxis(xLow, xHigh), RoundAxis(yLow, yHigh),
            QRect(80, 50, size.width() - 80 - 230, size.height() - 50 - 70)};
}

}  // namespace

QPointF SweepChartPoint(const SweepChart& chart, QSize size, double x, double y) {
    const Frame frame = FrameOf(chart, size);
    return {frame.X(x), frame.Y(y)};
}

namespace {

// The grid, the frame and the tick labels of both axes.
void PaintAxes(QPainter& painter, const Frame& frame, const QFontMetrics& metrics) {
    const Axis& xAxis = frame.xAxis;
    const Axis& yAxis = frame.yAxis;
    const QRect& plot = frame.plot;
    painter.setPen(QPen(QColor(220, 220, 220), 1));
    for (double x = xAxis.low; x <= xAxis.high + xAxis.step * 1e-6; x += xAxis.step)
        painter.drawLine(QPointF(frame.X(x), plot.top()), QPointF(frame.X(x), plot.bottom()));
    for (double y = yAxis.low; y <= yAxis.high + yAxis.step * 1e-6; y += yAxis.step)
        painter.drawLine(QPointF(plot.left(), frame.Y(y)), QPointF(plot.right(), frame.Y(y)));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(plot);
    for (double x = xAxis.low; x <= xAxis.high + xAxis.step * 1e-6; x += xAxis.step) {
        const QString text = TickText(x, xAxis.step);
        painter.drawText(QPointF(frame.X(x) - metrics.horizontalAdvance(text) / 2.0,
                                 plot.bottom() + metrics.ascent() + 6),
                         text);
    }
    for (double y = yAxis.low; y <= yAxis.high + yAxis.step * 1e-6; y += yAxis.step) {
        const QString text = TickText(y, yAxis.step);
        painter.drawText(QPointF(plot.left() - metrics.horizontalAdvance(text) - 6,
                                 frame.Y(y) + metrics.ascent() / 2.0 - 1),
                         text);
    }
}

// The axis labels and the title above the plot.
void PaintLabels(QPainter& painter, const SweepChart& chart, const QRect& plot,
                 const QFontMetrics& metrics) {
    const QString xLabel = QString::fromStdString(chart.XLabel);
    painter.drawText(QPointF(plot.center().x() - metrics.horizontalAdvance(xLabel) / 2.0,
                             plot.bottom() + 2 * metrics.height() + 12),
                     xLabel);
    painter.save();
    painter.translate(22, plot.center().y());
    painter.rotate(-90);
    const QString yLabel = QString::fromStdString(chart.YLabel);
    painter.drawText(QPointF(-metrics.horizontalAdvance(yLabel) / 2.0, 0), yLabel);
    painter.restore();
    const QFont font = painter.font();
    QFont titleFont = font;
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.drawText(QPointF(plot.left(), 30), QString::fromStdString(chart.Title));
    painter.setFont(font);
}

// Line k with its points and its entry in the legend right of the plot.
void PaintLine(QPainter& painter, const ChartLine& line, std::size_t k, const Frame& frame,
               const QFontMetrics& metrics) {
    const QRect& plot = frame.plot;
    const QColor colour = kLineColours[k % std::size(kLineColours)];
    const Qt::PenStyle style = k / std::size(kLineColours) % 2 == 0 ? Qt::SolidLine : Qt::DashLine;
    painter.setPen(QPen(colour, 2, style));
    for (std::size_t p = 1; p < line.Points.size(); ++p) {
        painter.drawLine(
            QPointF(frame.X(line.Points[p - 1].first), frame.Y(line.Points[p - 1].second)),
            QPointF(frame.X(line.Points[p].first), frame.Y(line.Points[p].second)));
    }
    painter.setBrush(colour);
    painter.setPen(QPen(colour, 1));
    for (const auto& [x, y] : line.Points)
        painter.drawEllipse(QPointF(frame.X(x), frame.Y(y)), 3, 3);
    painter.setBrush(Qt::NoBrush);
    const double legendY = plot.top() + 10 + k * (metrics.height() + 6);
    painter.setPen(QPen(colour, 2, style));
    painter.drawLine(QPointF(plot.right() + 20, legendY), QPointF(plot.right() + 50, legendY));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(plot.right() + 58, legendY + metrics.ascent() / 2.0 - 1),
                     QString::fromStdString(line.Label));
}

}  // namespace

void PaintSweepChart(QPainter& painter, const SweepChart& chart, QSize size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(13);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const Frame frame = FrameOf(chart, size);
    PaintAxes(painter, frame, metrics);
    PaintLabels(painter, chart, frame.plot, metrics);
    for (std::size_t k = 0; k < chart.Lines.size(); ++k)
        PaintLine(painter, chart.Lines[k], k, frame, metrics);
}

std::string WriteSweepChart(const SweepChart& chart, const std::string& fileName) {
    const QByteArray bytes = SweepChartFileBytes(chart, fileName);
    if (bytes.isEmpty()) return "the picture could not be encoded";
    return graph::WriteWholeFile(fileName, bytes).toStdString();
}

QByteArray SweepChartFileBytes(const SweepChart& chart, const std::string& fileName) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size(kChartWidth, kChartHeight);
    const std::optional<ChartFormat> format = ChartFormatOf(fileName);
    if (!format) return "a chart is written as .png, .svg or .pdf";
    if (*format == ChartFormat::Pdf) {
        QPdfWriter writer(&buffer);
        // One point a chart pixel: the page is the chart's size.
        writer.setResolution(72);
        writer.setPageLayout(
            QPageLayout(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF()));
        writer.setTitle(QString::fromStdString(chart.Title));
        writer.setCreator(QStringLiteral("Pelorin"));
        QPainter painter(&writer);
        PaintSweepChart(painter, chart, size);
        painter.end();
    } else if (*format == ChartFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QString::fromStdString(chart.Title));
        QPainter painter(&generator);
        PaintSweepChart(painter, chart, size);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintSweepChart(painter, chart, size);
        painter.end();
        if (!image.save(&buffer, "PNG")) return {};
    }
    return bytes;
}

}  // namespace pelorin::study
