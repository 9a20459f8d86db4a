#include "codecs/FfmpegReader.h"
#include "codecs/FfmpegLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kIoBufferSize = 32768;
constexpr int kMaxDamagedInARow = 100;

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    auto* source = static_cast<TFfmpegReader::TSource*>(opaque);
    const int n = source->Read(buffer, size);
    if (n == 0)
        return AVERROR_EOF;
    return n < 0 ? AVERROR(EIO) : n;
}

int64_t SeekStream(void* opaque, int64_t offset, int whence) {
    auto* source = static_cast<TFfmpegReader::TSource*>(opaque);
    whence &= ~AVSEEK_FORCE;
    const int64_t r =
        source->Seek(offset, whence == AVSEEK_SIZE ? TFfmpegReader::TSource::Size : whence);
    return r < 0 ? AVERROR(EIO) : r;
}

// The keys under which FFmpeg's demuxers report what a Windows Media attribute holds, most
// likely first. ID3v2, Vorbis comments and ASF all come out under these generic keys; the
// attribute's own name is tried last for anything stored literally.
const char* const* KeysFor(const QString& name) {
    static const char* const title[] = {"title", nullptr};
    static const char* const author[] = {"artist", "author", nullptr};
    static const char* const album[] = {"album", "WM/AlbumTitle", nullptr};
    static const char* const year[] = {"date", "year", "WM/Year", nullptr};
    static const char* const genre[] = {"genre", "WM/Genre", nullptr};
    static const char* const track[] = {"track", "WM/TrackNumber", nullptr};
    static const char* const copyright[] = {"copyright", "comment", nullptr};
    if (name == QLatin1String("Title"))
        return title;
    if (name == QLatin1String("Author"))
        return author;
    if (name == QLatin1String("WM/AlbumTitle"))
        return album;
    if (name == QLatin1String("WM/Year"))
        return year;
    if (name == QLatin1String("WM/Genre"))
        return genre;
    if (name == QLatin1String("WM/Track"))
        return track;
    if (name == QLatin1String("Copyright"))
        return copyright;
    return nullptr;
}

} // namespace

TFfmpegReader::~TFfmpegReader() {
    Close();
}

void TFfmpegReader::Close() {
    // Only what was made is freed: a reader that never opened anything calls no FFmpeg
    // function, so FFmpeg's libraries are not loaded for it.
    if (m_codec)
        avcodec_free_context(&m_codec);
    CloseContext();
    if (m_swr)
        swr_free(&m_swr);
    if (m_packet)
        av_packet_free(&m_packet);
    if (m_frame)
        av_frame_free(&m_frame);
    m_source = TSource();
    m_fileName.clear();
    m_audio = -1;
    m_protected = false;
    m_inputEnded = m_decoderEnded = false;
    m_damagedPackets = 0;
    m_channels = m_rate = 0;
    m_duration = m_totalSamples = 0;
    m_swrFormat = -1;
    m_swrRate = 0;
    m_swrChannels = 0;
    m_seekTarget = -1;
    m_buffer.clear();
    m_bufferPos = 0;
}

bool TFfmpegReader::Open(const QString& fileName) {
    Close();
    m_error.clear();
    m_fileName = fileName;
    if (!OpenContext()) {
        m_error =
            QCoreApplication::translate("TFfmpegReader", "FFmpeg cannot open %1").arg(fileName);
        return false;
    }
    return Examine();
}

bool TFfmpegReader::Open(TSource source) {
    Close();
    m_error.clear();
    if (!source.Read || !source.Seek) {
        m_error = QCoreApplication::translate("TFfmpegReader", "No stream to read");
        return false;
    }
    m_source = std::move(source);
    if (!OpenContext()) {
        Close();
        m_error = QCoreApplication::translate("TFfmpegReader", "FFmpeg cannot open the stream");
        return false;
    }
    return Examine();
}

