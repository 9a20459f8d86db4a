#include "codecs/ape/ApeCompressor.h"

#include "audio/FdIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

constexpr uint16_t kFileVersion = 3990;
constexpr uint32_t kDescriptorBytes = 52;
constexpr uint32_t kHeaderBytes = 24;
constexpr uint16_t kFlagCreateWavHeader = 0x20;
constexpr size_t kScratchFlushBytes = 1 << 20;
constexpr int64_t kMaxHeaderBytes = 1 << 20; // decoders refuse larger stored headers

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// Opens a new file next to `path` with a name nobody else uses; -1 on failure.
int createBeside(const std::string& path, std::string& name) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        name = dir + "." + base + "." + std::to_string(getpid()) + "-" +
               std::to_string((uint64_t(stamp) ^ counter.fetch_add(1)) & 0xFFFFFF) + ".tmp";
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

std::vector<uint8_t> encodeFrame(int level, int channels, const std::vector<uint8_t>& pcm,
                                 int blocks) {
    TApeFrameEncoder encoder(level, channels);
    std::vector<uint8_t> out;
    encoder.encode(pcm.data(), blocks, out);
    out.shrink_to_fit(); // the coder's worst-case room is many times the usual size
    return out;
}

} // namespace

TApeCompressor::~TApeCompressor() {
    abandon();
}

void TApeCompressor::abandon() {
    m_inFlight.clear(); // waits for the workers
    if (m_tempFd >= 0) {
        ::close(m_tempFd);
        ::unlink(m_tempPath.c_str());
        m_tempFd = -1;
    }
    if (m_scratchFd >= 0) {
        ::close(m_scratchFd);
        m_scratchFd = -1;
    }
    m_started = false;
    m_locked = false;
}

int TApeCompressor::systemFailure(int code) {
    m_systemError = errno;
    return code;
}

int TApeCompressor::setThreadCount(int threads) {
    if (threads < 0 || m_started)
        return ERROR_BAD_PARAMETER;
    m_threads = threads;
    return ERROR_SUCCESS;
}

int TApeCompressor::start(const char* path, const WAVEFORMATEX* format, int64_t maxAudioBytes,
                          int level, const void* headerData, int64_t headerBytes) {
    if (!path || !format || !*path)
        return ERROR_BAD_PARAMETER;
    if (m_started)
        abandon();
    m_systemError = 0;
    if (TApeFrameEncoder::blocksPerFrame(level) == 0)
        return ERROR_BAD_PARAMETER;
    if (format->wFormatTag != 1 || format->wBitsPerSample != 16)
        return ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH;
    if (format->nChannels < 1 || format->nChannels > 2)
        return ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT;
    if (format->nSamplesPerSec == 0)
        return ERROR_INPUT_FILE_UNSUPPORTED_SAMPLE_RATE;
    if (format->nBlockAlign != format->nChannels * 2)
        return ERROR_BAD_PARAMETER;
    if (headerData && headerBytes > kMaxHeaderBytes)
        return ERROR_INPUT_FILE_TOO_LARGE;

    try {
        m_level = level;
        m_channels = format->nChannels;
        m_bits = format->wBitsPerSample;
        m_sampleRate = format->nSamplesPerSec;
        m_blockAlign = format->nBlockAlign;
        m_blocksPerFrame = TApeFrameEncoder::blocksPerFrame(level);
        m_frameBytes = size_t(m_blocksPerFrame) * size_t(m_blockAlign);
        m_tableCapacity = 0;
        if (maxAudioBytes >= 0) {
            const uint64_t blocks = uint64_t(maxAudioBytes) / uint64_t(m_blockAlign);
            m_tableCapacity = std::max<uint64_t>(1, (blocks + uint64_t(m_blocksPerFrame) - 1) /
                                                        uint64_t(m_blocksPerFrame));
        }
        m_storeHeader = headerData && headerBytes >= 0;
        m_headerData.assign(static_cast<const uint8_t*>(headerData),
                            static_cast<const uint8_t*>(headerData) +
                                (m_storeHeader ? headerBytes : 0));
        m_path = path;
        m_buffer.assign(m_frameBytes, 0);
        m_held = 0;
        m_encoder.reset();
        m_framesSubmitted = 0;
        m_lastFrameBlocks = 0;
        m_frameOffsets.clear();
        m_logicalBytes = 0;
        m_carryBytes = 0;
        m_scratchBuffer.clear();
        m_scratchBuffer.reserve(kScratchFlushBytes + 65536);
        m_storedBytes = 0;
        m_error = ERROR_SUCCESS;
        m_md5.reset();
        hash(m_headerData.data(), m_headerData.size());
    } catch (const std::bad_alloc&) {
        return ERROR_INSUFFICIENT_MEMORY;
    }

    m_tempFd = createBeside(m_path, m_tempPath);
    if (m_tempFd < 0)
        return systemFailure(ERROR_INVALID_OUTPUT_FILE);
    std::string scratchPath;
    m_scratchFd = createBeside(m_path, scratchPath);
    if (m_scratchFd < 0) {
        const int e = systemFailure(ERROR_INVALID_OUTPUT_FILE);
        abandon();
        return e;
    }
    ::unlink(scratchPath.c_str());
    m_started = true;
    return ERROR_SUCCESS;
}

