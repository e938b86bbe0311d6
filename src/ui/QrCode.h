#pragma once

#include <QImage>
#include <QString>

namespace ui {

// The QR code of a text (an address), error correction M, as an image of one pixel per module,
// black on white, with its quiet zone of four modules all round. Shown or printed larger, it
// is scaled without smoothing. A null image when the text is too long for any QR code.
QImage qrCode(const QString& text);

} // namespace ui
