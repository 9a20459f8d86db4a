#include "CueSheet.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Minutes:seconds:frames of a sector count, 75 sectors a second.
QString msf(qint64 sectors) {
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / 4500, 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool failWith(QString* error, const QFile& file) {
    if (error)
        *error = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
    return false;
}

} // namespace

void TCueSheet::AddTrack(qint64 start, const QString& title) {
    Track t;
    t.Start = start;
    t.Title = title;
    Tracks.push_back(t);
}

QByteArray TCueSheet::Text(const QString& binName) const {
    QString text;
    if (!Performer.isEmpty())
        text += QStringLiteral("PERFORMER %1\n").arg(quoted(Performer));
    if (!Title.isEmpty())
        text += QStringLiteral("TITLE %1\n").arg(quoted(Title));
    text += QStringLiteral("FILE %1 BINARY\n").arg(quoted(binName));
    for (size_t i = 0; i < Tracks.size(); ++i) {
        const Track& t = Tracks[i];
        text += QStringLiteral("  TRACK %1 %2\n")
                    .arg(FirstTrack + int(i), 2, 10, QLatin1Char('0'))
                    .arg(t.Mode);
        if (!t.Title.isEmpty())
            text += QStringLiteral("    TITLE %1\n").arg(quoted(t.Title));
        if (t.Pregap >= 0)
            text += QStringLiteral("    INDEX 00 %1\n").arg(msf(t.Pregap));
        text += QStringLiteral("    INDEX 01 %1\n").arg(msf(t.Start));
    }
    return text.toUtf8();
}

bool TCueSheet::Write(const QString& cuePath, QString* error) const {
    const QByteArray text = Text(QFileInfo(BinPathFor(cuePath)).fileName());
    QFile file(cuePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush())
        return failWith(error, file);
    return true;
}

QString TCueSheet::BinPathFor(const QString& cuePath) {
    const QFileInfo info(cuePath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    return cuePath.left(cuePath.size() - name.size()) + stem + QStringLiteral(".bin");
}

bool TCueSheet::WriteSilentBin(const QString& binPath, qint64 sectors, QString* error) {
    QFile file(binPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !file.resize(sectors * SectorBytes))
        return failWith(error, file);
    return true;
}