int64_t TApeCompressor::bufferBytesAvailable() const {
    return m_started ? int64_t(m_frameBytes - m_held) : 0;
}

uint8_t* TApeCompressor::lockBuffer(int64_t* available) {
    if (!m_started || m_locked || !available)
        return nullptr;
    m_locked = true;
    *available = int64_t(m_frameBytes - m_held);
    return m_buffer.data() + m_held;
}

int TApeCompressor::unlockBuffer(int64_t added, bool process) {
    if (!m_started || !m_locked)
        return ERROR_UNDEFINED;
    m_locked = false;
    if (added < 0 || uint64_t(added) > m_frameBytes - m_held)
        return ERROR_BAD_PARAMETER;
    m_held += size_t(added);
    if (m_error != ERROR_SUCCESS)
        return m_error;
    return process ? compressFullFrames() : ERROR_SUCCESS;
}

int TApeCompressor::addData(const uint8_t* data, int64_t bytes) {
    if (!data && bytes > 0)
        return ERROR_BAD_PARAMETER;
    while (bytes > 0) {
        int64_t available = 0;
        uint8_t* p = lockBuffer(&available);
        if (!p)
            return ERROR_UNDEFINED;
        const int64_t n = std::min(available, bytes);
        std::memcpy(p, data, size_t(n));
        const int e = unlockBuffer(n, true);
        if (e != ERROR_SUCCESS)
            return e;
        if (n == 0)
            return ERROR_APE_COMPRESS_TOO_MUCH_DATA;
        data += n;
        bytes -= n;
    }
    return ERROR_SUCCESS;
}

int TApeCompressor::compressFullFrames() {
    if (m_held < m_frameBytes)
        return ERROR_SUCCESS;
    try {
        std::vector<uint8_t> full(m_frameBytes);
        full.swap(m_buffer);
        const int e = submitFrame(std::move(full), m_blocksPerFrame);
        if (e != ERROR_SUCCESS) {
            return e;
        }
        m_held = 0;
    } catch (const std::bad_alloc&) {
        return m_error = ERROR_INSUFFICIENT_MEMORY;
    }
    return ERROR_SUCCESS;
}

int TApeCompressor::submitFrame(std::vector<uint8_t> pcm, int blocks) {
    if (m_tableCapacity != 0 && m_framesSubmitted >= m_tableCapacity) {
        // The seek table is full: keep the data where it was so nothing is lost silently.
        if (pcm.size() == m_buffer.size())
            m_buffer.swap(pcm);
        return ERROR_APE_COMPRESS_TOO_MUCH_DATA;
    }
    ++m_framesSubmitted;
    m_lastFrameBlocks = blocks;

    unsigned threads = unsigned(m_threads);
    if (threads == 0)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    if (threads > 1) {
        auto data = std::make_shared<std::vector<uint8_t>>(std::move(pcm));
        try {
            m_inFlight.push_back(std::async(std::launch::async,
                                            [level = m_level, channels = m_channels, data, blocks] {
                                                return encodeFrame(level, channels, *data, blocks);
                                            }));
            return drain(threads);
        } catch (const std::system_error&) {
            // No thread to be had: the frame is compressed on the calling thread.
            pcm = std::move(*data);
        }
    }
    const int e = drain(0);
    if (e != ERROR_SUCCESS)
        return e;
    if (!m_encoder)
        m_encoder = std::make_unique<TApeFrameEncoder>(m_level, m_channels);
    std::vector<uint8_t> out;
    m_encoder->encode(pcm.data(), blocks, out);
    return appendFrame(out);
}

