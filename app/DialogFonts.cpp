#include "app/DialogFonts.h"

namespace qvr {

namespace {

QFont FontOf(const QStringList& families, int pixelSize) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

QFont DialogFont() {
    return FontOf({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans")},
                  13);
}

QFont SansFont(int pixelSize) {
    return FontOf(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")},
        pixelSize);
}

QFont SerifFont(int pixelSize, bool italic) {
    QFont font = FontOf({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                         QStringLiteral("DejaVu Serif")},
                        pixelSize);
    font.setItalic(italic);
    return font;
}

} // namespace qvr
