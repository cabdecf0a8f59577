#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>

#include "SweepChart.h"

namespace pelorin {

// A design study's chart in its window, drawn as the sweep's chart files are:
// redrawn at every size, and a point's values shown as a tooltip when the
// pointer rests on it.
class StudyChartView : public QWidget {
    Q_OBJECT
  public:
    explicit StudyChartView(QWidget* parent = nullptr);

    void SetChart(study::SweepChart chart);
    const study::SweepChart& Chart() const { return chart_; }
    // The text of the point nearest `position` within a few pixels; empty
    // when there is none.
    QString PointTextAt(const QPointF& position) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    study::SweepChart chart_;
};

}  // namespace pelorin
