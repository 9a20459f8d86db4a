// ACS_Tags: the tag dictionaries that carry an audio file's metadata (title, artist, ...)
// between the components, one class per tag family, and the ID3v1/ID3v2 file access.
//
// Texts are QString in memory. A value remembers whether it is an "8-bit" string (String: text
// meant for a single-byte field such as ID3v1, an ISO-8859-1 ID3v2 frame or an APE item that
// is plain ASCII by nature) or a wide string (WideString). On this UTF-8 system both kinds hold
// any Unicode text; the kind only matters at the file boundary, where an 8-bit field is
// written as ISO-8859-1 with "?" for what that cannot hold. Keeping the text as QString lets
// every caller use the values without caring about code pages.
//
// Threads: a tag object is not locked. One thread uses it at a time: the GUI thread, or an
// output's worker thread while that output runs (the GUI thread leaves it alone meanwhile).
#pragma once

#include "audio/CoverArt.h"

#include <QString>
#include <QtGlobal>
#include <vector>

// One tag value: empty, a whole number, or a text of either kind.
class TTagValue {
public:
    enum class Kind { Empty, Integer, String, WideString };

    TTagValue() = default;
    static TTagValue Integer(qint64 value);
    static TTagValue String(const QString& text);     // an 8-bit string
    static TTagValue WideString(const QString& text); // a wide string

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isInteger() const { return m_kind == Kind::Integer; }
    bool isText() const { return m_kind == Kind::String || m_kind == Kind::WideString; }
    qint64 integer() const { return m_integer; }   // 0 unless isInteger()
    const QString& text() const { return m_text; } // empty unless isText()

    // Equal kinds with equal contents; the two text kinds compare by their text only.
    bool operator==(const TTagValue& other) const;

private:
    Kind m_kind = Kind::Empty;
    qint64 m_integer = 0;
    QString m_text;
};

// A fixed set of names (chosen by the derived class's constructor, matched without regard to
// case) each holding one value, with the state flags Cleared and Modified.
class TAuTags {
public:
    virtual ~TAuTags() = default;
    TAuTags(const TAuTags&) = delete;
    TAuTags& operator=(const TAuTags&) = delete;

    int Count() const { return int(m_entries.size()); }
    // The name at `index` in case-blind alphabetical order; empty when out of range.
    QString NameAt(int index) const;
    // The value of `name`; empty for an unknown name.
    TTagValue GetValue(const QString& name) const;
    // Stores `value` under a known name when it differs from the stored one (Modified becomes
    // true, Cleared false); an unknown name is ignored.
    void SetValue(const QString& name, const TTagValue& value);
    // Integers as they are, texts that read as a whole decimal number converted, else 0.
    qint64 AsInteger(const QString& name) const;
    // Integers in decimal, texts as they are, an empty value as "".
    QString AsString(const QString& name) const;
    QString AsWideString(const QString& name) const { return AsString(name); }
    // Adds a new, non-empty name with an empty value (existing names are left alone).
    void AddName(const QString& name);
    // Empties every value; Cleared and Modified become true.
    void Clear();
    // Clear, then copy the value of every name of `source` that this class also has.
    virtual void Assign(const TAuTags& source);
    void AssignTo(TAuTags& target) const { target.Assign(*this); }

    bool Cleared() const { return m_cleared; }
    bool Modified() const { return m_modified; }

    // File access by an open descriptor; -1 means no file. The base class has no tag format:
    // TagExists and WriteToFile answer whether the handle is valid, ReadFromFile clears.
    virtual bool TagExists(int fd) const;
    virtual bool ReadFromFile(int fd);
    virtual bool WriteToFile(int fd, bool unicode) const;

    // The same by file name: opens the file (read-only to read, read-write to write), runs the
    // descriptor operation, closes it. False when the file cannot be opened.
    bool TagExists(const QString& fileName) const;
    bool ReadFromFile(const QString& fileName);
    virtual bool WriteToFile(const QString& fileName, bool unicode) const;

protected:
    TAuTags() = default;
    void SetString(const QString& name, const QString& text) {
        SetValue(name, TTagValue::String(text));
    }
    void SetWideString(const QString& name, const QString& text) {
        SetValue(name, TTagValue::WideString(text));
    }
    void SetInteger(const QString& name, qint64 value) {
        SetValue(name, TTagValue::Integer(value));
    }

private:
    struct Entry {
        QString name;
        TTagValue value;
    };
    int indexOf(const QString& name) const; // -1 when unknown

    std::vector<Entry> m_entries; // sorted by name without regard to case
    bool m_cleared = false;
    bool m_modified = false;
};

// The ID3v1 tag: a 128-byte block at the end of a file ("TAG", title, artist, album, year,
// comment with an optional track number, genre number).
class TId3v1Tags : public TAuTags {
public:
    TId3v1Tags();

