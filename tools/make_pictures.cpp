// Draws the pictures of the desktop program: the explanatory figure of the
// symbols, the entrance-resistance picture, the logo and the cartoon. The JPEG
// pictures are encoded with libjpeg directly so that the output does not depend
// on which Qt image plugins a machine has.
//
//   make_pictures <folder>    writes the four files into <folder>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

const QColor kSky(236, 244, 252);
const QColor kTopSoil(214, 186, 140);
const QColor kLayer1(196, 160, 110);
const QColor kLayer2(166, 128, 86);
const QColor kWater(70, 130, 200);
const QColor kInk(20, 20, 20);
const QColor kDimension(150, 20, 20);

QFont SansFont(int pixelSize, bool bold = false) {
    QFont font("Liberation Sans");
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

bool WriteJpeg(const QImage& picture, const char* path) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

// A line with a filled arrow head at `to`.
void Arrow(QPainter& p, QPointF from, QPointF to, double head = 7) {
    p.drawLine(from, to);
    const QLineF line(to, from);
    const double angle = line.angle();
    QLineF side1 = QLineF::fromPolar(head, angle + 25).translated(to);
    QLineF side2 = QLineF::fromPolar(head, angle - 25).translated(to);
    QPolygonF tip({to, side1.p2(), side2.p2()});
    p.save();
    p.setBrush(p.pen().color());
    p.drawPolygon(tip);
    p.restore();
}

// A dimension: a line with arrow heads at both ends and a label beside it.
void Dimension(QPainter& p, QPointF a, QPointF b, const QString& label, QPointF labelAt) {
    p.save();
    p.setPen(QPen(kDimension, 1.3));
    Arrow(p, (a + b) / 2, a);
    Arrow(p, (a + b) / 2, b);
    p.setFont(SansFont(15, true));
    p.drawText(labelAt, label);
    p.restore();
}

void Hatch(QPainter& p, const QRectF& band) {
    p.save();
    p.setClipRect(band);
    p.setPen(QPen(kInk, 1));
    for (double x = band.left() - band.height(); x < band.right(); x += 9)
        p.drawLine(QPointF(x, band.bottom()), QPointF(x + band.height(), band.top()));
    p.restore();
}

// The figure of the Figure sheet: a cross-section between a pipe drain and a
// ditch with every symbol of the Input sheet.
QImage ExplanatoryFigure() {
    QImage picture(667, 413, QImage::Format_RGB32);
    picture.fill(kSky);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    const double surface = 70, waterLevel = 190, drainBottom = 222, interface1 = 280;
    const double impermeable = 340;
    const double pipeX = 90, ditchX = 560, midX = (pipeX + ditchX) / 2;

    p.fillRect(QRectF(0, surface, 667, waterLevel - surface), kTopSoil);
    p.fillRect(QRectF(0, waterLevel, 667, interface1 - waterLevel), kLayer1);
    p.fillRect(QRectF(0, interface1, 667, impermeable - interface1), kLayer2);
    p.fillRect(QRectF(0, impermeable, 667, 14), QColor(120, 120, 120));
    Hatch(p, QRectF(0, impermeable, 667, 14));

    // The ditch: a trapezoid cut from the surface, water up to the drain level.
    QPolygonF ditch({QPointF(ditchX - 48, surface), QPointF(ditchX + 48, surface),
                     QPointF(ditchX + 20, drainBottom), QPointF(ditchX - 20, drainBottom)});
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kSky);
    p.drawPolygon(ditch);
    const double waterHalf = 20 + 28 * (drainBottom - waterLevel) / (drainBottom - surface);
    QPolygonF ditchWater({QPointF(ditchX - waterHalf, waterLevel),
                          QPointF(ditchX + waterHalf, waterLevel),
                          QPointF(ditchX + 20, drainBottom), QPointF(ditchX - 20, drainBottom)});
    p.setBrush(kWater);
    p.drawPolygon(ditchWater);

    // The pipe, half filled, its water level at the drain level.
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(pipeX, waterLevel), 13, 13);
    p.setBrush(kWater);
    p.drawChord(QRectF(pipeX - 13, waterLevel - 13, 26, 26), 180 * 16, 180 * 16);

    // The water table between the drains.
    QPainterPath table(QPointF(pipeX + 13, waterLevel));
    table.cubicTo(QPointF(pipeX + 90, 120), QPointF(midX - 90, 118), QPointF(midX, 118));
    table.cubicTo(QPointF(midX + 90, 118), QPointF(ditchX - 110, 120),
                  QPointF(ditchX - waterHalf, waterLevel));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWater, 3));
    p.drawPath(table);
    p.setPen(QPen(kInk, 1, Qt::DashLine));
    p.drawLine(QPointF(0, waterLevel), QPointF(667, waterLevel));
    p.drawLine(QPointF(0, interface1), QPointF(667, interface1));

    // Soil surface and recharge.
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(0, surface), QPointF(ditchX - 48, surface));
    p.drawLine(QPointF(ditchX + 48, surface), QPointF(667, surface));
    p.setFont(SansFont(14, true));
    p.drawText(QPointF(8, surface - 6), "s.s.");
    p.setPen(QPen(kWater, 2));
    for (double x = 150; x <= 470; x += 40) Arrow(p, QPointF(x, 14), QPointF(x, surface - 4));
    p.setPen(kWater);
    p.setFont(SansFont(17, true));
    p.drawText(QPointF(486, 36), "R");

    // Depths, measured down from the surface.
    Dimension(p, QPointF(614, surface), QPointF(614, waterLevel), "Dw", QPointF(619, 135));
    Dimension(p, QPointF(652, surface), QPointF(652, drainBottom), "Db", QPointF(628, 214));
    Dimension(p, QPointF(midX, surface), QPointF(midX, 118), "Dm", QPointF(midX + 6, 100));
    Dimension(p, QPointF(20, surface), QPointF(20, interface1), "D1", QPointF(26, 262));
    Dimension(p, QPointF(50, surface), QPointF(50, impermeable), "D2", QPointF(56, 328));

    // Widths of the water body.
    Dimension(p, QPointF(pipeX - 13, waterLevel + 22), QPointF(pipeX + 13, waterLevel + 22), "W",
              QPointF(pipeX - 5, waterLevel + 42));
    Dimension(p, QPointF(ditchX - waterHalf, waterLevel - 10),
              QPointF(ditchX + waterHalf, waterLevel - 10), "W",
              QPointF(ditchX - 6, waterLevel - 16));

    // Permeabilities.
    p.setPen(kInk);
    p.setFont(SansFont(16, true));
    p.drawText(QPointF(190, 165), "Ka");
    auto anisotropy = [&](double y, const QString& vertical, const QString& horizontal) {
        p.setPen(QPen(kInk, 1.5));
        Arrow(p, QPointF(250, y - 18), QPointF(250, y + 18));
        Arrow(p, QPointF(370, y), QPointF(420, y));
        p.drawText(QPointF(258, y + 6), vertical);
        p.drawText(QPointF(428, y + 6), horizontal);
    };
    anisotropy(236, "Kv1", "Kb1");
    anisotropy(311, "Kv2", "Kb2");

    // Spacing.
    Dimension(p, QPointF(pipeX, 372), QPointF(midX, 372), "S/2",
              QPointF((pipeX + midX) / 2 - 12, 368));
    Dimension(p, QPointF(pipeX, 396), QPointF(ditchX, 396), "S", QPointF(midX + 60, 392));
    p.setPen(QPen(kInk, 1, Qt::DotLine));
    for (double x : {pipeX, midX, ditchX})
        p.drawLine(QPointF(x, impermeable + 14), QPointF(x, 404));
    return picture;
}

