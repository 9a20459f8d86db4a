#include "codecs/ape/MACLib.h"

#include "codecs/ape/ApeCompressor.h"

#include <new>

namespace {

TApeCompressor* compressor(APE_COMPRESS_HANDLE handle) {
    return static_cast<TApeCompressor*>(handle);
}

} // namespace

extern "C" {

int FillWaveFormatEx(WAVEFORMATEX* format, int sampleRate, int bitsPerSample, int channels) {
    if (!format)
        return ERROR_BAD_PARAMETER;
    format->wFormatTag = 1;
    format->nChannels = uint16_t(channels);
    format->nSamplesPerSec = uint32_t(sampleRate);
    format->wBitsPerSample = uint16_t(bitsPerSample);
    format->nBlockAlign = uint16_t((bitsPerSample / 8) * channels);
    format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
    format->cbSize = 0;
    return ERROR_SUCCESS;
}

APE_COMPRESS_HANDLE c_APECompress_Create(int* errorCode) {
    auto* c = new (std::nothrow) TApeCompressor;
    if (errorCode)
        *errorCode = c ? ERROR_SUCCESS : ERROR_INSUFFICIENT_MEMORY;
    return c;
}

void c_APECompress_Destroy(APE_COMPRESS_HANDLE handle) {
    delete compressor(handle);
}

int c_APECompress_Start(APE_COMPRESS_HANDLE handle, const char* outputFileName,
                        const WAVEFORMATEX* format, int64_t maxAudioBytes, int level,
                        const void* headerData, int64_t headerBytes) {
    if (!handle)
        return ERROR_BAD_PARAMETER;
    return compressor(handle)->start(outputFileName, format, maxAudioBytes, level, headerData,
                                     headerBytes);
}

int64_t c_APECompress_GetBufferBytesAvailable(APE_COMPRESS_HANDLE handle) {
    return handle ? compressor(handle)->bufferBytesAvailable() : 0;
}

unsigned char* c_APECompress_LockBuffer(APE_COMPRESS_HANDLE handle, int64_t* bytesAvailable) {
    return handle ? compressor(handle)->lockBuffer(bytesAvailable) : nullptr;
}

int c_APECompress_UnlockBuffer(APE_COMPRESS_HANDLE handle, int64_t bytesAdded, int process) {
    return handle ? compressor(handle)->unlockBuffer(bytesAdded, process != 0) : ERROR_UNDEFINED;
}

int c_APECompress_AddData(APE_COMPRESS_HANDLE handle, const unsigned char* data, int64_t bytes) {
    return handle ? compressor(handle)->addData(data, bytes) : ERROR_BAD_PARAMETER;
}

int c_APECompress_Finish(APE_COMPRESS_HANDLE handle, const unsigned char* terminatingData,
                         int64_t terminatingBytes, int64_t wavTerminatingBytes) {
    return handle
               ? compressor(handle)->finish(terminatingData, terminatingBytes, wavTerminatingBytes)
               : ERROR_BAD_PARAMETER;
}

int c_APECompress_Kill(APE_COMPRESS_HANDLE) {
    return ERROR_SUCCESS;
}

int c_APECompress_SetThreadCount(APE_COMPRESS_HANDLE handle, int threads) {
    return handle ? compressor(handle)->setThreadCount(threads) : ERROR_BAD_PARAMETER;
}

int c_APECompress_GetSystemError(APE_COMPRESS_HANDLE handle) {
    return handle ? compressor(handle)->systemError() : 0;
}

} // extern "C"
