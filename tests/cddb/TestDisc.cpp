#include "TestDisc.h"

#include <QFile>
#include <stdexcept>

QString MakeCueImage(const QString& dir, const QString& name, int firstTrack,
                     const std::vector<int>& startSectors, int totalSectors) {
    const QString bin = dir + QLatin1Char('/') + name + QStringLiteral(".bin");
    const QString cue = dir + QLatin1Char('/') + name + QStringLiteral(".cue");
    QFile b(bin);
    if (!b.open(QIODevice::WriteOnly) || !b.resize(qint64(totalSectors) * 2352))
        throw std::runtime_error("cannot write " + bin.toStdString());
    QString text = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(name);
    for (size_t i = 0; i < startSectors.size(); ++i) {
        const int s = startSectors[i];
        text += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:%4\n")
                    .arg(firstTrack + int(i), 2, 10, QLatin1Char('0'))
                    .arg(s / 4500, 2, 10, QLatin1Char('0'))
                    .arg(s / 75 % 60, 2, 10, QLatin1Char('0'))
                    .arg(s % 75, 2, 10, QLatin1Char('0'));
    }
    QFile c(cue);
    if (!c.open(QIODevice::WriteOnly) || c.write(text.toUtf8()) < 0)
        throw std::runtime_error("cannot write " + cue.toStdString());
    return cue;
}