    QString Title() const { return AsString(QStringLiteral("title")); }
    void SetTitle(const QString& v) { SetString(QStringLiteral("title"), v); }
    // Only a text value counts as an artist.
    QString Artist() const;
    void SetArtist(const QString& v) { SetString(QStringLiteral("artist"), v); }
    QString Album() const { return AsString(QStringLiteral("album")); }
    void SetAlbum(const QString& v) { SetString(QStringLiteral("album"), v); }
    quint16 Year() const { return quint16(AsInteger(QStringLiteral("year"))); }
    void SetYear(quint16 v) { SetInteger(QStringLiteral("year"), v); }
    QString Comment() const { return AsString(QStringLiteral("comment")); }
    void SetComment(const QString& v) { SetString(QStringLiteral("comment"), v); }
    quint8 Track() const { return quint8(AsInteger(QStringLiteral("track"))); }
    void SetTrack(quint8 v) { SetInteger(QStringLiteral("track"), v); }
    // The stored genre number when it is a known one (0..147), else 12 ("Other").
    quint8 GenreId() const;
    void SetGenreId(quint8 v) { SetInteger(QStringLiteral("genre"), v); }
    // The ID3v1 list name of GenreId.
    QString Genre() const;
    // Stores the number of the list name equal to the trimmed text, ignoring case; a text
    // that names no genre leaves the genre as it was.
    void SetGenre(const QString& name);

    using TAuTags::ReadFromFile;
    using TAuTags::TagExists;
    using TAuTags::WriteToFile;
    // Whether the last 128 bytes begin with "TAG". The file position is left as it was.
    bool TagExists(int fd) const override;
    // Clears, then reads the block at the end of the file; false when there is none. Texts
    // stop at their first NUL and lose surrounding blanks.
    bool ReadFromFile(int fd) override;
    // Writes the block over an existing one at the end of the file, or appends it. `unicode`
    // is ignored: ID3v1 texts are ISO-8859-1. A failed write leaves the bytes before the block
    // as they were (an appended part-block is cut off again). The file position is unchanged.
    bool WriteToFile(int fd, bool unicode) const override;
};

// Which frames TId3v2Tags writes to a file.
enum class TId3v2Frames {
    // Ten frames, properties 1 to 12 except Year and Comment, written even when empty.
    AllButYearAndComment,
    // Only the properties that hold a value, Year (TYER), Comment (COMM) and 13 to 15 included.
    NonEmpty,
};

// The ID3v2 tag at the start of a file. Reads versions 2.2, 2.3 and 2.4; writes 2.3.
class TId3v2Tags : public TAuTags {
public:
    TId3v2Tags();

    // AllButYearAndComment by default. Not copied by Assign: it belongs to the writer.
    TId3v2Frames WrittenFrames() const { return m_writtenFrames; }
    void SetWrittenFrames(TId3v2Frames v) { m_writtenFrames = v; }

    // True selects the ID3v2.3 frame ids ("TIT2"), false the ID3v2.2 ids ("TT2"); the
    // properties below read and write the values under the selected ids.
    bool NewIds() const { return m_newIds; }
    void SetNewIds(bool v) { m_newIds = v; }

    // The frame id that property `position` (1 Title ... 12 Link, 13 AlbumArtist, 14 Disc,
    // 15 Compilation) uses now.
    QString IdOf(int position) const;

    // Also takes NewIds from another ID3v2 object, so that values it holds under ID3v2.2 ids
    // stay reachable through the properties.
    void Assign(const TAuTags& source) override;

