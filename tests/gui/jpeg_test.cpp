// Decoding of the JPEG pictures: the program's own pictures decode to their
// sizes and colours, and damaged data never ends the program.

#include <QFile>
#include <QTest>

#include "JpegImage.h"

using namespace pelorin;

class JpegTest : public QObject {
    Q_OBJECT
  private slots:
    void picturesDecodeToTheirSizes_data();
    void picturesDecodeToTheirSizes();
    void colourChannelsKeepTheirOrder();
    void damagedDataGivesNoPicture_data();
    void damagedDataGivesNoPicture();
    void truncatedPictureStillShows();
    void missingFileGivesNoPicture();
};

namespace {

QByteArray FigureBytes() {
    QFile file(QStringLiteral(":/pictures/explanatory-figure.jpg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

bool Near(QRgb pixel, int red, int green, int blue) {
    const int tolerance = 14;
    return std::abs(qRed(pixel) - red) <= tolerance &&
           std::abs(qGreen(pixel) - green) <= tolerance &&
           std::abs(qBlue(pixel) - blue) <= tolerance;
}

}  // namespace

void JpegTest::picturesDecodeToTheirSizes_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("explanatory figure") << ":/pictures/explanatory-figure.jpg" << QSize(667, 413);
    QTest::newRow("entrance resistance") << ":/pictures/entrance-resistance.jpg" << QSize(553, 353);
    QTest::newRow("from the source tree")
        << PELORIN_SOURCE_DIR "/assets/explanatory-figure.jpg" << QSize(667, 413);
}

void JpegTest::picturesDecodeToTheirSizes() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QString error;
    const QImage picture = LoadJpeg(path, &error);
    QVERIFY2(!picture.isNull(), qPrintable(error));
    QCOMPARE(picture.size(), size);
}

void JpegTest::colourChannelsKeepTheirOrder() {
    const QImage picture = DecodeJpeg(FigureBytes());
    QVERIFY(!picture.isNull());
    // The sky above the soil surface is a pale blue, the top soil a light brown.
    QVERIFY(Near(picture.pixel(4, 4), 236, 244, 252));
    QVERIFY(Near(picture.pixel(300, 160), 214, 186, 140));
}

void JpegTest::damagedDataGivesNoPicture_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a picture") << QByteArray("plain text, not a picture at all");
    QTest::newRow("start marker then noise") << QByteArray("\xFF\xD8\xFF\x01garbage", 12);
    QByteArray brokenHeader = FigureBytes();
    for (int i = 20; i < 200; ++i) brokenHeader[i] = static_cast<char>(0xFF);
    QTest::newRow("overwritten header") << brokenHeader;
    QTest::newRow("header only") << FigureBytes().left(120);
}

void JpegTest::damagedDataGivesNoPicture() {
    QFETCH(QByteArray, data);
    QString error;
    const QImage picture = DecodeJpeg(data, &error);
    QVERIFY(picture.isNull());
    QVERIFY(!error.isEmpty());
}

void JpegTest::truncatedPictureStillShows() {
    // libjpeg pads what is missing at the end; the picture keeps its size.
    const QByteArray bytes = FigureBytes();
    const QImage picture = DecodeJpeg(bytes.left(bytes.size() / 2));
    QCOMPARE(picture.size(), QSize(667, 413));
}

void JpegTest::missingFileGivesNoPicture() {
    QString error;
    QVERIFY(LoadJpeg(QStringLiteral("/nonexistent/figure.jpg"), &error).isNull());
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(JpegTest)
#include "jpeg_test.moc"
