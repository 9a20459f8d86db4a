// The rip job in the encoded formats, end to end over disc images the tests write: the files
// each format leaves, their audio as ffmpeg decodes it (bit-exact for FLAC, APE and ALAC), their
// tags and covers as mutagen reads them, the WAVs deleted or kept, failed reads and failed
// encodings, and stop during encoding. Also the encode step's tags of a track of a
// various-artists disc in every format.
#include "RipWorkerSupport.h"
#include "audio/ACS_Classes.h"
#include "audio/ACS_Wave.h"
#include "cdrip/RipJob.h"
#include "encode/EncodeStep.h"
#include "encode/OutputFormats.h"
#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"
#include "tests/common/TestAudio.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The settings of the rip: those of AppOptions, with output format `format`.
TAppOptions OptionsFor(int format) {
    TAppOptions o = AppOptions;
    o.OutputFormat = format;
    return o;
}

enum { Mp3 = 0, Wav = 1, Ogg = 2, Wma = 3, Flac = 4, Ape = 5, Opus = 6, Aac = 7, Alac = 8 };

// Signed 16-bit stereo 44.1 kHz PCM as ffmpeg decodes `file`.
QByteArray Decode(const QString& file) {
    const auto r = RunProgram(
        "ffmpeg", {"-v", "error", "-i", file, "-f", "s16le", "-ac", "2", "-ar", "44100", "-"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return r.Out;
}

// What mutagen reads from `file` under the names each kind of file keeps its texts under, one
// "field=value" line each: title, artist, albumartist, album, year, track, total, disc,
// disctotal, genre, comment, compilation (absent fields left out; a name stored twice gives its
// values joined by "|"; MP4's number pairs as "n/total", its flags as 1).
QString MutagenTexts(const QString& file) {
    static const char* script = R"(
import sys, mutagen
from mutagen.id3 import ID3FileType
from mutagen.asf import ASF
from mutagen.apev2 import APEv2File
from mutagen.mp4 import MP4
f = mutagen.File(sys.argv[1])
t = f.tags
def text(x):
    if isinstance(x, bool):
        return str(int(x))
    if isinstance(x, tuple):
        return "%d/%d" % x if x[1] else str(x[0])
    return str(x)
if isinstance(f, MP4):
    names = {"title": "\xa9nam", "artist": "\xa9ART", "albumartist": "aART",
             "album": "\xa9alb", "year": "\xa9day", "track": "trkn", "disc": "disk",
             "genre": "\xa9gen", "comment": "\xa9cmt", "compilation": "cpil"}
elif isinstance(f, ID3FileType):
    names = {"title": "TIT2", "artist": "TPE1", "albumartist": "TPE2", "album": "TALB",
             "year": "TDRC", "track": "TRCK", "disc": "TPOS", "genre": "TCON",
             "comment": "COMM::eng", "compilation": "TCMP"}
elif isinstance(f, ASF):
    names = {"title": "Title", "artist": "Author", "albumartist": "WM/AlbumArtist",
             "album": "WM/AlbumTitle", "year": "WM/Year", "track": "WM/TrackNumber",
             "disc": "WM/PartOfSet", "genre": "WM/Genre", "comment": "Copyright",
             "compilation": "WM/IsCompilation"}
elif isinstance(f, APEv2File):
    names = {"title": "Title", "artist": "Artist", "albumartist": "Album Artist",
             "album": "Album", "year": "Year", "track": "Track", "disc": "Disc",
             "genre": "Genre", "comment": "Comment", "compilation": "Compilation"}
else:
    names = {"title": "title", "artist": "artist", "albumartist": "albumartist",
             "album": "album", "year": "date", "track": "tracknumber", "total": "tracktotal",
             "disc": "discnumber", "disctotal": "disctotal", "genre": "genre",
             "comment": "comment", "compilation": "compilation"}
for field in ["title", "artist", "albumartist", "album", "year", "track", "total", "disc",
              "disctotal", "genre", "comment", "compilation"]:
    name = names.get(field)
    if name is not None and name in t:
        v = t[name]
        v = v.text if hasattr(v, "text") else v
        v = v if isinstance(v, list) else [v]
        print("%s=%s" % (field, "|".join(text(x) for x in v)))
)";
    const auto r = RunProgram("/usr/bin/python3", {"-c", script, file});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return QString::fromUtf8(r.Out);
}

// The front covers mutagen finds in `file`, one "type mime md5-of-data" line each: FLAC
// PICTURE blocks, Ogg METADATA_BLOCK_PICTURE comments, ID3v2 APIC frames, the APEv2
// "Cover Art (Front)" item (type 3, its description a file name), MP4 covr items (type 3, the
// MIME type of their image format).
QString MutagenPictures(const QString& file) {
    static const char* script = R"py(
import sys, base64, hashlib, mutagen
from mutagen.flac import FLAC, Picture
from mutagen.id3 import ID3FileType
from mutagen.apev2 import APEv2File
from mutagen.mp4 import MP4, MP4Cover
f = mutagen.File(sys.argv[1])
pics = []
if isinstance(f, MP4):
    mime = {MP4Cover.FORMAT_JPEG: "image/jpeg", MP4Cover.FORMAT_PNG: "image/png"}
    pics = [(3, mime.get(c.imageformat, "?"), bytes(c)) for c in f.tags.get("covr", [])]
elif isinstance(f, FLAC):
    pics = [(p.type, p.mime, p.data) for p in f.pictures]
elif isinstance(f, ID3FileType):
    pics = [(p.type, p.mime, p.data) for p in f.tags.getall("APIC")]
elif isinstance(f, APEv2File):
    if "Cover Art (Front)" in f.tags:
        desc, data = f.tags["Cover Art (Front)"].value.split(b"\0", 1)
        pics = [(3, desc.decode(), data)]
elif f.tags is not None and "metadata_block_picture" in f.tags:
    for v in f.tags["metadata_block_picture"]:
        p = Picture(base64.b64decode(v))
        pics.append((p.type, p.mime, p.data))
for t, m, d in pics:
    print(int(t), m, hashlib.md5(d).hexdigest())
)py";
    const auto r = RunProgram("/usr/bin/python3", {"-c", script, file});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return QString::fromUtf8(r.Out);
}

