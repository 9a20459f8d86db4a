// Prints how fast the Windows Media layer works on this machine: opening an MP3 (which walks
// its packets to count the samples exactly), decoding it, and encoding CD audio to WMA.
// Usage: wma_bench [seconds of audio, default 600]. Needs ffmpeg on the PATH for the fixture.
#include "codecs/FfmpegReader.h"
#include "codecs/FfmpegWriter.h"
#include "codecs/WmaFormats.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double MsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 600;
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("bench.mp3");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-v", "error", "-y", "-f", "lavfi", "-i", QString("sine=f=440:d=%1").arg(seconds),
                  "-ac", "2", "-ar", "44100", "-c:a", "libmp3lame", "-b:a", "192k", mp3});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) {
        fprintf(stderr, "ffmpeg could not make the MP3 fixture\n");
        return 1;
    }

    auto t = std::chrono::steady_clock::now();
    TFfmpegReader reader;
    if (!reader.Open(mp3)) {
        fprintf(stderr, "%s\n", qPrintable(reader.ErrorText()));
        return 1;
    }
    const double openMs = MsSince(t);
    t = std::chrono::steady_clock::now();
    const uint8_t* data = nullptr;
    int64_t bytes = 0;
    for (int n; (n = reader.Read(data, 16384)) > 0;)
        bytes += n;
    const double decodeMs = MsSince(t);
    printf("MP3 %d s, 192 kbit/s: open (exact sample count) %.1f ms; decode %.0f ms = %.0fx "
           "real time; %lld samples\n",
           seconds, openMs, decodeMs, seconds * 1000.0 / decodeMs,
           static_cast<long long>(bytes / 4));

    std::vector<TWmaFormat> formats;
    TWmaFormats::Enumerate(0, false, formats);
    std::vector<int16_t> block(44100 / 100 * 8 * 2); // the WMA output's block: 14112 bytes
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = int16_t(12000 * std::sin(double(i / 2) * 0.0627));
    TFfmpegWriter writer;
    t = std::chrono::steady_clock::now();
    if (!writer.Create(dir.filePath("bench.wma")) || !writer.SetProfile("wmav2", formats[29]) ||
        !writer.SetInput(2, 44100, 16) || !writer.BeginWriting()) {
        fprintf(stderr, "%s\n", qPrintable(writer.ErrorText()));
        return 1;
    }
    const int64_t blockBytes = int64_t(block.size()) * 2;
    int64_t written = 0, time = 0;
    while (written < int64_t(seconds) * 176400) {
        time += blockBytes * 10000000 / 176400;
        writer.WriteSample(block.data(), blockBytes, time);
        written += blockBytes;
    }
    writer.EndWriting();
    const double encodeMs = MsSince(t);
    printf("WMA encode %d s of CD audio at 128 kbit/s: %.0f ms = %.0fx real time\n", seconds,
           encodeMs, seconds * 1000.0 / encodeMs);
    return 0;
}
