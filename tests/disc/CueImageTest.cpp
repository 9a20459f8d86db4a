// CUE sheets (and cdrdao TOC files) as rippers write them, read by our own image drive through
// the CD layer: every layout of the same disc gives the same table, ids (libdiscid's as the
// oracle), gaps, texts and bytes; gaps and audio before track 1 lie where a drive has them;
// broken sheets and files that are not files are refused when registered, saying what is
// wrong; CD-Text from sheets in UTF-8 or Latin-1; names that are not UTF-8.
#include "disc/CueImage.h"
#include "disc/CdAccess.h"
#include "disc/DiscKey.h"
#include "disc/DiscSession.h"
#include "settings/SettingsStore.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Registers `cue` as the only image and opens it; 0 when it is refused.
HCDROM openOnly(const QString& cue, QString* problem = nullptr) {
    const QString why = SetDiscImages({cue});
    if (problem)
        *problem = why;
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    if (list.NumCd == 0 || list.Cd[0].Ha != 0)
        return 0;
    TGetCDHand req{12, 1, list.Cd[0].Ha, list.Cd[0].Tgt, list.Cd[0].Lun, 0, 0, 0, 0, {}};
    return GetCDHandle(&req);
}

TTOC lbaToc(HCDROM h) {
    TTOC toc{};
    ModifyCDParms(h, CdParmTocMsf, 0);
    EXPECT_EQ(ReadTOC(h, &toc), 1);
    return toc;
}

uint32_t lbaOf(const TTOC& toc, int entry) {
    uint32_t lba = 0;
    std::memcpy(&lba, toc.Tracks[entry].Addr, 4);
    return lba;
}

// Sectors [start, start + count) counted from track 1's first sector, read 10 at a time as the
// rip worker does.
QByteArray readSectors(HCDROM h, uint32_t start, uint32_t count) {
    QByteArray all;
    for (uint32_t at = start; at < start + count; at += 10) {
        const uint32_t n = std::min<uint32_t>(10, start + count - at);
        std::unique_ptr<uint8_t[]> raw(new uint8_t[sizeof(TTrackBuf) + n * CdSectorBytes]);
        auto* b = reinterpret_cast<TTrackBuf*>(raw.get());
        *b = TTrackBuf{at, n, n * CdSectorBytes, 0, 0, 0};
        if (ReadCDAudioLBA(h, b) != 1)
            return all + "<read failed>";
        all += QByteArray(reinterpret_cast<const char*>(b->data() + b->StartOffset), b->Len);
    }
    return all;
}

// The MusicBrainz disc id libdiscid's Python binding computes for a first track, track start
// addresses and a lead-out (LBAs with the lead-in).
QString musicBrainzId(int first, const std::vector<uint32_t>& starts, uint32_t leadOut) {
    QString offsets;
    for (uint32_t s : starts)
        offsets += QString::number(s) + QLatin1Char(',');
    const auto r =
        RunProgram(QStringLiteral("/usr/bin/python3"),
                   {"-c",
                    "import sys, libdiscid\n"
                    "o = [int(x) for x in sys.argv[3].split(',') if x]\n"
                    "print(libdiscid.put(int(sys.argv[1]), int(sys.argv[1]) + len(o) - 1,"
                    " int(sys.argv[2]), o).id)",
                    QString::number(first), QString::number(leadOut), offsets});
    return QString::fromUtf8(r.Out).trimmed() + QString::fromUtf8(r.Err);
}

