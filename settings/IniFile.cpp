#include "IniFile.h"

#include "SettingsError.h"
#include "audio/AtomicFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line that is not valid UTF-8 was written by a program that used the Windows code page:
// Latin-1 gives its texts back, where UTF-8 would turn them into U+FFFD for good on the next
// save.
QString decodeLine(QByteArrayView line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);
    if (utf8.hasError())
        return QString::fromLatin1(line);
    return text;
}

} // namespace

TIniFile::TIniFile(const QString& path) : m_path(path) {
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw TSettingsError(QCoreApplication::translate("TIniFile", "Cannot read %1: %2")
                                 .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TSettingsError(QCoreApplication::translate("TIniFile", "Cannot read %1: %2")
                                 .arg(path, file.errorString()));
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    m_crlf = rest.contains("\r\n");
    // Line by line, so one line in another encoding leaves the others as they are.
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        m_lines.append(decodeLine(line));
    }
}

std::optional<QString> TIniFile::sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

std::optional<std::pair<QString, QString>> TIniFile::keyValue(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    QString v = t.mid(eq + 1).trimmed();
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    return std::make_pair(t.left(eq).trimmed(), v);
}

TIniFile::Located TIniFile::locate(const QString& section, const QString& key) const {
    Located at;
    for (int i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i]);
        if (!name)
            continue;
        if (at.sectionHeader >= 0) {
            at.sectionEnd = i;
            break;
        }
        if (sameName(*name, section))
            at.sectionHeader = i;
    }
    if (at.sectionHeader < 0)
        return at;
    if (at.sectionEnd < 0)
        at.sectionEnd = int(m_lines.size());
    for (int i = at.sectionHeader + 1; i < at.sectionEnd; ++i) {
        const auto kv = keyValue(m_lines[i]);
        if (kv && sameName(kv->first, key)) {
            at.keyLine = i;
            break;
        }
    }
    return at;
}

std::optional<QString> TIniFile::value(const QString& section, const QString& key) const {
    const Located at = locate(section, key);
    if (at.keyLine < 0)
        return std::nullopt;
    return keyValue(m_lines[at.keyLine])->second;
}

bool TIniFile::hasSection(const QString& section) const {
    return locate(section, QString()).sectionHeader >= 0;
}

QStringList TIniFile::keys(const QString& section) const {
    QStringList found;
    const Located at = locate(section, QString());
    for (int i = at.sectionHeader + 1; at.sectionHeader >= 0 && i < at.sectionEnd; ++i)
        if (const auto kv = keyValue(m_lines[i]))
            found << kv->first;
    return found;
}

void TIniFile::setValue(const QString& section, const QString& key, const QString& value) {
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    // Written bare, a value would lose outer blanks or a pair of outer quotes when read back.
    const bool needsQuotes = v != v.trimmed() || (v.size() >= 2 && v.startsWith(QLatin1Char('"')) &&
                                                  v.endsWith(QLatin1Char('"')));
    if (needsQuotes)
        v = QLatin1Char('"') + v + QLatin1Char('"');
    const QString line = key + QLatin1Char('=') + v;

    const Located at = locate(section, key);
    if (at.keyLine >= 0) {
        m_lines[at.keyLine] = line;
        return;
    }
    if (at.sectionHeader >= 0) {
        // After the section's last non-blank line, so blank separators stay between sections.
        int insertAt = at.sectionEnd;
        while (insertAt > at.sectionHeader + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;
        m_lines.insert(insertAt, line);
        return;
    }
    if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
        m_lines.append(QString());
    m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    m_lines.append(line);
}

void TIniFile::removeKey(const QString& section, const QString& key) {
    const Located at = locate(section, key);
    if (at.keyLine >= 0)
        m_lines.removeAt(at.keyLine);
}

void TIniFile::save() const {
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& l : m_lines)
        text += l + eol;
    QString error;
    if (!TAtomicFile::writeWhole(m_path, text.toUtf8(), &error))
        throw TSettingsError(error);
}