// A small PNG: the signature and an IHDR chunk of 16 × 8 pixels, 8-bit RGB.
QByteArray Png() {
    QByteArray b("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x08\x08\x02\0\0\0", 29);
    return b + QByteArray(500, 'p');
}

// Whether `events` all appear in `log` in this order (others may come between).
bool InOrder(const QStringList& log, const QStringList& events) {
    qsizetype at = 0;
    for (const QString& e : events) {
        at = log.indexOf(e, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

class TRecorder {
public:
    QStringList Log;
    QStringList Messages;
    QEventLoop Loop;
    bool Done = false;
    std::function<void(int)> OnProgress;
    bool Encoding = false;

    void TrackStarted(int number, const QString&, int) {
        Log << QStringLiteral("start %1").arg(number);
        Encoding = false;
    }
    void TrackEnded(int number, const QString&, const QString&, int errorCode) {
        Log << QStringLiteral("ripped %1 %2").arg(number).arg(errorCode);
    }
    void EncodingStarted(int number, const QString&, const QString& path) {
        Log << QStringLiteral("encode %1 %2").arg(number).arg(QFileInfo(path).fileName());
        Encoding = true;
    }
    void TrackFinished(int number, const QString&, const QString&, bool ok) {
        Log << QStringLiteral("finished %1 %2").arg(number).arg(ok ? "ok" : "failed");
    }
    void Hint(const QString&) {}
    void BarCaption(const QString&) {}
    void Progress(int percent) {
        if (OnProgress)
            OnProgress(percent);
    }
    void Message(const QString& text) { Messages << text; }
    void Halted() { Loop.quit(); }
    void Finished(bool stopped) {
        Log << (stopped ? "stopped" : "finished");
        Done = true;
        Loop.quit();
    }
    void wait() {
        if (Done)
            return;
        QTimer::singleShot(60000, &Loop, &QEventLoop::quit);
        Loop.exec();
    }
};

class RipEncode : public ::testing::Test {
protected:
    void SetUp() {
        out = dir.filePath("out");
        QDir().mkpath(out);
        saved = AppOptions;
        AppOptions = TAppOptions();
        AppOptions.OutputFolder = out;
        disc.Artist = "The Artist";
        disc.Album = QString::fromUtf8("Björk Мартин");
        disc.Year = "1999";
        disc.Genre = 118; // "Rock" in the genre box
        disc.Comment = QString::fromUtf8("Ripped — a comment longer than thirty characters");
    }
    void TearDown() { AppOptions = saved; }
    // The audio files; the rip log beside them has tests of its own.
    QStringList files() const {
        QStringList audio = QDir(out).entryList(QDir::Files, QDir::Name);
        // The rip's log, playlist and cue sheet.
        audio.removeIf([](const QString& name) {
            return name.endsWith(".log") || name.endsWith(".m3u8") || name.endsWith(".cue");
        });
        return audio;
    }

    QTemporaryDir dir;
    QString out;
    TDiscFields disc;
    TAppOptions saved;
};

struct TFormatCase {
    int Format;
    const char* Ext;
    bool Lossless;
};

void PrintTo(const TFormatCase& c, std::ostream* os) {
    *os << c.Ext;
}

class RipEachFormat : public RipEncode, public ::testing::WithParamInterface<TFormatCase> {};

TEST_P(RipEachFormat, EncodesEveryTrackTagsItAndDeletesTheWav) {
    const TFormatCase c = GetParam();
    TTestDisc image(dir.path(), {150, 113}); // 2 s and about 1.5 s
    const HCDROM h = OpenTestImage(image.CuePath);
    ASSERT_NE(h, 0);
    TRecorder rec;
    const QString names[] = {QString::fromUtf8("Björk Мартин"), "Second Song"};
    TRipPlan plan = PlanOf({"01" + names[0], "02" + names[1]}, OptionsFor(c.Format), disc);
    plan.TrackTotal = 12;
    TRipJob job(h, plan, OptionsFor(c.Format));
    const TCoverArt cover = TCoverArt::FromBytes(Png());
    job.SetCover(cover);
    Attach(job, rec);
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    ASSERT_TRUE(rec.Done);
    EXPECT_TRUE(rec.Messages.isEmpty()) << rec.Messages.join('\n').toStdString();
    EXPECT_EQ(job.Failed(), 0);
    const QString ext = c.Ext;
    // Each track is read, encoded and finished in turn; track 2 is read while track 1 is
    // encoded, so it starts before track 1 has finished.
    EXPECT_TRUE(InOrder(rec.Log, {"start 1", "ripped 1 0", "encode 1 " + names[0] + ext,
                                  "finished 1 ok", "finished"}))
        << rec.Log.join(", ").toStdString();
    EXPECT_TRUE(InOrder(rec.Log, {"ripped 1 0", "start 2", "ripped 2 0",
                                  "encode 2 Second Song" + ext, "finished 2 ok", "finished"}))
        << rec.Log.join(", ").toStdString();
    EXPECT_TRUE(InOrder(rec.Log, {"start 2", "finished 1 ok"}));
    EXPECT_EQ(rec.Log.size(), 9);
    EXPECT_EQ(files(), (QStringList{names[0] + ext, "Second Song" + ext, "cover.png"}));
    EXPECT_EQ(ReadWholeFile(out + "/cover.png"), Png());

    for (int i = 0; i < 2; ++i) {
        const QString path = out + "/" + names[i] + ext;
        const QByteArray pcm = Decode(path);
        const QByteArray expected = image.TrackBytes(i);
        if (c.Lossless) {
            EXPECT_EQ(pcm, expected) << i;
        } else {
            // Lossy encoders may pad to whole frames (WMA keeps no note of its padding: up to
            // two 2048-sample frames); the length stays within 120 ms.
            EXPECT_NEAR(double(pcm.size()), double(expected.size()), 0.12 * 176400) << i;
        }
        // Every file carries the full texts, as mutagen reads them: the disc artist as the
        // album artist too, the track number with the disc's number of tracks (WMA keeps the
        // number alone), the disc comment.
        const QString track = QString::number(i + 1);
        QString want = "title=" + names[i] +
                       "\nartist=The Artist\nalbumartist=The Artist\nalbum=" + disc.Album +
                       "\nyear=1999\n";
        if (c.Format == Ogg || c.Format == Flac || c.Format == Opus)
            want += "track=" + track + "\ntotal=12\n";
        else
            want += "track=" + track + (c.Format == Wma ? "" : "/12") + "\n";
        want += "genre=Rock\ncomment=" + disc.Comment + "\n";
        EXPECT_EQ(MutagenTexts(path).toStdString(), want.toStdString());
        // The cover rides along in every format but WMA.
        const QString md5 = QCryptographicHash::hash(Png(), QCryptographicHash::Md5).toHex();
        EXPECT_EQ(MutagenPictures(path),
                  c.Format == Wma
                      ? QString()
                      : (c.Format == Ape ? "3 cover.png " : "3 image/png ") + md5 + "\n");
        if (c.Format == Mp3) {
            // The ID3v1 tag after the audio, as the bytes say.
            const QByteArray tag = ReadWholeFile(path).right(128);
            ASSERT_EQ(tag.left(3), "TAG");
            EXPECT_EQ(tag.mid(3, 30), names[i].toLatin1().leftJustified(30, '\0'));
            EXPECT_EQ(tag.mid(33, 30), QByteArray("The Artist").leftJustified(30, '\0'));
            EXPECT_EQ(tag.mid(93, 4), "1999");
            EXPECT_EQ(tag.at(125), 0);
            EXPECT_EQ(tag.at(126), i + 1);
            EXPECT_EQ(quint8(tag.at(127)), 17); // Rock
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RipEachFormat,
    ::testing::Values(TFormatCase{Mp3, ".mp3", false}, TFormatCase{Ogg, ".ogg", false},
                      TFormatCase{Wma, ".wma", false}, TFormatCase{Flac, ".flac", true},
                      TFormatCase{Ape, ".ape", true}, TFormatCase{Opus, ".opus", false},
                      TFormatCase{Aac, ".m4a", false}, TFormatCase{Alac, ".m4a", true}),
    [](const auto& info) { return FormatName(info.param.Format).toLower().toStdString(); });

TEST_F(RipEncode, KeptWavsStayBesideTheEncodedFiles) {
    AppOptions.IsKeepWav = true;
    TTestDisc image(dir.path(), {40, 30});
    const HCDROM h = OpenTestImage(image.CuePath);
    TRecorder rec;
    TRipJob job(h, PlanOf({"01A", "02B"}, OptionsFor(Flac), disc), OptionsFor(Flac));
    // A cover of the user's own stays as it is, and the only one.
    WriteWholeFile(out + "/cover.jpg", "mine");
    job.SetCover(TCoverArt::FromBytes(Png()));
    Attach(job, rec);
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    EXPECT_EQ(files(), (QStringList{"A.flac", "A.wav", "B.flac", "B.wav", "cover.jpg"}));
    EXPECT_EQ(ReadWholeFile(out + "/cover.jpg"), "mine");
    EXPECT_EQ(ReadWholeFile(out + "/B.wav").mid(44), image.TrackBytes(1));
}

TEST_F(RipEncode, AFailedReadSkipsEncodingAndTheNextTrackIsStillRipped) {
    TTestDisc image(dir.path(), {60, 60});
    const HCDROM h = OpenTestImage(image.CuePath);
    ASSERT_NE(h, 0);
    image.TruncateBin(90); // the middle of track 2
    TRecorder rec;
    TRipJob job(h, PlanOf({"02Broken", "01Fine"}, OptionsFor(Ogg), disc), OptionsFor(Ogg));
    Attach(job, rec);
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    EXPECT_EQ(rec.Messages, (QStringList{"Error while reading CD information!"}));
    EXPECT_TRUE(InOrder(rec.Log, {"start 2", "ripped 2 3", "start 1", "ripped 1 0",
                                  "encode 1 Fine.ogg", "finished 1 ok", "finished"}))
        << rec.Log.join(", ").toStdString();
    EXPECT_TRUE(InOrder(rec.Log, {"ripped 2 3", "finished 2 failed", "finished"}));
    EXPECT_EQ(rec.Log.size(), 8);
    EXPECT_EQ(job.Failed(), 1);
    // What was read of the broken track stays, under a name that says it is incomplete; the
    // good track leaves only its OGG.
    EXPECT_EQ(files(), (QStringList{"Broken.partial.wav", "Fine.ogg"}));
    EXPECT_NEAR(double(Decode(out + "/Fine.ogg").size()), 60.0 * 2352, 0.06 * 176400);
}

TEST_F(RipEncode, AFailedEncodingKeepsTheWavSkipsTheTagAndMovesOn) {
    TTestDisc image(dir.path(), {30, 30});
    const HCDROM h = OpenTestImage(image.CuePath);
    ASSERT_NE(h, 0);
    // A folder where the first MP3 should go: the output cannot create its file.
    ASSERT_TRUE(QDir().mkpath(out + "/One.mp3"));
    TRecorder rec;
    // The second record's folder cannot be made: its rip fails right after the failed
    // encoding, and its finishing step must leave the first track's WAV alone.
    WriteWholeFile(out + "/blocked", "mine");
    TRipPlan plan = PlanOf({"01One", "02Two"}, OptionsFor(Mp3), disc);
    TRipPlanTrack blocked = plan.Tracks[1];
    blocked.WavPath = out + "/blocked/Two.wav";
    blocked.Path = out + "/blocked/Two.mp3";
    blocked.Paths = {blocked.Path};
    plan.Tracks.insert(plan.Tracks.begin() + 1, blocked);
    TRipJob job(h, plan, OptionsFor(Mp3));
    Attach(job, rec);
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    // The second record is read while the first is encoded: the two messages come in either
    // order.
    ASSERT_EQ(rec.Messages.size(), 2);
    const QString encoding = "Encoding " + out + "/One.mp3 failed: ";
    const QStringList encodingFailed = rec.Messages.filter(encoding);
    ASSERT_EQ(encodingFailed.size(), 1) << rec.Messages.join('\n').toStdString();
    EXPECT_GT(encodingFailed[0].size(), encoding.size());
    EXPECT_EQ(rec.Messages.filter("Cannot create " + out + "/blocked: ").size(), 1);
    EXPECT_TRUE(rec.Log.contains("finished 1 failed"));
    EXPECT_TRUE(rec.Log.contains("finished 2 ok"));
    EXPECT_EQ(job.Failed(), 2);
    // The WAV of the failed track is its only audio now; the folder was not touched.
    EXPECT_EQ(ReadWholeFile(out + "/One.wav").mid(44), image.TrackBytes(0));
    EXPECT_TRUE(QFileInfo(out + "/One.mp3").isDir());
    EXPECT_EQ(QDir(out + "/One.mp3").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(out + "/Two.wav"));
    EXPECT_EQ(ReadWholeFile(out + "/Two.mp3").right(128).left(3), "TAG");
}

TEST_F(RipEncode, AFolderTheEncoderCannotWriteIntoStopsTheRipWithOneMessage) {
    // sysfs refuses new files even to root; the WAVs are read into a folder that takes them, so
    // the encoder is the first to meet the refusal.
    if (QFile probe("/sys/sondrel-probe"); probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        GTEST_SKIP() << "/sys takes new files here";
    }
    TTestDisc image(dir.path(), {30, 30, 30});
    const HCDROM h = OpenTestImage(image.CuePath);
    ASSERT_NE(h, 0);
    TRecorder rec;
    TRipPlan plan = PlanOf({"01One", "02Two", "03Three"}, OptionsFor(Flac), disc);
    for (TRipPlanTrack& t : plan.Tracks) {
        t.Path = "/sys/" + QFileInfo(t.Path).fileName();
        t.Paths = {t.Path};
    }
    plan.FilesFolder = "/sys";
    plan.FilesFolders = {plan.FilesFolder};
    TRipJob job(h, plan, OptionsFor(Flac));
    Attach(job, rec);
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    ASSERT_TRUE(rec.Done);
    ASSERT_EQ(rec.Messages.size(), 1) << rec.Messages.join('\n').toStdString();
    EXPECT_TRUE(rec.Messages[0].startsWith("Cannot write into /sys: Permission denied. The rip "
                                           "has stopped"))
        << rec.Messages[0].toStdString();
    EXPECT_EQ(rec.Log.filter("encode ").size(), 1) << rec.Log.join(", ").toStdString();
    EXPECT_EQ(rec.Log.last(), "stopped");
    // What the reads left holds audio; nothing empty is left behind.
    for (const QFileInfo& f : QDir(out).entryInfoList(QDir::Files))
        EXPECT_GT(f.size(), 44) << f.fileName().toStdString();
}

TEST_F(RipEncode, AFailedRipTagsTheMp3OfAnEarlierRipAnew) {
    TTestDisc image(dir.path(), {30, 30});
    const HCDROM h = OpenTestImage(image.CuePath);
    ASSERT_NE(h, 0);
    image.TruncateBin(40); // track 2 cannot be read
    WriteWholeFile(out + "/Earlier.mp3", QByteArray(200, 'x'));
    TRecorder rec;
    TRipJob job(h, PlanOf({"02Earlier"}, OptionsFor(Mp3), disc), OptionsFor(Mp3));
    Attach(job, rec);
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    EXPECT_EQ(rec.Log, (QStringList{"start 2", "ripped 2 3", "finished 2 failed", "finished"}));
    const QByteArray file = ReadWholeFile(out + "/Earlier.mp3");
    EXPECT_TRUE(file.startsWith("ID3")) << "the full texts ahead of the audio";
    ASSERT_GE(file.size(), 328);
    EXPECT_EQ(file.right(328).left(200), QByteArray(200, 'x'));
    EXPECT_EQ(file.right(128).left(3), "TAG");
    EXPECT_EQ(file.right(128).at(126), 2);
}

// A track of a various-artists disc, the second of three, through the encode step: every
// format carries the track's own artist, the disc artist as album artist, the disc number and
// the compilation mark where mutagen looks for them.
TEST_F(RipEncode, EncodeStepTagsTrackArtistAlbumArtistDiscAndCompilation) {
    const QString wav = dir.filePath("track.wav");
    WriteWholeFile(wav, MakeWav(MusicPcm(44100 / 2, 2, 44100, 16), 44100, 2, 16));
    TWaveIn in;
    in.SetFileName(wav);
    TEncodeStep step(AppOptions);
    step.SetDoneDelay(0);
    for (const TFormatCase c : {TFormatCase{Mp3, ".mp3", false}, TFormatCase{Ogg, ".ogg", false},
                                TFormatCase{Wma, ".wma", false}, TFormatCase{Flac, ".flac", true},
                                TFormatCase{Ape, ".ape", true}, TFormatCase{Opus, ".opus", false},
                                TFormatCase{Aac, ".m4a", false}, TFormatCase{Alac, ".m4a", true}}) {
        SCOPED_TRACE(c.Ext);
        TEncodeRequest r;
        r.Input = &in;
        r.Format = c.Format;
        r.Path = out + "/Song" + c.Ext;
        r.Disc = disc;
        r.Disc.Artist = "Various Artists";
        r.Disc.DiscNumber = 2;
        r.Disc.DiscTotal = 3;
        r.Title = "Song";
        r.Artist = "Singer";
        r.Compilation = true;
        r.Track = 4;
        r.TrackTotal = 12;
        QString failure = "no outcome";
        QEventLoop loop;
        QObject::connect(&step, &TEncodeStep::finished, &loop,
                         [&](const QString&, const QString& f) {
                             failure = f;
                             loop.quit();
                         });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        step.Start(r);
        loop.exec();
        ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
        QString want =
            "title=Song\nartist=Singer\nalbumartist=Various Artists\nalbum=" + disc.Album +
            "\nyear=1999\n";
        if (c.Format == Ogg || c.Format == Flac || c.Format == Opus)
            want += "track=4\ntotal=12\ndisc=2\ndisctotal=3\n";
        else
            want += QString("track=4") + (c.Format == Wma ? "" : "/12") + "\ndisc=2/3\n";
        want += "genre=Rock\ncomment=" + disc.Comment + "\ncompilation=1\n";
        EXPECT_EQ(MutagenTexts(r.Path).toStdString(), want.toStdString());
    }
}

class RipStop : public RipEncode, public ::testing::WithParamInterface<TFormatCase> {};

TEST_P(RipStop, StopDuringEncodingStopsTheOutputFirst) {
    const TFormatCase c = GetParam();
    TTestDisc image(dir.path(), {4500}); // 60 s: long enough to be caught mid-way
    const HCDROM h = OpenTestImage(image.CuePath);
    ASSERT_NE(h, 0);
    TRecorder rec;
    TRipJob job(h, PlanOf({"01Long"}, OptionsFor(c.Format), disc), OptionsFor(c.Format));
    Attach(job, rec);
    bool outputIdleAtEnd = false;
    rec.OnProgress = [&](int percent) {
        if (rec.Encoding && percent > 0 && percent < 100 && !job.IsFinished()) {
            job.Stop();
            outputIdleAtEnd = !job.Output()->InUse();
        }
    };
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    ASSERT_TRUE(rec.Done);
    EXPECT_EQ(rec.Log.last(), "stopped");
    EXPECT_TRUE(outputIdleAtEnd);
    EXPECT_FALSE(rec.Log.contains("finished 1 ok"));
    // Nothing is deleted on stop: the WAV and the part-written file stay, under names that say
    // they are incomplete; nothing has the final name.
    EXPECT_EQ(ReadWholeFile(out + "/Long.partial.wav").mid(44), image.TrackBytes(0));
    EXPECT_TRUE(QFileInfo::exists(out + "/Long.partial" + QString(c.Ext)));
    EXPECT_FALSE(QFileInfo::exists(out + "/Long" + QString(c.Ext)));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RipStop,
    ::testing::Values(TFormatCase{Ogg, ".ogg", false}, TFormatCase{Wma, ".wma", false},
                      TFormatCase{Flac, ".flac", true}, TFormatCase{Ape, ".ape", true},
                      TFormatCase{Aac, ".m4a", false}),
    [](const auto& info) { return FormatName(info.param.Format).toLower().toStdString(); });

TEST_F(RipEncode, AnImageReadsAtTheSpeedAskedAndAStopLeavesUnfinishedTracksUnnamed) {
    // Three tracks of 2 s; at 2x each reads in 1 s, and track 2 is read while track 1 is
    // encoded.
    TTestDisc image(dir.path(), {150, 150, 150});
    const HCDROM h = OpenTestImage(image.CuePath);
    ASSERT_NE(h, 0);
    TAppOptions options = OptionsFor(Flac);
    options.ReadSpeed = 2;
    TRecorder rec;
    TRipJob job(h, PlanOf({"01One", "02Two", "03Three"}, options, disc), options);
    Attach(job, rec);
    QElapsedTimer clock;
    qint64 firstRead = 0;
    QObject::connect(&job, &TRipJob::trackEnded,
                     [&](int number, const QString&, const QString&, int) {
                         if (number == 1)
                             firstRead = clock.elapsed();
                     });
    QObject::connect(&job, &TRipJob::trackFinished,
                     [&](int number, const QString&, const QString&, bool) {
                         if (number == 1)
                             job.Stop();
                     });
    clock.start();
    job.Start();
    rec.wait();
    CloseCDHandle(h);
    EXPECT_EQ(rec.Log.last(), "stopped");
    // Never faster than a 2x drive; slower only by what a busy machine adds.
    EXPECT_GE(firstRead, 950);
    EXPECT_LE(firstRead, 1500);
    EXPECT_TRUE(rec.Log.contains("start 2"));
    // Track 1 is whole; track 2 was being read (or encoded) and has no final name; track 3 was
    // not begun.
    const QStringList left = files();
    EXPECT_TRUE(left.contains("One.flac")) << left.join(", ").toStdString();
    EXPECT_TRUE(left.contains("Two.partial.wav")) << left.join(", ").toStdString();
    EXPECT_TRUE(left.filter(QRegularExpression("^(Two\\.(flac|wav)|Three.*|One\\.wav)$")).isEmpty())
        << left.join(", ").toStdString();
    EXPECT_EQ(Decode(out + "/One.flac"), image.TrackBytes(0));
}

TEST_F(RipEncode, AFormatOutsideTheListIsRefused) {
    TRecorder rec;
    TRipJob job(1, PlanOf({"01x"}, OptionsFor(9), disc), OptionsFor(9));
    Attach(job, rec);
    job.Start();
    EXPECT_EQ(rec.Messages, (QStringList{"Unknown output format 9."}));
    EXPECT_TRUE(job.IsFinished());
    EXPECT_EQ(job.Outcome(), TJobOutcome::Failed);
}

} // namespace
