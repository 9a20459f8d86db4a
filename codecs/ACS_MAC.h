// The APE output: compresses PCM from its input into a Monkey's Audio file with our own
// compressor library (codecs/ape), which creates and writes the file from its name. Also the
// small wrapper owning one compressor handle, and the exception that carries the library's
// error codes.
#pragma once

#include "audio/ACS_Classes.h"
#include "codecs/ape/MACLib.h"

#include <QString>

#include <exception>
#include <memory>
#include <string>

// Text of a compressor library error code, e.g. "invalid output file"; "undefined (n)" for a
// code the table does not know.
QString MacErrorText(int code);

// A failure of the compressor library: "MACDll error: " followed by the code's text. Not an
// EAuException; the output's worker reports it like any other failure.
class EAPEException : public std::exception {
public:
    explicit EAPEException(int code);
    int Code() const { return m_code; }
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    int m_code;
    QString m_message;
    std::string m_utf8;
};

// Owns one compressor handle of the library and forwards to it. Used by one thread at a time
// (the output's worker).
class TAPECompress {
public:
    // Creates the handle; raises EAPEException with the library's code when that fails.
    TAPECompress();
    ~TAPECompress();
    TAPECompress(const TAPECompress&) = delete;
    TAPECompress& operator=(const TAPECompress&) = delete;

    int Start(const char* fileName, const WAVEFORMATEX* format, int64_t maxAudioBytes, int level,
              const void* headerData = nullptr, int64_t headerBytes = -1);
    unsigned char* LockBuffer(int64_t* bytesAvailable);
    int UnlockBuffer(int64_t bytesAdded, bool process = true);
    int Finish(const unsigned char* terminatingData = nullptr, int64_t terminatingBytes = 0,
               int64_t wavTerminatingBytes = 0);

    // The system's error number behind the last I/O failure of the run; 0 when none.
    int SystemError() const { return c_APECompress_GetSystemError(FHandle); }

    APE_COMPRESS_HANDLE Handle() const { return FHandle; }
    int CreationError() const { return FError; }

private:
    APE_COMPRESS_HANDLE FHandle = nullptr;
    int FError = 0;
};

// The APE output component. Properties are set on the GUI thread while the output is idle;
// PrepareOutput, WriteBlock and FinishOutput run on the output's worker thread, which alone
// touches the run state below.
class TMACOut : public TAuTaggedFileOut {
public:
    // PCM bytes gathered from the input per block (cut to whole frames of the input).
    static constexpr int BufferBytes = 65536;

    explicit TMACOut(QObject* owner = nullptr);
    ~TMACOut() override;

    // 1000, 2000, 3000, 4000 or 5000 (fast, normal, high, extra high, insane); any other
    // value stores 2000.
    int CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(int level);
    // Whether `level` is one of the five levels above.
    static bool IsCompressionLevel(int level);
    // Upper bound of the PCM bytes the run will pass (sizes the file's seek table); -1 when
    // unknown.
    int MaxAudioBytes() const { return FMaxAudioBytes; }
    void SetMaxAudioBytes(int bytes) { FMaxAudioBytes = bytes; }

protected:
    void PrepareOutput() override;
    bool WriteBlock(bool abort) override;
    void FinishOutput() override;
    // Destroys the run's compressor (an unfinished file is removed), then resets the input.
    void ReleaseAfterFailure() override;

private:
    // `text` (the library's own words) followed, after a line break, by the file and the
    // system's reason when a file operation of the run failed.
    QString WithSystemReason(const QString& text) const;

    int FCompressionLevel = 2000;
    int FMaxAudioBytes = -1;

    // Run state (worker thread).
    std::unique_ptr<char[]> FBuffer;
    std::unique_ptr<TAPECompress> FAPECompress;
    WAVEFORMATEX FWaveFormat{};
    bool FEndOfInput = false;
};