// The help picture of the entrance resistance.
QImage EntranceResistancePicture() {
    QImage picture(553, 353, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const double surface = 40, pipeY = 190, pipeX = 150, headTop = 140;

    p.fillRect(QRectF(0, surface, 553, 313 - surface), kTopSoil);
    QPainterPath table(QPointF(0, 70));
    table.cubicTo(QPointF(70, 90), QPointF(110, headTop), QPointF(pipeX, headTop));
    table.cubicTo(QPointF(190, headTop), QPointF(230, 90), QPointF(300, 70));
    table.lineTo(553, 66);
    QPainterPath wet = table;
    wet.lineTo(553, 313);
    wet.lineTo(0, 313);
    wet.closeSubpath();
    p.fillPath(wet, QColor(150, 190, 230));
    p.setPen(QPen(kWater, 3));
    p.drawPath(table);

    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(pipeX, pipeY), 22, 22);
    p.setBrush(kWater);
    p.drawChord(QRectF(pipeX - 22, pipeY - 22, 44, 44), 200 * 16, 140 * 16);
    const double inside = pipeY + 8;
    p.setPen(QPen(kInk, 1, Qt::DashLine));
    p.drawLine(QPointF(pipeX + 22, inside), QPointF(300, inside));
    p.drawLine(QPointF(pipeX + 4, headTop), QPointF(300, headTop));
    Dimension(p, QPointF(280, headTop), QPointF(280, inside), "He", QPointF(288, 175));
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(0, surface), QPointF(553, surface));
    p.setFont(SansFont(13, true));
    p.drawText(QPointF(6, surface - 6), "soil surface");
    p.drawText(QPointF(pipeX - 40, pipeY + 44), "pipe drain");
    p.setPen(kWater);
    p.drawText(QPointF(170, 100), "water table");

    p.setPen(kInk);
    p.setFont(SansFont(17, true));
    p.drawText(QPointF(330, 100), "E = He / Q   (day/m)");
    p.drawText(QPointF(330, 130), "Q = R\u00b7S");
    p.setFont(SansFont(13));
    const char* lines[] = {"He = entrance head (m): the height of",
                           "        the water table above the drain",
                           "        over the water level in it",
                           "Q  = drain discharge (m2/day, that is",
                           "        m3/day per metre of drain)",
                           "R  = recharge (m/day)",
                           "S  = drain spacing (m)"};
    double y = 168;
    for (const char* line : lines) {
        p.drawText(QPointF(320, y), line);
        y += 19;
    }
    return picture;
}