int TApeCompressor::drain(size_t keep) {
    while (m_inFlight.size() > keep) {
        std::vector<uint8_t> bytes = m_inFlight.front().get();
        m_inFlight.pop_front();
        const int e = appendFrame(bytes);
        if (e != ERROR_SUCCESS)
            return e;
    }
    return m_error;
}

int TApeCompressor::appendFrame(const std::vector<uint8_t>& logical) {
    m_frameOffsets.push_back(m_logicalBytes);
    m_logicalBytes += logical.size();
    // The logical stream is stored as 32-bit words with their bytes reversed, on a grid that
    // starts at the first byte of the first frame.
    size_t i = 0;
    uint8_t word[4];
    while (i < logical.size()) {
        while (m_carryBytes < 4 && i < logical.size())
            m_carry[m_carryBytes++] = logical[i++];
        if (m_carryBytes < 4)
            break;
        word[0] = m_carry[3];
        word[1] = m_carry[2];
        word[2] = m_carry[1];
        word[3] = m_carry[0];
        m_carryBytes = 0;
        if (const int e = appendStored(word, 4); e != ERROR_SUCCESS)
            return e;
        // Whole words straight from the frame.
        const size_t words = (logical.size() - i) / 4;
        const size_t at = m_scratchBuffer.size();
        m_scratchBuffer.resize(at + words * 4);
        uint8_t* dst = m_scratchBuffer.data() + at;
        const uint8_t* src = logical.data() + i;
        for (size_t w = 0; w < words; ++w, dst += 4, src += 4) {
            dst[0] = src[3];
            dst[1] = src[2];
            dst[2] = src[1];
            dst[3] = src[0];
        }
        i += words * 4;
        if (m_scratchBuffer.size() >= kScratchFlushBytes)
            if (const int e = flushScratch(); e != ERROR_SUCCESS)
                return e;
    }
    return m_error;
}

int TApeCompressor::appendStored(const uint8_t* bytes, size_t n) {
    m_scratchBuffer.insert(m_scratchBuffer.end(), bytes, bytes + n);
    if (m_scratchBuffer.size() >= kScratchFlushBytes)
        return flushScratch();
    return m_error;
}

void TApeCompressor::hash(const void* data, size_t bytes) {
    // An empty piece may come with a null pointer; it adds nothing.
    if (bytes > 0)
        m_md5.addData(QByteArrayView(static_cast<const char*>(data), qsizetype(bytes)));
}

int TApeCompressor::flushScratch() {
    if (m_error != ERROR_SUCCESS)
        return m_error;
    hash(m_scratchBuffer.data(), m_scratchBuffer.size());
    if (!WriteAll(m_scratchFd, m_scratchBuffer.data(), m_scratchBuffer.size()))
        return m_error = systemFailure(ERROR_IO_WRITE);
    m_storedBytes += m_scratchBuffer.size();
    m_scratchBuffer.clear();
    return ERROR_SUCCESS;
}

