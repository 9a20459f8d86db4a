// The one place output file names are made: a rip's name template filled from the disc's and
// the track's fields, and the rules that make any text a name every Linux file system takes
// (and, on request, FAT, exFAT and NTFS too). Plain functions and values, any thread.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// The texts a name template is filled from. Empty texts and 0 numbers are unknown; the
// fallbacks ("Unknown Artist", "TrackNN", ...) are the template's to apply.
struct TNameFields {
    QString DiscArtist;  // the disc's artist box
    QString AlbumArtist; // the album artist when it differs from the disc artist
    QString Artist;      // the track's own performer
    QString Album;
    QString Year;
    QString Genre; // the genre's name
    QString Title;
    QString Format; // the format's name in lower case: "flac"
    int Disc = 0;
    int DiscTotal = 0;
    int Track = 0; // the track's number, written with two digits
    int TrackTotal = 0;
};

// A parsed name template: literal text, "/" between folders, and the fields {albumartist}
// {artist} {album} {year} {genre} {disc} {disctotal} {track} {tracktotal} {title} {format}; "{{"
// and "}}" stand for braces.
class TNameTemplate {
public:
    // The template a rip uses unless told otherwise: every file named after its title.
    static QString DefaultText() { return QStringLiteral("{title}"); }
    // The field names, for help texts.
    static QStringList FieldNames();

    // Parses `text`; nullopt with `error` saying what is wrong ("unknown field {x} ...", a lone
    // brace) when it is no template. An empty text is the default template.
    static std::optional<TNameTemplate> Parse(const QString& text, QString* error);

    // The path below the output folder, without extension: each "/"-separated part of the
    // template filled in and made safe (SafeNameComponent); parts that come out empty are
    // dropped, so nothing climbs out of the output folder. The last part leaves room for
    // `extension` (".flac") and the " (NN).partial" the rip may add.
    QString Expand(const TNameFields& fields, const QString& extension, bool fatSafe) const;

    // Whether field `name` ("format") appears in it.
    bool Uses(const QString& name) const;

private:
    struct TPiece {
        bool IsField = false;
        QString Text; // the literal text, or the field's name
    };
    QList<QList<TPiece>> m_parts; // the "/"-separated parts
};

// `text` as one file or folder name: "/" becomes "-", NUL and control characters are dropped,
// leading dots and trailing spaces go, and it is cut on a character boundary to `maxBytes` bytes
// of UTF-8. With `fatSafe` also \ : * ? " < > | become "_", trailing dots go, and a name that
// DOS reserves (CON, PRN, AUX, NUL, COM1..COM9, LPT1..LPT9, with or without an extension) gets
// "_" added. Empty when nothing is left.
QString SafeNameComponent(const QString& text, bool fatSafe, int maxBytes = 255);

// The bytes of a name's base that leave room for " (NN).partial" and `extension` (at least
// five bytes of it, the longest of ours) within 255 bytes.
int NameBaseBudget(const QString& extension);

// `path` (folder/base + extension) made unique against `taken` and then added to it: the first
// free one of "<base>.<ext>", "<base> (2).<ext>", ... Compared as given (the caller passes
// absolute or clean paths).
QString UniqueInSet(const QString& base, const QString& extension, QSet<QString>* taken);