// The logo: a flowering plant above layers of soil and water.
QImage Logo() {
    QImage picture(109, 96, QImage::Format_RGB32);
    picture.fill(kSky);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 52, 109, 16), kTopSoil);
    p.fillRect(QRectF(0, 68, 109, 14), kLayer1);
    p.fillRect(QRectF(0, 82, 109, 14), kWater);
    p.setPen(QPen(QColor(40, 120, 40), 3));
    p.drawLine(QPointF(54, 52), QPointF(54, 20));
    p.setBrush(QColor(60, 150, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(34, 32, 20, 9));
    p.drawEllipse(QRectF(55, 38, 20, 9));
    p.setBrush(QColor(230, 80, 110));
    for (int k = 0; k < 6; ++k) {
        const QLineF petal = QLineF::fromPolar(8, k * 60).translated(QPointF(54, 18));
        p.drawEllipse(petal.p2(), 5, 5);
    }
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(QPointF(54, 18), 4.5, 4.5);
    p.setPen(QPen(QColor(90, 60, 30), 1.5));
    for (double x : {20.0, 40.0, 68.0, 90.0}) p.drawLine(QPointF(x, 56), QPointF(x - 4, 64));
    return picture;
}

void Figure(QPainter& p, double x, const QColor& shirt, bool sparks) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(250, 220, 190));
    p.drawEllipse(QPointF(x, 58), 11, 11);
    p.drawPoint(QPointF(x - 4, 56));
    p.drawPoint(QPointF(x + 4, 56));
    p.drawArc(QRectF(x - 5, 57, 10, 7), 200 * 16, 140 * 16);
    p.setBrush(shirt);
    p.drawRoundedRect(QRectF(x - 10, 70, 20, 30), 5, 5);
    p.drawLine(QPointF(x - 10, 76), QPointF(x - 20, sparks ? 64 : 92));
    p.drawLine(QPointF(x + 10, 76), QPointF(x + 20, 92));
    p.drawLine(QPointF(x - 5, 100), QPointF(x - 7, 120));
    p.drawLine(QPointF(x + 5, 100), QPointF(x + 7, 120));
    if (!sparks) return;
    p.setPen(QPen(QColor(240, 170, 0), 2));
    QPolygonF bolt(
        {QPointF(x - 24, 40), QPointF(x - 18, 50), QPointF(x - 23, 50), QPointF(x - 16, 62)});
    p.drawPolyline(bolt);
}

// The cartoon of the Output and Graphics sheets.
QImage Cartoon() {
    QImage picture(141, 171, QImage::Format_RGB32);
    picture.fill(QColor(255, 251, 221));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(4, 4, 133, 34), 6, 6);
    p.setFont(SansFont(10));
    p.drawText(QRectF(6, 5, 129, 32), Qt::AlignCenter, "The joule is used in\nthe energy balance");
    Figure(p, 40, QColor(90, 140, 220), false);
    Figure(p, 100, QColor(220, 110, 90), true);
    p.setPen(QPen(kWater, 2));
    p.setBrush(QColor(150, 190, 230));
    p.drawEllipse(QRectF(10, 122, 121, 14));
    p.setPen(kInk);
    p.setFont(SansFont(11, true));
    p.drawText(QRectF(0, 140, 141, 28), Qt::AlignCenter, "Is water electrified?");
    return picture;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + "/";
    bool ok = WriteJpeg(ExplanatoryFigure(), (folder + "explanatory-figure.jpg").toLocal8Bit());
    ok = WriteJpeg(EntranceResistancePicture(),
                   (folder + "entrance-resistance.jpg").toLocal8Bit()) &&
         ok;
    ok = Logo().save(folder + "logo.png") && ok;
    ok = Cartoon().save(folder + "joule.png") && ok;
    if (!ok) std::fprintf(stderr, "make_pictures: a picture could not be written\n");
    return ok ? 0 : 1;
}
