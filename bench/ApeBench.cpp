// Compresses a 16-bit PCM WAV file at every APE level and prints, beside `flac -8` on the same
// file, the size ratio (APE / FLAC) and the time ratios (APE / FLAC) of wall-clock time and of
// processor time (the latter is fairer on a machine shared with other work). Each APE file is
// then decoded by FFmpeg with the frame CRC check fatal and compared with the input (untimed).
// Usage: sondrel-ape-bench FILE.wav [THREADS]   (THREADS 0 = one per processor, the default)
#include "codecs/ape/MACLib.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <vector>

namespace {

struct TWav {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<unsigned char> pcm;
};

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool readWav(const std::string& path, TWav& wav) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> f((std::istreambuf_iterator<char>(in)), {});
    if (f.size() < 12 || std::memcmp(f.data(), "RIFF", 4) || std::memcmp(f.data() + 8, "WAVE", 4))
        return false;
    for (size_t at = 12; at + 8 <= f.size();) {
        const uint32_t size = le32(&f[at + 4]);
        const size_t body = at + 8;
        if (!std::memcmp(&f[at], "fmt ", 4) && body + 16 <= f.size()) {
            wav.channels = f[body + 2] | f[body + 3] << 8;
            wav.rate = int(le32(&f[body + 4]));
            wav.bits = f[body + 14] | f[body + 15] << 8;
        } else if (!std::memcmp(&f[at], "data", 4)) {
            const size_t n = std::min<size_t>(size, f.size() - body);
            wav.pcm.assign(f.begin() + long(body), f.begin() + long(body + n));
            return wav.channels > 0;
        }
        at = body + size + (size & 1);
    }
    return false;
}

double processorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double childSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.wav [THREADS]\n", argv[0]);
        return 2;
    }
    const std::string wavPath = argv[1];
    const int threads = argc > 2 ? std::atoi(argv[2]) : 0;
    TWav wav;
    if (!readWav(wavPath, wav) || wav.bits != 16) {
        std::fprintf(stderr, "%s: not a 16-bit PCM WAV file\n", wavPath.c_str());
        return 1;
    }
    const auto tmp = std::filesystem::temp_directory_path() / "sondrel-ape-bench";
    std::filesystem::create_directories(tmp);
    const double audio = double(wav.pcm.size()) / (wav.channels * 2) / wav.rate;

    const std::string flacPath = (tmp / "bench.flac").string();
    auto t0 = std::chrono::steady_clock::now();
    const double child0 = childSeconds();
    const std::string cmd = "flac -8 -f -s -o '" + flacPath + "' '" + wavPath + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "flac failed\n");
        return 1;
    }
    const double flacTime = seconds(t0);
    const double flacCpu = childSeconds() - child0;
    const double flacSize = double(std::filesystem::file_size(flacPath));
    std::printf("input: %s, %.1f s of audio, %zu bytes of PCM, APE threads: %d\n", wavPath.c_str(),
                audio, wav.pcm.size(), threads);
    std::printf("flac -8: %.0f bytes (%.2f%% of PCM), %.3f s wall (%.0fx real time), %.3f s "
                "processor\n",
                flacSize, 100.0 * flacSize / double(wav.pcm.size()), flacTime, audio / flacTime,
                flacCpu);
    std::printf("%-6s %12s %8s %9s %8s %9s %10s %10s %10s\n", "level", "bytes", "of PCM", "wall s",
                "x real", "cpu s", "size/flac", "wall/flac", "cpu/flac");

    for (int level : {1000, 2000, 3000, 4000, 5000}) {
        const std::string apePath = (tmp / "bench.ape").string();
        t0 = std::chrono::steady_clock::now();
        const double cpu0 = processorSeconds();
        int err = 0;
        APE_COMPRESS_HANDLE h = c_APECompress_Create(&err);
        WAVEFORMATEX wf;
        FillWaveFormatEx(&wf, wav.rate, 16, wav.channels);
        c_APECompress_SetThreadCount(h, threads);
        err = c_APECompress_Start(h, apePath.c_str(), &wf, -1, level, nullptr, -1);
        // Fed in 64 KiB pieces, as the output component does.
        for (size_t at = 0; err == 0 && at < wav.pcm.size(); at += 65536)
            err = c_APECompress_AddData(h, wav.pcm.data() + at,
                                        int64_t(std::min<size_t>(65536, wav.pcm.size() - at)));
        if (err == 0)
            err = c_APECompress_Finish(h, nullptr, 0, 0);
        c_APECompress_Destroy(h);
        const double t = seconds(t0);
        const double cpu = processorSeconds() - cpu0;
        if (err != 0) {
            std::fprintf(stderr, "level %d failed with error %d\n", level, err);
            return 1;
        }
        const double size = double(std::filesystem::file_size(apePath));
        std::printf("%-6d %12.0f %7.2f%% %9.3f %8.0f %9.3f %10.4f %10.3f %10.3f\n", level, size,
                    100.0 * size / double(wav.pcm.size()), t, audio / t, cpu, size / flacSize,
                    t / flacTime, cpu / flacCpu);
        // Outside the timing: FFmpeg must give back exactly the input.
        const std::string pcmPath = (tmp / "decoded.pcm").string();
        const std::string decode = "ffmpeg -v error -y -err_detect crccheck+explode -i '" +
                                   apePath + "' -f s16le '" + pcmPath + "'";
        bool same = std::system(decode.c_str()) == 0;
        if (same) {
            std::ifstream d(pcmPath, std::ios::binary);
            std::vector<unsigned char> back((std::istreambuf_iterator<char>(d)), {});
            same = back == wav.pcm;
        }
        std::printf("       FFmpeg decodes it %s\n", same ? "bit-exactly" : "WRONGLY");
        std::fflush(stdout);
        if (!same)
            return 1;
    }
    std::filesystem::remove_all(tmp);
    return 0;
}