    QString Title() const { return AsWideString(IdOf(1)); }
    void SetTitle(const QString& v) { SetWideString(IdOf(1), v); }
    QString Artist() const { return AsWideString(IdOf(2)); }
    void SetArtist(const QString& v) { SetWideString(IdOf(2), v); }
    QString Album() const { return AsWideString(IdOf(3)); }
    void SetAlbum(const QString& v) { SetWideString(IdOf(3), v); }
    QString Track() const { return AsWideString(IdOf(4)); }
    void SetTrack(const QString& v) { SetWideString(IdOf(4), v); }
    // Year and Comment are read from no file; they are written only with NonEmpty frames.
    QString Year() const { return AsWideString(IdOf(5)); }
    void SetYear(const QString& v) { SetWideString(IdOf(5), v); }
    QString Genre() const { return AsWideString(IdOf(6)); }
    void SetGenre(const QString& v) { SetWideString(IdOf(6), v); }
    QString Comment() const { return AsWideString(IdOf(7)); }
    void SetComment(const QString& v) { SetWideString(IdOf(7), v); }
    QString Composer() const { return AsWideString(IdOf(8)); }
    void SetComposer(const QString& v) { SetWideString(IdOf(8), v); }
    QString Encoder() const { return AsWideString(IdOf(9)); }
    void SetEncoder(const QString& v) { SetWideString(IdOf(9), v); }
    QString Copyright() const { return AsWideString(IdOf(10)); }
    void SetCopyright(const QString& v) { SetWideString(IdOf(10), v); }
    QString Language() const { return AsWideString(IdOf(11)); }
    void SetLanguage(const QString& v) { SetWideString(IdOf(11), v); }
    QString Link() const { return AsWideString(IdOf(12)); }
    void SetLink(const QString& v) { SetWideString(IdOf(12), v); }
    // The three below are read from no file and written only with NonEmpty frames, so what a
    // read gives and what the ten-frame tag holds are the same with or without them.
    QString AlbumArtist() const { return AsWideString(IdOf(13)); } // TPE2
    void SetAlbumArtist(const QString& v) { SetWideString(IdOf(13), v); }
    // Which disc of a set: "2" or "2/3" (TPOS).
    QString Disc() const { return AsWideString(IdOf(14)); }
    void SetDisc(const QString& v) { SetWideString(IdOf(14), v); }
    // "1" marks a part of a compilation (TCMP, the frame iTunes introduced).
    QString Compilation() const { return AsWideString(IdOf(15)); }
    void SetCompilation(const QString& v) { SetWideString(IdOf(15), v); }

    using TAuTags::ReadFromFile;
    using TAuTags::TagExists;
    // Whether a valid ID3v2 header starts at the current file position (left unchanged).
    bool TagExists(int fd) const override;
    // Clears, then reads the tag at the current file position and sets NewIds from its
    // version. Afterwards the position is just past the tag; on failure it is restored.
    bool ReadFromFile(int fd) override;
    // Puts a new ID3v2.3 tag in front of the file, its frames in property order as
    // WrittenFrames says. AllButYearAndComment: ISO-8859-1 texts or, with `unicode`, UTF-16.
    // NonEmpty: with `unicode` every text UTF-16, without it each frame ISO-8859-1 when its
    // text fits and UTF-16 when not; a comment is an English comment without description.
    // The new file is written beside the old one and renamed over it, so a failure leaves the
    // old file untouched. An ID3v2 tag already at the start stays behind the new one, or with
    // NonEmpty frames is replaced by it. `fd` must be open for writing; afterwards it refers
    // to the new file, positioned at the same audio byte as before.
    bool WriteToFile(int fd, bool unicode) const override;
    bool WriteToFile(const QString& fileName, bool unicode) const override;

    // The tag WriteToFile puts in front of a file: header and frames, then an APIC frame
    // (front cover) when a picture is set.
    QByteArray BuildTag(bool unicode) const;

    // The front cover written with the frames; not copied by Assign.
    void SetPicture(const TCoverArt& picture) { m_picture = picture; }

private:
    // The length of the tag at the start of the open file of `size` bytes that a write
    // replaces: 0 unless the frames are NonEmpty and a valid tag is there.
    qint64 ReplacedLength(int fd, qint64 size) const;

    bool m_newIds = true;
    TId3v2Frames m_writtenFrames = TId3v2Frames::AllButYearAndComment;
    TCoverArt m_picture;
};

// The APEv2 tag's items. Written at the end of a file (see WriteToFile); never read from one.
class TAPEv2Tags : public TAuTags {
public:
    TAPEv2Tags();

    using TAuTags::TagExists;
    using TAuTags::WriteToFile;
    // Whether an APEv2 tag ends the file, or stands just before an ID3v1 tag that ends it.
    bool TagExists(int fd) const override;
    // Writes the non-empty values as UTF-8 text items under their names, in name order, in a
    // tag with header and footer at the end of the file, in place of an APEv2 tag that is
    // there and before an ID3v1 tag that ends the file. `unicode` is ignored (APEv2 texts are
    // UTF-8). The new file is written beside the old one and renamed over it, so a failure
    // leaves the old file untouched. Through `fd` (open for writing), the descriptor refers to
    // the new file afterwards, at the same position.
    bool WriteToFile(int fd, bool unicode) const override;
    bool WriteToFile(const QString& fileName, bool unicode) const override;

    // The tag WriteToFile writes: header, items (the binary "Cover Art (Front)" item last when
    // a picture is set), footer.
    QByteArray BuildTag() const;

