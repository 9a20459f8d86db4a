#include "Mp3DataDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct TCodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct TParserCloser {
    void operator()(AVCodecParserContext* p) const { av_parser_close(p); }
};
struct TFrameCloser {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct TPacketCloser {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using TCodecPtr = std::unique_ptr<AVCodecContext, TCodecCloser>;
using TParserPtr = std::unique_ptr<AVCodecParserContext, TParserCloser>;

const AVCodec* mp3Codec() {
    const AVCodec* codec = avcodec_find_decoder_by_name("mp3"); // the fixed-point decoder
    return codec ? codec : avcodec_find_decoder(AV_CODEC_ID_MP3);
}

// Feeds bytes [begin, end) of a file to an MP3 frame parser in pieces of ChunkBytes and
// hands out the frames it finds, the last one after the parser's flush.
class TFrameSplitter {
public:
    TFrameSplitter(QIODevice* source, qint64 begin, qint64 end, AVCodecContext* ctx)
        : m_source(source), m_pos(begin), m_end(end), m_ctx(ctx),
          m_parser(av_parser_init(AV_CODEC_ID_MP3)),
          // The parser reads up to the padding's length past the data it is given.
          m_chunk(TMp3DataDecoder::ChunkBytes + AV_INPUT_BUFFER_PADDING_SIZE, 0) {}

    bool Usable() const { return m_parser != nullptr; }
    int64_t FrameSamples() const { return m_parser->duration; }
    bool Failed() const { return m_failed; }

    // The next frame in `data`/`size` (valid until the next call); false at the end or on a
    // read failure (Failed()).
    bool Next(uint8_t*& data, int& size) {
        for (;;) {
            if (m_left == 0 && !m_eof && !Refill())
                return false;
            if (m_left == 0 && m_flushed)
                return false;
            const bool flush = m_left == 0; // one call with no data gives the last frame
            if (m_sinceFrame > MaxGap) {
                // The parser keeps every byte after the last frame until it finds the next,
                // so a long run of other bytes (a hole, a damaged region) would be held whole.
                // Such bytes never decode: start a new parser past them.
                m_parser.reset(av_parser_init(AV_CODEC_ID_MP3));
                m_sinceFrame = 0;
                if (!m_parser)
                    return false;
            }
            const int used = av_parser_parse2(m_parser.get(), m_ctx, &data, &size, m_at, m_left,
                                              AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0)
                return false;
            m_at += used;
            m_left -= used;
            m_flushed = flush;
            m_sinceFrame += used;
            if (size > 0) {
                m_sinceFrame = 0;
                return true;
            }
        }
    }

private:
    // Bytes after the last frame that the parser may hold: many times the longest frame.
    static constexpr int64_t MaxGap = 1 << 20;

    bool Refill() {
        const qint64 want = std::min<qint64>(TMp3DataDecoder::ChunkBytes, m_end - m_pos);
        qint64 got = 0;
        if (want > 0) {
            if (m_source->pos() != m_pos && !m_source->seek(m_pos)) {
                m_failed = true;
                return false;
            }
            got = m_source->read(reinterpret_cast<char*>(m_chunk.data()), want);
            if (got < 0) {
                m_failed = true;
                return false;
            }
        }
        m_pos += got;
        m_at = m_chunk.data();
        m_left = int(got);
        m_eof = got == 0;
        return true;
    }

    QIODevice* m_source;
    qint64 m_pos;
    qint64 m_end;
    AVCodecContext* m_ctx;
    TParserPtr m_parser;
    std::vector<uint8_t> m_chunk;
    const uint8_t* m_at = nullptr;
    int m_left = 0;
    bool m_eof = false;
    bool m_flushed = false;
    bool m_failed = false;
    int64_t m_sinceFrame = 0; // bytes given to the parser since it last gave a frame
};

} // namespace

struct TMp3DataDecoder::TState {
    TCodecPtr Ctx;
    std::unique_ptr<TFrameSplitter> Frames;
    std::unique_ptr<AVFrame, TFrameCloser> Frame{av_frame_alloc()};
    std::unique_ptr<AVPacket, TPacketCloser> Packet{av_packet_alloc()};
    TScan Format;
    std::vector<int16_t> Pcm; // decoded, not yet handed out, from PcmAt on
    size_t PcmAt = 0;
    bool Ended = false;

    // Appends what the decoder has ready; the number of samples per channel appended.
    int64_t Drain() {
        int64_t added = 0;
        const int ch = Format.Channels;
        while (avcodec_receive_frame(Ctx.get(), Frame.get()) == 0) {
            const AVFrame* f = Frame.get();
            const int n = f->nb_samples;
            const bool s16 = f->format == AV_SAMPLE_FMT_S16;
            if (n > 0 && f->ch_layout.nb_channels == ch && f->sample_rate == Format.SampleRate &&
                (s16 || f->format == AV_SAMPLE_FMT_S16P)) {
                const size_t at = Pcm.size();
                Pcm.resize(at + size_t(n) * ch);
                int16_t* out = Pcm.data() + at;
                if (s16) {
                    std::memcpy(out, f->data[0], size_t(n) * ch * 2);
                } else {
                    for (int c = 0; c < ch; ++c) {
                        const auto* in = reinterpret_cast<const int16_t*>(f->extended_data[c]);
                        for (int i = 0; i < n; ++i)
                            out[size_t(i) * ch + c] = in[i];
                    }
                }
                added += n;
            }
            av_frame_unref(Frame.get());
        }
        return added;
    }

