#include "QrCode.h"

#include <memory>
#include <qrencode.h>

namespace ui {

QImage qrCode(const QString& text) {
    constexpr int kQuietZone = 4;
    const QByteArray bytes = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return {};
    const int side = code->width + 2 * kQuietZone;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        uchar* line = image.scanLine(y + kQuietZone) + kQuietZone;
        for (int x = 0; x < code->width; ++x)
            // The library's lowest bit of each module tells it is dark.
            if (code->data[y * code->width + x] & 1)
                line[x] = 0;
    }
    return image;
}

} // namespace ui
