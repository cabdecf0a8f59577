#include "JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace pelorin {
namespace {

// libjpeg's own error handler ends the process; this one jumps back to the
// decoder with the library's message instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->escape, 1);
}

// Warnings (a truncated file, for one) are left to the decoder: libjpeg pads
// what is missing and the picture still shows.
void IgnoreMessage(j_common_ptr) {}

// Kept apart from DecodeJpeg so that no object with a destructor lives in the
// frame that longjmp returns to.
bool DecodeInto(jpeg_decompress_struct& info, ErrorManager& errors, const QByteArray& data,
                QImage& image) {
    if (setjmp(errors.escape) != 0) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) return false;
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data, QString* error) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = IgnoreMessage;
    QImage image;
    const bool decoded = !data.isEmpty() && DecodeInto(info, errors, data, image);
    jpeg_destroy_decompress(&info);
    if (decoded) return image.convertToFormat(QImage::Format_RGB32);
    if (error != nullptr)
        *error =
            data.isEmpty() ? QStringLiteral("Empty picture") : QString::fromLatin1(errors.message);
    return {};
}

QImage LoadJpeg(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) *error = file.errorString();
        return {};
    }
    return DecodeJpeg(file.readAll(), error);
}

}  // namespace pelorin
