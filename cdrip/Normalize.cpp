#include "Normalize.h"

#include "FileIo.h"
#include "audio/LoudnessMeter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int HeaderBytes = 44;
constexpr int BlockBytes = 2048;

QString readErrorText(const QString& path, int err) {
    return QCoreApplication::translate("TNormalize", "Cannot read %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(err)));
}

struct TFd {
    int Fd = -1;
    ~TFd() {
        if (Fd >= 0)
            ::close(Fd);
    }
    // Closes now; false (errno set) when the close reports a write error.
    bool close() {
        const int fd = Fd;
        Fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
};

} // namespace

int16_t NormalizeSample(int16_t x, float gain) {
    // The default rounding mode rounds ties to even.
    const float scaled = std::nearbyint(float(x) * gain);
    if (!(scaled > -32768.0f)) // also catches NaN
        return -32768;
    if (scaled > 32767.0f)
        return 32767;
    return int16_t(scaled);
}

QString NormalizedTempPath(const QString& wavPath) {
    QString base = wavPath;
    if (base.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive))
        base.chop(4);
    return base + QLatin1String(".nor");
}

bool NormalizeWavFile(const QString& wavPath, int percent, const std::function<void(int)>& progress,
                      QString* error, TLoudnessMeter* meter) {
    const float gain = float(percent) / 100.0f;
    const QString norPath = NormalizedTempPath(wavPath);
    const QByteArray wavNative = QFile::encodeName(wavPath);
    const QByteArray norNative = QFile::encodeName(norPath);
    QString reason;
    bool norCreated = false;

    auto run = [&]() -> bool {
        TFd in;
        in.Fd = ::open(wavNative.constData(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (in.Fd < 0 || ::fstat(in.Fd, &st) != 0) {
            reason = readErrorText(wavPath, errno);
            return false;
        }
        TFd out;
        out.Fd = CreateReplacing(norPath);
        if (out.Fd < 0) {
            reason = WriteErrorText(norPath, errno);
            return false;
        }
        norCreated = true;
        const long long size = st.st_size;
        alignas(4) char block[BlockBytes];
        const long header = ReadFull(in.Fd, block, HeaderBytes);
        if (header != HeaderBytes) {
            reason = header < 0 ? readErrorText(wavPath, errno)
                                : QCoreApplication::translate("TNormalize",
                                                              "%1 is too short to be a WAV file")
                                      .arg(wavPath);
            return false;
        }
        if (!WriteAll(out.Fd, block, HeaderBytes)) {
            reason = WriteErrorText(norPath, errno);
            return false;
        }
        long long done = HeaderBytes;
        for (;;) {
            if (progress)
                progress(size > 0 ? int(done * 100 / size) : 100);
            const long n = ReadFull(in.Fd, block, BlockBytes);
            if (n < 0) {
                reason = readErrorText(wavPath, errno);
                return false;
            }
            if (n == 0)
                break;
            for (long i = 0; i + 1 < n; i += 2) {
                const int16_t x = int16_t(uint8_t(block[i]) | (uint8_t(block[i + 1]) << 8));
                const uint16_t y = uint16_t(NormalizeSample(x, gain));
                block[i] = char(y & 0xFF);
                block[i + 1] = char(y >> 8);
            }
            if (meter)
                meter->AddPcm16(reinterpret_cast<const uint8_t*>(block), size_t(n) / 4);
            if (!WriteAll(out.Fd, block, size_t(n))) {
                reason = WriteErrorText(norPath, errno);
                return false;
            }
            done += n;
        }
        if (!out.close()) {
            reason = WriteErrorText(norPath, errno);
            return false;
        }
        if (::rename(norNative.constData(), wavNative.constData()) != 0) {
            reason = WriteErrorText(wavPath, errno);
            return false;
        }
        return true;
    };

    if (run())
        return true;
    if (norCreated)
        ::unlink(norNative.constData());
    if (error)
        *error = reason;
    return false;
}
