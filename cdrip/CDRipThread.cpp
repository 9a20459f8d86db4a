#include "CDRipThread.h"

#include "FileIo.h"
#include "Normalize.h"
#include "RipEvent.h"
#include "accuraterip/TTrackChecksum.h"
#include "audio/Helpers.h"
#include "audio/ReplayGain.h"
#include "disc/TableOfContents.h"
#include "settings/ReadMode.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ChunkSectors = 10;
constexpr int WavHeaderBytes = 44;
constexpr size_t WriteBatchBytes = 16 * ChunkSectors * CdSectorBytes; // 376320 bytes

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

void put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// The 44-byte header of a 16-bit stereo 44100 Hz PCM WAV with `dataSize` bytes of audio.
void makeWavHeader(uint8_t* h, uint32_t dataSize) {
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, dataSize + 36);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);
    put16(h + 22, 2);
    put32(h + 24, 44100);
    put32(h + 28, 176400);
    put16(h + 32, 4);
    put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataSize);
}

// The write batches the meter may hold before reading waits for it (3 MB, 18 s of audio). A
// pool of 48 let reading finish a first track sooner but rips no faster, while the batches,
// no longer in the processor's cache when read, cost 0.05 s of processor time per 20 minutes.
constexpr size_t MeterBatches = 8;

// Sums the batches on a thread of its own while the worker writes them to the file, so that
// the checksums cost the rip no time where a second core is free. Made and used by one rip
// worker; what it shares with its thread is guarded by one mutex.
class TBackgroundSums {
public:
    explicit TBackgroundSums(TTrackChecksum& sums) : m_sums(sums), m_thread([this] { run(); }) {}
    ~TBackgroundSums() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    // Starts summing `bytes` at `data`, which must stay unchanged until Wait returns.
    void Start(const uint8_t* data, size_t bytes) {
        {
            std::lock_guard lock(m_mutex);
            m_data = data;
            m_bytes = bytes;
            m_busy = true;
        }
        m_wake.notify_all();
    }
    void Wait() {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_busy; });
    }

private:
    void run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_busy || m_quit; });
            if (!m_busy)
                return;
            lock.unlock();
            m_sums.Add(m_data, m_bytes);
            lock.lock();
            m_busy = false;
            m_wake.notify_all();
        }
    }

    TTrackChecksum& m_sums;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    const uint8_t* m_data = nullptr;
    size_t m_bytes = 0;
    bool m_busy = false;
    bool m_quit = false;
    std::thread m_thread; // last: starts once the members above exist
};

} // namespace

std::shared_ptr<TBufferPool> TCDRipThread::MakeMeterBuffers() {
    return std::make_shared<TBufferPool>(WriteBatchBytes, MeterBatches);
}

TCDRipThread::TCDRipThread(int trackIndex, const QString& wavPath, const TAppOptions& options)
    : TrackIndex(trackIndex), WavPath(wavPath),
      Secure(ReadModeOf(options.ReadMode) == TReadMode::Secure), m_normalize(options.IsNormalize),
      m_normalizePercent(options.NormalizePercent) {
    TReplayGain::TMode mode = TReplayGain::TMode::Off;
    m_measure =
        TReplayGain::ParseMode(options.ReplayGainMode, &mode) && mode != TReplayGain::TMode::Off;
}

TCDRipThread::~TCDRipThread() {
    wait();
}

void TCDRipThread::post(int value, int errorCode, const QString& text, int systemError) {
    if (NotifyWindow)
        QCoreApplication::postEvent(
            NotifyWindow,
            new TRipEvent(TProcessInfo{value, errorCode, text, {}, nullptr, systemError}));
}

void TCDRipThread::run() {
    if (ModifyCDParms(CDHandle, CdParmTocMsf, 1) == 0) {
        if (NotifyWindow)
            QCoreApplication::postEvent(NotifyWindow, new TRipEvent(DriveSetupRefused));
        return;
    }
    TTableOfContents toc;
    if (ReadTableOfContents(CDHandle, &toc) != 1) {
        if (NotifyWindow)
            QCoreApplication::postEvent(NotifyWindow, new TRipEvent(DriveTocUnreadable));
        return;
    }
    const int index = TrackIndex - 1;
    if (index < 0 || index >= toc.trackCount()) {
        post(ProcessRipEnded, RipReadFailed);
        return;
    }
    // Sectors counted from the first track's address; the last audio track before a data
    // session ends where its own session's lead-out begins. The AccurateRip sums skip the
    // edges of the disc's audio, which data tracks do not move.
    const int first = toc.StartFrames.front();
    const int start = toc.StartFrames[size_t(index)] - first;
    const int length = toc.lengthFrames(index);
    if (length <= 0 || start < 0) {
        // A damaged table (addresses that do not increase) gives no sectors to read.
        post(ProcessRipEnded, RipReadFailed);
        return;
    }
    const int discSectors = toc.sessionEndFrame(index) - first;
    rip(start, length, index == toc.firstAudio(), index == toc.lastAudio(), discSectors);
}