void TFfmpegReader::CloseContext() {
    if (m_fmt)
        avformat_close_input(&m_fmt);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

// Opens the container from the start: by name, or over the caller's source rewound to 0.
// The first time a source that cannot seek is read from where it stands.
bool TFfmpegReader::OpenContext() {
    QuietFfmpegLog();
    CloseContext();
    if (!m_source.Read) {
        const QByteArray path = m_fileName.toUtf8();
        if (avformat_open_input(&m_fmt, path.constData(), nullptr, nullptr) < 0) {
            m_fmt = nullptr;
            return false;
        }
    } else {
        if (m_source.Seek(0, SEEK_SET) < 0 && m_audio >= 0)
            return false;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
        m_io = buffer ? avio_alloc_context(buffer, kIoBufferSize, 0, &m_source, ReadPacket, nullptr,
                                           SeekStream)
                      : nullptr;
        m_fmt = avformat_alloc_context();
        if (!m_io || !m_fmt) {
            if (!m_io)
                av_free(buffer);
            avformat_free_context(m_fmt);
            m_fmt = nullptr;
            CloseContext();
            return false;
        }
        m_fmt->pb = m_io;
        m_fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
        if (avformat_open_input(&m_fmt, nullptr, nullptr, nullptr) < 0) {
            m_fmt = nullptr; // freed by FFmpeg on failure
            CloseContext();
            return false;
        }
    }
    avformat_find_stream_info(m_fmt, nullptr);
    for (int i = 0; i < int(m_fmt->nb_streams); ++i)
        if (m_audio >= 0 && i != m_audio)
            m_fmt->streams[i]->discard = AVDISCARD_ALL;
    return true;
}

// Back to the first sample. Reopening is the one way that makes the demuxer flag the encoder
// delay for dropping again (a seek to the start does not).
bool TFfmpegReader::Rewind() {
    const int audio = m_audio;
    if (!OpenContext() || audio >= int(m_fmt->nb_streams) ||
        m_fmt->streams[audio]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
        m_error = QCoreApplication::translate("TFfmpegReader",
                                              "The file cannot be read again from its start");
        return false;
    }
    avcodec_flush_buffers(m_codec);
    m_buffer.clear();
    m_bufferPos = 0;
    m_inputEnded = m_decoderEnded = false;
    m_damagedPackets = 0;
    m_seekTarget = -1;
    return true;
}

bool TFfmpegReader::Examine() {
    const int index = av_find_best_stream(m_fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        m_error = QCoreApplication::translate("TFfmpegReader", "The file holds no audio");
        return false;
    }
    AVStream* st = m_fmt->streams[index];
    const AVCodec* decoder = avcodec_find_decoder(st->codecpar->codec_id);
    m_codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    if (m_codec)
        m_codec->pkt_timebase = st->time_base;
    if (!m_codec || avcodec_parameters_to_context(m_codec, st->codecpar) < 0 ||
        avcodec_open2(m_codec, decoder, nullptr) < 0 || m_codec->ch_layout.nb_channels <= 0 ||
        m_codec->sample_rate <= 0) {
        m_error =
            QCoreApplication::translate("TFfmpegReader", "No decoder for the audio of this file");
        avcodec_free_context(&m_codec);
        return false;
    }
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_packet || !m_frame) {
        m_error = QCoreApplication::translate("TFfmpegReader", "Out of memory");
        return false;
    }
    m_audio = index;
    m_channels = m_codec->ch_layout.nb_channels;
    m_rate = m_codec->sample_rate;
    for (int i = 0; i < int(m_fmt->nb_streams); ++i)
        if (i != index)
            m_fmt->streams[i]->discard = AVDISCARD_ALL;
    // Encrypted content as FFmpeg's demuxers report it: ASF puts its DRM objects into the
    // metadata, MP4 attaches the encryption's set-up to the stream.
    m_protected = av_dict_get(m_fmt->metadata, "encryption", nullptr, 0) ||
                  av_dict_get(m_fmt->metadata, "ASF_Protection_Type", nullptr, 0) ||
                  av_stream_get_side_data(st, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr);
    if (m_fmt->duration != AV_NOPTS_VALUE && m_fmt->duration > 0)
        m_duration = av_rescale(m_fmt->duration, 10000000, AV_TIME_BASE);
    else if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        m_duration = av_rescale_q(st->duration, st->time_base, AVRational{1, 10000000});
    m_totalSamples = av_rescale(m_duration, m_rate, 10000000);
    return CountSamples();
}