int TApeCompressor::finish(const uint8_t* terminatingData, int64_t terminatingBytes,
                           int64_t wavTerminatingBytes) {
    if (!m_started)
        return ERROR_UNDEFINED;
    if (m_locked)
        m_locked = false;
    if (terminatingBytes < 0 || (terminatingBytes > 0 && !terminatingData) ||
        wavTerminatingBytes < 0 || wavTerminatingBytes > terminatingBytes) {
        abandon();
        return ERROR_BAD_PARAMETER;
    }

    int e = ERROR_SUCCESS;
    try {
        e = compressFullFrames();
        // The rest is the last, shorter frame; a trailing part of a block is dropped.
        const int blocks = int(m_held / size_t(m_blockAlign));
        if (e == ERROR_SUCCESS && blocks > 0) {
            std::vector<uint8_t> pcm(m_buffer.begin(), m_buffer.begin() + blocks * m_blockAlign);
            e = submitFrame(std::move(pcm), blocks);
        }
        if (e == ERROR_SUCCESS)
            e = drain(0);
    } catch (const std::bad_alloc&) {
        e = ERROR_INSUFFICIENT_MEMORY;
    }
    if (e != ERROR_SUCCESS) {
        abandon();
        return e;
    }

    // The last word is padded with zeros; a stream that ends on a word boundary still gets one
    // whole zero word, as the reference encoder writes it.
    uint8_t last[4] = {};
    for (size_t i = 0; i < m_carryBytes; ++i)
        last[3 - i] = m_carry[i];
    m_carryBytes = 0;
    if ((e = appendStored(last, 4)) != ERROR_SUCCESS || (e = flushScratch()) != ERROR_SUCCESS) {
        abandon();
        return e;
    }

    const uint64_t frames = m_frameOffsets.size();
    const uint64_t entries = std::max<uint64_t>({m_tableCapacity, frames, 1});
    const uint64_t firstFrame = kDescriptorBytes + kHeaderBytes + 4 * entries + m_headerData.size();

    std::vector<uint8_t> header;
    put16(header, uint32_t(m_level));
    put16(header, m_storeHeader ? 0 : kFlagCreateWavHeader);
    put32(header, uint32_t(m_blocksPerFrame));
    put32(header, uint32_t(frames ? m_lastFrameBlocks : 0));
    put32(header, uint32_t(frames));
    put16(header, uint32_t(m_bits));
    put16(header, uint32_t(m_channels));
    put32(header, m_sampleRate);

    std::vector<uint8_t> table;
    table.reserve(size_t(entries) * 4);
    for (uint64_t i = 0; i < entries; ++i)
        put32(table, i < frames ? uint32_t(firstFrame + m_frameOffsets[i]) : 0);

    hash(terminatingData, size_t(wavTerminatingBytes));
    hash(header.data(), header.size());
    hash(table.data(), table.size());
    const QByteArray digest = m_md5.result();

    std::vector<uint8_t> head{'M', 'A', 'C', ' '};
    head.reserve(size_t(firstFrame));
    put16(head, kFileVersion);
    put16(head, 0);
    put32(head, kDescriptorBytes);
    put32(head, kHeaderBytes);
    put32(head, uint32_t(table.size()));
    put32(head, uint32_t(m_headerData.size()));
    put32(head, uint32_t(m_storedBytes));
    put32(head, uint32_t(m_storedBytes >> 32));
    put32(head, uint32_t(wavTerminatingBytes));
    head.insert(head.end(), digest.begin(), digest.end());
    head.insert(head.end(), header.begin(), header.end());
    head.insert(head.end(), table.begin(), table.end());
    head.insert(head.end(), m_headerData.begin(), m_headerData.end());

    e = writeFile(head, terminatingData, size_t(terminatingBytes));
    if (e != ERROR_SUCCESS) {
        abandon();
        return e;
    }
    ::close(m_scratchFd);
    m_scratchFd = -1;
    m_started = false;
    return ERROR_SUCCESS;
}

int TApeCompressor::writeFile(const std::vector<uint8_t>& head, const uint8_t* tail,
                              size_t tailBytes) {
    if (!WriteAll(m_tempFd, head.data(), head.size()))
        return systemFailure(ERROR_IO_WRITE);
    if (::lseek(m_scratchFd, 0, SEEK_SET) != 0)
        return systemFailure(ERROR_IO_READ);
    std::vector<uint8_t> chunk(1 << 20);
    uint64_t left = m_storedBytes;
    while (left > 0) {
        const ssize_t r =
            ::read(m_scratchFd, chunk.data(), size_t(std::min<uint64_t>(left, chunk.size())));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return systemFailure(ERROR_IO_READ);
        if (!WriteAll(m_tempFd, chunk.data(), size_t(r)))
            return systemFailure(ERROR_IO_WRITE);
        left -= uint64_t(r);
    }
    if (tailBytes > 0 && !WriteAll(m_tempFd, tail, tailBytes))
        return systemFailure(ERROR_IO_WRITE);
    if (::fsync(m_tempFd) != 0)
        return systemFailure(ERROR_IO_WRITE);
    const int fd = m_tempFd;
    m_tempFd = -1;
    if (::close(fd) != 0 || ::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int e = systemFailure(ERROR_IO_WRITE);
        ::unlink(m_tempPath.c_str());
        return e;
    }
    return ERROR_SUCCESS;
}
