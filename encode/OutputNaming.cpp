#include "OutputNaming.h"

#include "audio/Helpers.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

const char* const Fields[] = {"albumartist", "artist", "album",      "year",  "genre", "disc",
                              "disctotal",   "track",  "tracktotal", "title", "format"};

// Room the rip may add to a base name: " (NN)" for a repeated name and ".partial" while the
// file is written.
constexpr int DuplicateSuffixBytes = 5; // " (99)": a rip has at most 99 tracks
constexpr int PartialSuffixBytes = 8;   // ".partial"
constexpr int LongestExtensionBytes = 5;

bool isReservedDosName(const QString& name) {
    // The device names stay reserved with any extension ("nul.txt").
    const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList plain = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                      QStringLiteral("AUX"), QStringLiteral("NUL")};
    if (plain.contains(stem))
        return true;
    return stem.size() == 4 &&
           (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))) &&
           stem[3] >= QLatin1Char('1') && stem[3] <= QLatin1Char('9');
}

// `text` cut to at most `maxBytes` bytes of UTF-8 without splitting a character (a surrogate
// pair stays whole; combining marks may part from their base, which every file system takes).
QString cutToBytes(const QString& text, int maxBytes) {
    if (text.toUtf8().size() <= maxBytes)
        return text;
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes + n > maxBytes)
            break;
        bytes += n;
        i += pair ? 2 : 1;
    }
    return text.left(i);
}

QString numberText(int n) {
    return n > 0 ? QString::number(n) : QString();
}

} // namespace

QStringList TNameTemplate::FieldNames() {
    QStringList names;
    for (const char* f : Fields)
        names << QLatin1String(f);
    return names;
}

std::optional<TNameTemplate> TNameTemplate::Parse(const QString& text, QString* error) {
    const QString source = text.trimmed().isEmpty() ? DefaultText() : text;
    TNameTemplate t;
    QList<TPiece> part;
    QString literal;
    auto flushLiteral = [&] {
        if (!literal.isEmpty())
            part.append(TPiece{false, literal});
        literal.clear();
    };
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        if (c == QLatin1Char('{') && i + 1 < source.size() && source[i + 1] == QLatin1Char('{')) {
            literal += c;
            ++i;
        } else if (c == QLatin1Char('}') && i + 1 < source.size() &&
                   source[i + 1] == QLatin1Char('}')) {
            literal += c;
            ++i;
        } else if (c == QLatin1Char('{')) {
            const qsizetype end = source.indexOf(QLatin1Char('}'), i + 1);
            if (end < 0) {
                if (error)
                    *error = QCoreApplication::translate(
                        "TNameTemplate", "the name template has a \"{\" without its \"}\" "
                                         "(write \"{{\" for a brace)");
                return std::nullopt;
            }
            const QString name = source.mid(i + 1, end - i - 1);
            if (!FieldNames().contains(name)) {
                if (error)
                    *error =
                        QCoreApplication::translate(
                            "TNameTemplate", "the name template has an unknown field {%1}; the "
                                             "fields are {%2}")
                            .arg(name, FieldNames().join(QStringLiteral("} {")));
                return std::nullopt;
            }
            flushLiteral();
            part.append(TPiece{true, name});
            i = end;
        } else if (c == QLatin1Char('}')) {
            if (error)
                *error = QCoreApplication::translate(
                    "TNameTemplate", "the name template has a \"}\" without its \"{\" "
                                     "(write \"}}\" for a brace)");
            return std::nullopt;
        } else if (c == QLatin1Char('/')) {
            flushLiteral();
            if (!part.isEmpty())
                t.m_parts.append(part);
            part.clear();
        } else {
            literal += c;
        }
    }
    flushLiteral();
    if (!part.isEmpty())
        t.m_parts.append(part);
    if (t.m_parts.isEmpty()) {
        if (error)
            *error =
                QCoreApplication::translate("TNameTemplate", "the name template names no file");
        return std::nullopt;
    }
    return t;
}

