#pragma once

// A sweep's chart drawn with QPainter: axes with round ticks, one coloured line
// with its markers per method and value of the second quantity, and a legend;
// written as PNG, SVG or PDF.

#include <QByteArray>
#include <QPainter>
#include <QPointF>
#include <QSize>
#include <string>

#include "SweepChart.h"

namespace pelorin::study {

inline constexpr int kChartWidth = 800;
inline constexpr int kChartHeight = 560;

// Paints the chart into the rectangle (0, 0, size) of the painter's device.
void PaintSweepChart(QPainter& painter, const SweepChart& chart, QSize size);

// Where PaintSweepChart puts the point (x, y) of a chart of that size.
QPointF SweepChartPoint(const SweepChart& chart, QSize size, double x, double y);

// Writes the chart as PNG, SVG or PDF by the name's ending (ChartFormatOf),
// through the program's one file writer; any other name is refused. The error text, or empty when
// written. Needs a QGuiApplication (for the fonts).
std::string WriteSweepChart(const SweepChart& chart, const std::string& fileName);

// The bytes WriteSweepChart writes under that name; empty when the picture
// could not be encoded.
QByteArray SweepChartFileBytes(const SweepChart& chart, const std::string& fileName);

}  // namespace pelorin::study
