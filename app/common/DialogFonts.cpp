#include "app/common/DialogFonts.h"

#include <QFontMetrics>
#include <QLabel>

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

namespace qvr {

void FitFontToLabel(QLabel& label, int minPixelSize) {
    QFont font = label.font();
    const int margin = 2 * (label.margin() + label.frameWidth());
    const QRect area(0, 0, label.width() - margin, 100000);
    const int flags = label.wordWrap() ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
    while (font.pixelSize() > minPixelSize) {
        const QRect needed = QFontMetrics(font).boundingRect(area, flags, label.text());
        if (needed.width() <= area.width() && needed.height() <= label.height() - margin) {
            break;
        }
        font.setPixelSize(font.pixelSize() - 1);
    }
    label.setFont(font);
}

} // namespace qvr
