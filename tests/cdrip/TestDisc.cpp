#include "TestDisc.h"

#include "disc/CdAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <stdexcept>

namespace {

QString msf(qint64 sectors) {
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / 4500, 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

char TTestDisc::PatternByte(qint64 offset) {
    // Mixes the offset so neighbouring sectors and bytes differ.
    quint64 x = quint64(offset) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    return char(x >> 7);
}

TTestDisc::TTestDisc(const QString& dir, const std::vector<int>& trackSectors, int firstOffset,
                     const QString& name)
    : CuePath(QDir(dir).filePath(name + QStringLiteral(".cue"))),
      BinPath(QDir(dir).filePath(name + QStringLiteral(".bin"))), Sectors(trackSectors) {
    qint64 total = firstOffset;
    QString cue = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(name);
    for (size_t i = 0; i < trackSectors.size(); ++i) {
        StartSector.push_back(int(total));
        cue += QStringLiteral("  TRACK %1 AUDIO\n").arg(int(i + 1), 2, 10, QLatin1Char('0'));
        if (i == 0 && firstOffset > 0)
            cue += QStringLiteral("    INDEX 00 00:00:00\n");
        cue += QStringLiteral("    INDEX 01 %1\n").arg(msf(total));
        total += trackSectors[i];
    }
    QByteArray bin(total * CdSectorBytes, Qt::Uninitialized);
    for (qint64 i = 0; i < bin.size(); ++i)
        bin[i] = PatternByte(i);
    writeFile(BinPath, bin);
    writeFile(CuePath, cue.toUtf8());
}

QByteArray TTestDisc::TrackBytes(int index) const {
    QByteArray bytes(qint64(Sectors[size_t(index)]) * CdSectorBytes, Qt::Uninitialized);
    const qint64 base = qint64(StartSector[size_t(index)]) * CdSectorBytes;
    for (qint64 i = 0; i < bytes.size(); ++i)
        bytes[i] = PatternByte(base + i);
    return bytes;
}

void TTestDisc::TruncateBin(qint64 sectors) const {
    if (!QFile::resize(BinPath, sectors * CdSectorBytes))
        throw std::runtime_error("cannot truncate " + BinPath.toStdString());
}

void TTestDisc::WriteSparse(const QString& cuePath, const std::vector<int>& startSectors,
                            qint64 totalSectors, const char* trackMode) {
    QString binPath = cuePath;
    binPath.replace(QRegularExpression(QStringLiteral("\\.cue$")), QStringLiteral(".bin"));
    QString cue = QStringLiteral("FILE \"%1\" BINARY\n").arg(QFileInfo(binPath).fileName());
    for (size_t i = 0; i < startSectors.size(); ++i) {
        cue += QStringLiteral("  TRACK %1 %2\n")
                   .arg(int(i + 1), 2, 10, QLatin1Char('0'))
                   .arg(QLatin1String(trackMode));
        cue += QStringLiteral("    INDEX 01 %1\n").arg(msf(startSectors[i]));
    }
    writeFile(cuePath, cue.toUtf8());
    QFile bin(binPath);
    if (!bin.open(QIODevice::WriteOnly) || !bin.resize(totalSectors * CdSectorBytes))
        throw std::runtime_error("cannot write " + binPath.toStdString());
}
