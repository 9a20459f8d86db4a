// Encoder benchmark: encodes one WAV file with our MP3, Ogg Vorbis and FLAC outputs and with
// the reference command-line encoders at the same settings (lame -b 128 -q 5, oggenc -q 2,
// flac -2), and prints our time over theirs for each. Usage:
//   sondrel-bench-encoders [input.wav] [rounds]
// Without a file it encodes 60 seconds of generated 16-bit stereo 44.1 kHz music.
#include "audio/ACS_Wave.h"
#include "codecs/ACS_FLAC.h"
#include "codecs/ACS_LAME.h"
#include "codecs/ACS_Vorbis.h"
#include "codecs/CodecLibraries.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>

namespace {

// Seconds of processor time (user and system) of this process or of its reaped children.
double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

struct TTimes {
    double Wall = 1e9; // seconds
    double Cpu = 1e9;  // seconds
    void Keep(double wall, double cpu) {
        Wall = std::min(Wall, wall);
        Cpu = std::min(Cpu, cpu);
    }
};

void WriteMusicWav(const QString& path, int seconds) {
    const int rate = 44100, channels = 2;
    const qint64 frames = qint64(rate) * seconds;
    QByteArray data(frames * channels * 2, '\0');
    static const double roots[] = {220.0, 261.63, 196.0, 174.61, 246.94};
    for (qint64 i = 0; i < frames; ++i) {
        const int chord = int((i / (rate / 2)) % 5);
        const double t = double(i % (rate / 2)) / rate;
        const double env = std::min(1.0, t / 0.01) * std::exp(-3.0 * t);
        for (int ch = 0; ch < channels; ++ch) {
            double v = 0;
            for (double r : {1.0, 1.25992, 1.49831}) {
                const double f = roots[chord] * r * (1.0 + 0.002 * ch);
                v += std::sin(2 * M_PI * f * i / rate) + 0.3 * std::sin(4 * M_PI * f * i / rate);
            }
            // a little noise so the encoders have real work in every band
            v = v * 0.5 / 3.9 * env + 0.01 * (double(std::rand()) / RAND_MAX - 0.5);
            qToLittleEndian(qint16(std::lround(v * 32767)), data.data() + (i * channels + ch) * 2);
        }
    }
    QByteArray h(44, '\0');
    char* d = h.data();
    memcpy(d, "RIFF", 4);
    qToLittleEndian(quint32(36 + data.size()), d + 4);
    memcpy(d + 8, "WAVEfmt ", 8);
    qToLittleEndian(quint32(16), d + 16);
    qToLittleEndian(quint16(1), d + 20);
    qToLittleEndian(quint16(channels), d + 22);
    qToLittleEndian(quint32(rate), d + 24);
    qToLittleEndian(quint32(rate * channels * 2), d + 28);
    qToLittleEndian(quint16(channels * 2), d + 32);
    qToLittleEndian(quint16(16), d + 34);
    memcpy(d + 36, "data", 4);
    qToLittleEndian(quint32(data.size()), d + 40);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(h + data) != h.size() + data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// One run of `out`, from Start until its worker is idle again: wall time and the processor
// time of this process (the worker does nearly all of it).
void TimeOutput(TAuFileOut& out, TTimes& times) {
    const double cpu = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer t;
    t.start();
    out.Start();
    // Waits on the worker's own condition, so the waiting costs no processor time.
    while (!out.Thread()->WaitSuspended(1000) || out.InUse()) {
    }
    times.Keep(t.nsecsElapsed() / 1e9, CpuSeconds(RUSAGE_SELF) - cpu);
    if (!out.FailureText().isEmpty()) {
        std::fprintf(stderr, "our encoder failed: %s\n", qPrintable(out.FailureText()));
        std::exit(1);
    }
}

// One run of a reference encoder: wall time and its processor time.
void TimeProgram(const QString& program, const QStringList& args, TTimes& times) {
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        std::exit(1);
    }
    times.Keep(t.nsecsElapsed() / 1e9, CpuSeconds(RUSAGE_CHILDREN) - cpu);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QStringList args = app.arguments();
    QString wav = args.value(1);
    const int rounds = std::max(1, args.value(2, "3").toInt());
    if (wav.isEmpty()) {
        wav = dir.filePath("bench.wav");
        WriteMusicWav(wav, 60);
    }
    LoadCodecLibraries();

    TWaveIn in;
    in.SetFileName(wav);
    if (!in.IsValid()) {
        std::fprintf(stderr, "%s is no WAV file the input understands\n", qPrintable(wav));
        return 1;
    }
    TMP3Out mp3;
    mp3.SetBitRate(TMP3BitRate::br128);
    mp3.SetQuality(TMP3Quality::ql5);
    mp3.SetMode(TMP3Mode::JOINT_STEREO); // what lame picks for stereo at 128 kbit/s
    TVorbisOut ogg;
    ogg.SetCompression(0.2f); // oggenc -q 2
    TFLACOut flac;
    flac.SetCompressionLevel(2);

    struct Row {
        const char* name;
        TAuFileOut* out;
        QString program;
        QStringList args;
        TTimes ours, theirs;
    };
    const QString o = dir.path() + "/";
    Row rows[] = {
        {"MP3  (lame -b 128 -q 5)",
         &mp3,
         "lame",
         {"--silent", "-b", "128", "-q", "5", wav, o + "ref.mp3"},
         {},
         {}},
        {"OGG  (oggenc -q 2)", &ogg, "oggenc", {"-Q", "-q", "2", "-o", o + "ref.ogg", wav}, {}, {}},
        {"FLAC (flac -2)", &flac, "flac", {"-s", "-f", "-2", "-o", o + "ref.flac", wav}, {}, {}},
    };
    const char* ext[] = {"mp3", "ogg", "flac"};
    // Rounds alternate ours and theirs so that a busy moment of the machine hits both; the best
    // time of each is compared. Processor time is the steadier figure on a shared machine.
    for (int r = 0; r < rounds; ++r) {
        for (int i = 0; i < 3; ++i) {
            Row& row = rows[i];
            row.out->SetInput(&in);
            row.out->SetFileName(o + "ours." + ext[i]);
            TimeOutput(*row.out, row.ours);
            TimeProgram(row.program, row.args, row.theirs);
        }
    }
    std::printf("input: %s, best of %d rounds; ratio = ours / theirs\n", qPrintable(wav), rounds);
    std::printf("%-26s %9s %9s %7s %9s %9s %7s\n", "format", "wall ours", "theirs", "ratio",
                "cpu ours", "theirs", "ratio");
    for (const Row& row : rows)
        std::printf("%-26s %9.3f %9.3f %7.3f %9.3f %9.3f %7.3f\n", row.name, row.ours.Wall,
                    row.theirs.Wall, row.ours.Wall / row.theirs.Wall, row.ours.Cpu, row.theirs.Cpu,
                    row.ours.Cpu / row.theirs.Cpu);
    return 0;
}