    // Decodes the next frame into Pcm; false at the end of the data or on a read failure.
    bool DecodeMore() {
        if (Ended)
            return false;
        uint8_t* data = nullptr;
        int size = 0;
        if (!Frames->Next(data, size)) {
            Ended = true;
            avcodec_send_packet(Ctx.get(), nullptr);
            Drain();
            return false;
        }
        Packet->data = data;
        Packet->size = size;
        int64_t added = 0;
        if (avcodec_send_packet(Ctx.get(), Packet.get()) == 0)
            added = Drain();
        // A damaged frame keeps its length as silence, so the data gives what the scan counted.
        if (added == 0)
            Pcm.resize(Pcm.size() + size_t(Frames->FrameSamples()) * Format.Channels, 0);
        return true;
    }

    // Decodes until at least `samples` samples (all channels) wait in Pcm or the data ends;
    // false on a read failure.
    bool Want(size_t samples) {
        Pcm.erase(Pcm.begin(), Pcm.begin() + std::ptrdiff_t(PcmAt)); // less than a frame left
        PcmAt = 0;
        while (Pcm.size() - PcmAt < samples && DecodeMore()) {
        }
        return !Frames->Failed();
    }
};

TMp3DataDecoder::TMp3DataDecoder() = default;
TMp3DataDecoder::~TMp3DataDecoder() = default;

bool TMp3DataDecoder::Scan(QIODevice& source, qint64 begin, qint64 end, TScan& scan,
                           QString& error) {
    scan = TScan();
    const AVCodec* codec = mp3Codec();
    TCodecPtr ctx(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!ctx) {
        error = QCoreApplication::translate("TMp3DataDecoder", "The MP3 decoder is not available");
        return false;
    }
    TFrameSplitter frames(&source, begin, end, ctx.get());
    if (!frames.Usable()) {
        error = QCoreApplication::translate("TMp3DataDecoder", "The MP3 decoder is not available");
        return false;
    }
    uint8_t* data = nullptr;
    int size = 0;
    while (frames.Next(data, size)) {
        const int ch = ctx->ch_layout.nb_channels;
        if (scan.Samples == 0) {
            scan.Channels = ch;
            scan.SampleRate = ctx->sample_rate;
        } else if (ch != scan.Channels || ctx->sample_rate != scan.SampleRate) {
            error = QCoreApplication::translate("TMp3DataDecoder",
                                                "The MPEG Layer-3 data changes its format midway");
            return false;
        }
        scan.Samples += frames.FrameSamples();
    }
    if (frames.Failed()) {
        error = QCoreApplication::translate("TMp3DataDecoder", "The file cannot be read");
        return false;
    }
    if (scan.Samples <= 0 || scan.Channels <= 0 || scan.SampleRate <= 0) {
        error = QCoreApplication::translate("TMp3DataDecoder",
                                            "The MPEG Layer-3 data cannot be decoded");
        return false;
    }
    return true;
}

bool TMp3DataDecoder::Start(QIODevice* source, qint64 begin, qint64 end, const TScan& format) {
    const AVCodec* codec = mp3Codec();
    auto s = std::make_unique<TState>();
    s->Format = format;
    s->Ctx.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!s->Ctx || !s->Frame || !s->Packet || format.Channels <= 0)
        return false;
    s->Ctx->request_sample_fmt = AV_SAMPLE_FMT_S16;
    if (avcodec_open2(s->Ctx.get(), codec, nullptr) < 0)
        return false;
    s->Frames = std::make_unique<TFrameSplitter>(source, begin, end, s->Ctx.get());
    if (!s->Frames->Usable())
        return false;
    m = std::move(s);
    return true;
}

int TMp3DataDecoder::Read(char* out, int maxBytes) {
    if (!m)
        return 0;
    const size_t frame = size_t(m->Format.Channels);
    const size_t samples = size_t(maxBytes / 2) / frame * frame;
    if (!m->Want(samples))
        return -1;
    const size_t n = std::min(samples, m->Pcm.size() - m->PcmAt);
    std::memcpy(out, m->Pcm.data() + m->PcmAt, n * 2);
    m->PcmAt += n;
    return int(n * 2);
}

int64_t TMp3DataDecoder::Skip(int64_t samples) {
    if (!m)
        return 0;
    const size_t ch = size_t(m->Format.Channels);
    int64_t skipped = 0;
    while (skipped < samples) {
        if (!m->Want(ch))
            return -1;
        const size_t ready = (m->Pcm.size() - m->PcmAt) / ch;
        if (ready == 0)
            break;
        const size_t n = size_t(std::min<int64_t>(samples - skipped, int64_t(ready)));
        m->PcmAt += n * ch;
        skipped += int64_t(n);
    }
    return skipped;
}
