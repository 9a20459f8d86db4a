#include "tests/common/TestDisc.h"

#include "tests/common/TestUtil.h"
#include "tools/CueSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace {

constexpr qint64 SectorBytes = TCueSheet::SectorBytes;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void writeSheet(const TCueSheet& sheet, const QString& cuePath) {
    QString error;
    if (!sheet.Write(cuePath, &error))
        throw std::runtime_error(error.toStdString());
}

} // namespace

QByteArray TTestDisc::Msf(qint64 sectors) {
    return QByteArray::number(sectors / 4500).rightJustified(2, '0') + ':' +
           QByteArray::number(sectors / 75 % 60).rightJustified(2, '0') + ':' +
           QByteArray::number(sectors % 75).rightJustified(2, '0');
}

QString TTestDisc::WriteFlacSheet(const QString& name, const QByteArray& cdText) const {
    const QDir dir = QFileInfo(CuePath).dir();
    const QString flac = dir.filePath(name + QStringLiteral(".flac"));
    const auto r =
        RunProgram(QStringLiteral("flac"),
                   {"--silent", "-f", "--force-raw-format", "--endian=little", "--sign=signed",
                    "--channels=2", "--bps=16", "--sample-rate=44100", "-o", flac, BinPath});
    if (r.ExitCode != 0)
        throw std::runtime_error("flac failed: " + r.Err.toStdString());
    QByteArray sheet = cdText + "FILE \"" + QFileInfo(flac).fileName().toUtf8() + "\" WAVE\n";
    for (size_t i = 0; i < Sectors.size(); ++i)
        sheet += "  TRACK " + QByteArray::number(int(i) + 1).rightJustified(2, '0') +
                 " AUDIO\n    INDEX 01 " + Msf(StartSector[i]) + "\n";
    const QString cue = dir.filePath(name + QStringLiteral(".cue"));
    writeFile(cue, sheet);
    return cue;
}

QString TTestDisc::WritePerTrackSheet(const QString& name, const QByteArray& cdText) const {
    const QDir dir = QFileInfo(CuePath).dir();
    QByteArray sheet = cdText;
    for (size_t i = 0; i < Sectors.size(); ++i) {
        const QByteArray number = QByteArray::number(int(i) + 1).rightJustified(2, '0');
        const QString bin =
            name + QLatin1Char('-') + QString::fromLatin1(number) + QStringLiteral(".bin");
        writeFile(dir.filePath(bin), TrackBytes(int(i)));
        sheet += "FILE \"" + bin.toUtf8() + "\" BINARY\n  TRACK " + number +
                 " AUDIO\n    INDEX 01 00:00:00\n";
    }
    const QString cue = dir.filePath(name + QStringLiteral(".cue"));
    writeFile(cue, sheet);
    return cue;
}

char TTestDisc::PatternByte(qint64 offset) {
    // Mixes the offset so neighbouring sectors and bytes differ.
    quint64 x = quint64(offset) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    return char(x >> 7);
}

TTestDisc::TTestDisc(const QString& dir, const std::vector<int>& trackSectors, int firstOffset,
                     const QString& name)
    : CuePath(QDir(dir).filePath(name + QStringLiteral(".cue"))),
      BinPath(TCueSheet::BinPathFor(CuePath)), Sectors(trackSectors) {
    TCueSheet sheet;
    qint64 total = firstOffset;
    for (size_t i = 0; i < trackSectors.size(); ++i) {
        StartSector.push_back(int(total));
        sheet.AddTrack(total);
        total += trackSectors[i];
    }
    if (firstOffset > 0 && !sheet.Tracks.empty())
        sheet.Tracks[0].Pregap = 0;
    QByteArray bin(total * SectorBytes, Qt::Uninitialized);
    for (qint64 i = 0; i < bin.size(); ++i)
        bin[i] = PatternByte(i);
    writeFile(BinPath, bin);
    writeSheet(sheet, CuePath);
}

QByteArray TTestDisc::TrackBytes(int index) const {
    QByteArray bytes(qint64(Sectors[size_t(index)]) * SectorBytes, Qt::Uninitialized);
    const qint64 base = qint64(StartSector[size_t(index)]) * SectorBytes;
    for (qint64 i = 0; i < bytes.size(); ++i)
        bytes[i] = PatternByte(base + i);
    return bytes;
}

void TTestDisc::TruncateBin(qint64 sectors) const {
    if (!QFile::resize(BinPath, sectors * SectorBytes))
        throw std::runtime_error("cannot truncate " + BinPath.toStdString());
}

QString TTestDisc::WriteSparse(const QString& cuePath, const std::vector<int>& startSectors,
                               qint64 totalSectors, const char* trackMode, int firstTrack) {
    TCueSheet sheet;
    sheet.FirstTrack = firstTrack;
    for (int start : startSectors) {
        sheet.AddTrack(start);
        sheet.Tracks.back().Mode = QLatin1String(trackMode);
    }
    writeSheet(sheet, cuePath);
    QString error;
    if (!TCueSheet::WriteSilentBin(TCueSheet::BinPathFor(cuePath), totalSectors, &error))
        throw std::runtime_error(error.toStdString());
    return cuePath;
}
