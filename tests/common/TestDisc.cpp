#include "tests/common/TestDisc.h"

#include "tests/common/TestUtil.h"
#include "tools/CueSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
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

QStringList TTestDisc::WriteGapLayouts(const QString& name, const std::vector<int>& gaps,
                                       const QStringList& texts) const {
    const QDir dir = QFileInfo(CuePath).dir();
    QFile in(BinPath);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + BinPath.toStdString());
    const QByteArray all = in.readAll();
    const size_t n = Sectors.size();
    auto index0 = [&](size_t i) { return qint64(StartSector[i]); };
    auto index1 = [&](size_t i) { return qint64(StartSector[i]) + gaps[i]; };
    auto end = [&](size_t i) { return qint64(StartSector[i]) + Sectors[i]; };
    auto bytes = [&](qint64 from, qint64 to) {
        return all.mid(from * SectorBytes, (to - from) * SectorBytes);
    };
    auto number = [](size_t i) { return QByteArray::number(int(i) + 1).rightJustified(2, '0'); };
    auto quoted = [](const QString& t) { return "\"" + t.toUtf8() + "\""; };
    const QByteArray discTexts =
        "PERFORMER " + quoted(texts.value(0)) + "\nTITLE " + quoted(texts.value(1)) + "\n";
    auto track = [&](size_t i) {
        return "  TRACK " + number(i) + " AUDIO\n    TITLE " + quoted(texts.value(int(i) + 2)) +
               "\n";
    };
    auto fileLine = [&](const QString& file) {
        return "FILE \"" + QFileInfo(file).fileName().toUtf8() + "\" BINARY\n";
    };
    auto perTrack = [&](const QString& layout, size_t i) {
        return dir.filePath(name + QLatin1Char('-') + layout + QLatin1Char('-') +
                            QString::fromLatin1(number(i)) + QStringLiteral(".bin"));
    };
    QStringList sheets;
    auto sheet = [&](const QString& layout, const QByteArray& text) {
        sheets << dir.filePath(name + QLatin1Char('-') + layout + QStringLiteral(".cue"));
        writeFile(sheets.back(), text);
    };

    QByteArray single = discTexts + fileLine(BinPath);
    for (size_t i = 0; i < n; ++i)
        single +=
            track(i) + "    INDEX 00 " + Msf(index0(i)) + "\n    INDEX 01 " + Msf(index1(i)) + "\n";
    sheet(QStringLiteral("single"), single);

    // Each file runs from one INDEX 01 to the next; the next track's INDEX 00 lies in it.
    QByteArray previous = discTexts;
    for (size_t i = 0; i < n; ++i) {
        const QString file = perTrack(QStringLiteral("previous"), i);
        const qint64 from = i == 0 ? 0 : index1(i);
        writeFile(file, bytes(from, i + 1 < n ? index1(i + 1) : end(i)));
        previous += fileLine(file);
        if (i == 0)
            previous += track(0) + "    INDEX 00 00:00:00\n";
        previous += "    INDEX 01 " + Msf(index1(i) - from) + "\n";
        if (i + 1 < n)
            previous += track(i + 1) + "    INDEX 00 " + Msf(index0(i + 1) - from) + "\n";
    }
    sheet(QStringLiteral("previous"), previous);

    QByteArray current = discTexts;
    for (size_t i = 0; i < n; ++i) {
        const QString file = perTrack(QStringLiteral("current"), i);
        writeFile(file, bytes(index0(i), end(i)));
        current += fileLine(file) + track(i) + "    INDEX 00 00:00:00\n    INDEX 01 " +
                   Msf(gaps[i]) + "\n";
    }
    sheet(QStringLiteral("current"), current);

    QByteArray leftOut = discTexts;
    for (size_t i = 0; i < n; ++i) {
        const QString file = perTrack(QStringLiteral("noGaps"), i);
        writeFile(file, bytes(index1(i), end(i)));
        leftOut += fileLine(file) + track(i);
        if (gaps[i] > 0)
            leftOut += "    PREGAP " + Msf(gaps[i]) + "\n";
        leftOut += "    INDEX 01 00:00:00\n";
    }
    sheet(QStringLiteral("noGaps"), leftOut);

    // cdrdao keeps raw audio big-endian.
    QByteArray swapped = all;
    for (qsizetype i = 0; i + 1 < swapped.size(); i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    const QString cdr = dir.filePath(name + QStringLiteral(".cdr"));
    writeFile(cdr, swapped);
    QByteArray toc = "CD_DA\n\nCD_TEXT {\n  LANGUAGE_MAP { 0 : EN }\n  LANGUAGE 0 {\n    TITLE " +
                     quoted(texts.value(1)) + "\n    PERFORMER " + quoted(texts.value(0)) +
                     "\n  }\n}\n";
    for (size_t i = 0; i < n; ++i) {
        toc += "\n// Track " + number(i) +
               "\nTRACK AUDIO\nNO COPY\nCD_TEXT {\n  LANGUAGE 0 {\n"
               "    TITLE " +
               quoted(texts.value(int(i) + 2)) + "\n  }\n}\nFILE \"" +
               QFileInfo(cdr).fileName().toUtf8() + "\" " + Msf(index0(i)) + " " +
               Msf(end(i) - index0(i)) + "\n";
        if (gaps[i] > 0)
            toc += "START " + Msf(gaps[i]) + "\n";
    }
    sheets << dir.filePath(name + QStringLiteral(".toc"));
    writeFile(sheets.back(), toc);
    return sheets;
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
