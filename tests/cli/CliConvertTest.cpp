// sondrel-cli convert as a user runs it: kinds and --to (Opus, AAC and ALAC both ways), the
// output folder, existing outputs without a terminal, --overwrite and --skip-existing, failures
// in the summary, exit codes.
#include "tests/common/FileSizeLimit.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

class CliConvert : public ::testing::Test {
protected:
    TProcessResult cli(const QStringList& args) {
        return RunProgram(BuiltProgram("cli/sondrel-cli"),
                          QStringList{"--config-dir", dir.filePath("config")} + args);
    }
    QString makeWav(const QString& name, double seconds) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        const auto r =
            RunProgram("sox", {"-D", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth",
                               QString::number(seconds), "sine", "500", "gain", "-6"});
        EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        return path;
    }
    QStringList files(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
    QTemporaryDir dir;
};

TEST_F(CliConvert, KindsConvertIntoTheOutFolderAndPrintThePaths) {
    const QString a = makeWav("in1/a.wav", 0.5), b = makeWav("in2/b.wav", 0.4);
    const QString out = dir.filePath("out");
    auto r = cli({"convert", "--kind", "wav2flac", "--out", out, "--jobs", "1", a, b});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, (out + "/a.flac\n" + out + "/b.flac\n").toUtf8());
    EXPECT_TRUE(r.Err.contains("Converted 2, skipped 0, failed 0 of 2 files into " + out.toUtf8()))
        << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("a.flac: converted 100%")) << r.Err.toStdString();

    // FLAC back through --to: any readable input goes through FFmpeg's reader.
    const QString back = dir.filePath("back");
    r = cli({"convert", "--to", "wav", "--out", back, out + "/a.flac"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(ReadWholeFile(back + "/a.wav").mid(44), ReadWholeFile(a).mid(44));
}

// Opus, AAC and ALAC files are written with --to and read back as inputs: ALAC gives the samples
// back exactly, AAC the sample count (its encoder's delay and padding dropped), Opus its 48 kHz
// length. So does an oggenc file, whose last packet FFmpeg reports with a wrapped length.
TEST_F(CliConvert, OpusAacAlacAndOggAreReadBackToTheirLength) {
    const QString a = makeWav("in/a.wav", 1.0001); // 44105 frames
    const QByteArray pcm = ReadWholeFile(a).mid(44);
    ASSERT_EQ(pcm.size(), 44105 * 4);
    // A length misread as gigabytes is padded out with silence: this stops it early.
    const TFileSizeLimit limit(16 << 20);
    const auto readBack = [&](const QString& file, const QString& back) {
        const auto r = cli({"convert", "--to", "wav", "--out", back, file});
        EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        return ReadWholeFile(back + "/a.wav");
    };
    for (const QString format : {"alac", "m4a", "opus"}) {
        SCOPED_TRACE(format.toStdString());
        const QString out = dir.filePath(format);
        const auto r = cli({"convert", "--to", format, "--out", out, a});
        ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        const QString written = QString::fromUtf8(r.Out.trimmed());
        EXPECT_EQ(written, out + (format == "opus" ? "/a.opus" : "/a.m4a"));
        const QByteArray wav = readBack(written, out + "-back");
        if (format == "alac")
            EXPECT_TRUE(wav.mid(44) == pcm) << "not bit-exact";
        else if (format == "m4a")
            EXPECT_EQ(wav.size() - 44, pcm.size());
        else
            EXPECT_EQ(wav.size() - 44, (44105 * 48000 + 22050) / 44100 * 4);
    }
    const QString ogg = dir.filePath("a.ogg");
    ASSERT_EQ(RunProgram("oggenc", {"-Q", "-q", "2", "-o", ogg, a}).ExitCode, 0);
    EXPECT_EQ(readBack(ogg, dir.filePath("ogg-back")).size() - 44, pcm.size());
}

TEST_F(CliConvert, ExistingOutputsAreSkippedWithoutATerminalOrReplacedOnRequest) {
    const QString a = makeWav("in/a.wav", 0.3);
    const QString out = dir.filePath("out");
    QDir().mkpath(out);
    WriteWholeFile(out + "/a.mp3", "old");
    auto r = cli({"convert", "--kind", "wav2mp3", "--out", out, a});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("skipped (exists; --overwrite replaces it)")) << r.Err.toStdString();
    EXPECT_EQ(ReadWholeFile(out + "/a.mp3"), "old");
    r = cli({"convert", "--kind", "wav2mp3", "--out", out, "--skip-existing", a});
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(ReadWholeFile(out + "/a.mp3"), "old");
    r = cli({"convert", "--kind", "wav2mp3", "--out", out, "--overwrite", a});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_GT(QFileInfo(out + "/a.mp3").size(), 1000);
}

