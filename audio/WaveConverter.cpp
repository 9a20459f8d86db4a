#include "WaveConverter.h"

#include "audio/WaveHeaderReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <QtEndian>

#include <cstring>
#include <memory>

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

void put16(QByteArray& a, int at, uint16_t v) {
    qToLittleEndian(v, a.data() + at);
}
void put32(QByteArray& a, int at, uint32_t v) {
    qToLittleEndian(v, a.data() + at);
}

// Appends the frame's samples as interleaved signed 16-bit.
bool appendFrame(const AVFrame* f, int channels, QByteArray& pcm) {
    const int n = f->nb_samples;
    const qsizetype at = pcm.size();
    pcm.resize(at + qsizetype(n) * channels * 2);
    auto* out = reinterpret_cast<int16_t*>(pcm.data() + at);
    switch (f->format) {
    case AV_SAMPLE_FMT_S16:
        std::memcpy(out, f->data[0], size_t(n) * channels * 2);
        return true;
    case AV_SAMPLE_FMT_S16P:
        for (int c = 0; c < channels; ++c) {
            const auto* in = reinterpret_cast<const int16_t*>(f->extended_data[c]);
            for (int i = 0; i < n; ++i)
                out[i * channels + c] = in[i];
        }
        return true;
    default:
        return false;
    }
}

} // namespace

bool TWaveConverter::Convert(QIODevice& source, qint64 start, QByteArray& pcmWav, QString& error) {
    if (!source.isSequential() && !source.seek(start)) {
        error = QStringLiteral("The file cannot be read");
        return false;
    }
    const TWaveHeader h = TWaveHeaderReader::Read(source);
    if (h.Type != wtACM || h.FormatTag != 85) {
        error = QStringLiteral("The file holds no MPEG Layer-3 data");
        return false;
    }
    qint64 size = h.DataChunkSize;
    if (!source.isSequential())
        size = std::min<qint64>(size, source.size() - source.pos());
    const QByteArray data = source.read(size);

    const AVCodec* codec = avcodec_find_decoder_by_name("mp3");
    if (!codec)
        codec = avcodec_find_decoder(AV_CODEC_ID_MP3);
    std::unique_ptr<AVCodecContext, TCodecCloser> ctx(codec ? avcodec_alloc_context3(codec)
                                                            : nullptr);
    std::unique_ptr<AVCodecParserContext, TParserCloser> parser(av_parser_init(AV_CODEC_ID_MP3));
    std::unique_ptr<AVFrame, TFrameCloser> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, TPacketCloser> packet(av_packet_alloc());
    if (!ctx || !parser || !frame || !packet) {
        error = QStringLiteral("The MP3 decoder is not available");
        return false;
    }
    ctx->request_sample_fmt = AV_SAMPLE_FMT_S16;
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0) {
        error = QStringLiteral("The MP3 decoder cannot be opened");
        return false;
    }

    QByteArray pcm;
    int channels = 0;
    int rate = 0;
    bool bad = false;
    auto drain = [&]() {
        for (;;) {
            const int r = avcodec_receive_frame(ctx.get(), frame.get());
            if (r < 0)
                return;
            const int ch = frame->ch_layout.nb_channels;
            if (channels == 0) {
                channels = ch;
                rate = frame->sample_rate;
            }
            // A stream that changes its format midway cannot become one PCM file.
            if (ch != channels || frame->sample_rate != rate ||
                !appendFrame(frame.get(), channels, pcm))
                bad = true;
            av_frame_unref(frame.get());
        }
    };
    // The parser needs padding after the data it reads.
    QByteArray padded = data;
    padded.append(QByteArray(AV_INPUT_BUFFER_PADDING_SIZE, '\0'));
    const auto* p = reinterpret_cast<const uint8_t*>(padded.constData());
    int left = int(data.size());
    bool flushing = false;
    while (!bad) {
        uint8_t* out = nullptr;
        int outSize = 0;
        const int used = av_parser_parse2(parser.get(), ctx.get(), &out, &outSize, p, left,
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0)
            break;
        p += used;
        left -= used;
        if (outSize > 0) {
            packet->data = out;
            packet->size = outSize;
            // A damaged frame is skipped, as players do; the rest still decodes.
            if (avcodec_send_packet(ctx.get(), packet.get()) == 0)
                drain();
        }
        if (left == 0) {
            if (flushing)
                break;
            flushing = true; // one more call with no data flushes the parser's last frame
        }
    }
    avcodec_send_packet(ctx.get(), nullptr);
    drain();
    if (bad || channels <= 0 || rate <= 0 || pcm.isEmpty()) {
        error = QStringLiteral("The MPEG Layer-3 data cannot be decoded");
        return false;
    }

    pcmWav = QByteArray(44, '\0');
    std::memcpy(pcmWav.data(), "RIFF", 4);
    put32(pcmWav, 4, uint32_t(pcm.size() + 36));
    std::memcpy(pcmWav.data() + 8, "WAVEfmt ", 8);
    put32(pcmWav, 16, 16);
    put16(pcmWav, 20, 1);
    put16(pcmWav, 22, uint16_t(channels));
    put32(pcmWav, 24, uint32_t(rate));
    put32(pcmWav, 28, uint32_t(rate * channels * 2));
    put16(pcmWav, 32, uint16_t(channels * 2));
    put16(pcmWav, 34, 16);
    std::memcpy(pcmWav.data() + 36, "data", 4);
    put32(pcmWav, 40, uint32_t(pcm.size()));
    pcmWav.append(pcm);
    return true;
}