    // The front cover written with the items; not copied by Assign.
    void SetPicture(const TCoverArt& picture) { m_picture = picture; }

#define SONDREL_APE_TEXT(Prop, Key, Setter)                                                        \
    QString Prop() const {                                                                         \
        return AsString(QStringLiteral(Key));                                                      \
    }                                                                                              \
    void Set##Prop(const QString& v) {                                                             \
        Setter(QStringLiteral(Key), v);                                                            \
    }
    SONDREL_APE_TEXT(Artist, "Artist", SetWideString)
    SONDREL_APE_TEXT(Composer, "Composer", SetWideString)
    SONDREL_APE_TEXT(Album, "Album", SetWideString)
    SONDREL_APE_TEXT(DebutAlbum, "Debut album", SetWideString)
    SONDREL_APE_TEXT(Publisher, "Publisher", SetWideString)
    SONDREL_APE_TEXT(Conductor, "Conductor", SetWideString)
    SONDREL_APE_TEXT(Copyright, "Copyright", SetWideString)
    SONDREL_APE_TEXT(ISBN, "ISBN", SetString)
    SONDREL_APE_TEXT(ISRC, "ISRC", SetString)
    SONDREL_APE_TEXT(BarCode, "EAN/UPC", SetString)
    SONDREL_APE_TEXT(LabelCode, "LC", SetString)
    SONDREL_APE_TEXT(Catalog, "Catalog", SetString)
    SONDREL_APE_TEXT(Language, "Language", SetWideString)
    SONDREL_APE_TEXT(Genre, "Genre", SetWideString)
    SONDREL_APE_TEXT(Year, "Year", SetString)
    SONDREL_APE_TEXT(RecordDate, "Record Date", SetString)
    SONDREL_APE_TEXT(RecordLocation, "Record Location", SetWideString)
    SONDREL_APE_TEXT(File, "File", SetWideString)
    SONDREL_APE_TEXT(Related, "Related", SetWideString)
    SONDREL_APE_TEXT(Abstract, "Abstract", SetWideString)
    SONDREL_APE_TEXT(Bibliography, "Bibliography", SetWideString)
    SONDREL_APE_TEXT(Track, "Track", SetString)
    SONDREL_APE_TEXT(Title, "Title", SetWideString)
    SONDREL_APE_TEXT(SubTitle, "Subtitle", SetWideString)
    SONDREL_APE_TEXT(Comment, "Comment", SetWideString)
    SONDREL_APE_TEXT(AlbumArtist, "Album Artist", SetWideString)
    // "2" or "2/3".
    SONDREL_APE_TEXT(Disc, "Disc", SetString)
    // "1" marks a part of a compilation.
    SONDREL_APE_TEXT(Compilation, "Compilation", SetString)
#undef SONDREL_APE_TEXT

private:
    TCoverArt m_picture;
};

// The Vorbis comments the Ogg Vorbis and FLAC outputs write, carried in memory only.
class TVorbisTags : public TAuTags {
public:
    TVorbisTags();

    QString Comment() const { return AsWideString(QStringLiteral("comment")); }
    void SetComment(const QString& v) { SetWideString(QStringLiteral("comment"), v); }
    // The number of tracks of the disc, beside Track.
    QString TrackTotal() const { return AsWideString(QStringLiteral("tracktotal")); }
    void SetTrackTotal(const QString& v) { SetWideString(QStringLiteral("tracktotal"), v); }

    QString Album() const { return AsWideString(QStringLiteral("album")); }
    void SetAlbum(const QString& v) { SetWideString(QStringLiteral("album"), v); }
    QString Artist() const { return AsWideString(QStringLiteral("artist")); }
    void SetArtist(const QString& v) { SetWideString(QStringLiteral("artist"), v); }
    QString Date() const { return AsWideString(QStringLiteral("date")); }
    void SetDate(const QString& v) { SetWideString(QStringLiteral("date"), v); }
    QString Genre() const { return AsWideString(QStringLiteral("genre")); }
    void SetGenre(const QString& v) { SetWideString(QStringLiteral("genre"), v); }
    QString Title() const { return AsWideString(QStringLiteral("title")); }
    void SetTitle(const QString& v) { SetWideString(QStringLiteral("title"), v); }
    QString Track() const { return AsWideString(QStringLiteral("tracknumber")); }
    void SetTrack(const QString& v) { SetWideString(QStringLiteral("tracknumber"), v); }
    QString AlbumArtist() const { return AsWideString(QStringLiteral("albumartist")); }
    void SetAlbumArtist(const QString& v) { SetWideString(QStringLiteral("albumartist"), v); }
    // Which disc of a set, and the number of discs in it.
    QString Disc() const { return AsWideString(QStringLiteral("discnumber")); }
    void SetDisc(const QString& v) { SetWideString(QStringLiteral("discnumber"), v); }
    QString DiscTotal() const { return AsWideString(QStringLiteral("disctotal")); }
    void SetDiscTotal(const QString& v) { SetWideString(QStringLiteral("disctotal"), v); }
    // "1" marks a part of a compilation.
    QString Compilation() const { return AsWideString(QStringLiteral("compilation")); }
    void SetCompilation(const QString& v) { SetWideString(QStringLiteral("compilation"), v); }
};
