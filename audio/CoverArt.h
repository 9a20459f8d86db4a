// A front cover picture as the lookup fetched it and the rip writes it: the image file's bytes,
// JPEG or PNG, told apart by their first bytes. A plain value, copied into jobs; any thread.
#pragma once

#include <QByteArray>
#include <QString>

class TCoverArt {
public:
    enum class Kind { None, Jpeg, Png };

    TCoverArt() = default;
    // The picture in `bytes` when they start like a JPEG or PNG file; otherwise an empty
    // picture (Kind None), which nothing writes.
    static TCoverArt FromBytes(const QByteArray& bytes);
    // What `bytes` start like.
    static Kind KindOf(const QByteArray& bytes);

    bool isEmpty() const { return m_kind == Kind::None; }
    Kind kind() const { return m_kind; }
    const QByteArray& data() const { return m_data; }
    // "image/jpeg" or "image/png"; "" when empty.
    QString mimeType() const;
    // "jpg" or "png"; "" when empty.
    QString extension() const;
    // The picture's width and height in pixels as its header says; 0 when it does not say.
    int width() const;
    int height() const;

    // The body of a FLAC PICTURE metadata block (also the decoded value of the Ogg comment
    // METADATA_BLOCK_PICTURE): picture type 3 (front cover), MIME type, empty description,
    // width, height, colour depth and palette size (0 when the header does not say), then
    // the picture data. All numbers 32-bit big-endian.
    QByteArray flacPictureBody() const;

private:
    Kind m_kind = Kind::None;
    QByteArray m_data;
};
