// sondrel-cli rip --replaygain as a user runs it, over a disc whose tracks differ in loudness:
// the gains and peaks of every format read back with mutagen and checked against loudgain and
// the samples themselves, and a stopped rip whose files keep their track values only; then
// convert --replaygain, whose albums are the input folders.
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>

namespace {

constexpr int SectorFrames = 588; // stereo frames of 16 bits in a 2352-byte sector

// `sectors` sectors of two sines of amplitudes `a` and `b` (full scale 1.0), the right channel
// shifted in phase, as little-endian 16-bit stereo.
QByteArray Tones(int sectors, double a, double fa, double b, double fb) {
    QByteArray pcm;
    const int frames = sectors * SectorFrames;
    pcm.reserve(frames * 4);
    for (int i = 0; i < frames; ++i) {
        const double t = i / 44100.0;
        for (double phase : {0.0, 0.3}) {
            const double x =
                a * std::sin(2 * M_PI * fa * t + phase) + b * std::sin(2 * M_PI * fb * t + phase);
            const qint16 s = qint16(std::lround(x * 32767));
            pcm.append(char(s & 0xFF)).append(char((s >> 8) & 0xFF));
        }
    }
    return pcm;
}

double SamplePeak(const QByteArray& pcm) {
    int peak = 0;
    for (int i = 0; i + 1 < pcm.size(); i += 2)
        peak = std::max(peak, std::abs(int(qint16(quint8(pcm[i]) | (quint8(pcm[i + 1]) << 8)))));
    return peak / 32768.0;
}

// Writes `<dir>/disc.bin` and `disc.cue` of the tracks, back to back; returns the sheet.
QString WriteDisc(const QString& dir, const QList<QByteArray>& tracks) {
    QByteArray bin, cue = "FILE \"disc.bin\" BINARY\n";
    for (int i = 0; i < tracks.size(); ++i) {
        const int sector = int(bin.size() / 2352);
        cue += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:%4\n")
                   .arg(i + 1, 2, 10, QLatin1Char('0'))
                   .arg(sector / 4500, 2, 10, QLatin1Char('0'))
                   .arg(sector / 75 % 60, 2, 10, QLatin1Char('0'))
                   .arg(sector % 75, 2, 10, QLatin1Char('0'))
                   .toLatin1();
        bin += tracks[i];
    }
    WriteWholeFile(dir + "/disc.bin", bin);
    WriteWholeFile(dir + "/disc.cue", cue);
    return dir + "/disc.cue";
}

// The ReplayGain and R128 tags of each of `paths` as mutagen reads them, by path, then by
// upper-case name (the MP3's TXXX descriptions, the .m4a's freeform atom names), and for Opus
// the header's output gain.
QJsonObject GainTags(const QStringList& paths) {
    static const char* script = R"(
import sys, json, mutagen
out = {}
for p in sys.argv[1:]:
    f = mutagen.File(p)
    d = {}
    for key in f.tags.keys():
        name = key.split(':')[-1].upper()
        if not (name.startswith('REPLAYGAIN_') or name.startswith('R128_')):
            continue
        v = f.tags[key]
        v = v[0] if isinstance(v, list) else v
        v = v.text[0] if hasattr(v, 'text') else getattr(v, 'value', v)
        d[name] = v.decode() if isinstance(v, bytes) else str(v)
    if p.endswith('.opus'):
        data = open(p, 'rb').read()
        at = data.find(b'OpusHead')
        d['OUTPUT_GAIN'] = str(int.from_bytes(data[at + 16:at + 18], 'little', signed=True))
    out[p] = d
print(json.dumps(out))
)";
    const auto r = RunProgram("/usr/bin/python3", QStringList{"-c", script} + paths);
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    return QJsonDocument::fromJson(r.Out).object();
}

// The loudness loudgain measures in `files` taken as one album, LUFS: each file's, then the
// album's.
QList<double> LoudgainLufs(const QStringList& files) {
    const auto lg = RunProgram("loudgain", QStringList{"-a", "-O", "-q"} + files);
    EXPECT_EQ(lg.ExitCode, 0) << lg.Err.toStdString();
    QList<double> lufs;
    for (const QByteArray& line : lg.Out.split('\n'))
        if (line.contains(" LUFS") && !line.startsWith("File"))
            lufs << line.split('\t')[1].split(' ')[0].toDouble();
    EXPECT_EQ(lufs.size(), files.size() + 1) << lg.Out.toStdString();
    return lufs;
}

// "-3.21 dB" as a number.
double Db(const QJsonObject& tags, const char* name) {
    const QString text = tags[name].toString();
    EXPECT_TRUE(text.endsWith(" dB")) << name << "=" << text.toStdString();
    return text.chopped(3).toDouble();
}

