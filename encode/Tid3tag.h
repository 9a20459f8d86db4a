// Writes the 128-byte ID3v1 tag of a ripped or converted MP3: title, artist, album, year,
// comment with the track number in its last two bytes, and the genre number. One object per
// file to tag; not shared between threads (each object owns everything it uses).
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class Tid3tag {
public:
    // WriteTag's status: the outcome in the high byte, the low byte 0.
    enum Status : quint16 {
        TagWritten = 0x0000,
        TagNoFile = 0x0100,     // the file does not exist or cannot be opened
        TagNotAllowed = 0x0200, // read-only (no owner write permission), hidden (name starting
                                // with "."), or not a regular file
        TagReadError = 0x0300,
        TagWriteError = 0x0400,
        TagOtherError = 0x0500,
    };

    // The texts are kept as ISO-8859-1, "?" standing for what that cannot hold, cut to their
    // field widths: 30 bytes, the year 4.
    void SetTitle(const QString& text);
    void SetArtist(const QString& text);
    void SetAlbum(const QString& text);
    void SetYear(const QString& text);
    void SetComment(const QString& text);
    // A track of 0 means none: the comment then keeps all 30 bytes.
    void SetTrack(quint8 track);

    const QByteArray& Title() const { return m_title; }
    const QByteArray& Artist() const { return m_artist; }
    const QByteArray& Album() const { return m_album; }
    const QByteArray& Year() const { return m_year; }
    const QByteArray& Comment() const { return m_comment; }
    quint8 Track() const { return m_track; }
    bool HasTrack() const { return m_hasTrack; }
    const QString& LastFileName() const { return m_lastFileName; }

    // ID3v1 genre number, 255 for none. Set directly, usually from GenreByte.
    quint8 Genre = 255;

    // Writes the tag over the one at the end of `fileName` or appends it; "=" names the file
    // last written. A missing file is not created. A failure leaves every byte before the tag
    // position as it was (a part-block that was appended is cut off again).
    quint16 WriteTag(const QString& fileName);

    // The 128 bytes WriteTag writes.
    QByteArray TagBlock() const;

    // The ID3v1 genre number of position `position` of the genre box (0 its empty entry,
    // -1 nothing chosen): 255 for no genre.
    static quint8 GenreByte(int position);

private:
    bool m_hasTrack = false;
    QString m_lastFileName;
    QByteArray m_title;
    QByteArray m_artist;
    QByteArray m_album;
    QByteArray m_year;
    QByteArray m_comment;
    quint8 m_track = 0;
};