// Where the stream's clock counts whole samples, walking the packets (no decoding) gives the
// exact number the decoder will deliver: packet lengths less the encoder delay and padding the
// demuxer flags for dropping. A coarser clock (ASF's milliseconds) keeps the header's length.
bool TFfmpegReader::CountSamples() {
    AVStream* st = m_fmt->streams[m_audio];
    if (st->time_base.num <= 0 || int64_t(st->time_base.den) % m_rate != 0)
        return true;
    // Walking the file needs a way back to its start.
    if (!(m_fmt->pb && (m_fmt->pb->seekable & AVIO_SEEKABLE_NORMAL)))
        return true;
    if (m_source.Seek && m_source.Seek(0, TSource::Size) < 0)
        return true;
    int64_t total = 0, delay = 0, padding = 0;
    bool exact = true;
    while (av_read_frame(m_fmt, m_packet) >= 0) {
        if (m_packet->stream_index == m_audio) {
            if (m_packet->duration <= 0)
                exact = false;
            total += av_rescale_q(m_packet->duration, st->time_base, AVRational{1, m_rate});
            size_t size = 0;
            const uint8_t* skip =
                av_packet_get_side_data(m_packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
            if (skip && size >= 8) {
                delay += AV_RL32(skip);
                padding += AV_RL32(skip + 4);
            }
        }
        av_packet_unref(m_packet);
    }
    // Rewinding opens the file anew: what is wanted of this context is taken before.
    const int64_t streamDuration = st->duration;
    const AVRational timeBase = st->time_base;
    const bool ogg = std::strcmp(m_fmt->iformat->name, "ogg") == 0;
    if (!Rewind())
        return false; // the error text is set
    if (ogg) {
        // Ogg's demuxer cuts the last packet to the last granule position and flags the cut
        // samples as well (counting both would drop them twice), and for Vorbis it may report
        // that packet's length wrapped around 2^32. The stream's length comes from that granule
        // position and is exact; it still holds Opus's pre-skip.
        exact = streamDuration != AV_NOPTS_VALUE && streamDuration > 0;
        if (exact)
            total = av_rescale_q(streamDuration, timeBase, AVRational{1, m_rate}) - delay;
    } else {
        total -= delay + padding;
    }
    if (exact && total > 0) {
        m_totalSamples = total;
        m_duration = av_rescale(total, 10000000, m_rate);
    }
    return true;
}

QString TFfmpegReader::CodecName() const {
    return m_codec ? QString::fromLatin1(m_codec->codec->name) : QString();
}

QString TFfmpegReader::Tag(const char* key) const {
    const AVDictionaryEntry* e = av_dict_get(m_fmt->metadata, key, nullptr, 0);
    if (!e && m_audio >= 0)
        e = av_dict_get(m_fmt->streams[m_audio]->metadata, key, nullptr, 0);
    return e ? QString::fromUtf8(e->value) : QString();
}

QString TFfmpegReader::Attribute(const QString& name) const {
    if (!m_fmt)
        return QString();
    if (name == QLatin1String("Duration"))
        return m_duration > 0 ? QString::number(m_duration) : QString();
    if (const char* const* keys = KeysFor(name)) {
        for (; *keys; ++keys) {
            const QString value = Tag(*keys);
            if (!value.isEmpty())
                return value;
        }
    }
    const QString value = Tag(name.toUtf8().constData());
    if (name == QLatin1String("WM/Track")) {
        // The attribute itself counts from 0; the track number is one more.
        bool ok = false;
        const int zeroBased = value.trimmed().toInt(&ok);
        return ok && zeroBased >= 0 ? QString::number(zeroBased + 1) : value;
    }
    return value;
}

bool TFfmpegReader::ConvertFrame(AVFrame* frame) {
    int first = 0; // samples of this frame to drop (before a seek target)
    if (m_seekTarget >= 0) {
        const AVStream* st = m_fmt->streams[m_audio];
        if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
            const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
            const int64_t at = av_rescale_q(frame->best_effort_timestamp - start, st->time_base,
                                            AVRational{1, m_rate});
            if (at + frame->nb_samples <= m_seekTarget)
                return true; // wholly before the target
            first = int(std::max<int64_t>(0, m_seekTarget - at));
        }
        m_seekTarget = -1;
    }
    if (!m_swr || frame->format != m_swrFormat || frame->sample_rate != m_swrRate ||
        frame->ch_layout.nb_channels != m_swrChannels) {
        swr_free(&m_swr);
        AVChannelLayout out;
        av_channel_layout_default(&out, m_channels);
        int err =
            swr_alloc_set_opts2(&m_swr, &out, AV_SAMPLE_FMT_S16, m_rate, &frame->ch_layout,
                                AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&out);
        if (err < 0 || swr_init(m_swr) < 0) {
            m_error =
                QCoreApplication::translate("TFfmpegReader", "Cannot convert the decoded audio");
            return false;
        }
        m_swrFormat = frame->format;
        m_swrRate = frame->sample_rate;
        m_swrChannels = frame->ch_layout.nb_channels;
    }
    const int count = frame->nb_samples - first;
    if (count <= 0)
        return true;
    const AVSampleFormat format = AVSampleFormat(frame->format);
    if (m_roundDeep && (format == AV_SAMPLE_FMT_S32 || format == AV_SAMPLE_FMT_S32P)) {
        // The converter keeps the top 16 bits; half a step added first makes that rounding.
        if (av_frame_make_writable(frame) < 0) {
            m_error =
                QCoreApplication::translate("TFfmpegReader", "Cannot convert the decoded audio");
            return false;
        }
        const bool planar = format == AV_SAMPLE_FMT_S32P;
        const int planes = planar ? frame->ch_layout.nb_channels : 1;
        const int perPlane = frame->nb_samples * (planar ? 1 : frame->ch_layout.nb_channels);
        for (int c = 0; c < planes; ++c) {
            auto* samples = reinterpret_cast<int32_t*>(frame->extended_data[c]);
            for (int i = 0; i < perPlane; ++i)
                samples[i] = samples[i] > INT32_MAX - 0x8000 ? INT32_MAX : samples[i] + 0x8000;
        }
    }
    const int frameBytes = 2 * m_channels;
    const int outMax = swr_get_out_samples(m_swr, count);
    const size_t oldSize = m_buffer.size();
    m_buffer.resize(oldSize + size_t(outMax) * frameBytes);
    uint8_t* out = m_buffer.data() + oldSize;
    const int bytesPerSample = av_get_bytes_per_sample(AVSampleFormat(frame->format));
    const uint8_t* in[AV_NUM_DATA_POINTERS] = {};
    const bool planar = av_sample_fmt_is_planar(AVSampleFormat(frame->format));
    for (int c = 0; c < (planar ? frame->ch_layout.nb_channels : 1) && c < AV_NUM_DATA_POINTERS;
         ++c)
        in[c] = frame->extended_data[c] +
                size_t(first) * bytesPerSample * (planar ? 1 : frame->ch_layout.nb_channels);
    const int got = swr_convert(m_swr, &out, outMax, in, count);
    m_buffer.resize(oldSize + size_t(std::max(got, 0)) * frameBytes);
    return got >= 0;
}

