#include "StudyChartView.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

#include "SweepChartFile.h"

namespace pelorin {

namespace {

constexpr double kHoverDistance = 8;

QString PointValue(double value) { return QString::number(value, 'g', 6); }

}  // namespace

StudyChartView::StudyChartView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(400, 300);
    setMouseTracking(true);
}

void StudyChartView::SetChart(study::SweepChart chart) {
    chart_ = std::move(chart);
    update();
}

QString StudyChartView::PointTextAt(const QPointF& position) const {
    double nearest = kHoverDistance;
    QString text;
    for (const study::ChartLine& line : chart_.Lines)
        for (const auto& [x, y] : line.Points) {
            const QPointF placed = study::SweepChartPoint(chart_, size(), x, y);
            const double distance =
                std::hypot(placed.x() - position.x(), placed.y() - position.y());
            if (distance > nearest) continue;
            nearest = distance;
            text =
                QStringLiteral("%1\n%2 = %3\n%4 = %5")
                    .arg(QString::fromStdString(line.Label), QString::fromStdString(chart_.XLabel),
                         PointValue(x), QString::fromStdString(chart_.YLabel), PointValue(y));
        }
    return text;
}

void StudyChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    study::PaintSweepChart(painter, chart_, size());
}

bool StudyChartView::event(QEvent* event) {
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
