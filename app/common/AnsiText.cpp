#include "app/common/AnsiText.h"

#include "report/Utf8Text.h"

#include <QFile>
#include <QStringDecoder>

namespace qvr {

QString FromAnsi(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        result.append(QChar(static_cast<char16_t>(Windows1252CodePoint(static_cast<uint8_t>(c)))));
    }
    return result;
}

QString FromMessageText(const std::string& text) {
    bool ascii = true;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
        if (!utf8.hasError()) {
            return decoded;
        }
    }
    return FromAnsi(text);
}

std::string ToFileNameBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromFileNameBytes(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

} // namespace qvr