// Decodes until some PCM is buffered or the stream has ended. False at the end.
bool TFfmpegReader::DecodeMore() {
    int damaged = 0; // packets in a row the decoder refused
    while (!m_decoderEnded) {
        int err = avcodec_receive_frame(m_codec, m_frame);
        if (err == 0) {
            damaged = 0;
            const bool ok = ConvertFrame(m_frame);
            av_frame_unref(m_frame);
            if (!ok)
                return false;
            if (m_buffer.size() > m_bufferPos)
                return true;
            continue;
        }
        if (err == AVERROR_EOF) {
            m_decoderEnded = true;
            break;
        }
        if (err != AVERROR(EAGAIN)) {
            // A damaged frame costs its own audio, not the rest of the file; only a long run
            // of them (not audio at all) ends the stream.
            ++m_damagedPackets;
            if (++damaged > kMaxDamagedInARow) {
                m_error = QCoreApplication::translate("TFfmpegReader",
                                                      "The audio data is damaged beyond use");
                return false;
            }
            continue;
        }
        if (m_inputEnded) {
            m_decoderEnded = true; // nothing more will come
            break;
        }
        err = av_read_frame(m_fmt, m_packet);
        if (err < 0) {
            m_inputEnded = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (m_packet->stream_index == m_audio) {
            // A damaged packet is dropped rather than ending the stream.
            const int sent = avcodec_send_packet(m_codec, m_packet);
            if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_EOF)
                ++m_damagedPackets;
        }
        av_packet_unref(m_packet);
    }
    return m_buffer.size() > m_bufferPos;
}

int TFfmpegReader::Read(const uint8_t*& data, int maxBytes) {
    data = nullptr;
    if (!m_codec || !m_fmt || maxBytes <= 0)
        return 0;
    if (m_bufferPos >= m_buffer.size()) {
        m_buffer.clear();
        m_bufferPos = 0;
        if (!DecodeMore())
            return 0;
    }
    const int frameBytes = 2 * m_channels;
    size_t n = std::min(size_t(maxBytes), m_buffer.size() - m_bufferPos);
    if (n >= size_t(frameBytes))
        n -= n % frameBytes;
    data = m_buffer.data() + m_bufferPos;
    m_bufferPos += n;
    return int(n);
}

bool TFfmpegReader::SeekSample(int64_t sample) {
    if (!m_codec || !m_fmt || sample < 0)
        return false;
    if (sample == 0)
        return Rewind();
    AVStream* st = m_fmt->streams[m_audio];
    const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    const int64_t ts = start + av_rescale_q(sample, AVRational{1, m_rate}, st->time_base);
    if (av_seek_frame(m_fmt, m_audio, ts, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    m_buffer.clear();
    m_bufferPos = 0;
    m_inputEnded = m_decoderEnded = false;
    m_damagedPackets = 0;
    m_seekTarget = sample;
    return true;
}
