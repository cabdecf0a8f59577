#include "Pictures.h"

#include <QImage>

#include "JpegImage.h"

namespace pelorin {

QPixmap ExplanatoryFigure() {
    static const QImage picture = LoadJpeg(QStringLiteral(":/pictures/explanatory-figure.jpg"));
    return QPixmap::fromImage(picture);
}

QPixmap EntranceResistancePicture() {
    static const QImage picture = LoadJpeg(QStringLiteral(":/pictures/entrance-resistance.jpg"));
    return QPixmap::fromImage(picture);
}

QPixmap LogoPicture() { return QPixmap(QStringLiteral(":/pictures/logo.png")); }

QPixmap CartoonPicture() { return QPixmap(QStringLiteral(":/pictures/joule.png")); }

}  // namespace pelorin
