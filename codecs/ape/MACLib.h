// The Monkey's Audio (APE) compressor's C-style interface: create a compressor, start it on a
// file name with a wave format, hand it PCM through its input buffer, finish and destroy it.
// The calls, their arguments and the error codes are those of the classic Monkey's Audio
// library, so callers written for it work unchanged. Files are written as version 3990.
// One handle is used by one thread at a time; the handle may encode frames on worker threads
// of its own, which never call back.
#pragma once

#include <cstdint>

extern "C" {

// Error codes returned by the calls.
enum : int {
    ERROR_SUCCESS = 0,
    ERROR_IO_READ = 1000,
    ERROR_IO_WRITE = 1001,
    ERROR_INVALID_INPUT_FILE = 1002,
    ERROR_INVALID_OUTPUT_FILE = 1003,
    ERROR_INPUT_FILE_TOO_LARGE = 1004,
    ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH = 1005,
    ERROR_INPUT_FILE_UNSUPPORTED_SAMPLE_RATE = 1006,
    ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT = 1007,
    ERROR_INPUT_FILE_TOO_SMALL = 1008,
    ERROR_INVALID_CHECKSUM = 1009,
    ERROR_DECOMPRESSING_FRAME = 1010,
    ERROR_INITIALIZING_UNMAC = 1011,
    ERROR_INVALID_FUNCTION_PARAMETER = 1012,
    ERROR_UNSUPPORTED_FILE_TYPE = 1013,
    ERROR_UNSUPPORTED_FILE_VERSION = 1014,
    ERROR_OPENING_FILE_IN_USE = 1015,
    ERROR_INSUFFICIENT_MEMORY = 2000,
    ERROR_LOADING_APE_DLL = 3000,
    ERROR_LOADING_APE_INFO_DLL = 3001,
    ERROR_LOADING_UNMAC_DLL = 3002,
    ERROR_USER_STOPPED_PROCESSING = 4000,
    ERROR_SKIPPED = 4001,
    ERROR_BAD_PARAMETER = 5000,
    ERROR_APE_COMPRESS_TOO_MUCH_DATA = 6000,
    ERROR_UNDEFINED = -1,
};

// Compression levels.
enum : int {
    COMPRESSION_LEVEL_FAST = 1000,
    COMPRESSION_LEVEL_NORMAL = 2000,
    COMPRESSION_LEVEL_HIGH = 3000,
    COMPRESSION_LEVEL_EXTRA_HIGH = 4000,
    COMPRESSION_LEVEL_INSANE = 5000,
};

// The wave format record (the layout of the Windows WAVEFORMATEX, packed the same way).
#pragma pack(push, 1)
struct WAVEFORMATEX {
    uint16_t wFormatTag;      // 1 = integer PCM
    uint16_t nChannels;       // samples per block
    uint32_t nSamplesPerSec;  // Hz
    uint32_t nAvgBytesPerSec; // nSamplesPerSec * nBlockAlign
    uint16_t nBlockAlign;     // bytes per block (one sample of every channel)
    uint16_t wBitsPerSample;  // 8, 16, 24 or 32
    uint16_t cbSize;          // extra bytes after the record, always 0 here
};
#pragma pack(pop)

typedef void* APE_COMPRESS_HANDLE;

// Fills `format` for integer PCM. Returns ERROR_SUCCESS, or ERROR_BAD_PARAMETER for a null
// record.
int FillWaveFormatEx(WAVEFORMATEX* format, int sampleRate, int bitsPerSample, int channels);

// Creates a compressor; *errorCode (may be null) gets ERROR_SUCCESS or the reason for null.
APE_COMPRESS_HANDLE c_APECompress_Create(int* errorCode);

// Frees the compressor. A run that was started and not finished leaves no file behind.
void c_APECompress_Destroy(APE_COMPRESS_HANDLE handle);

// Starts a run writing `outputFileName` (UTF-8). `maxAudioBytes` is an upper bound of the PCM
// bytes that will follow, or -1 when unknown. `level` is 1000..5000 in steps of 1000.
// `headerData`/`headerBytes`: the source WAV header to keep in the file, or null/-1 to let the
// decoder create one. 16-bit mono and stereo PCM are accepted; other bit depths give
// ERROR_INPUT_FILE_UNSUPPORTED_BIT_DEPTH, other channel counts
// ERROR_INPUT_FILE_UNSUPPORTED_CHANNEL_COUNT. The file appears under its name only when the
// run finishes.
int c_APECompress_Start(APE_COMPRESS_HANDLE handle, const char* outputFileName,
                        const WAVEFORMATEX* format, int64_t maxAudioBytes, int level,
                        const void* headerData, int64_t headerBytes);

// Bytes that can be added to the input buffer right now (0 when not started).
int64_t c_APECompress_GetBufferBytesAvailable(APE_COMPRESS_HANDLE handle);

// Returns the free part of the input buffer and its size in *bytesAvailable, or null when the
// buffer is already locked or the run is not started.
unsigned char* c_APECompress_LockBuffer(APE_COMPRESS_HANDLE handle, int64_t* bytesAvailable);

// Commits `bytesAdded` bytes written through the locked buffer. With `process` set, every full
// frame in the buffer is compressed. Returns ERROR_SUCCESS, ERROR_UNDEFINED when the buffer was
// not locked, or the compression error (ERROR_APE_COMPRESS_TOO_MUCH_DATA, ERROR_IO_WRITE...).
int c_APECompress_UnlockBuffer(APE_COMPRESS_HANDLE handle, int64_t bytesAdded, int process);

// Copies `bytes` bytes of PCM in, locking and unlocking as often as needed.
int c_APECompress_AddData(APE_COMPRESS_HANDLE handle, const unsigned char* data, int64_t bytes);

// Compresses what is left, appends `terminatingBytes` bytes of `terminatingData` (of which the
// first `wavTerminatingBytes` are WAV data that followed the audio, the rest e.g. a tag),
// completes the file and gives it its name. Returns ERROR_SUCCESS or the error.
int c_APECompress_Finish(APE_COMPRESS_HANDLE handle, const unsigned char* terminatingData,
                         int64_t terminatingBytes, int64_t wavTerminatingBytes);

// Kept for callers of the classic interface; does nothing and returns ERROR_SUCCESS.
int c_APECompress_Kill(APE_COMPRESS_HANDLE handle);

// Our addition: how many threads may compress frames of this handle at once (1 = all work on
// the calling thread; 0 = one per processor, the default). Call before Start.
int c_APECompress_SetThreadCount(APE_COMPRESS_HANDLE handle, int threads);

// Our addition: the system's error number (errno) behind the last ERROR_IO_READ, ERROR_IO_WRITE
// or ERROR_INVALID_OUTPUT_FILE of this handle's run, so a caller can say why; 0 when none.
int c_APECompress_GetSystemError(APE_COMPRESS_HANDLE handle);

} // extern "C"