class CliReplayGain : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(dir.filePath("config"));
        WriteWholeFile(dir.filePath("config/options.ini"), "[AccurateRip]\nServer=\n");
    }
    QStringList base(const QString& cue) const {
        return {"--config-dir", dir.filePath("config"), "--disc-image", cue};
    }
    QTemporaryDir dir;
};

TEST_F(CliReplayGain, AlbumGainsOfEveryFormatAgreeWithLoudgain) {
    // A quiet track and a loud one: the album's loudness is not the mean of the two.
    const QList<QByteArray> tracks = {Tones(75 * 10, 0.05, 1000, 0.02, 300),
                                      Tones(75 * 6, 0.4, 440, 0.2, 2500)};
    const QString cue = WriteDisc(dir.path(), tracks);
    const QString out = dir.filePath("out");
    const auto r =
        RunProgram(BuiltProgram("cli/sondrel-cli"),
                   base(cue) + QStringList{"rip", "--format", "flac,mp3,opus,ogg,ape,wma,m4a",
                                           "--replaygain", "album", "--out", out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();

    // The oracle measures the lossless files, which hold the disc's samples.
    const auto lg = RunProgram(
        "loudgain", {"-a", "-O", "-q", out + "/flac/Track01.flac", out + "/flac/Track02.flac"});
    ASSERT_EQ(lg.ExitCode, 0) << lg.Err.toStdString();
    QList<double> lufs; // track 1, track 2, album
    for (const QByteArray& line : lg.Out.split('\n'))
        if (line.contains(" LUFS") && !line.startsWith("File"))
            lufs << line.split('\t')[1].split(' ')[0].toDouble();
    ASSERT_EQ(lufs.size(), 3) << lg.Out.toStdString();
    ASSERT_GT(std::abs(lufs[0] - lufs[1]), 10.0);
    const double peaks[] = {SamplePeak(tracks[0]), SamplePeak(tracks[1])};
    const double albumPeak = std::max(peaks[0], peaks[1]);

    QStringList files;
    for (const char* pattern : {"flac/%1.flac", "mp3/%1.mp3", "opus/%1.opus", "ogg/%1.ogg",
                                "ape/%1.ape", "wma/%1.wma", "aac/%1.m4a"})
        files << out + "/" + QString(pattern).arg("Track01")
              << out + "/" + QString(pattern).arg("Track02");
    const QJsonObject read = GainTags(files);
    for (const QString& file : files) {
        const int t = file.contains("Track02") ? 1 : 0;
        SCOPED_TRACE(file.toStdString());
        const QJsonObject tags = read[file].toObject();
        if (file.endsWith(".opus")) {
            // Q7.8 against -23 LUFS; 0.1 dB is 25.6 steps.
            EXPECT_NEAR(tags["R128_TRACK_GAIN"].toString().toInt(), (-23 - lufs[t]) * 256, 25.6);
            EXPECT_NEAR(tags["R128_ALBUM_GAIN"].toString().toInt(), (-23 - lufs[2]) * 256, 25.6);
            EXPECT_EQ(tags["OUTPUT_GAIN"].toString(), "0");
            EXPECT_EQ(tags.size(), 3) << QJsonDocument(tags).toJson().toStdString();
        } else {
            EXPECT_NEAR(Db(tags, "REPLAYGAIN_TRACK_GAIN"), -18 - lufs[t], 0.1);
            EXPECT_NEAR(Db(tags, "REPLAYGAIN_ALBUM_GAIN"), -18 - lufs[2], 0.1);
            EXPECT_NEAR(tags["REPLAYGAIN_TRACK_PEAK"].toString().toDouble(), peaks[t], 1e-4);
            EXPECT_NEAR(tags["REPLAYGAIN_ALBUM_PEAK"].toString().toDouble(), albumPeak, 1e-4);
        }
        // The tags were written around the audio, which still decodes whole.
        const auto decoded = RunProgram("ffmpeg", {"-v", "error", "-i", file, "-f", "null", "-"});
        EXPECT_EQ(decoded.ExitCode, 0);
        EXPECT_EQ(decoded.Err, "");
    }
    for (int t = 1; t <= 2; ++t) {
        const auto test =
            RunProgram("flac", {"-t", "-s", out + QString("/flac/Track0%1.flac").arg(t)});
        EXPECT_EQ(test.ExitCode, 0) << test.Err.toStdString();
    }
    EXPECT_TRUE(ReadWholeFile(out + "/flac/rip.log").contains("ReplayGain: track and album gain"));
    // No copy made for the album's tags is left behind.
    QDirIterator all(out, QDir::Files, QDirIterator::Subdirectories);
    while (all.hasNext())
        EXPECT_FALSE(all.next().contains(".partial")) << all.filePath().toStdString();
}

TEST_F(CliReplayGain, AStoppedRipKeepsTrackGainsWithoutAlbumValues) {
    // Read at the speed of playback: the second track is still being read when Ctrl+C comes.
    const QString cue =
        WriteDisc(dir.path(), {Tones(75 * 2, 0.3, 440, 0, 1), Tones(75 * 60, 0.1, 1000, 0, 1)});
    const QString out = dir.filePath("out");
    QProcess p;
    p.start(BuiltProgram("cli/sondrel-cli"),
            base(cue) + QStringList{"rip", "--format", "flac,mp3", "--replaygain", "album",
                                    "--speed", "1", "--out", out});
    ASSERT_TRUE(p.waitForStarted());
    for (int i = 0; i < 300 && !QFileInfo::exists(out + "/mp3/Track01.mp3"); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFileInfo::exists(out + "/mp3/Track01.mp3"));
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(20000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("The rip was stopped: its files have no album gain."))
        << err.toStdString();
    const QJsonObject read = GainTags({out + "/flac/Track01.flac", out + "/mp3/Track01.mp3"});
    for (const QString& file : read.keys()) {
        const QJsonObject tags = read[file].toObject();
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(tags.contains("REPLAYGAIN_TRACK_GAIN"));
        EXPECT_TRUE(tags.contains("REPLAYGAIN_TRACK_PEAK"));
        EXPECT_FALSE(tags.contains("REPLAYGAIN_ALBUM_GAIN"));
        EXPECT_FALSE(tags.contains("REPLAYGAIN_ALBUM_PEAK"));
    }
    EXPECT_TRUE(ReadWholeFile(out + "/flac/rip.log")
                    .contains("ReplayGain: track gain and peak "
                              "only: the rip was stopped"));
}

TEST_F(CliReplayGain, ConvertTakesEachInputFolderAsAnAlbum) {
    // Two albums: a quiet and a loud file, and one 24-bit mono file at 48 kHz alone.
    QDir().mkpath(dir.filePath("a"));
    QDir().mkpath(dir.filePath("b"));
    const QStringList inputs = {dir.filePath("a/quiet.wav"), dir.filePath("a/loud.wav"),
                                dir.filePath("b/other.wav")};
    const QStringList synth[] = {
        {"-c", "2", "-b", "16", "-r", "44100", inputs[0], "synth", "6", "sine", "1000", "vol",
         "0.05"},
        {"-c", "2", "-b", "16", "-r", "44100", inputs[1], "synth", "4", "pinknoise", "vol", "0.5"},
        {"-c", "1", "-b", "24", "-r", "48000", inputs[2], "synth", "5", "sine", "300", "vol",
         "0.3"}};
    for (const QStringList& args : synth)
        ASSERT_EQ(RunProgram("sox", QStringList{"-n"} + args).ExitCode, 0);
    const QString out = dir.filePath("out");
    const auto r = RunProgram(BuiltProgram("cli/sondrel-cli"),
                              QStringList{"--config-dir", dir.filePath("config"), "convert", "--to",
                                          "flac", "--replaygain", "album", "--out", out} +
                                  inputs);
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QStringList files = {out + "/quiet.flac", out + "/loud.flac", out + "/other.flac"};
    const QList<double> a = LoudgainLufs({files[0], files[1]});
    const QList<double> b = LoudgainLufs({files[2]});
    ASSERT_EQ(a.size(), 3);
    ASSERT_EQ(b.size(), 2);
    const double track[] = {a[0], a[1], b[0]};
    const double album[] = {a[2], a[2], b[1]};
    const QJsonObject read = GainTags(files);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(files[i].toStdString());
        const QJsonObject tags = read[files[i]].toObject();
        EXPECT_NEAR(Db(tags, "REPLAYGAIN_TRACK_GAIN"), -18 - track[i], 0.1);
        EXPECT_NEAR(Db(tags, "REPLAYGAIN_ALBUM_GAIN"), -18 - album[i], 0.1);
    }
    // sox's sines reach their amplitude; the loud file's peak is the album's.
    const QJsonObject quiet = read[files[0]].toObject();
    EXPECT_NEAR(quiet["REPLAYGAIN_TRACK_PEAK"].toString().toDouble(), 0.05, 1e-3);
    EXPECT_EQ(quiet["REPLAYGAIN_ALBUM_PEAK"], read[files[1]].toObject()["REPLAYGAIN_TRACK_PEAK"]);
    EXPECT_NEAR(read[files[2]].toObject()["REPLAYGAIN_TRACK_PEAK"].toString().toDouble(), 0.3,
                1e-3);
}

} // namespace