class CueImage : public ::testing::Test {
protected:
    void SetUp() override {
        SetConfigDir(dir.filePath("config"));
        LoadOptions();
    }
    void TearDown() override { SetDiscImages({}); }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

TEST_F(CueImage, EveryLayoutOfADiscReadsLikeItsSingleBin) {
    // Tracks of 40, 31 and 25 sectors; the plain image is a sheet over disc.bin.
    TTestDisc disc(dir.path(), {40, 31, 25});
    const HCDROM plain = openOnly(disc.CuePath);
    ASSERT_NE(plain, 0);
    const TTOC expected = lbaToc(plain);
    const QString expectedKey = GetDiscKey(plain);
    CloseCDHandle(plain);
    const QByteArray bin = ReadWholeFile(disc.BinPath);

    // Track 2 has a pregap: INDEX 00 5 sectors before its INDEX 01.
    WriteWholeFile(path("other.bin"), bin);
    // A BIN named otherwise, with a folder of the system the sheet was written on.
    WriteWholeFile(path("other.cue"), "FILE \"C:\\rips\\other.bin\" BINARY\n  TRACK 01 AUDIO\n"
                                      "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
                                      "    INDEX 00 00:00:35\n    INDEX 01 00:00:40\n"
                                      "  TRACK 03 AUDIO\n    INDEX 01 00:00:71\n");
    // One BIN per track, the pregap at the start of track 2's file.
    WriteWholeFile(path("split-1.bin"), bin.left(35 * CdSectorBytes));
    WriteWholeFile(path("split-2.bin"), bin.mid(35 * CdSectorBytes, 36 * CdSectorBytes));
    WriteWholeFile(path("split-3.bin"), bin.mid(71 * CdSectorBytes));
    WriteWholeFile(path("split.cue"), "FILE \"split-1.bin\" BINARY\n  TRACK 01 AUDIO\n"
                                      "    INDEX 01 00:00:00\nFILE \"split-2.bin\" BINARY\n"
                                      "  TRACK 02 AUDIO\n    INDEX 00 00:00:00\n"
                                      "    INDEX 01 00:00:05\nFILE \"split-3.bin\" BINARY\n"
                                      "  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n");
    // The whole disc as a WAV file, as big-endian raw audio, and as FLAC.
    // fmt: PCM, 2 channels, 44100 Hz, 176400 bytes/s, 4-byte frames, 16 bits.
    QByteArray wav = "RIFF" + QByteArray(4, '\0') + "WAVEfmt " +
                     QByteArray::fromHex("100000000100020044ac000010b102000400100064617461");
    const quint32 dataSize = quint32(bin.size());
    wav += QByteArray(reinterpret_cast<const char*>(&dataSize), 4) + bin;
    WriteWholeFile(path("whole.wav"), wav);
    QByteArray swapped = bin;
    for (qsizetype i = 0; i + 1 < swapped.size(); i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    WriteWholeFile(path("whole.be"), swapped);
    const QByteArray tracks = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
                              "    INDEX 01 00:00:40\n  TRACK 03 AUDIO\n    INDEX 01 00:00:71\n";
    WriteWholeFile(path("wav.cue"), "FILE \"whole.wav\" WAVE\n" + tracks);
    WriteWholeFile(path("motorola.cue"), "FILE \"whole.be\" MOTOROLA\n" + tracks);
    const QString flac = disc.WriteFlacSheet(QStringLiteral("flac"));
    // Some programs name the file's format as its type.
    WriteWholeFile(flac, ReadWholeFile(flac).replace(" WAVE\n", " FLAC\n"));

    for (const QString& cue :
         {path("other.cue"), path("split.cue"), path("wav.cue"), path("motorola.cue"), flac}) {
        SCOPED_TRACE(cue.toStdString());
        QString problem;
        const HCDROM h = openOnly(cue, &problem);
        ASSERT_NE(h, 0) << problem.toStdString();
        const TTOC toc = lbaToc(h);
        EXPECT_EQ(std::memcmp(&toc, &expected, sizeof toc), 0);
        EXPECT_EQ(GetDiscKey(h), expectedKey);
        // Last track first, so a decoded file has to seek back.
        for (int t = 2; t >= 0; --t)
            EXPECT_EQ(readSectors(h, uint32_t(disc.StartSector[size_t(t)]),
                                  uint32_t(disc.Sectors[size_t(t)])),
                      disc.TrackBytes(t))
                << "track " << t + 1;
        CloseCDHandle(h);
    }

    // A disc with gaps (32 sectors of hidden audio before track 1, 5 and 8 sectors before
    // tracks 2 and 3) as rippers write it: one BIN, one file per track in each gap layout, and
    // a cdrdao TOC file. All give the table, ids, gaps, texts and track audio of the first.
    TTestDisc gapped(dir.path(), {72, 31, 33}, 0, QStringLiteral("gapped"));
    const std::vector<int> gaps = {32, 5, 8};
    const QStringList layouts = gapped.WriteGapLayouts(
        QStringLiteral("gapped"), gaps, {"The Band", "Café Live", "Ouverture", "Zwei", "Trois"});
    const QString oracleId =
        musicBrainzId(1, {150 + 32, 150 + 72 + 5, 150 + 72 + 31 + 8}, 150 + 72 + 31 + 33);
    ASSERT_EQ(oracleId.size(), 28) << oracleId.toStdString();
    TTOC first{};
    for (const QString& image : layouts) {
        SCOPED_TRACE(image.toStdString());
        QString problem;
        const HCDROM h = openOnly(image, &problem);
        ASSERT_NE(h, 0) << problem.toStdString();
        const TTOC toc = lbaToc(h);
        if (image == layouts.front())
            first = toc;
        EXPECT_EQ(std::memcmp(&toc, &first, sizeof toc), 0);
        std::vector<uint32_t> starts;
        for (int t = 0; t < toc.LastTrack; ++t)
            starts.push_back(lbaOf(toc, t));
        EXPECT_EQ(musicBrainzId(1, starts, lbaOf(toc, toc.LastTrack)), oracleId);
        std::vector<int> readGaps;
        ASSERT_EQ(ReadTrackGaps(h, &readGaps), 1);
        EXPECT_EQ(readGaps, gaps);
        TCdText text;
        ASSERT_EQ(ReadCDText(h, &text), 1);
        EXPECT_EQ(text.Disc.Title, "Café Live");
        EXPECT_EQ(text.Disc.Performer, "The Band");
        EXPECT_EQ(text.Tracks[3].Title, "Trois");
        // Each track's audio from its INDEX 01 to the next track's gap (the layout without
        // gaps holds silence in them).
        for (int t = 0; t < 3; ++t) {
            const uint32_t from = lbaOf(toc, t) - lbaOf(toc, 0);
            const int length = gapped.Sectors[size_t(t)] - gaps[size_t(t)];
            EXPECT_EQ(readSectors(h, from, uint32_t(length)),
                      gapped.TrackBytes(t).mid(gaps[size_t(t)] * CdSectorBytes))
                << "track " << t + 1;
        }
        CloseCDHandle(h);
    }
    // Cut anywhere (in a word, a string, a block), a sheet or TOC file is refused or read,
    // never a fault.
    for (const QString& image : {layouts[1], layouts[4]}) {
        const QByteArray whole = ReadWholeFile(image);
        for (qsizetype n = 0; n < whole.size(); n += 3) {
            WriteWholeFile(image, whole.left(n));
            SetDiscImages({image});
        }
    }
}

TEST_F(CueImage, PregapSilenceAndAudioBeforeTrackOneLieWhereADriveHasThem) {
    TTestDisc disc(dir.path(), {40, 31, 25});
    const QByteArray bin = ReadWholeFile(disc.BinPath);
    // A PREGAP of 10 sectors of silence before track 2, which starts a file of its own.
    WriteWholeFile(path("one.bin"), bin.left(40 * CdSectorBytes));
    WriteWholeFile(path("rest.bin"), bin.mid(40 * CdSectorBytes));
    WriteWholeFile(path("gap.cue"), "FILE \"one.bin\" BINARY\n  TRACK 01 AUDIO\n"
                                    "    INDEX 01 00:00:00\nFILE \"rest.bin\" BINARY\n"
                                    "  TRACK 02 AUDIO\n    PREGAP 00:00:10\n"
                                    "    INDEX 01 00:00:00\n  TRACK 03 AUDIO\n"
                                    "    INDEX 01 00:00:31\n");
    HCDROM h = openOnly(path("gap.cue"));
    ASSERT_NE(h, 0);
    TTOC toc = lbaToc(h);
    EXPECT_EQ(lbaOf(toc, 0), 150u);
    EXPECT_EQ(lbaOf(toc, 1), 150u + 40 + 10);
    EXPECT_EQ(lbaOf(toc, 2), 150u + 40 + 10 + 31);
    EXPECT_EQ(lbaOf(toc, 3), 150u + 40 + 10 + 31 + 25);
    EXPECT_EQ(readSectors(h, 0, 50),
              disc.TrackBytes(0) + QByteArray(10 * CdSectorBytes, '\0')); // track 1 and the gap
    EXPECT_EQ(readSectors(h, 50, 31), disc.TrackBytes(1));
    CloseCDHandle(h);
    // A PREGAP before track 1 comes after the lead-in's 2 seconds and moves every track.
    for (const int sectors : {32, 225}) {
        WriteWholeFile(path("first.cue"),
                       "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    PREGAP " +
                           TTestDisc::Msf(sectors) +
                           "\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:00:40\n");
        h = openOnly(path("first.cue"));
        ASSERT_NE(h, 0);
        toc = lbaToc(h);
        EXPECT_EQ(lbaOf(toc, 0), uint32_t(150 + sectors));
        EXPECT_EQ(lbaOf(toc, 1), uint32_t(150 + sectors + 40));
        EXPECT_EQ(lbaOf(toc, 2), uint32_t(150 + sectors + 96));
        CloseCDHandle(h);
    }

    // Track 1's audio before its INDEX 01: a hidden track. The table starts track 1 after it,
    // reads begin at track 1, and the session says how long the hidden audio is.
    WriteWholeFile(path("hidden.cue"), "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n"
                                       "    INDEX 00 00:00:00\n    INDEX 01 00:00:40\n"
                                       "  TRACK 02 AUDIO\n    INDEX 01 00:00:71\n");
    ASSERT_EQ(SetDiscImages({path("hidden.cue")}), "");
    TDiscSession s;
    ASSERT_NE(s.OpenDrive(0), 0);
    s.ReadDisc(TDiscTexts());
    ASSERT_EQ(s.Rows.size(), 2u);
    EXPECT_EQ(s.HiddenSectors, 40);
    toc = lbaToc(s.Handle);
    EXPECT_EQ(lbaOf(toc, 0), 190u);
    EXPECT_EQ(readSectors(s.Handle, 0, 31), disc.TrackBytes(1));
}

TEST_F(CueImage, BrokenSheetsAreRefusedWhenRegisteredSayingWhatIsWrong) {
    TTestDisc disc(dir.path(), {40, 31});
    const QString cue = path("bad.cue");
    const QByteArray file = "FILE \"disc.bin\" BINARY\n";
    const QByteArray one = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    // A 24-bit FLAC and a 48 kHz WAV hold no CD audio.
    RunProgram("sox",
               {"-n", "-b", "16", "-r", "44100", "-c", "1", path("mono.flac"), "trim", "0", "0.1"});
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QDir(dir.path()).mkdir("folder");
    RunProgram("sox",
               {"-n", "-b", "16", "-r", "48000", "-c", "2", path("fast.wav"), "trim", "0", "0.1"});
    WriteWholeFile(path("garbage.bin"), QByteArray("\x01\x02\0\x03", 4));
    const struct {
        QByteArray Sheet;
        QString Expected; // the whole message, or the part after the sheet's path
    } cases[] = {
        {"FILE \"gone.bin\" BINARY\n" + one,
         "The file " + path("gone.bin") + " that " + cue +
             " names cannot be opened: No such file or directory"},
        {file + one +
             "  TRACK 02 AUDIO\n    INDEX 01 00:00:30\n  TRACK 03 AUDIO\n"
             "    INDEX 01 00:00:20\n",
         cue + ": track 3 starts at 00:00:20 in " + disc.BinPath +
             ", not after track 2 (00:00:30): track starts must increase"},
        {file + "  TRACK 99 AUDIO\n    INDEX 01 00:00:00\n  TRACK 100 AUDIO\n"
                "    INDEX 01 00:00:20\n",
         cue + " is not a CUE sheet that can be used: track number 100 on line 4 is outside 1 "
               "to 99"},
        {file + one + "  TRACK 03 AUDIO\n    INDEX 01 00:00:20\n",
         cue + " is not a CUE sheet that can be used: track 3 on line 4 follows track 1 (tracks "
               "are numbered one after the other)"},
        {file + "  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n", cue + ": track 1 has no INDEX 01"},
        {"FILE \"disc.bin\" BINARY\n" + file + one,
         cue + " is not a CUE sheet that can be used: the FILE line on line 1 has no INDEX "
               "lines"},
        {file + "  TRACK 01 AUDIO/2352\n    INDEX 01 00:00:00\n",
         cue + " is not a CUE sheet that can be used: track 1 on line 2 has an unknown mode "
               "\"AUDIO/2352\""},
        {"hello world\n", cue + " is not a CUE sheet (line 1 begins with \"hello\")"},
        {"", cue + " is not a CUE sheet: it names no tracks"},
        {ReadWholeFile(path("garbage.bin")), cue + " is not a CUE sheet (it holds binary data)"},
        {"FILE \"mono.flac\" WAVE\n" + one,
         path("mono.flac") + " holds flac audio at 44100 Hz mono, not CD audio: a disc image "
                             "needs 44100 Hz stereo; convert the file instead"},
        {"FILE \"fast.wav\" WAVE\n" + one,
         path("fast.wav") + " holds pcm_s16le audio at 48000 Hz stereo, not CD audio: a disc "
                            "image needs 44100 Hz stereo; convert the file instead"},
        // Anything but a regular file is refused without being opened (a FIFO would block).
        {"FILE \"fifo\" BINARY\n" + one, "The file " + path("fifo") + " that " + cue +
                                             " names cannot be opened: it is a FIFO, not a file"},
        {"FILE \"folder\" WAVE\n" + one, "The file " + path("folder") + " that " + cue +
                                             " names cannot be opened: it is a folder, not a file"},
        {"FILE \"/dev/zero\" BINARY\n" + one,
         "The file /dev/zero that " + cue + " names cannot be opened: it is a device, not a file"},
        // Gaps no CD can hold.
        {file + "  TRACK 01 AUDIO\n    PREGAP 99:59:74\n    INDEX 01 00:00:00\n"
                "    POSTGAP 99:59:74\n",
         cue + " describes gaps that put the disc's lead-out at 100:01:74, past the 99:59:74 a "
               "CD can reach"},
        {file + one + "  TRACK 02 AUDIO\n    INDEX 01 00:00:50\n    INDEX 00 00:00:45\n",
         cue + ": track 2 has its INDEX 00 after its INDEX 01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sheet.toStdString());
        WriteWholeFile(cue, c.Sheet);
        EXPECT_EQ(SetDiscImages({cue}), c.Expected);
        TCDList list{};
        list.MaxCd = 8;
        GetCDList(&list);
        EXPECT_TRUE(list.NumCd == 0 || list.Cd[0].Ha != 0) << "the image is listed";
    }
    // A first track numbered 69 or more (which libcdio's own CUE parser cannot take) is fine,
    // and so is a flag libcue does not know.
    WriteWholeFile(cue, "FILE \"disc.bin\" BINARY\n  TRACK 80 AUDIO\n    FLAGS DCP BOGUS\n"
                        "    INDEX 01 00:00:00\n");
    const HCDROM h = openOnly(cue);
    ASSERT_NE(h, 0);
    const TTOC toc = lbaToc(h);
    EXPECT_EQ(toc.FirstTrack, 80);
    EXPECT_EQ(toc.Tracks[0].TrackNumber, 80);
    EXPECT_EQ(toc.Tracks[0].Adr, 0x12); // copy permitted
    CloseCDHandle(h);

    // A sheet that is a FIFO is refused at once, not waited on.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SetDiscImages({path("fifo")}),
              "The disc image " + path("fifo") + " cannot be used: it is a FIFO, not a file");
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(CueImage, OtherDataFilesAndTrackKindsAreRead) {
    TTestDisc disc(dir.path(), {40, 31});
    // A CDG track: each sector's 2352 bytes of audio are followed by 96 of subchannel data.
    QByteArray cdg;
    const QByteArray bin = ReadWholeFile(disc.BinPath);
    for (qsizetype at = 0; at < bin.size(); at += CdSectorBytes)
        cdg += bin.mid(at, CdSectorBytes) + QByteArray(96, '\x3f');
    WriteWholeFile(path("karaoke.bin"), cdg);
    // The second session of an enhanced CD is noted on its tracks.
    WriteWholeFile(path("karaoke.cue"), "REM SESSION 01\nFILE \"karaoke.bin\" BINARY\n"
                                        "  TRACK 01 CDG\n    INDEX 01 00:00:00\nREM SESSION 02\n"
                                        "  TRACK 02 CDG\n    INDEX 01 00:00:40\n");
    TCueImage image;
    ASSERT_TRUE(image.Open(path("karaoke.cue"))) << image.ErrorText().toStdString();
    ASSERT_EQ(image.Tracks().size(), 2u);
    EXPECT_EQ(image.Tracks()[0].Session, 1);
    EXPECT_EQ(image.Tracks()[1].Session, 2);
    EXPECT_EQ(image.Tracks()[1].Control, 0); // CD+G is audio
    HCDROM h = openOnly(path("karaoke.cue"));
    ASSERT_NE(h, 0);
    EXPECT_EQ(readSectors(h, 40, 31), disc.TrackBytes(1));
    CloseCDHandle(h);

    // Files of more than 16 bits or floating-point samples at 44100 Hz stereo are rounded to 16
    // bits, as sox does without dither.
    RunProgram("sox", {"-n", "-b", "24", "-r", "44100", "-c", "2", path("deep.flac"), "synth",
                       "0.5", "sine", "1000", "vol", "0.7"});
    RunProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=f=440:sample_rate=44100:d=1",
                          "-ac", "2", "-c:a", "libmp3lame", path("mix.mp3")});
    for (const char* name : {"deep.flac", "mix.mp3"}) {
        SCOPED_TRACE(name);
        WriteWholeFile(path("other.cue"), "FILE \"" + QByteArray(name) +
                                              "\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
        QString problem;
        h = openOnly(path("other.cue"), &problem);
        ASSERT_NE(h, 0) << problem.toStdString();
        const QByteArray expected =
            QByteArray(name) == "deep.flac"
                ? RunProgram("sox",
                             {"-D", path(name), "-b", "16", "-e", "signed", "-t", "raw", "-"})
                      .Out
                : RunProgram("ffmpeg", {"-v", "error", "-i", path(name), "-f", "s16le", "-"}).Out;
        const uint32_t whole = uint32_t(expected.size() / CdSectorBytes);
        ASSERT_GT(whole, 20u);
        EXPECT_EQ(readSectors(h, 0, whole), expected.left(whole * CdSectorBytes));
        CloseCDHandle(h);
    }
}

TEST_F(CueImage, CdTextFillsADiscThatCdDatKnowsNothingOf) {
    TTestDisc disc(dir.path(), {40, 31, 25});
    const QString cue = disc.WritePerTrackSheet(QStringLiteral("texts"),
                                                "PERFORMER \"The Band\"\nTITLE \"Köln Concert\"\n"
                                                "SONGWRITER \"Someone\"\n");
    // Track texts go after each TRACK line.
    QByteArray sheet = ReadWholeFile(cue);
    sheet.replace("  TRACK 01 AUDIO\n", "  TRACK 01 AUDIO\n    TITLE \"Opening\"\n");
    sheet.replace("  TRACK 03 AUDIO\n", "  TRACK 03 AUDIO\n    TITLE \"Guest Spot\"\n"
                                        "    PERFORMER \"A Guest\"\n    SONGWRITER \"Writer\"\n");
    WriteWholeFile(cue, sheet);
    ASSERT_EQ(SetDiscImages({cue}), "");
    TDiscSession s;
    ASSERT_NE(s.OpenDrive(0), 0);
    TCdText text;
    ASSERT_EQ(ReadCDText(s.Handle, &text), 1);
    EXPECT_EQ(text.Disc.Title, "Köln Concert");
    EXPECT_EQ(text.Disc.Songwriter, "Someone");
    EXPECT_EQ(text.Tracks[3].Songwriter, "Writer");

    // No section in cd.dat, and a section holding only the default titles: CD-Text fills in.
    for (const TDiscTexts& stored : {TDiscTexts(), LoadDiscTexts(s.CurrentDiscKey())}) {
        s.ReadDisc(stored);
        EXPECT_EQ(s.Fields.Artist, "The Band");
        EXPECT_EQ(s.Fields.Album, "Köln Concert");
        ASSERT_EQ(s.Rows.size(), 3u);
        EXPECT_EQ(s.Rows[0].Title, "Opening");
        EXPECT_EQ(s.Rows[1].Title, "Track02");
        // A compilation names performers: the title stays the title, the performer who is
        // not the disc's becomes the track's artist.
        EXPECT_EQ(s.Rows[2].Title, "Guest Spot");
        EXPECT_EQ(s.Rows[2].Artist, "A Guest");
        EXPECT_EQ(s.Rows[0].Artist, "");
    }
    // Anything a user gave wins, titles, fields and track artists alike.
    TDiscTexts mine;
    mine.Fields.Year = "1975";
    s.ReadDisc(mine);
    EXPECT_EQ(s.Fields.Artist, "");
    EXPECT_EQ(s.Rows[0].Title, "Track01");
    TDiscTexts onlyAnArtist;
    onlyAnArtist.Artists[1] = "Mine";
    s.ReadDisc(onlyAnArtist);
    EXPECT_EQ(s.Rows[0].Title, "Track01");
    EXPECT_EQ(s.Rows[2].Artist, "");

    // A Latin-1 sheet: a text that ends in a letter above 127 keeps it, and a file it names is
    // found under its UTF-8 name too.
    WriteWholeFile(path("café.bin"), ReadWholeFile(disc.BinPath));
    WriteWholeFile(path("latin.cue"), "TITLE \"Caf\xe9\"\nFILE \"caf\xe9.bin\" BINARY\n"
                                      "  TRACK 01 AUDIO\n    TITLE \"Cr\xe8me br\xfbl\xe9"
                                      "e\"\n"
                                      "    INDEX 01 00:00:00\n");
    HCDROM h = openOnly(path("latin.cue"));
    ASSERT_NE(h, 0);
    ASSERT_EQ(ReadCDText(h, &text), 1);
    EXPECT_EQ(text.Disc.Title, "Café");
    EXPECT_EQ(text.Tracks[1].Title, "Crème brûlée");
    CloseCDHandle(h);
    // A sheet or TOC file whose own name is not UTF-8, handed over as the descriptor the
    // command line opened it with, finds the files beside it and is read as what it is.
    const struct {
        const char* Name;
        QByteArray Text;
    } odd[] = {
        {"/caf\xe9.cue", "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"},
        {"/caf\xe9.toc", "CD_DA\nTRACK AUDIO\nFILE \"disc.bin\" SWAP 0\n"},
    };
    for (const auto& o : odd) {
        const QByteArray name = QFile::encodeName(dir.path()) + o.Name;
        const int out = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_EQ(::write(out, o.Text.constData(), size_t(o.Text.size())), o.Text.size());
        ::close(out);
        const int fd = ::open(name.constData(), O_PATH | O_CLOEXEC);
        QString problem;
        h = openOnly(QStringLiteral("/proc/self/fd/%1").arg(fd), &problem);
        ASSERT_NE(h, 0) << problem.toStdString();
        EXPECT_EQ(lbaOf(lbaToc(h), 1), 150u + 40 + 31 + 25);
        CloseCDHandle(h);
        SetDiscImages({});
        ::close(fd);
    }
    // A disc without CD-Text says so.
    const HCDROM plain = openOnly(disc.CuePath);
    EXPECT_EQ(ReadCDText(plain, &text), 0);
    CloseCDHandle(plain);
}

} // namespace
