// The APE compressor against FFmpeg's decoder: every level, mono and stereo, many kinds of
// signal, must decode to exactly the PCM that went in, with the frame CRC check fatal.
#include "codecs/ape/ApeNNFilter.h"
#include "codecs/ape/MACLib.h"
#include "tests/common/TestUtil.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kFrame = 73728; // blocks per frame at levels 1000 to 3000

using Pcm = std::vector<int16_t>; // interleaved samples

QByteArray bytesOf(const Pcm& pcm) {
    QByteArray b(int(pcm.size() * 2), Qt::Uninitialized);
    for (size_t i = 0; i < pcm.size(); ++i) {
        b[int(2 * i)] = char(uint16_t(pcm[i]) & 0xFF);
        b[int(2 * i + 1)] = char(uint16_t(pcm[i]) >> 8);
    }
    return b;
}

uint32_t nextRandom(uint32_t& s) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
}

// Something like music: a few partials with moving envelopes, a little noise, the two
// channels related but not equal.
Pcm musicLike(int blocks, int channels, uint32_t seed = 1) {
    Pcm p(size_t(blocks) * channels);
    for (int i = 0; i < blocks; ++i) {
        const double t = i / 44100.0;
        for (int c = 0; c < channels; ++c) {
            double v = 0;
            for (int k = 1; k <= 5; ++k)
                v += std::sin(2 * M_PI * (110.0 * k + c * 0.7) * t) *
                     (0.5 + 0.5 * std::sin(2 * M_PI * 0.3 * k * t + c)) / k;
            v = v * 9000 + int(nextRandom(seed) % 401) - 200;
            p[size_t(i) * channels + c] = int16_t(std::clamp(v, -32768.0, 32767.0));
        }
    }
    return p;
}

Pcm noise(int blocks, int channels, uint32_t seed = 7) {
    Pcm p(size_t(blocks) * channels);
    for (auto& s : p)
        s = int16_t(uint16_t(nextRandom(seed)));
    return p;
}

Pcm square(int blocks, int channels) {
    Pcm p(size_t(blocks) * channels);
    for (int i = 0; i < blocks; ++i)
        for (int c = 0; c < channels; ++c)
            p[size_t(i) * channels + c] = ((i / (50 + 13 * c)) & 1) ? 32767 : -32768;
    return p;
}

struct TRun {
    int level = 2000;
    int channels = 2;
    int64_t maxAudioBytes = -1;
    int threads = 0;
    std::vector<int> pieces; // sizes the input is fed in, cycled; empty = all at once
};

class ApeCompressTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name = "t.ape") const { return dir.filePath(QString::fromUtf8(name)); }

    // Compresses `pcm` through lock/unlock; returns the first error code.
    int compress(const QString& file, const Pcm& pcm, const TRun& run) {
        int err = -2;
        APE_COMPRESS_HANDLE h = c_APECompress_Create(&err);
        EXPECT_EQ(err, ERROR_SUCCESS);
        WAVEFORMATEX wf;
        FillWaveFormatEx(&wf, 44100, 16, run.channels);
        c_APECompress_SetThreadCount(h, run.threads);
        err = c_APECompress_Start(h, file.toUtf8().constData(), &wf, run.maxAudioBytes, run.level,
                                  nullptr, -1);
        const QByteArray data = bytesOf(pcm);
        int64_t done = 0;
        size_t piece = 0;
        while (err == ERROR_SUCCESS && done < data.size()) {
            int64_t available = 0;
            unsigned char* p = c_APECompress_LockBuffer(h, &available);
            if (!p) {
                err = -3;
                break;
            }
            int64_t n = std::min<int64_t>(available, data.size() - done);
            if (!run.pieces.empty())
                n = std::min<int64_t>(n, run.pieces[piece++ % run.pieces.size()]);
            std::memcpy(p, data.constData() + done, size_t(n));
            err = c_APECompress_UnlockBuffer(h, n, 1);
            done += n;
        }
        if (err == ERROR_SUCCESS)
            err = c_APECompress_Finish(h, nullptr, 0, 0);
        c_APECompress_Destroy(h);
        return err;
    }

    // PCM as FFmpeg decodes it, with a CRC mismatch fatal; empty on failure.
    static QByteArray decode(const QString& file) {
        const auto r = RunProgram("ffmpeg", {"-v", "error", "-err_detect", "crccheck+explode", "-i",
                                             file, "-f", "s16le", "-"});
        EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
        EXPECT_TRUE(r.Err.isEmpty()) << r.Err.toStdString();
        return r.Out;
    }

    void roundTrip(const Pcm& pcm, const TRun& run, const char* what) {
        SCOPED_TRACE(std::string(what) + ", level " + std::to_string(run.level) + ", " +
                     std::to_string(run.channels) + " channel(s)");
        const QString file = path();
        ASSERT_EQ(compress(file, pcm, run), ERROR_SUCCESS);
        const QByteArray decoded = decode(file);
        const QByteArray expected = bytesOf(pcm);
        ASSERT_EQ(decoded.size(), expected.size());
        EXPECT_TRUE(decoded == expected) << "decoded PCM differs";
        checkMd5(ReadWholeFile(file));
    }

    // The descriptor's MD5 over stored header data, frame data, WAV trailer, header and
    // seek table, recomputed with Qt's MD5.
    static void checkMd5(const QByteArray& f) {
        ASSERT_GE(f.size(), 76);
        auto u32 = [&](int at) {
            return uint32_t(uint8_t(f[at])) | uint32_t(uint8_t(f[at + 1])) << 8 |
                   uint32_t(uint8_t(f[at + 2])) << 16 | uint32_t(uint8_t(f[at + 3])) << 24;
        };
        ASSERT_EQ(f.left(4), QByteArray("MAC "));
        EXPECT_EQ(u32(4) & 0xFFFF, 3990u);
        const int seekBytes = int(u32(16));
        const int headerDataBytes = int(u32(20));
        const int frameBytes = int(u32(24));
        const int termBytes = int(u32(32));
        EXPECT_EQ(frameBytes % 4, 0);
        QCryptographicHash md5(QCryptographicHash::Md5);
        const int data = 76 + seekBytes;
        md5.addData(f.mid(data, headerDataBytes + frameBytes + termBytes));
        md5.addData(f.mid(52, 24));
        md5.addData(f.mid(76, seekBytes));
        EXPECT_EQ(md5.result(), f.mid(36, 16)) << "descriptor MD5";
        // Entry 0 of the seek table is the first frame's offset.
        EXPECT_EQ(int(u32(76)), data + headerDataBytes);
    }
};

