#pragma once

#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

namespace pelorin {

// A design study's chart: the sought quantity against the first varied
// quantity, one line per method and per value of the second.
struct StudyChartLine {
    QString Label;  // "Darcy, D2 = 1.20"
    struct Point {
        double X = 0;
        double Y = 0;
        int TableRow = 0;  // the row of the study's table the point comes from
    };
    std::vector<Point> Points;
};

struct StudyChartModel {
    QString XCaption;  // "R (m/day)"
    QString YCaption;  // "Drain spacing (m)"
    std::vector<StudyChartLine> Lines;
};

// Where the chart puts its points within `area`, so that a picture, the
// window and the hover tooltips agree.
class StudyChartFrame {
  public:
    StudyChartFrame(const StudyChartModel& model, const QRectF& area);
    QPointF Place(double x, double y) const;
    QRectF Plot() const { return plot_; }
    double XLow() const { return xLow_; }
    double XHigh() const { return xHigh_; }
    double YLow() const { return yLow_; }
    double YHigh() const { return yHigh_; }
    double XStep() const { return xStep_; }  // between ticks
    double YStep() const { return yStep_; }

  private:
    QRectF plot_;
    double xLow_ = 0, xHigh_ = 1, yLow_ = 0, yHigh_ = 1;
    double xStep_ = 1, yStep_ = 1;
};

// Draws the chart into `area`: frame, ticks, captions, lines and a legend.
void PaintStudyChart(QPainter& painter, const QRectF& area, const StudyChartModel& model);

// The chart in the window: redrawn at every size, and a point's values shown
// as a tooltip when the pointer rests on it.
class TStudyChartView : public QWidget {
    Q_OBJECT
  public:
    explicit TStudyChartView(QWidget* parent = nullptr);

    void SetModel(StudyChartModel model);
    const StudyChartModel& Model() const { return model_; }
    // The text of the point nearest `position` within a few pixels; empty
    // when there is none.
    QString PointTextAt(const QPointF& position) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    StudyChartModel model_;
};

// The colour of line `index`, the same in the window and in saved pictures.
QColor StudyLineColour(int index);

}  // namespace pelorin
