// WAV input and output components: TWaveIn reads RIFF/WAVE files (PCM, DVI/IMA ADPCM,
// Microsoft ADPCM, MPEG Layer-3 data) and delivers PCM; TWaveOut writes PCM WAV files.
#pragma once

#include "audio/ACS_Classes.h"
#include "audio/ACS_Types.h"
#include "audio/Mp3DataDecoder.h"
#include "audio/WaveHeaderReader.h"

#include <atomic>
#include <memory>
#include <vector>

// The user-facing name of a WAV encoding ("PCM", "DVI/IMA ADPCM", ...).
QString WavTypeName(TWavType type);

// Reads a WAV file and delivers 16-bit interleaved PCM (plain PCM files in their own sample
// width). ADPCM is decoded block by block; MPEG Layer-3 data frame by frame as it is read (its
// frames are counted once when the file is opened, without decoding). Thread use as for every file
// input: format queries and IsValid on the GUI thread, reading on the worker of the output that
// pulls from it; both go through the open lock and the data lock.
class TWaveIn : public TAuFileIn {
public:
    // Bytes of PCM one refill of the block buffer holds (a decoded ADPCM block or a single frame
    // wider than this may need more).
    static constexpr int BufferSize = 16384;

    explicit TWaveIn(QObject* owner = nullptr);
    ~TWaveIn() override;

    // Opens the file and returns its encoding.
    TWavType WavType();

    void OpenFile() override;
    void CloseFile() override;
    void ReadBlock(char*& buffer, int& bytes) override;
    bool SeekSample(int64_t& sample) override;

private:
    // Reads the next ADPCM block into m_block; false when no byte of it is left.
    bool ReadCompressedBlock();
    // Validates the header's ADPCM parameters; false for anything the decoders cannot use.
    bool AdpcmUsable() const;
    // Samples per channel the data chunk can hold at most (ADPCM).
    int64_t AdpcmSamplesInData(int64_t dataBytes) const;

    std::vector<char> m_buffer; // decoded PCM, indexed 1-based by BufferNext/BufferLast
    std::vector<uint8_t> m_block;
    TWavType FWavType = wtUnsupported;
    TWaveHeader FHeader;
    int64_t m_streamStart = 0; // stream position the header reader started from
    int64_t m_dataStart = 0;   // stream position of the first data byte
    int64_t m_dataEnd = -1;    // stream position after the data; -1 when not known
    int m_samplesPerBlock = 0; // ADPCM, per channel
    // MPEG Layer-3 data: its decoder while the file is open, and the format the scan found.
    std::unique_ptr<TMp3DataDecoder> m_mp3;
    TMp3DataDecoder::TScan m_mp3Format;
};

// Writes the PCM of its input as a RIFF/WAVE file (44-byte header). Sizes are corrected from
// the file when the run was stopped or the input's size was unknown; a short input is padded
// with silence up to the size it announced. A format the header cannot hold (more than 65535
// channels or bytes per frame, more than 2^32-1 bytes per second) fails the run.
class TWaveOut : public TAuFileOut {
public:
    // Bytes asked of the input per block (one frame when a frame is wider).
    static constexpr int BlockBytes = 16384;

    explicit TWaveOut(QObject* owner = nullptr);
    ~TWaveOut() override;

    // Only wtPCM can be written.
    TWavType WavType() const { return FWavType; }
    void SetWavType(TWavType type) { FWavType = type; }
    uint16_t BlockSize() const { return FBlockSize; }
    void SetBlockSize(uint16_t size) { FBlockSize = size; }
    // Stores the mode unchanged; only foRewrite is written (foAppend fails the run).
    void SetFileMode(TFileOutputMode mode) override { FFileMode = mode; }

    // The largest RIFF size (bytes after the first 8) a 32-bit header is given; beyond it the
    // file becomes RF64. 0 restores 2^32 - 1. Tests set a small one to pass it cheaply; not
    // to be changed while an output runs.
    static void SetRiffLimitForTests(uint64_t bytes);

protected:
    void PrepareOutput() override;
    bool WriteBlock(bool abort) override;
    void FinishOutput() override;

private:
    void WriteAll(const char* data, qint64 size);
    void WriteAt(qint64 position, const char* data, qint64 size);
    // Writes the sizes of a file of `length` bytes into its header (RF64 where they need it).
    void WriteSizes(qint64 length);

    static std::atomic<uint64_t> RiffLimit;
    int m_headerBytes = 44; // 44, or 80 with room for a ds64 chunk
    int m_frameBytes = 0;

    TWavType FWavType = wtPCM;
    uint16_t FBlockSize = 512;
};
