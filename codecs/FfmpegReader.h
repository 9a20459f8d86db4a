// Reads any audio file FFmpeg opens (WMA, MP3, ...) synchronously and delivers its first audio
// stream as interleaved 16-bit PCM at the file's own rate and channel count, gapless where the
// file says how much encoder delay and padding to drop. Stands where the platform's synchronous
// media reader stood for the WMA and MP3 inputs. Not thread-safe: one thread at a time (the
// input's data and open locks serialise the callers).
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVIOContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

class TFfmpegReader {
public:
    // A byte source other than a named file (a stream the caller owns). Read returns the bytes
    // read, 0 at the end, negative on error; Seek takes SEEK_SET/SEEK_CUR/SEEK_END and returns
    // the new position, or the size for whence == Size, negative on error.
    struct TSource {
        static constexpr int Size = 0x10000; // FFmpeg's AVSEEK_SIZE
        std::function<int(uint8_t* buffer, int size)> Read;
        std::function<int64_t(int64_t offset, int whence)> Seek;
    };

    TFfmpegReader() = default;
    ~TFfmpegReader();
    TFfmpegReader(const TFfmpegReader&) = delete;
    TFfmpegReader& operator=(const TFfmpegReader&) = delete;

    // Opens and examines the file. False when FFmpeg cannot open it or it has no audio stream
    // that can be decoded (then AudioFound() is false).
    bool Open(const QString& fileName);
    bool Open(TSource source);
    void Close();
    bool IsOpen() const { return m_fmt != nullptr; }

    bool AudioFound() const { return m_audio >= 0; }
    // The file declares its content encrypted (DRM); decoding it would give noise or nothing.
    bool Protected() const { return m_protected; }
    int Channels() const { return m_channels; }
    int SampleRate() const { return m_rate; }
    int BitsPerSample() const { return 16; }
    // Length in 100-nanosecond units; 0 when unknown.
    int64_t Duration() const { return m_duration; }
    // Number of sample frames the reader will deliver when the file tells it exactly (MP3,
    // Ogg, FLAC: counted from the packets, encoder delay and padding removed); else the
    // duration's estimate; 0 when unknown.
    int64_t TotalSamples() const { return m_totalSamples; }
    // The codec's short name ("mp3", "wmav2"), for messages.
    QString CodecName() const;

    // An attribute under its Windows Media name ("Title", "Author", "WM/AlbumTitle", "WM/Year",
    // "WM/Genre", "WM/Track", "Copyright", "Duration"...): FFmpeg reports most tags under its
    // own generic keys, so these are looked up first. "WM/Track" gives the 1-based track
    // number: the track tag or WM/TrackNumber, else the 0-based WM/Track plus one. Empty when
    // absent.
    QString Attribute(const QString& name) const;

    // Samples of more than 16 bits are rounded to the nearest 16-bit value (clipped at full
    // scale) instead of having their low bits cut off; floating-point samples always are.
    // Off by default. Call before reading.
    void SetRoundDeepSamples(bool on) { m_roundDeep = on; }

    // Next decoded PCM: `data` points into the reader's buffer, valid until the next call;
    // returns the byte count (at most `maxBytes`, whole frames), 0 at the end of the stream.
    int Read(const uint8_t*& data, int maxBytes);
    // Positions the stream so that the next Read starts at `sample` (sample frames from the
    // start). False when the file cannot seek there.
    bool SeekSample(int64_t sample);

    const QString& ErrorText() const { return m_error; }
    // Packets of audio the decoder refused since the stream was last opened, rewound or
    // positioned: each costs its own audio.
    int DamagedPackets() const { return m_damagedPackets; }

private:
    bool OpenContext();
    void CloseContext();
    bool Rewind();
    bool Examine();
    bool CountSamples();
    bool DecodeMore();
    bool ConvertFrame(AVFrame* frame);
    QString Tag(const char* key) const;

    TSource m_source;
    QString m_fileName; // when reading a named file
    AVFormatContext* m_fmt = nullptr;
    AVIOContext* m_io = nullptr;
    AVCodecContext* m_codec = nullptr;
    SwrContext* m_swr = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    int m_audio = -1;
    bool m_protected = false;
    bool m_roundDeep = false;
    bool m_inputEnded = false;
    bool m_decoderEnded = false;
    int m_damagedPackets = 0;
    int m_channels = 0;
    int m_rate = 0;
    int64_t m_duration = 0;
    int64_t m_totalSamples = 0;
    int64_t m_seekTarget = -1; // sample frames before it are dropped after a seek
    // What the converter was set up for: the decoded sample format, rate and channel count (a
    // file may change them midway, e.g. joined MP3s).
    int m_swrFormat = -1;
    int m_swrRate = 0;
    int m_swrChannels = 0;
    std::vector<uint8_t> m_buffer; // decoded PCM not yet handed out, from m_bufferPos
    size_t m_bufferPos = 0;
    QString m_error;
};
