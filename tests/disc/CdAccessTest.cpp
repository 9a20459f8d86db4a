// The CD access layer over real libcdio and images the tests write: drive list, handles,
// table of contents (checked against cd-info), sector reads and their failures; cdrdao TOC
// files and Nero images, and Nero images with every chunk byte changed.
#include "disc/CdAccess.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

HCDROM openImage(const QString& path) {
    SetDiscImages({path});
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    TGetCDHand req{};
    req.Size = 12;
    req.Ver = 1;
    req.Ha = list.Cd[0].Ha;
    req.Tgt = list.Cd[0].Tgt;
    req.Lun = list.Cd[0].Lun;
    return GetCDHandle(&req);
}

struct TOracleEntry {
    int Track, M, S, F;
};

// The table as cd-info (libcdio-utils) prints it.
std::vector<TOracleEntry> cdInfoToc(const QString& cue) {
    const auto r = RunProgram(QStringLiteral("cd-info"),
                              {"--no-device-info", "--no-cddb", "--no-analyze", "--cue-file", cue});
    std::vector<TOracleEntry> entries;
    const QRegularExpression line(QStringLiteral("^\\s*(\\d+): (\\d\\d):(\\d\\d):(\\d\\d)\\s"));
    for (const QByteArray& l : r.Out.split('\n')) {
        const auto m = line.match(QString::fromUtf8(l));
        if (m.hasMatch())
            entries.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                               m.captured(4).toInt()});
    }
    return entries;
}

std::unique_ptr<uint8_t[]> readBuffer(uint32_t start, uint32_t n) {
    std::unique_ptr<uint8_t[]> raw(new uint8_t[sizeof(TTrackBuf) + n * CdSectorBytes]);
    auto* b = reinterpret_cast<TTrackBuf*>(raw.get());
    *b = TTrackBuf{};
    b->StartFrame = start;
    b->NumFrames = n;
    b->MaxLen = n * CdSectorBytes;
    return raw;
}

QByteArray audioOf(uint8_t* raw) {
    auto* b = reinterpret_cast<TTrackBuf*>(raw);
    return QByteArray(reinterpret_cast<const char*>(b->data() + b->StartOffset), b->Len);
}

TEST(CdAccess, ImagesComeFirstInOrderAsImageDrives) {
    QTemporaryDir dir;
    TTestDisc a(dir.path(), {20}, 0, QStringLiteral("first-disc"));
    TTestDisc b(dir.path(), {20}, 0, QStringLiteral("a-rather-long-disc-name"));
    SetDiscImages({a.CuePath, b.CuePath});
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    ASSERT_GE(list.NumCd, 2);
    EXPECT_STREQ(list.Cd[0].ProductId, "first-disc.cue");
    EXPECT_EQ(CdDriveDescription(list.Cd[0]), "Image   first-disc.cue");
    EXPECT_EQ(QByteArray(list.Cd[0].Vendor).trimmed(), "Image");
    // The product field holds 16 characters.
    EXPECT_STREQ(list.Cd[1].ProductId, "a-rather-long-di");
    EXPECT_NE(list.Cd[0].Tgt, list.Cd[1].Tgt);

    list.MaxCd = 1; // the caller's capacity is respected
    GetCDList(&list);
    EXPECT_EQ(list.NumCd, 1);

    TGetCDHand req{12, 1, list.Cd[0].Ha, list.Cd[0].Tgt, list.Cd[0].Lun, 0, 0, 0, 0, {}};
    const HCDROM h = GetCDHandle(&req);
    ASSERT_NE(h, 0);
    EXPECT_NE(CloseCDHandle(h), 0);
    EXPECT_EQ(CloseCDHandle(h), 0); // closed once only
    EXPECT_EQ(GetAspiLibError(), CdErrBadHandle);
}