// Two conversions into one folder, of two different inputs of one name, the second started and
// finished while the first is writing (its input a pipe it waits on): each keeps a file of its
// own, whole.
TEST_F(CliConvert, TwoProcessesIntoOneFolderKeepBothFilesWhole) {
    const QString a = makeWav("a.wav", 20), b = dir.filePath("in2/x.wav");
    QDir().mkpath(dir.filePath("in1"));
    QDir().mkpath(dir.filePath("in2"));
    ASSERT_EQ(RunProgram("sox", {"-D", a, b, "reverse"}).ExitCode, 0);
    const QString pipe = dir.filePath("in1/x.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString out = dir.filePath("out");
    QDir().mkpath(out);
    const QStringList args{
        "--config-dir", dir.filePath("config"), "convert", "--kind", "wav2flac", "--out", out};
    QProcess first;
    first.start(BuiltProgram("cli/sondrel-cli"), args + QStringList{pipe});
    for (int i = 0; i < 1000 && !QFile::exists(out + "/x.partial.flac"); ++i)
        QThread::msleep(10);
    ASSERT_TRUE(QFile::exists(out + "/x.partial.flac"));
    const auto second = cli(args.mid(2) + QStringList{b});
    EXPECT_EQ(second.ExitCode, 0) << second.Err.toStdString();
    WriteWholeFile(pipe, ReadWholeFile(a));
    ASSERT_TRUE(first.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(first.readAllStandardOutput(), (out + "/x (2).flac\n").toUtf8());

    ASSERT_EQ(files(out), (QStringList{"x (2).flac", "x.flac"}));
    for (const QString& name : files(out)) {
        const auto test = RunProgram("flac", {"-t", "-s", out + "/" + name});
        EXPECT_EQ(test.ExitCode, 0) << name.toStdString() << ": " << test.Err.toStdString();
    }
    const auto pcmOf = [&](const QString& name) {
        const QString back = dir.filePath(name + ".wav");
        EXPECT_EQ(RunProgram("flac", {"-d", "-s", "-o", back, out + "/" + name}).ExitCode, 0);
        return ReadWholeFile(back).mid(44);
    };
    EXPECT_TRUE(pcmOf("x (2).flac") == ReadWholeFile(a).mid(44));
    EXPECT_TRUE(pcmOf("x.flac") == ReadWholeFile(b).mid(44));
}

TEST_F(CliConvert, FailuresAreListedInTheSummaryAndGiveStatusOne) {
    const QString good = makeWav("in/good.wav", 0.3);
    const QString bad = dir.filePath("in/bad.wav");
    WriteWholeFile(bad, "not audio");
    const QString out = dir.filePath("out");
    const auto r = cli({"convert", "--kind", "wav2ogg", "--out", out, bad, good});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("Converted 1, skipped 0, failed 1 of 2 files"))
        << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("  failed: " + bad.toUtf8() + ": ")) << r.Err.toStdString();
    EXPECT_EQ(files(out), QStringList{"good.ogg"});
}

