#include "tests/common/TestDisc.h"

#include "tools/CueSheet.h"

#include <QDir>
#include <QFile>
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