// One silent stereo block at level 1000 is a 96-byte file known byte for byte.
TEST_F(ApeCompressTest, OneSilentBlockIsTheKnownFile) {
    const QString file = path();
    TRun run;
    run.level = 1000;
    ASSERT_EQ(compress(file, Pcm(2, 0), run), ERROR_SUCCESS);
    const QByteArray expected = QByteArray::fromHex("4d414320960f00003400000018000000"
                                                    "04000000000000001000000000000000"
                                                    "00000000bb576143bc6491eab61cd6ca"
                                                    "0b7d6231e80320000020010001000000"
                                                    "010000001000020044ac000050000000"
                                                    "8e6fa290070000000000010000000000");
    EXPECT_EQ(ReadWholeFile(file).toHex(), expected.toHex());
    EXPECT_EQ(decode(file), QByteArray(4, 0));
}

TEST_F(ApeCompressTest, EveryLevelDecodesExactlyInFfmpeg) {
    for (int level : {1000, 2000, 3000, 4000, 5000}) {
        for (int channels : {1, 2}) {
            TRun run;
            run.level = level;
            run.channels = channels;
            roundTrip(musicLike(2 * kFrame + 999, channels), run, "music-like");
            roundTrip(noise(30000, channels), run, "full-scale noise");
            roundTrip(square(40000, channels), run, "square wave");
        }
    }
}

TEST_F(ApeCompressTest, SilentAndSpecialStereoFrames) {
    for (int level : {1000, 2000, 4000}) {
        TRun run;
        run.level = level;
        roundTrip(Pcm(2 * 5000, 0), run, "stereo silence");
        TRun mono = run;
        mono.channels = 1;
        roundTrip(Pcm(5000, 0), mono, "mono silence");

        Pcm oneSilent = musicLike(20000, 2);
        for (size_t i = 1; i < oneSilent.size(); i += 2)
            oneSilent[i] = 0;
        roundTrip(oneSilent, run, "second channel silent");
        Pcm firstSilent = musicLike(20000, 2, 3);
        for (size_t i = 0; i < firstSilent.size(); i += 2)
            firstSilent[i] = 0;
        roundTrip(firstSilent, run, "first channel silent");

        Pcm same = musicLike(20000, 2, 5);
        for (size_t i = 0; i < same.size(); i += 2)
            same[i + 1] = same[i];
        roundTrip(same, run, "identical channels");

        // A frame that is silent next to one that is not, and one with identical channels.
        Pcm mixed = Pcm(2 * kFrame, 0);
        Pcm tail = noise(kFrame, 2);
        Pcm twin = musicLike(1000, 2);
        for (size_t i = 0; i < twin.size(); i += 2)
            twin[i + 1] = twin[i];
        if (level == 4000) // 4000's frames are four times longer
            mixed.resize(2 * 4 * kFrame, 0);
        mixed.insert(mixed.end(), tail.begin(), tail.end());
        roundTrip(mixed, run, "silent frame then noise");
    }
}

