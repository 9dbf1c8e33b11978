#include "app/AnsiText.h"

#include <QFile>
#include <QStringDecoder>

#include <array>

namespace qvr {

namespace {

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; the five unassigned
// codes map to the C1 control of the same value, as Windows does.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString FromAnsi(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        result.append(b >= 0x80 && b < 0xA0 ? QChar(Cp1252High[b - 0x80]) : QChar(b));
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