TEST(CdAccess, MissingImageOrWrongRequestGivesNoHandle) {
    QTemporaryDir dir;
    TTestDisc disc(dir.path(), {20});
    // A missing image is refused when it is registered and never listed.
    EXPECT_EQ(SetDiscImages({dir.filePath("none.cue"), disc.CuePath}),
              "The disc image " + dir.filePath("none.cue") +
                  " cannot be opened: No such file or directory");
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    ASSERT_GE(list.NumCd, 1);
    EXPECT_STREQ(list.Cd[0].ProductId, "disc.cue");
    EXPECT_TRUE(list.NumCd == 1 || list.Cd[1].Ha != 0);
    SetDiscImages({disc.CuePath});
    TGetCDHand req{12, 2, 0, 0, 0, 0, 0, 0, 0, {}}; // unknown version
    EXPECT_EQ(GetCDHandle(&req), 0);
    req.Ver = 1;
    req.Tgt = 7; // no such drive
    EXPECT_EQ(GetCDHandle(&req), 0);
    EXPECT_EQ(GetAspiLibError(), CdErrNoDrive);
}

TEST(CdAccess, TableOfContentsMatchesCdInfo) {
    QTemporaryDir dir;
    // The second disc's first track starts 2 seconds late.
    for (int offset : {0, 150}) {
        TTestDisc disc(dir.path(), {300, 451, 77, 1000}, offset,
                       QStringLiteral("toc%1").arg(offset));
        const HCDROM h = openImage(disc.CuePath);
        ASSERT_NE(h, 0);
        ASSERT_NE(ModifyCDParms(h, CdParmTocMsf, 1), 0);
        TTOC toc{};
        ASSERT_EQ(ReadTOC(h, &toc), 1);
        EXPECT_EQ(toc.FirstTrack, 1);
        EXPECT_EQ(toc.LastTrack, 4);
        EXPECT_EQ(toc.TocLen, 2 + 8 * 5);
        const auto oracle = cdInfoToc(disc.CuePath);
        ASSERT_EQ(oracle.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            const TTOCTrack& e = toc.Tracks[i];
            EXPECT_EQ(e.TrackNumber, oracle[size_t(i)].Track) << i;
            EXPECT_EQ(e.Addr[1], oracle[size_t(i)].M) << i;
            EXPECT_EQ(e.Addr[2], oracle[size_t(i)].S) << i;
            EXPECT_EQ(e.Addr[3], oracle[size_t(i)].F) << i;
            EXPECT_EQ(e.Adr & 0x04, 0) << "audio track " << i;
        }
        // Track 1 of an ordinary disc at 00:02:00, the lead-out after the last track.
        EXPECT_EQ(TocEntryFrames(toc.Tracks[0]), 150 + offset);
        EXPECT_EQ(TocEntryFrames(toc.Tracks[4]), 150 + offset + 300 + 451 + 77 + 1000);

        // Logical block addresses on request.
        ASSERT_NE(ModifyCDParms(h, CdParmTocMsf, 0), 0);
        ASSERT_EQ(ReadTOC(h, &toc), 1);
        uint32_t lba = 0;
        std::memcpy(&lba, toc.Tracks[1].Addr, 4);
        EXPECT_EQ(lba, uint32_t(150 + offset + 300));
        EXPECT_EQ(ModifyCDParms(h, 37, 1), 0);
        EXPECT_EQ(GetAspiLibError(), CdErrUnknownParm);
        CloseCDHandle(h);
    }
}

