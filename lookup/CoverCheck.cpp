#include "CoverCheck.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <array>

namespace {

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

// The CRC-32 of PNG chunks (ISO 3309, polynomial 0xEDB88320, reflected).
quint32 crc32(const char* data, qsizetype size) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table[(c ^ uchar(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

quint32 bigEndian32(const char* p) {
    return (quint32(uchar(p[0])) << 24) | (quint32(uchar(p[1])) << 16) |
           (quint32(uchar(p[2])) << 8) | quint32(uchar(p[3]));
}

} // namespace

bool TCoverCheck::checkJpeg(const QByteArray& bytes, QString* reason) {
    // Some writers pad the file after the end marker with zero bytes.
    qsizetype end = bytes.size();
    while (end > 2 && bytes[end - 1] == '\0')
        --end;
    if (end < 4 || uchar(bytes[end - 2]) != 0xFF || uchar(bytes[end - 1]) != 0xD9) {
        *reason = QCoreApplication::translate(
            "TCoverCheck", "the JPEG data ends before its end marker (EOI); it was cut short");
        return false;
    }
    return true;
}

bool TCoverCheck::checkPng(const QByteArray& bytes, QString* reason) {
    qsizetype at = PngSignature.size();
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) {
            *reason = QCoreApplication::translate(
                "TCoverCheck", "the PNG data ends inside a chunk; it was cut short");
            return false;
        }
        const quint32 length = bigEndian32(bytes.constData() + at);
        if (length > quint32(bytes.size() - at - 12)) {
            *reason = QCoreApplication::translate(
                "TCoverCheck", "the PNG data ends inside a chunk; it was cut short");
            return false;
        }
        const char* type = bytes.constData() + at + 4;
        const quint32 crc = bigEndian32(type + 4 + length);
        if (crc32(type, 4 + qsizetype(length)) != crc) {
            *reason =
                QCoreApplication::translate("TCoverCheck", "a PNG chunk (%1) fails its CRC check")
                    .arg(QString::fromLatin1(type, 4));
            return false;
        }
        at += 12 + qsizetype(length);
        if (QByteArray(type, 4) == "IEND") {
            if (at != bytes.size()) {
                *reason = QCoreApplication::translate(
                    "TCoverCheck", "the PNG data goes on after its end chunk (IEND)");
                return false;
            }
            return true;
        }
    }
    *reason = QCoreApplication::translate(
        "TCoverCheck", "the PNG data ends before its end chunk (IEND); it was cut short");
    return false;
}

bool TCoverCheck::IsWholePicture(const QByteArray& bytes, QString* reason) {
    QByteArray format;
    if (bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 &&
        uchar(bytes[2]) == 0xFF) {
        if (!checkJpeg(bytes, reason))
            return false;
        format = "jpeg";
    } else if (bytes.startsWith(PngSignature)) {
        if (!checkPng(bytes, reason))
            return false;
        format = "png";
    } else {
        *reason = QCoreApplication::translate("TCoverCheck", "the data is no JPEG or PNG picture");
        return false;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    // The header's size first, so that a huge picture is refused before it is decoded.
    const QSize announced = reader.size();
    if (announced.width() > MaxSide || announced.height() > MaxSide) {
        *reason = QCoreApplication::translate("TCoverCheck",
                                              "the picture is %1 x %2 pixels, larger than %3 x %3")
                      .arg(announced.width())
                      .arg(announced.height())
                      .arg(MaxSide);
        return false;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        *reason = QCoreApplication::translate("TCoverCheck", "the picture cannot be decoded: %1")
                      .arg(reader.errorString());
        return false;
    }
    if (image.width() > MaxSide || image.height() > MaxSide) {
        *reason = QCoreApplication::translate("TCoverCheck",
                                              "the picture is %1 x %2 pixels, larger than %3 x %3")
                      .arg(image.width())
                      .arg(image.height())
                      .arg(MaxSide);
        return false;
    }
    return true;
}
