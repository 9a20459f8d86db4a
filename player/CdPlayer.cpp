#include "CdPlayer.h"

#include "TrackSpan.h"

#include <QCoreApplication>
#include <vector>

namespace {

QString noDrive() {
    return QCoreApplication::translate("TCdPlayer", "No drive is open.");
}

QString readFailure(int code, int sector) {
    switch (code) {
    case CdErrBadHandle:
        return QCoreApplication::translate("TCdPlayer", "The drive was closed while it played.");
    case CdErrNoDisc:
        return QCoreApplication::translate("TCdPlayer", "There is no disc in the drive any more.");
    case CdErrOutOfRange:
        return QCoreApplication::translate("TCdPlayer",
                                           "Sector %1 lies beyond the end of the disc.")
            .arg(sector);
    default:
        return QCoreApplication::translate("TCdPlayer", "Sector %1 of the disc could not be read.")
            .arg(sector);
    }
}

// Reader thread: reads sectors start..end - 1 into the ring, a chunk at a time, waiting while
// it is full; ends at the end, at a read failure, or when the ring is cancelled.
void readSectors(HCDROM handle, int start, int end, std::shared_ptr<TPcmRing> ring) {
    std::vector<uint8_t> memory(sizeof(TTrackBuf) +
                                size_t(TCdPlayer::ChunkSectors) * CdSectorBytes);
    auto* buf = reinterpret_cast<TTrackBuf*>(memory.data());
    for (int sector = start; sector < end;) {
        const int n = std::min(TCdPlayer::ChunkSectors, end - sector);
        if (!ring->WaitForRoom(qsizetype(n) * CdSectorBytes))
            return;
        buf->StartFrame = uint32_t(sector);
        buf->NumFrames = uint32_t(n);
        buf->MaxLen = uint32_t(TCdPlayer::ChunkSectors * CdSectorBytes);
        if (ReadCDAudioLBA(handle, buf) != 1) {
            ring->Finish(readFailure(GetAspiLibError(), sector));
            return;
        }
        ring->Push(reinterpret_cast<const char*>(buf->data()) + buf->StartOffset, buf->Len);
        sector += n;
    }
    ring->Finish(QString());
}

} // namespace

TCdPlayer::TCdPlayer(std::unique_ptr<TPcmSink> sink, QObject* parent)
    : QObject(parent), m_sink(std::move(sink)) {
    m_timer.setInterval(20); // the sink holds a quarter second: it never runs dry
    connect(&m_timer, &QTimer::timeout, this, &TCdPlayer::feed);
    m_scratch.resize(64 * 1024);
}

TCdPlayer::~TCdPlayer() {
    Stop();
}

void TCdPlayer::Open(HCDROM handle) {
    Stop();
    m_handle = handle;
}

void TCdPlayer::Close() {
    Stop();
    m_handle = 0;
}

bool TCdPlayer::PlayTrack(int number) {
    Stop();
    if (m_handle == 0) {
        m_error = noDrive();
        return false;
    }
    const auto span = FindTrackSpan(m_handle, number, m_error);
    return span && Play(span->Start, span->End);
}

bool TCdPlayer::Play(int startSector, int endSector) {
    Stop();
    m_error.clear();
    m_start = startSector;
    m_end = endSector;
    if (m_handle == 0) {
        m_error = noDrive();
        return false;
    }
    if (startSector < 0 || endSector <= startSector) {
        m_error =
            QCoreApplication::translate("TCdPlayer", "Nothing to play between sectors %1 and %2.")
                .arg(startSector)
                .arg(endSector);
        return false;
    }
    if (!m_sink->Start(m_error))
        return false;
    m_ring = std::make_shared<TPcmRing>(qsizetype(BufferSectors) * CdSectorBytes);
    m_reader = std::thread(readSectors, m_handle, startSector, endSector, m_ring);
    m_state = TState::Playing;
    m_timer.start();
    return true;
}

void TCdPlayer::Pause() {
    if (m_state != TState::Playing)
        return;
    m_sink->Suspend();
    m_state = TState::Paused;
}

void TCdPlayer::Resume() {
    if (m_state != TState::Paused)
        return;
    m_sink->Resume();
    m_state = TState::Playing;
}

void TCdPlayer::Stop() {
    m_timer.stop();
    if (m_ring)
        m_ring->Cancel(); // the reader ends after the read it is in
    if (m_reader.joinable())
        m_reader.join();
    m_ring.reset();
    if (m_state != TState::Stopped)
        m_sink->Stop();
    m_state = TState::Stopped;
    m_fed = 0;
    m_carry.clear();
}

QString TCdPlayer::TimeText(int sectors) {
    const int seconds = qMax(0, sectors) / CdFramesPerSecond;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

int TCdPlayer::Position() const {
    if (m_state == TState::Stopped)
        return m_start;
    const qint64 heard = qMax<qint64>(0, m_fed - m_sink->Pending());
    return m_start + int(heard / CdSectorBytes);
}

// Owner thread, every timer tick while a play runs: moves what the ring holds into the sink
// as far as it has room, and ends the play when everything was read and heard.
void TCdPlayer::feed() {
    if (m_state != TState::Playing)
        return; // paused: the sink keeps what it holds, the ring fills up and the reader waits
    if (const QString e = m_sink->Error(); !e.isEmpty()) {
        failPlay(e);
        return;
    }
    qint64 room = m_sink->Room();
    while (room > 0) {
        if (m_carry.isEmpty()) {
            const qsizetype n = m_ring->Pop(m_scratch.data(), qMin<qint64>(room, m_scratch.size()));
            if (n == 0)
                break;
            m_carry = QByteArray(m_scratch.constData(), n);
        }
        const qint64 taken = m_sink->Write(m_carry.constData(), qMin<qint64>(room, m_carry.size()));
        if (taken <= 0)
            break;
        m_carry.remove(0, taken);
        m_fed += taken;
        room -= taken;
    }
    QString readError;
    if (!m_ring->Finished(&readError))
        return;
    if (!readError.isEmpty())
        failPlay(readError);
    else if (m_ring->Size() == 0 && m_carry.isEmpty() && m_sink->Pending() == 0)
        endPlay();
}

void TCdPlayer::endPlay() {
    Stop();
    emit finished();
}

void TCdPlayer::failPlay(const QString& reason) {
    Stop();
    m_error = reason;
    emit failed(reason);
}
