#include "StudyChartView.h"

#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>

namespace pelorin {

namespace {

constexpr double kLeftMargin = 70;
constexpr double kRightMargin = 20;
constexpr double kTopMargin = 20;
constexpr double kBottomMargin = 50;
constexpr double kLegendWidth = 220;
constexpr double kHoverDistance = 8;
constexpr int kTicks = 5;

// A range that is never empty: a single value gets a little room around it.
void Widen(double& low, double& high) {
    if (low > high) {
        low = 0;
        high = 1;
    } else if (low == high) {
        const double room = low == 0 ? 1 : std::abs(low) * 0.1;
        low -= room;
        high += room;
    }
}

// A round step for about kTicks intervals: 1, 2 or 5 times a power of ten.
double RoundStep(double span) {
    const double rough = span / kTicks;
    const double power = std::pow(10, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough) return factor * power;
    return 10 * power;
}

// The range widened to whole steps, so that the ticks fall on round numbers.
double RoundRange(double& low, double& high) {
    const double step = RoundStep(high - low);
    low = std::floor(low / step + 1e-9) * step;
    high = std::ceil(high / step - 1e-9) * step;
    return step;
}

QString Tick(double value) { return QString::number(value, 'g', 6); }

}  // namespace

QColor StudyLineColour(int index) {
    static const QColor colours[] = {QColor(0, 90, 200),   QColor(210, 60, 20), QColor(20, 150, 60),
                                     QColor(150, 40, 170), QColor(200, 150, 0), QColor(0, 150, 160),
                                     QColor(90, 90, 90),   QColor(230, 90, 160)};
    return colours[index % static_cast<int>(std::size(colours))];
}

StudyChartFrame::StudyChartFrame(const StudyChartModel& model, const QRectF& area) {
    double xLow = std::numeric_limits<double>::max(), xHigh = std::numeric_limits<double>::lowest();
    double yLow = xLow, yHigh = xHigh;
    for (const StudyChartLine& line : model.Lines)
        for (const StudyChartLine::Point& p : line.Points) {
            xLow = std::min(xLow, p.X);
            xHigh = std::max(xHigh, p.X);
            yLow = std::min(yLow, p.Y);
            yHigh = std::max(yHigh, p.Y);
        }
    Widen(xLow, xHigh);
    Widen(yLow, yHigh);
    xStep_ = RoundRange(xLow, xHigh);
    yStep_ = RoundRange(yLow, yHigh);
    xLow_ = xLow;
    xHigh_ = xHigh;
    yLow_ = yLow;
    yHigh_ = yHigh;
    const double legend = area.width() > 2 * kLegendWidth ? kLegendWidth : 0;
    plot_ = area.adjusted(kLeftMargin, kTopMargin, -kRightMargin - legend, -kBottomMargin);
}

QPointF StudyChartFrame::Place(double x, double y) const {
    return {plot_.left() + (x - xLow_) / (xHigh_ - xLow_) * plot_.width(),
            plot_.bottom() - (y - yLow_) / (yHigh_ - yLow_) * plot_.height()};
}

void PaintStudyChart(QPainter& painter, const QRectF& area, const StudyChartModel& model) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    const StudyChartFrame frame(model, area);
    const QRectF plot = frame.Plot();
    if (plot.width() < 10 || plot.height() < 10) {
        painter.restore();
        return;
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(plot);
    const QFontMetricsF metrics(painter.font());
    // Ticks are counted, not summed, so that rounding never adds or drops one.
    const int xTicks =
        static_cast<int>(std::lround((frame.XHigh() - frame.XLow()) / frame.XStep()));
    const int yTicks =
        static_cast<int>(std::lround((frame.YHigh() - frame.YLow()) / frame.YStep()));
    for (int i = 0; i <= xTicks; ++i) {
        const double x = frame.XLow() + i * frame.XStep();
        const QPointF at = frame.Place(x, frame.YLow());
        painter.setPen(QPen(QColor(225, 225, 225), 1));
        painter.drawLine(QPointF(at.x(), plot.top()), QPointF(at.x(), plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(at.x() - 40, plot.bottom() + 4, 80, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, Tick(x));
    }
    for (int i = 0; i <= yTicks; ++i) {
        const double y = frame.YLow() + i * frame.YStep();
        const QPointF at = frame.Place(frame.XLow(), y);
        painter.setPen(QPen(QColor(225, 225, 225), 1));
        painter.drawLine(QPointF(plot.left(), at.y()), QPointF(plot.right(), at.y()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(plot.left() - kLeftMargin, at.y() - metrics.height() / 2,
                                kLeftMargin - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, Tick(y));
    }
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + 6 + metrics.height(), plot.width(), metrics.height()),
        Qt::AlignHCenter, model.XCaption);
    painter.drawText(QRectF(plot.left(), area.top() + 2, plot.width(), metrics.height()),
                     Qt::AlignLeft, model.YCaption);
    for (std::size_t i = 0; i < model.Lines.size(); ++i) {
        const StudyChartLine& line = model.Lines[i];
        const QColor colour = StudyLineColour(static_cast<int>(i));
        painter.setPen(QPen(colour, 2));
        for (std::size_t k = 1; k < line.Points.size(); ++k)
            painter.drawLine(frame.Place(line.Points[k - 1].X, line.Points[k - 1].Y),
                             frame.Place(line.Points[k].X, line.Points[k].Y));
        painter.setBrush(colour);
        for (const StudyChartLine::Point& p : line.Points)
            painter.drawEllipse(frame.Place(p.X, p.Y), 3, 3);
        painter.setBrush(Qt::NoBrush);
        const double legendTop = plot.top() + i * (metrics.height() + 4);
        if (area.right() - plot.right() > kLegendWidth / 2) {
            const double left = plot.right() + 12;
            painter.drawLine(QPointF(left, legendTop + metrics.height() / 2),
                             QPointF(left + 20, legendTop + metrics.height() / 2));
            painter.setPen(Qt::black);
            painter.drawText(QRectF(left + 26, legendTop, kLegendWidth - 30, metrics.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, line.Label);
        }
    }
    painter.restore();
}

TStudyChartView::TStudyChartView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(300, 200);
    setMouseTracking(true);
}

void TStudyChartView::SetModel(StudyChartModel model) {
    model_ = std::move(model);
    update();
}

QString TStudyChartView::PointTextAt(const QPointF& position) const {
    const StudyChartFrame frame(model_, QRectF(rect()));
    double nearest = kHoverDistance;
    QString text;
    for (const StudyChartLine& line : model_.Lines)
        for (const StudyChartLine::Point& p : line.Points) {
            const QPointF placed = frame.Place(p.X, p.Y);
            const double distance =
                std::hypot(placed.x() - position.x(), placed.y() - position.y());
            if (distance > nearest) continue;
            nearest = distance;
            text = QStringLiteral("%1\n%2 = %3\n%4 = %5")
                       .arg(line.Label, model_.XCaption, Tick(p.X), model_.YCaption, Tick(p.Y));
        }
    return text;
}

void TStudyChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintStudyChart(painter, QRectF(rect()), model_);
}

bool TStudyChartView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString text = PointTextAt(help->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

}  // namespace pelorin