QString TNameTemplate::Expand(const TNameFields& f, const QString& extension, bool fatSafe) const {
    const QString albumArtist = !f.AlbumArtist.trimmed().isEmpty() ? f.AlbumArtist
                                : !f.DiscArtist.trimmed().isEmpty()
                                    ? f.DiscArtist
                                    : QStringLiteral("Unknown Artist");
    auto value = [&](const QString& name) -> QString {
        if (name == QLatin1String("albumartist"))
            return albumArtist;
        if (name == QLatin1String("artist"))
            return f.Artist.trimmed().isEmpty() ? albumArtist : f.Artist;
        if (name == QLatin1String("album"))
            return f.Album.trimmed().isEmpty() ? QStringLiteral("Unknown Album") : f.Album;
        if (name == QLatin1String("year"))
            return f.Year;
        if (name == QLatin1String("genre"))
            return f.Genre;
        if (name == QLatin1String("disc"))
            return numberText(f.Disc);
        if (name == QLatin1String("disctotal"))
            return numberText(f.DiscTotal);
        if (name == QLatin1String("track"))
            return TwoDigit(f.Track);
        if (name == QLatin1String("tracktotal"))
            return numberText(f.TrackTotal);
        if (name == QLatin1String("format"))
            return f.Format;
        return f.Title.trimmed().isEmpty() ? QStringLiteral("Track") + TwoDigit(f.Track) : f.Title;
    };
    QStringList out;
    for (qsizetype p = 0; p < m_parts.size(); ++p) {
        const QList<TPiece>& pieces = m_parts[p];
        QStringList texts;
        for (const TPiece& piece : pieces)
            texts << (piece.IsField ? value(piece.Text) : piece.Text);
        // An empty field in brackets takes its brackets along: "{album} ({year})" without a
        // year is "Album", not "Album ()".
        for (qsizetype i = 1; i + 1 < pieces.size(); ++i) {
            if (!pieces[i].IsField || !texts[i].isEmpty() || pieces[i - 1].IsField ||
                pieces[i + 1].IsField)
                continue;
            QString& before = texts[i - 1];
            QString& after = texts[i + 1];
            const bool round =
                before.endsWith(QLatin1Char('(')) && after.startsWith(QLatin1Char(')'));
            const bool square =
                before.endsWith(QLatin1Char('[')) && after.startsWith(QLatin1Char(']'));
            if (!round && !square)
                continue;
            before.chop(1);
            after.remove(0, 1);
            if (before.endsWith(QLatin1Char(' ')) &&
                (after.isEmpty() || after.startsWith(QLatin1Char(' '))))
                before.chop(1);
        }
        const QString text = texts.join(QString());
        const bool last = p == m_parts.size() - 1;
        QString name = SafeNameComponent(text, fatSafe, last ? NameBaseBudget(extension) : 255);
        if (last && name.isEmpty())
            name = QStringLiteral("Track") + TwoDigit(f.Track);
        if (!name.isEmpty())
            out << name;
    }
    return out.join(QLatin1Char('/'));
}

bool TNameTemplate::Uses(const QString& name) const {
    for (const QList<TPiece>& part : m_parts)
        for (const TPiece& piece : part)
            if (piece.IsField && piece.Text == name)
                return true;
    return false;
}

QString SafeNameComponent(const QString& text, bool fatSafe, int maxBytes) {
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('/'))
            s += QLatin1Char('-');
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            continue; // NUL and control characters (tabs and line breaks among them)
        else if (fatSafe && QStringLiteral("\\:*?\"<>|").contains(c))
            s += QLatin1Char('_');
        else
            s += c;
    }
    // Cut first, then tidy the ends, so a cut never leaves a trailing space or dot behind.
    auto tidy = [fatSafe](QString& name) {
        while (name.startsWith(QLatin1Char('.')))
            name.remove(0, 1);
        while (name.endsWith(QLatin1Char(' ')) || (fatSafe && name.endsWith(QLatin1Char('.'))))
            name.chop(1);
    };
    tidy(s);
    s = cutToBytes(s, std::max(1, maxBytes));
    tidy(s);
    if (fatSafe && !s.isEmpty() && isReservedDosName(s))
        s = cutToBytes(s, std::max(1, maxBytes) - 1) + QLatin1Char('_');
    return s;
}

int NameBaseBudget(const QString& extension) {
    const int ext = std::max<int>(LongestExtensionBytes, int(extension.toUtf8().size()));
    return 255 - DuplicateSuffixBytes - PartialSuffixBytes - ext;
}

QString UniqueInSet(const QString& base, const QString& extension, QSet<QString>* taken) {
    QString path = base + extension;
    for (int n = 2; taken->contains(path); ++n)
        path = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(extension);
    taken->insert(path);
    return path;
}