TEST(CdAccess, SectorZeroIsTheFirstTracksFirstSector) {
    QTemporaryDir dir;
    TTestDisc disc(dir.path(), {30, 25}, 150); // 150 sectors of hidden audio before track 1
    const HCDROM h = openImage(disc.CuePath);
    ASSERT_NE(h, 0);
    auto raw = readBuffer(0, 10);
    ASSERT_EQ(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(audioOf(raw.get()), disc.TrackBytes(0).left(10 * CdSectorBytes));
    raw = readBuffer(30, 10); // track 2 starts 30 sectors later
    ASSERT_EQ(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(audioOf(raw.get()), disc.TrackBytes(1).left(10 * CdSectorBytes));
    CloseCDHandle(h);
}

TEST(CdAccess, ReadsPastTheLeadOutOrWithBadBuffersFail) {
    QTemporaryDir dir;
    TTestDisc disc(dir.path(), {25});
    const HCDROM h = openImage(disc.CuePath);
    ASSERT_NE(h, 0);
    auto raw = readBuffer(20, 10); // 5 of 10 sectors lie past the lead-out
    auto* b = reinterpret_cast<TTrackBuf*>(raw.get());
    EXPECT_NE(ReadCDAudioLBA(h, b), 1);
    EXPECT_EQ(GetAspiLibError(), CdErrOutOfRange);
    EXPECT_EQ(b->Len, 0u);
    raw = readBuffer(20, 5);
    ASSERT_EQ(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(audioOf(raw.get()), disc.TrackBytes(0).mid(20 * CdSectorBytes));

    b = reinterpret_cast<TTrackBuf*>(raw.get());
    b->MaxLen = 4 * CdSectorBytes; // too small for 5 sectors
    EXPECT_NE(ReadCDAudioLBA(h, b), 1);
    EXPECT_EQ(GetAspiLibError(), CdErrBadArgument);
    CloseCDHandle(h);
    raw = readBuffer(0, 1);
    EXPECT_NE(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(GetAspiLibError(), CdErrBadHandle);
}

TEST(CdAccess, CdrdaoTocImagesAreDrivesToo) {
    QTemporaryDir dir;
    TTestDisc disc(dir.path(), {150, 60});
    // cdrdao's raw audio is big-endian; the file is named relative to the TOC file's folder
    // (not the working folder).
    QByteArray swapped = ReadWholeFile(disc.BinPath);
    for (qsizetype i = 0; i + 1 < swapped.size(); i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    WriteWholeFile(dir.filePath("disc.cdr"), swapped);
    const QString toc = dir.filePath("disc.toc");
    const QByteArray tracks = "CD_DA\n// two tracks\nTRACK AUDIO\nFILE \"disc.cdr\" 0 00:02:00\n"
                              "TRACK AUDIO\nCOPY\nFILE \"disc.cdr\" 00:02:00 00:00:60\n";
    WriteWholeFile(toc, tracks);
    HCDROM h = openImage(toc);
    ASSERT_NE(h, 0);
    ModifyCDParms(h, CdParmTocMsf, 1);
    TTOC t{};
    ASSERT_EQ(ReadTOC(h, &t), 1);
    EXPECT_EQ(t.LastTrack, 2);
    EXPECT_EQ(TocEntryFrames(t.Tracks[1]), 300);
    EXPECT_EQ(t.Tracks[1].Adr, 0x12); // copy permitted
    EXPECT_EQ(TocEntryFrames(t.Tracks[2]), 360);
    auto raw = readBuffer(150, 10);
    ASSERT_EQ(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(audioOf(raw.get()), disc.TrackBytes(1).left(10 * CdSectorBytes));
    CloseCDHandle(h);

    // SWAP: the raw file is little-endian; a data track of 2336-byte sectors before the audio;
    // silence before track 1 puts the audio after it.
    WriteWholeFile(dir.filePath("data.bin"), QByteArray(20 * 2336, '\x55'));
    WriteWholeFile(toc, "CD_ROM_XA\nTRACK MODE2\nDATAFILE \"data.bin\"\nTRACK AUDIO\n"
                        "SILENCE 00:00:30\nSTART\nFILE \"disc.bin\" SWAP 0 00:02:00\n");
    h = openImage(toc);
    ASSERT_NE(h, 0);
    ModifyCDParms(h, CdParmTocMsf, 1);
    ASSERT_EQ(ReadTOC(h, &t), 1);
    EXPECT_EQ(t.Tracks[0].Adr & 0x04, 0x04);
    EXPECT_EQ(TocEntryFrames(t.Tracks[1]), 150 + 20 + 30);
    EXPECT_EQ(TocEntryFrames(t.Tracks[2]), 150 + 20 + 30 + 150);
    raw = readBuffer(50, 10);
    ASSERT_EQ(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(audioOf(raw.get()), disc.TrackBytes(0).left(10 * CdSectorBytes));
    std::vector<int> gaps;
    ASSERT_EQ(ReadTrackGaps(h, &gaps), 1);
    EXPECT_EQ(gaps, (std::vector<int>{0, 30}));
    CloseCDHandle(h);

    // What is wrong is said as for CUE sheets.
    QByteArray many = "CD_DA\n";
    for (int i = 0; i < 100; ++i)
        many += "TRACK AUDIO\nFILE \"disc.cdr\" 0 00:00:01\n";
    const struct {
        QByteArray Toc;
        QString Expected;
    } cases[] = {
        {"TRACK AUDIO\nFILE \"gone.cdr\" 0\n",
         "The file " + dir.filePath("gone.cdr") + " that " + toc +
             " names cannot be opened: No such file or directory"},
        {"TRACK AUDIO\nFILE \"disc.cdr\" 0 00:03:00\n",
         "Track 1 is cut: " + dir.filePath("disc.cdr") +
             " ends at 00:02:60, before the track's "
             "data ends at 00:03:00 as " +
             toc + " says"},
        {"TRACK AUDIO\nFILE \"disc.cdr\" 00:03:00\n",
         "Track 1 is cut: " + dir.filePath("disc.cdr") +
             " ends at 00:02:60, before the track starts at 00:03:00 as " + toc + " says"},
        {many, toc + " is not a TOC file that can be used: it has more than 99 tracks (line 200)"},
        {"TRACK AUDIO\nFIFO \"/tmp/pipe\" 00:10:00\n",
         toc + " is not a TOC file that can be used: line 2 reads track 1 from a FIFO, which an "
               "image cannot"},
        {"CD_DA\nTRACK AUDIO\nSTART 00:00:10\nFILE \"disc.cdr\" 0 00:00:10\n",
         toc + ": track 1 (line 2) has no data after its start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Toc.left(200).toStdString());
        WriteWholeFile(toc, c.Toc);
        EXPECT_EQ(SetDiscImages({toc}), c.Expected);
    }
    SetDiscImages({});
}

// A Nero disc-at-once image of `audio` (the disc's sectors after track 1's 150-sector pregap,
// which is stored before them): tracks at the given sectors with their INDEX 00 `gaps` earlier,
// control bits from the cue chunk.
QByteArray nrgImage(const QByteArray& audio, const std::vector<int>& starts,
                    const std::vector<int>& gaps, const std::vector<int>& controls) {
    auto be = [](uint64_t v, int bytes) {
        QByteArray b;
        for (int i = bytes - 1; i >= 0; --i)
            b += char(v >> (8 * i));
        return b;
    };
    auto chunk = [&](const char* id, const QByteArray& body) {
        return QByteArray(id) + be(uint64_t(body.size()), 4) + body;
    };
    auto bcd = [](int n) { return char((n / 10) << 4 | n % 10); };
    const int count = int(starts.size());
    const uint64_t sector = CdSectorBytes;
    const uint64_t sectors = uint64_t(audio.size()) / sector;
    QByteArray image = QByteArray(150 * CdSectorBytes, '\0') + audio;
    QByteArray cue = QByteArray("\x01\x00\x00\x00", 4) + be(uint64_t(int64_t(-150)), 4);
    QByteArray dao = QByteArray(4, '\0') + QByteArray(13, '\0') + QByteArray(3, '\0');
    dao += char(1);
    dao += char(count);
    for (int t = 0; t < count; ++t) {
        const uint64_t index1 = 150 + uint64_t(starts[size_t(t)]);
        const uint64_t index0 = index1 - uint64_t(t == 0 ? 150 : gaps[size_t(t)]);
        const uint64_t end =
            t + 1 < count ? 150 + uint64_t(starts[size_t(t) + 1]) - uint64_t(gaps[size_t(t) + 1])
                          : 150 + sectors;
        const char type = char(controls[size_t(t)] << 4 | 1);
        cue += QByteArray(1, type) + bcd(t + 1) + char(0) + char(0) + be(index0 - 150, 4);
        cue += QByteArray(1, type) + bcd(t + 1) + char(1) + char(0) + be(index1 - 150, 4);
        dao += QByteArray(12, '\0') + be(sector, 2) + char(7) + QByteArray(3, '\0') +
               be(index0 * sector, 8) + be(index1 * sector, 8) + be(end * sector, 8);
    }
    cue += QByteArray("\x01\xAA\x01\x00", 4) + be(sectors, 4);
    const uint64_t chunksAt = uint64_t(image.size());
    image += chunk("CUEX", cue) + chunk("DAOX", dao) + chunk("SINF", be(uint64_t(count), 4)) +
             chunk("MTYP", be(1, 4)) + chunk("END!", {});
    return image + "NER5" + be(chunksAt, 8);
}

TEST(CdAccess, NeroImagesAreReadAndBrokenChunksRefused) {
    QTemporaryDir dir;
    TTestDisc disc(dir.path(), {40, 31});
    const QString nrg = dir.filePath("disc.nrg");
    // Track 2's INDEX 00 lies 5 sectors before its INDEX 01; it may be copied.
    const QByteArray good = nrgImage(ReadWholeFile(disc.BinPath), {0, 40}, {0, 5}, {0, 2});
    WriteWholeFile(nrg, good);
    HCDROM h = openImage(nrg);
    ASSERT_NE(h, 0);
    ModifyCDParms(h, CdParmTocMsf, 1);
    TTOC t{};
    ASSERT_EQ(ReadTOC(h, &t), 1);
    EXPECT_EQ(t.LastTrack, 2);
    EXPECT_EQ(TocEntryFrames(t.Tracks[0]), 150);
    EXPECT_EQ(TocEntryFrames(t.Tracks[1]), 190);
    EXPECT_EQ(t.Tracks[1].Adr, 0x12);
    EXPECT_EQ(TocEntryFrames(t.Tracks[2]), 221);
    std::vector<int> gaps;
    ASSERT_EQ(ReadTrackGaps(h, &gaps), 1);
    EXPECT_EQ(gaps, (std::vector<int>{0, 5}));
    auto raw = readBuffer(40, 31);
    ASSERT_EQ(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(audioOf(raw.get()), disc.TrackBytes(1));
    CloseCDHandle(h);

    // Every byte of the chunks and the footer changed in turn (sizes, offsets, counts, modes):
    // each image is refused naming the file, or read without a fault.
    const qsizetype chunks = good.size() - 300;
    for (qsizetype at = chunks; at < good.size(); ++at) {
        for (const char value : {'\x00', '\x7f', '\xff', char(good[at] ^ 0x01)}) {
            QByteArray bad = good;
            bad[at] = value;
            WriteWholeFile(nrg, bad);
            const QString problem = SetDiscImages({nrg});
            if (!problem.isEmpty()) {
                EXPECT_TRUE(problem.contains(nrg)) << problem.toStdString();
                continue;
            }
            h = openImage(nrg);
            ASSERT_NE(h, 0);
            if (ReadTOC(h, &t) == 1) {
                raw = readBuffer(0, 1);
                ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get()));
            }
            CloseCDHandle(h);
        }
    }
    SetDiscImages({});
}

TEST(CdAccess, ABinCutShortGivesARealReadFailure) {
    QTemporaryDir dir;
    TTestDisc disc(dir.path(), {40});
    const HCDROM h = openImage(disc.CuePath);
    ASSERT_NE(h, 0);
    disc.TruncateBin(15); // after the table was read: the disc claims 40 sectors
    auto raw = readBuffer(10, 5);
    ASSERT_EQ(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    raw = readBuffer(10, 10); // sectors 15..19 are gone
    EXPECT_NE(ReadCDAudioLBA(h, reinterpret_cast<TTrackBuf*>(raw.get())), 1);
    EXPECT_EQ(GetAspiLibError(), CdErrReadFailed);
    CloseCDHandle(h);
}

} // namespace
