#include "tests/common/WmaTestAudio.h"
#include "tests/common/TestUtil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>
#include <cmath>

QByteArray MakeTone(int frames, int sampleRate, int channels, double amplitude) {
    QByteArray pcm(frames * channels * 2, Qt::Uninitialized);
    auto* p = reinterpret_cast<int16_t*>(pcm.data());
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double f = 440.0 * (1.0 + 0.5 * c);
            *p++ = qToLittleEndian(
                int16_t(std::lround(amplitude * std::sin(2 * M_PI * f * i / sampleRate))));
        }
    return pcm;
}

QByteArray MakeSweep(int frames, int sampleRate, int channels, double amplitude) {
    QByteArray pcm(frames * channels * 2, Qt::Uninitialized);
    auto* p = reinterpret_cast<int16_t*>(pcm.data());
    const double rise = 2000.0; // Hz per second
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / sampleRate;
        const double phase = 2 * M_PI * (200.0 * t + rise / 2 * t * t);
        for (int c = 0; c < channels; ++c)
            *p++ = qToLittleEndian(int16_t(std::lround(amplitude * std::sin(phase + c))));
    }
    return pcm;
}

QJsonObject Probe(const QString& path) {
    const TProcessResult r = RunProgram(
        "ffprobe", {"-v", "error", "-of", "json", "-show_format", "-show_streams", path});
    if (r.ExitCode != 0)
        return QJsonObject();
    return QJsonDocument::fromJson(r.Out).object();
}

QJsonObject MutagenAsfTags(const QString& path) {
    static const char* script = R"(
import json, sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
print(json.dumps({k: str(v[0]) if len(v) == 1 else [str(x) for x in v]
                  for k, v in f.tags.items()}))
)";
    const TProcessResult r = RunProgram("/usr/bin/python3", {"-c", script, path});
    if (r.ExitCode != 0)
        return QJsonObject();
    return QJsonDocument::fromJson(r.Out).object();
}

QByteArray FfmpegDecode(const QString& path) {
    const TProcessResult r = RunProgram(
        "ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-acodec", "pcm_s16le", "-"});
    return r.ExitCode == 0 ? r.Out : QByteArray();
}

QByteArray WithContentEncryption(const QByteArray& asf) {
    QByteArray d = asf;
    const QByteArray payload("<WRMHEADER/>");
    QByteArray obj = QByteArray::fromHex("14e68a292226174cb935dae07ee9289c"); // the object's id
    const uint64_t objSize = qToLittleEndian<uint64_t>(24 + 4 + payload.size());
    const uint32_t dataSize = qToLittleEndian<uint32_t>(payload.size());
    obj.append(reinterpret_cast<const char*>(&objSize), 8)
        .append(reinterpret_cast<const char*>(&dataSize), 4)
        .append(payload);
    // The header object: id (16 bytes), size (8), number of objects (4), 2 reserved bytes.
    const uint64_t headerSize = qFromLittleEndian<uint64_t>(d.constData() + 16) + obj.size();
    const uint32_t count = qFromLittleEndian<uint32_t>(d.constData() + 24) + 1;
    qToLittleEndian(headerSize, d.data() + 16);
    qToLittleEndian(count, d.data() + 24);
    d.insert(30, obj);
    return d;
}

std::vector<int16_t> Samples(const QByteArray& pcm) {
    std::vector<int16_t> s(size_t(pcm.size()) / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = qFromLittleEndian<int16_t>(pcm.constData() + 2 * i);
    return s;
}

double SnrDb(const std::vector<int16_t>& want, const std::vector<int16_t>& got, int channels,
             int64_t wantFrom, int64_t frames, int64_t offset) {
    double signal = 0, noise = 0;
    for (int64_t i = wantFrom * channels; i < (wantFrom + frames) * channels; ++i) {
        const int64_t j = i + offset * channels;
        if (i < 0 || j < 0 || size_t(i) >= want.size() || size_t(j) >= got.size())
            return -100.0; // out of range: as bad as it gets
        const double d = double(want[size_t(i)]) - got[size_t(j)];
        signal += double(want[size_t(i)]) * want[size_t(i)];
        noise += d * d;
    }
    return noise == 0 ? 200.0 : 10.0 * std::log10(signal / noise);
}