TEST_F(ApeCompressTest, FrameBoundaries) {
    for (int channels : {1, 2}) {
        TRun run;
        run.channels = channels;
        run.level = 2000;
        roundTrip(musicLike(1, channels), run, "one block");
        roundTrip(musicLike(kFrame, channels), run, "exactly one frame");
        roundTrip(musicLike(kFrame + 1, channels), run, "final frame of one block");
        roundTrip(musicLike(3 * kFrame + 17, channels), run, "several frames");
    }
}

TEST_F(ApeCompressTest, OddSizedPiecesAndThreadCountsGiveTheSameFile) {
    const Pcm pcm = musicLike(2 * kFrame + 12345, 2, 11);
    TRun whole;
    whole.threads = 1;
    ASSERT_EQ(compress(path("a.ape"), pcm, whole), ERROR_SUCCESS);
    TRun odd;
    odd.threads = 3;
    odd.pieces = {1, 3, 7, 1001, 65535, 4097, 2};
    ASSERT_EQ(compress(path("b.ape"), pcm, odd), ERROR_SUCCESS);
    const QByteArray a = ReadWholeFile(path("a.ape"));
    EXPECT_TRUE(a == ReadWholeFile(path("b.ape")));
    EXPECT_TRUE(decode(path("b.ape")) == bytesOf(pcm));
}

// The vector kernels of the NN filters (SSE2, and AVX2 where the processor has it) must give the
// same bytes.
TEST_F(ApeCompressTest, FilterKernelsAgree) {
    const Pcm pcm = musicLike(50000, 2, 13);
    Pcm loud = noise(20000, 2, 17);
    for (int level : {2000, 3000, 4000, 5000}) {
        TRun run;
        run.level = level;
        TApeNNFilter::AllowAvx2(false);
        ASSERT_EQ(compress(path("plain.ape"), pcm, run), ERROR_SUCCESS);
        ASSERT_EQ(compress(path("plain-noise.ape"), loud, run), ERROR_SUCCESS);
        TApeNNFilter::AllowAvx2(true);
        ASSERT_EQ(compress(path("fast.ape"), pcm, run), ERROR_SUCCESS);
        ASSERT_EQ(compress(path("fast-noise.ape"), loud, run), ERROR_SUCCESS);
        EXPECT_TRUE(ReadWholeFile(path("plain.ape")) == ReadWholeFile(path("fast.ape")));
        EXPECT_TRUE(ReadWholeFile(path("plain-noise.ape")) ==
                    ReadWholeFile(path("fast-noise.ape")));
        EXPECT_TRUE(decode(path("plain.ape")) == bytesOf(pcm));
    }
}

TEST_F(ApeCompressTest, FfprobeReportsTheDuration) {
    const int blocks = 3 * kFrame + 4410;
    TRun run;
    ASSERT_EQ(compress(path(), musicLike(blocks, 2), run), ERROR_SUCCESS);
    const auto r = RunProgram("ffprobe", {"-v", "error", "-show_entries",
                                          "stream=duration_ts,sample_rate,channels,codec_name",
                                          "-of", "default=nw=1", path()});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.contains("codec_name=ape")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("duration_ts=" + QByteArray::number(blocks))) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("sample_rate=44100"));
    EXPECT_TRUE(r.Out.contains("channels=2"));
}

TEST_F(ApeCompressTest, KnownSizeSizesTheSeekTableAndRefusesMore) {
    const Pcm pcm = musicLike(2 * kFrame, 2);
    TRun run;
    run.maxAudioBytes = int64_t(pcm.size()) * 2 + 4 * 3 * kFrame; // room for 5 frames
    roundTrip(pcm, run, "known size");
    EXPECT_EQ(int(uint8_t(ReadWholeFile(path())[16])), 5 * 4);

    run.maxAudioBytes = 4 * kFrame; // one frame
    EXPECT_EQ(compress(path("more.ape"), pcm, run), ERROR_APE_COMPRESS_TOO_MUCH_DATA);
    EXPECT_FALSE(QFile::exists(path("more.ape")));
}

