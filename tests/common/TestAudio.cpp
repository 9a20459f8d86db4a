#include "tests/common/TestAudio.h"

#include "tests/common/TestUtil.h"

#include <QFile>
#include <QStandardPaths>
#include <QtEndian>
#include <cmath>

QByteArray MusicPcm(int frames, int channels, int sampleRate, int bitsPerSample) {
    // Root notes of the chords (Hz) and the intervals of a major triad.
    static const double roots[] = {220.0, 261.63, 196.0, 174.61, 246.94};
    const double ratios[3] = {1.0, 1.25992, 1.49831};
    const int width = bitsPerSample / 8;
    QByteArray out(static_cast<qsizetype>(frames) * channels * width, '\0');
    auto* p = reinterpret_cast<unsigned char*>(out.data());
    const int chordLength = sampleRate / 2; // half a second each
    for (int i = 0; i < frames; ++i) {
        const int chord = (i / chordLength) % 5;
        const double t = double(i % chordLength) / sampleRate;
        const double attack = std::min(1.0, t / 0.01);
        const double env = attack * std::exp(-3.0 * t);
        for (int ch = 0; ch < channels; ++ch) {
            double v = 0.0;
            for (int k = 0; k < 3; ++k) {
                const double f = roots[chord] * ratios[k] * (1.0 + 0.002 * ch);
                const double time = double(i) / sampleRate;
                v += std::sin(2 * M_PI * f * time) + 0.3 * std::sin(4 * M_PI * f * time);
            }
            v *= 0.5 / 3.9 * env; // about -6 dBFS at the peak
            unsigned char* s = p + (static_cast<qsizetype>(i) * channels + ch) * width;
            if (width == 1) {
                s[0] = static_cast<unsigned char>(std::lround(v * 127.0) + 128);
            } else if (width == 2) {
                qToLittleEndian(static_cast<qint16>(std::lround(v * 32767.0)), s);
            } else {
                const qint32 x = static_cast<qint32>(std::lround(v * 8388607.0));
                s[0] = x & 0xFF;
                s[1] = (x >> 8) & 0xFF;
                s[2] = (x >> 16) & 0xFF;
            }
        }
    }
    return out;
}

QByteArray MakeWav(const QByteArray& pcm, int sampleRate, int channels, int bitsPerSample) {
    QByteArray h;
    auto u32 = [&h](uint32_t v) {
        v = qToLittleEndian(v);
        h.append(reinterpret_cast<const char*>(&v), 4);
    };
    auto u16 = [&h](uint16_t v) {
        v = qToLittleEndian(v);
        h.append(reinterpret_cast<const char*>(&v), 2);
    };
    const int align = channels * bitsPerSample / 8;
    h.append("RIFF");
    u32(uint32_t(36 + pcm.size()));
    h.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(uint16_t(channels));
    u32(uint32_t(sampleRate));
    u32(uint32_t(sampleRate * align));
    u16(uint16_t(align));
    u16(uint16_t(bitsPerSample));
    h.append("data");
    u32(uint32_t(pcm.size()));
    return h + pcm;
}

void WriteWav(const QString& path, const QByteArray& pcm, int channels, int sampleRate,
              int bitsPerSample) {
    WriteWholeFile(path, MakeWav(pcm, sampleRate, channels, bitsPerSample));
}

std::vector<short> ToSamples(const QByteArray& pcm16) {
    std::vector<short> s(pcm16.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = qFromLittleEndian<qint16>(pcm16.constData() + 2 * i);
    return s;
}

std::vector<short> DecodeWithFfmpeg(const QString& path, int* channels) {
    const TProcessResult probe =
        RunProgram("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                               "stream=channels", "-of", "default=nw=1:nk=1", path});
    const int ch = probe.Out.trimmed().toInt();
    if (channels)
        *channels = ch;
    const TProcessResult r = RunProgram(
        "ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-acodec", "pcm_s16le", "-"});
    if (r.ExitCode != 0)
        return {};
    return ToSamples(r.Out);
}

double SnrDb(const std::vector<short>& reference, const std::vector<short>& decoded, int channels,
             int maxLag, int* lag) {
    const qsizetype frames = qsizetype(std::min(reference.size(), decoded.size())) / channels;
    double best = -1e9;
    int bestLag = 0;
    for (int l = -maxLag; l <= maxLag; ++l) {
        double sig = 0, noise = 0;
        for (qsizetype i = maxLag; i < frames - maxLag; ++i) {
            for (int c = 0; c < channels; ++c) {
                const double x = reference[i * channels + c];
                const double y = decoded[(i + l) * channels + c];
                sig += x * x;
                noise += (x - y) * (x - y);
            }
        }
        const double snr = noise > 0 ? 10 * std::log10(sig / noise) : 200.0;
        if (snr > best) {
            best = snr;
            bestLag = l;
        }
    }
    if (lag)
        *lag = bestLag;
    return best;
}

QString Mutagen(const QString& script, const QString& path) {
    const TProcessResult r = RunProgram("/usr/bin/python3", {"-c", script, path});
    return QString::fromUtf8(r.Out + r.Err).trimmed();
}

bool HaveProgram(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}
