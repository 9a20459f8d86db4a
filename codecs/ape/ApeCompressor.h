// The object behind a compressor handle: buffers PCM a frame at a time, has full frames
// compressed (on worker threads when more than one processor may be used), and writes the
// APE file (descriptor, header, seek table, frames, MD5). The frames go to an unnamed scratch
// file first, so that the seek table can be sized to the frames actually written; the file
// gets its name only when the run finishes, so an abandoned run leaves nothing behind.
// Every call comes from the one thread that owns the handle; worker threads only compress
// frames handed to them and return the bytes through futures.
#pragma once

#include "codecs/ape/ApeFrameEncoder.h"
#include "codecs/ape/MACLib.h"

#include <QCryptographicHash>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <string>
#include <vector>

class TApeCompressor {
public:
    TApeCompressor() = default;
    ~TApeCompressor();
    TApeCompressor(const TApeCompressor&) = delete;
    TApeCompressor& operator=(const TApeCompressor&) = delete;

    int setThreadCount(int threads);
    int start(const char* path, const WAVEFORMATEX* format, int64_t maxAudioBytes, int level,
              const void* headerData, int64_t headerBytes);
    int64_t bufferBytesAvailable() const;
    uint8_t* lockBuffer(int64_t* available);
    int unlockBuffer(int64_t added, bool process);
    int addData(const uint8_t* data, int64_t bytes);
    int finish(const uint8_t* terminatingData, int64_t terminatingBytes,
               int64_t wavTerminatingBytes);
    // The system's error number (errno) behind the last ERROR_IO_READ, ERROR_IO_WRITE or
    // ERROR_INVALID_OUTPUT_FILE of this run; 0 when there was none.
    int systemError() const { return m_systemError; }

private:
    int compressFullFrames();
    int submitFrame(std::vector<uint8_t> pcm, int blocks);
    int drain(size_t keep);
    int appendFrame(const std::vector<uint8_t>& logical);
    int appendStored(const uint8_t* bytes, size_t n);
    int flushScratch();
    int writeFile(const std::vector<uint8_t>& head, const uint8_t* tail, size_t tailBytes);
    void abandon();
    void hash(const void* data, size_t bytes); // adds to m_md5
    // Keeps errno as the run's system error and returns `code`.
    int systemFailure(int code);

    // Run settings.
    bool m_started = false;
    bool m_locked = false;
    int m_threads = 0; // 0 = one per processor
    int m_level = 0;
    int m_channels = 0;
    int m_bits = 0;
    uint32_t m_sampleRate = 0;
    int m_blockAlign = 0;
    int m_blocksPerFrame = 0;
    size_t m_frameBytes = 0;
    uint64_t m_tableCapacity = 0; // 0 = sized to the frames at the end
    std::vector<uint8_t> m_headerData;
    bool m_storeHeader = false;
    std::string m_path;
    std::string m_tempPath; // the finished file is written here, then renamed to m_path
    int m_tempFd = -1;
    int m_scratchFd = -1;        // frame data (as stored), unlinked
    int m_error = ERROR_SUCCESS; // first write or compression failure; sticky
    int m_systemError = 0;       // errno of the last failed file operation

    // Input.
    std::vector<uint8_t> m_buffer; // one frame of PCM
    size_t m_held = 0;

    // Compression.
    std::unique_ptr<TApeFrameEncoder> m_encoder; // for work on the calling thread
    std::deque<std::future<std::vector<uint8_t>>> m_inFlight;
    uint64_t m_framesSubmitted = 0;
    int m_lastFrameBlocks = 0;

    // Output.
    std::vector<uint64_t> m_frameOffsets; // logical offset of each frame in the frame data
    uint64_t m_logicalBytes = 0;
    uint8_t m_carry[4] = {};
    size_t m_carryBytes = 0;
    std::vector<uint8_t> m_scratchBuffer;
    uint64_t m_storedBytes = 0;
    QCryptographicHash m_md5{QCryptographicHash::Md5}; // of everything after the descriptor
};