TEST_F(ApeCompressTest, StoredHeaderAndTrailerAreKeptAndHashed) {
    const Pcm pcm = musicLike(5000, 2);
    QByteArray header(44, 'h');
    QByteArray trailer = QByteArray("LIST\x04\0\0\0abcd", 12) + QByteArray("APETAGEX-like tag");
    int err = 0;
    APE_COMPRESS_HANDLE h = c_APECompress_Create(&err);
    WAVEFORMATEX wf;
    FillWaveFormatEx(&wf, 44100, 16, 2);
    ASSERT_EQ(c_APECompress_Start(h, path().toUtf8().constData(), &wf, -1, 3000, header.constData(),
                                  header.size()),
              ERROR_SUCCESS);
    const QByteArray data = bytesOf(pcm);
    ASSERT_EQ(c_APECompress_AddData(h, reinterpret_cast<const unsigned char*>(data.constData()),
                                    data.size()),
              ERROR_SUCCESS);
    ASSERT_EQ(c_APECompress_Finish(h, reinterpret_cast<const unsigned char*>(trailer.constData()),
                                   trailer.size(), 12),
              ERROR_SUCCESS);
    c_APECompress_Destroy(h);
    const QByteArray f = ReadWholeFile(path());
    checkMd5(f);
    EXPECT_EQ(f.mid(52 + 24 + 4, 44), header);
    EXPECT_TRUE(f.endsWith(trailer));
    EXPECT_EQ(uint8_t(f[32]), 12); // WAV trailer bytes only
    EXPECT_EQ(uint8_t(f[54]), 0);  // no "create WAV header" flag
    EXPECT_TRUE(decode(path()) == data);
}

TEST_F(ApeCompressTest, RefusesWhatItCannotWrite) {
    int err = 0;
    APE_COMPRESS_HANDLE h = c_APECompress_Create(&err);
    ASSERT_NE(h, nullptr);
    const QByteArray file = path().toUtf8();
    WAVEFORMATEX wf;
    for (int bits : {8, 24, 32}) {
        FillWaveFormatEx(&wf, 44100, bits, 2);
        EXPECT_EQ(c_APECompress_Start(h, file, &wf, -1, 2000, nullptr, -1),
                  ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH);
    }
    FillWaveFormatEx(&wf, 44100, 16, 3);
    EXPECT_EQ(c_APECompress_Start(h, file, &wf, -1, 2000, nullptr, -1),
              ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT);
    FillWaveFormatEx(&wf, 44100, 16, 2);
    for (int level : {0, 1500, 6000})
        EXPECT_EQ(c_APECompress_Start(h, file, &wf, -1, level, nullptr, -1), ERROR_BAD_PARAMETER);
    EXPECT_EQ(c_APECompress_Start(h, nullptr, &wf, -1, 2000, nullptr, -1), ERROR_BAD_PARAMETER);
    EXPECT_EQ(c_APECompress_Start(h, dir.filePath("no/such/folder/x.ape").toUtf8(), &wf, -1, 2000,
                                  nullptr, -1),
              ERROR_INVALID_OUTPUT_FILE);

    // Not started: nothing to lock; unlock without lock is "undefined".
    int64_t available = 0;
    EXPECT_EQ(c_APECompress_LockBuffer(h, &available), nullptr);
    EXPECT_EQ(c_APECompress_UnlockBuffer(h, 0, 1), ERROR_UNDEFINED);

    ASSERT_EQ(c_APECompress_Start(h, file, &wf, -1, 2000, nullptr, -1), ERROR_SUCCESS);
    EXPECT_EQ(c_APECompress_GetBufferBytesAvailable(h), 4 * kFrame);
    unsigned char* p = c_APECompress_LockBuffer(h, &available);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(available, 4 * kFrame);
    EXPECT_EQ(c_APECompress_LockBuffer(h, &available), nullptr) << "locked twice";
    EXPECT_EQ(c_APECompress_UnlockBuffer(h, 4 * kFrame + 1, 1), ERROR_BAD_PARAMETER);
    EXPECT_EQ(c_APECompress_UnlockBuffer(h, 0, 1), ERROR_UNDEFINED);

    // A run given up before it finishes leaves no file, not even a temporary one.
    c_APECompress_Destroy(h);
    EXPECT_TRUE(QDir(dir.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

TEST_F(ApeCompressTest, PartialTrailingBlockIsDropped) {
    const Pcm pcm = musicLike(1000, 2);
    QByteArray data = bytesOf(pcm);
    int err = 0;
    APE_COMPRESS_HANDLE h = c_APECompress_Create(&err);
    WAVEFORMATEX wf;
    FillWaveFormatEx(&wf, 44100, 16, 2);
    ASSERT_EQ(c_APECompress_Start(h, path().toUtf8().constData(), &wf, -1, 1000, nullptr, -1),
              ERROR_SUCCESS);
    data.append("\x01\x02\x03", 3);
    ASSERT_EQ(c_APECompress_AddData(h, reinterpret_cast<const unsigned char*>(data.constData()),
                                    data.size()),
              ERROR_SUCCESS);
    ASSERT_EQ(c_APECompress_Finish(h, nullptr, 0, 0), ERROR_SUCCESS);
    c_APECompress_Destroy(h);
    EXPECT_TRUE(decode(path()) == bytesOf(pcm));
}

} // namespace
