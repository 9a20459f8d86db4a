#include "CddbRecord.h"

#include <QStringList>

TCddbRecord TCddbRecord::parse(const QString& text) {
    TCddbRecord record;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toUpper();
        if (key.isEmpty())
            continue;
        const QString raw = line.mid(eq + 1);
        if (key.startsWith(QLatin1String("TTITLE")) && key.size() > 6) {
            bool ok = false;
            const int n = key.mid(6).toInt(&ok);
            if (ok && n >= 0 && key.mid(6).front().isDigit()) {
                record.m_trackTitles[n] += raw;
                continue;
            }
        }
        record.m_values[key] += raw;
    }
    return record;
}

QString TCddbRecord::decodeEscapes(const QString& raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == QLatin1Char('\\') && i + 1 < raw.size()) {
            const QChar next = raw[i + 1];
            if (next == QLatin1Char('n')) {
                out += QLatin1Char('\n');
                ++i;
                continue;
            }
            if (next == QLatin1Char('t')) {
                out += QLatin1Char('\t');
                ++i;
                continue;
            }
            if (next == QLatin1Char('\\')) {
                out += QLatin1Char('\\');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString TCddbRecord::oneLine(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : out)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return out.trimmed();
}

QString TCddbRecord::value(const QString& key) const {
    return decodeEscapes(m_values.value(key.trimmed().toUpper())).trimmed();
}

bool TCddbRecord::hasKey(const QString& key) const {
    return m_values.contains(key.trimmed().toUpper());
}

QString TCddbRecord::trackTitle(int n) const {
    return decodeEscapes(m_trackTitles.value(n)).trimmed();
}

void TCddbRecord::splitDiscTitle(QString* artist, QString* album) const {
    const QString title = value(QStringLiteral("DTITLE"));
    qsizetype at = title.indexOf(QLatin1String(" / "));
    qsizetype width = 3;
    if (at < 0) {
        at = title.indexOf(QLatin1Char('/'));
        width = 1;
    }
    if (at < 0) {
        *artist = title;
        *album = title;
        return;
    }
    *artist = title.left(at).trimmed();
    *album = title.mid(at + width).trimmed();
}

QString TCddbRecord::artist() const {
    QString artist, album;
    splitDiscTitle(&artist, &album);
    return artist;
}

QString TCddbRecord::album() const {
    QString artist, album;
    splitDiscTitle(&artist, &album);
    return album;
}