// A WAV cut short of the length its header gives and a FLAC with frames that do not decode are
// converted as far as they go, but counted as damaged, named, and the status is 1.
TEST_F(CliConvert, DamagedInputsAreNamedCountedAndTheirOutputsKept) {
    const QString cut = makeWav("in/cut.wav", 5);
    QFile wav(cut);
    ASSERT_TRUE(wav.resize(44 + 44100 * 4 * 11 / 10)); // 1.1 s of the 5
    const QString flac = dir.filePath("in/bad.flac");
    ASSERT_EQ(RunProgram("flac", {"-s", "-o", flac, makeWav("in/bad.wav", 5)}).ExitCode, 0);
    QByteArray bytes = ReadWholeFile(flac);
    for (int i = int(bytes.size() / 3); i < bytes.size() / 3 + 2000; i += 7)
        bytes[i] = char(bytes[i] ^ 0x5a);
    WriteWholeFile(flac, bytes);
    ASSERT_NE(RunProgram("flac", {"-t", "-s", flac}).ExitCode, 0);

    const QString out = dir.filePath("out");
    auto r = cli({"convert", "--kind", "wav2flac", "--out", out, cut});
    EXPECT_EQ(r.ExitCode, 1) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("Converted 0, skipped 0, failed 0, damaged 1 of 1 files"))
        << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("  damaged: " + cut.toUtf8() + ": " + cut.toUtf8() +
                               " is cut short: its header gives 882000 bytes of audio, the file "
                               "holds 194040; what could be read is kept in " +
                               out.toUtf8() + "/cut.flac"))
        << r.Err.toStdString();
    EXPECT_EQ(RunProgram("flac", {"-t", "-s", out + "/cut.flac"}).ExitCode, 0);

    r = cli({"convert", "--to", "wav", "--out", out, flac});
    EXPECT_EQ(r.ExitCode, 1) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains("damaged 1 of 1 files")) << r.Err.toStdString();
    EXPECT_TRUE(
        r.Err.contains("  damaged: " + flac.toUtf8() + ": " + flac.toUtf8() + " is damaged: "))
        << r.Err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out + "/bad.wav"));
}

// Names in another encoding than UTF-8 reach the program as bytes that no QString holds; the
// file is still read and the output folder is the one named, not a look-alike made beside it.
TEST_F(CliConvert, NamesThatAreNotUtf8AreReadAndWrittenInto) {
    const QByteArray base = QFile::encodeName(dir.path()) + '/';
    const QByteArray input = base + "bad\xff\xfename.wav", outDir = base + "new\xe9/out\xe9";
    ASSERT_TRUE(QFile::copy(makeWav("plain.wav", 0.3), dir.filePath("plain2.wav")));
    ASSERT_EQ(
        ::rename(QFile::encodeName(dir.filePath("plain2.wav")).constData(), input.constData()), 0);
    // The folder is made by the conversion.
    const QByteArray program = QFile::encodeName(BuiltProgram("cli/sondrel-cli"));
    const QByteArray config = QFile::encodeName(dir.filePath("config"));
    const char* argv[] = {program.constData(),
                          "--config-dir",
                          config.constData(),
                          "convert",
                          "--to",
                          "flac",
                          "--out",
                          outDir.constData(),
                          input.constData(),
                          nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // The output's own name can only carry what a QString holds: U+FFFD for each lost byte.
    const QByteArray output = outDir + "/bad\xef\xbf\xbd\xef\xbf\xbdname.flac";
    struct stat st {};
    EXPECT_EQ(::stat(output.constData(), &st), 0) << "no " << output.constData();
    EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(outDir))) << "a look-alike folder was made";
}

TEST_F(CliConvert, BadArgumentsAreUsageErrors) {
    const QString a = makeWav("in/a.wav", 0.1);
    const QList<QStringList> bad = {
        {"convert", a},
        {"convert", "--kind", "wav2aac", a},
        {"convert", "--to", "aiff", a},
        {"convert", "--kind", "wav2mp3", "--to", "ogg", a},
        {"convert", "--kind", "wav2mp3"},
        {"convert", "--kind", "wav2mp3", "--jobs", "0", a},
        {"convert", "--kind", "wav2mp3", "--overwrite", "--skip-existing", a},
        {"convert", "--kind", "wav2mp3", "--bogus", a},
    };
    for (const QStringList& args : bad) {
        const auto r = cli(args);
        EXPECT_EQ(r.ExitCode, 2) << args.join(' ').toStdString() << r.Err.toStdString();
    }
    EXPECT_TRUE(cli({"--help"}).Out.contains("convert (--kind KIND | --to FORMAT)"));
}

} // namespace