void TCDRipThread::rip(int start, int length, bool firstTrack, bool lastTrack, int discSectors) {
    const QString& path = WavPath;
    const int fd = CreateReplacing(path);
    if (fd < 0) {
        // What stopped the file is the system's to say (a folder without write permission, a
        // full disk).
        const int err = errno;
        post(ProcessRipEnded, RipCannotCreate,
             QCoreApplication::translate("TCDRipThread", "Cannot create %1: %2")
                 .arg(path, QString::fromLocal8Bit(std::strerror(err))),
             err);
        return;
    }
    uint8_t header[WavHeaderBytes];
    makeWavHeader(header, 0);
    // The loudness is that of what the encoders are given: measured as read by a meter thread
    // of its own, which goes on while the encoders run, or in the normalisation pass (the
    // read's loudness stands when that pass fails).
    std::shared_ptr<TMeterThread> meter;
    std::shared_ptr<TBufferPool> pool = MeterBuffers;
    if (m_measure) {
        if (!pool || pool->Bytes() < WriteBatchBytes)
            pool = MakeMeterBuffers();
        meter = std::make_shared<TMeterThread>(pool, std::move(PreviousMeter));
    }
    // Chunks gather in `batch` and go to the file in large writes; small writes into the
    // page cache cost more than the reads. Every write is checked. The chunks are read
    // straight into it; its bytes are never zeroed first. With a meter, each written batch
    // goes to the meter and the next is one of the meter's free buffers.
    std::unique_ptr<uint8_t[]> ownBatch;
    uint8_t* batch = nullptr;
    if (meter) {
        batch = pool->Take();
    } else {
        ownBatch.reset(new uint8_t[WriteBatchBytes]);
        batch = ownBatch.get();
    }
    // A buffer of the pool that the meter was not handed goes back however the read ends.
    struct TGiveBack {
        TBufferPool* Pool;
        uint8_t*& Buffer;
        ~TGiveBack() {
            if (Pool && Buffer)
                Pool->Give(Buffer);
        }
    } giveBack{meter ? pool.get() : nullptr, batch};
    size_t pendingBytes = sizeof header;
    std::memcpy(batch, header, sizeof header);
    size_t headerBytes = sizeof header; // of the batch, not audio
    // Summed as read, before any normalisation: what the database knows is the disc's audio.
    TTrackChecksum sums(int64_t(length) * TTrackChecksum::SamplesPerSector, firstTrack, lastTrack);
    TBackgroundSums summer(sums);
    int writeError = 0;
    auto flush = [&](bool more) {
        const size_t audio = pendingBytes - headerBytes;
        if (audio > 0)
            summer.Start(batch + headerBytes, audio);
        if (!writeError && pendingBytes > 0 && !WriteAll(fd, batch, pendingBytes))
            writeError = errno;
        summer.Wait();
        if (meter && audio > 0) {
            meter->Add(batch, headerBytes, audio);
            batch = more ? pool->Take() : nullptr;
        }
        pendingBytes = 0;
        headerBytes = 0;
    };

    bool readFailed = false;
    uint64_t audioBytes = 0;
    int p = 0;
    int lastPercent = -1;
    TTrackReader reader(CDHandle, ReadSectors, Secure, ReadOffset, discSectors);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int n = std::min(ChunkSectors, length - p);
        const size_t bytes = size_t(n) * CdSectorBytes;
        if (pendingBytes + bytes > WriteBatchBytes)
            flush(true);
        uint8_t* at = batch + pendingBytes;
        if (reader.Read(start + p, n, at)) {
            pendingBytes += bytes;
            audioBytes += bytes;
        } else {
            readFailed = true;
        }
        p += n;
        // Each wake-up of the GUI thread costs more than a chunk's read on a fast source, so a
        // percentage is posted when it changes, not after every chunk.
        const int percent = int(int64_t(p) * 100 / length);
        if (percent != lastPercent)
            post(percent);
        lastPercent = percent;
        if (readFailed || writeError || p >= length || Aborted.load())
            break;
    }
    flush(false); // what was read stays in the file, also after a failed read

    if (readFailed || writeError) {
        // The partial file keeps a header that says 0 data bytes.
        ::close(fd);
        if (writeError)
            post(ProcessRipEnded, RipWriteFailed, WriteErrorText(path, writeError), writeError);
        else
            post(ProcessRipEnded, RipReadFailed);
        return;
    }

    makeWavHeader(header, uint32_t(audioBytes));
    if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, header, sizeof header))
        writeError = errno;
    if (::close(fd) != 0 && !writeError)
        writeError = errno;
    if (writeError) {
        post(ProcessRipEnded, RipWriteFailed, WriteErrorText(path, writeError), writeError);
        return;
    }
    if (Aborted.load())
        return;
    TProcessInfo ended{ProcessRipEnded, RipOk, QString(),
                       TTrackCheck{true, sums.Crc32(), sums.ArV1(), sums.ArV2(),
                                   reader.ReReadSectors(), reader.UnreadableSectors(), Secure,
                                   int(clock.elapsed())}};
    if (meter) {
        ended.Loudness = meter->Meter();
        ended.Measuring = meter;
    }
    if (m_normalize) {
        post(ProcessNormalizing);
        // An I/O error keeps the unscaled WAV, which is still a good rip.
        int lastNormalized = -1;
        const auto progress = [&](int percent) {
            if (percent != lastNormalized)
                post(percent);
            lastNormalized = percent;
        };
        std::shared_ptr<TLoudnessMeter> scaled;
        if (m_measure)
            scaled = std::make_shared<TLoudnessMeter>();
        if (NormalizeWavFile(path, m_normalizePercent, progress, nullptr, scaled.get())) {
            ended.Loudness = scaled;
            ended.Measuring = nullptr; // the read's meter is cancelled as it goes
        }
    }
    if (NotifyWindow)
        QCoreApplication::postEvent(NotifyWindow, new TRipEvent(ended));
    if (ended.Measuring) {
        // Told only now, so that its event comes after the worker's last. The receiver cancels
        // the meter before it goes (TProcessInfo::Measuring).
        QObject* receiver = NotifyWindow;
        const TProcessInfo measured{ProcessMeasured, RipOk, QString(), {}, ended.Loudness};
        ended.Measuring->Finish([receiver, measured] {
            if (receiver)
                QCoreApplication::postEvent(receiver, new TRipEvent(measured));
        });
    }
}
