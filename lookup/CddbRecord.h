// A disc's CDDB record (the xmcd text format) read into its fields: the disc title split into
// artist and album, year, genre and the track titles by their key number. A key that repeats
// continues the value (long texts span several lines), and the escapes \n, \t and \\ are
// decoded. Plain value type, any thread.
#pragma once

#include <QMap>
#include <QString>

class TCddbRecord {
public:
    // Reads "KEY=value" lines; comment lines ("#"), empty lines and lines without "=" are
    // skipped, keys are compared without regard to case and surrounding blanks.
    static TCddbRecord parse(const QString& text);

    // The decoded, trimmed value of a key, empty when the record lacks it.
    QString value(const QString& key) const;
    bool hasKey(const QString& key) const;

    // DTITLE is "artist / album". It is split at the first " / ", or, when there is none, at
    // the first "/"; without any "/" the whole text is both artist and album.
    bool hasDiscTitle() const { return hasKey(QStringLiteral("DTITLE")); }
    QString artist() const;
    QString album() const;
    bool hasYear() const { return hasKey(QStringLiteral("DYEAR")); }
    QString year() const { return value(QStringLiteral("DYEAR")); }
    bool hasGenre() const { return hasKey(QStringLiteral("DGENRE")); }
    QString genre() const { return value(QStringLiteral("DGENRE")); }

    // TTITLEn, n counted from 0.
    bool hasTrackTitle(int n) const { return m_trackTitles.contains(n); }
    QString trackTitle(int n) const;
    int trackTitleCount() const { return int(m_trackTitles.size()); }

    // The text as one line for a box or a file name: line breaks and tabs become blanks.
    static QString oneLine(const QString& text);
    // Decodes \n, \t and \\; any other backslash stays as it is.
    static QString decodeEscapes(const QString& raw);

private:
    void splitDiscTitle(QString* artist, QString* album) const;

    QMap<QString, QString> m_values;  // raw joined values by upper-case key
    QMap<int, QString> m_trackTitles; // raw joined values by track index
};
