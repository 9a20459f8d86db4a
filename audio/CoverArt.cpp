#include "CoverArt.h"

#include <QtEndian>

namespace {

void putBE32(QByteArray& out, quint32 v) {
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

struct TImageSize {
    quint32 Width = 0, Height = 0, Depth = 0;
};

// A PNG's size from its IHDR chunk, which comes first.
TImageSize pngSize(const QByteArray& d) {
    TImageSize s;
    if (d.size() >= 26 && d.mid(12, 4) == "IHDR") {
        s.Width = qFromBigEndian<quint32>(d.constData() + 16);
        s.Height = qFromBigEndian<quint32>(d.constData() + 20);
        const int bits = uchar(d[24]);
        static const int channels[] = {1, 0, 3, 1, 2, 0, 4}; // by colour type
        const int type = uchar(d[25]);
        s.Depth = type <= 6 ? quint32(bits * channels[type]) : 0;
    }
    return s;
}

// A JPEG's size from its first start-of-frame segment.
TImageSize jpegSize(const QByteArray& d) {
    TImageSize s;
    qsizetype at = 2;
    while (at + 9 < d.size()) {
        if (uchar(d[at]) != 0xFF)
            break;
        const int marker = uchar(d[at + 1]);
        const int length = (uchar(d[at + 2]) << 8) | uchar(d[at + 3]);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            s.Height = (uchar(d[at + 5]) << 8) | uchar(d[at + 6]);
            s.Width = (uchar(d[at + 7]) << 8) | uchar(d[at + 8]);
            s.Depth = quint32(uchar(d[at + 4])) * uchar(d[at + 9]); // precision × components
            break;
        }
        if (length < 2)
            break;
        at += 2 + length;
    }
    return s;
}

TImageSize imageSize(TCoverArt::Kind kind, const QByteArray& d) {
    switch (kind) {
    case TCoverArt::Kind::Png:
        return pngSize(d);
    case TCoverArt::Kind::Jpeg:
        return jpegSize(d);
    case TCoverArt::Kind::None:
        break;
    }
    return TImageSize();
}

} // namespace

TCoverArt::Kind TCoverArt::KindOf(const QByteArray& b) {
    if (b.size() >= 3 && uchar(b[0]) == 0xFF && uchar(b[1]) == 0xD8 && uchar(b[2]) == 0xFF)
        return Kind::Jpeg;
    if (b.startsWith("\x89PNG\r\n\x1a\n"))
        return Kind::Png;
    return Kind::None;
}

TCoverArt TCoverArt::FromBytes(const QByteArray& bytes) {
    TCoverArt art;
    art.m_kind = KindOf(bytes);
    if (art.m_kind != Kind::None)
        art.m_data = bytes;
    return art;
}

QString TCoverArt::mimeType() const {
    switch (m_kind) {
    case Kind::Jpeg:
        return QStringLiteral("image/jpeg");
    case Kind::Png:
        return QStringLiteral("image/png");
    case Kind::None:
        break;
    }
    return QString();
}

QString TCoverArt::extension() const {
    switch (m_kind) {
    case Kind::Jpeg:
        return QStringLiteral("jpg");
    case Kind::Png:
        return QStringLiteral("png");
    case Kind::None:
        break;
    }
    return QString();
}

int TCoverArt::width() const {
    return int(imageSize(m_kind, m_data).Width);
}

int TCoverArt::height() const {
    return int(imageSize(m_kind, m_data).Height);
}

QByteArray TCoverArt::flacPictureBody() const {
    if (isEmpty())
        return QByteArray();
    const TImageSize size = imageSize(m_kind, m_data);
    const QByteArray mime = mimeType().toLatin1();
    QByteArray out;
    putBE32(out, 3); // front cover
    putBE32(out, quint32(mime.size()));
    out.append(mime);
    putBE32(out, 0); // no description
    putBE32(out, size.Width);
    putBE32(out, size.Height);
    putBE32(out, size.Depth);
    putBE32(out, 0); // not an indexed-colour picture
    putBE32(out, quint32(m_data.size()));
    out.append(m_data);
    return out;
}
