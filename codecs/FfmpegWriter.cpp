#include "codecs/FfmpegWriter.h"
#include "codecs/AsfAttributes.h"
#include "codecs/FfmpegLog.h"
#include "codecs/WmaFormats.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace {

QString AvError(int err) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return QString::fromUtf8(text);
}

// The ASF muxer's default packet of 3200 bytes holds only one block of a high-bitrate stream
// and pads the rest; packets of several whole blocks keep the overhead near 2 %.
int PacketSizeFor(int blockAlign) {
    constexpr int perPayload = 17, perPacket = 40, atLeast = 3200;
    const int unit = std::max(blockAlign, 1) + perPayload;
    const int blocks = std::max(4, (atLeast - perPacket + unit - 1) / unit);
    return std::min(blocks * unit + perPacket, 65535);
}

// The sample format the encoder takes that holds `bits` best: the smallest integer format of at
// least that many bits (ALAC: 16-bit planar for CD audio), else the encoder's first.
AVSampleFormat StreamFormat(const AVCodec* codec, int bits) {
    if (!codec->sample_fmts)
        return AV_SAMPLE_FMT_FLTP;
    AVSampleFormat best = AV_SAMPLE_FMT_NONE;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        const bool integer = *f != AV_SAMPLE_FMT_FLT && *f != AV_SAMPLE_FMT_FLTP &&
                             *f != AV_SAMPLE_FMT_DBL && *f != AV_SAMPLE_FMT_DBLP;
        const int size = av_get_bytes_per_sample(*f) * 8;
        if (integer && size >= bits &&
            (best == AV_SAMPLE_FMT_NONE || size < av_get_bytes_per_sample(best) * 8))
            best = *f;
    }
    return best != AV_SAMPLE_FMT_NONE ? best : codec->sample_fmts[0];
}

AVSampleFormat InputFormat(int bits) {
    switch (bits) {
    case 8:
        return AV_SAMPLE_FMT_U8;
    case 16:
        return AV_SAMPLE_FMT_S16;
    case 24: // widened to 32 bits before conversion
    case 32:
        return AV_SAMPLE_FMT_S32;
    default:
        return AV_SAMPLE_FMT_NONE;
    }
}

} // namespace

TFfmpegWriter::~TFfmpegWriter() {
    FreeAll();
}

void TFfmpegWriter::FreeAll() {
    if (m_fmt) {
        if (m_fmt->pb)
            avio_closep(&m_fmt->pb);
        avformat_free_context(m_fmt);
        m_fmt = nullptr;
    }
    m_stream = nullptr;
    m_coverStream = nullptr;
    // Only what was made is freed, so a writer that never wrote loads no FFmpeg library.
    if (m_codec)
        avcodec_free_context(&m_codec);
    if (m_swr)
        swr_free(&m_swr);
    if (m_fifo) {
        av_audio_fifo_free(m_fifo);
        m_fifo = nullptr;
    }
    if (m_frame)
        av_frame_free(&m_frame);
    if (m_packet)
        av_packet_free(&m_packet);
    m_created = false;
    m_writing = false;
}

bool TFfmpegWriter::Fail(const QString& what, int err) {
    m_error = err ? QStringLiteral("%1: %2").arg(what, AvError(err)) : what;
    // FFmpeg's own codes lie far below the negated system numbers.
    m_systemError = err < 0 && err > -4096 ? -err : 0;
    return false;
}

bool TFfmpegWriter::Create(const QString& fileName, TFfmpegContainer container) {
    QuietFfmpegLog();
    FreeAll();
    m_error.clear();
    m_systemError = 0;
    m_nextPts = 0;
    m_sampleTime = 0;
    m_fileName = fileName;
    m_container = container;
    m_cover = TCoverArt();
    const QByteArray path = fileName.toUtf8();
    // The "ipod" flavour of the MP4 muxer marks the file as M4A audio and takes AAC and ALAC.
    const char* muxer = container == TFfmpegContainer::Mp4 ? "ipod" : "asf";
    int err = avformat_alloc_output_context2(&m_fmt, nullptr, muxer, path.constData());
    if (err < 0 || !m_fmt)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "The %1 muxer is not available")
                        .arg(container == TFfmpegContainer::Mp4 ? QStringLiteral("MP4")
                                                                : QStringLiteral("ASF")),
                    err);
    // Deterministic output: among other things the muxers then add no attribute or tag naming
    // themselves (WM/EncodingSettings, the MP4 encoder tag) and no creation time.
    m_fmt->flags |= AVFMT_FLAG_BITEXACT;
    err = avio_open(&m_fmt->pb, path.constData(), AVIO_FLAG_WRITE);
    if (err < 0) {
        Fail(QCoreApplication::translate("TFfmpegWriter", "Cannot create file %1").arg(fileName),
             err);
        avformat_free_context(m_fmt);
        m_fmt = nullptr;
        return false;
    }
    m_created = true;
    return true;
}

bool TFfmpegWriter::SetProfile(const QString& encoderName, const TWmaFormat& format) {
    return OpenStream(encoderName, int(format.SampleRate), format.Channels, format.Bitrate,
                      format.BitsPerSample, TWmaFormats::Describe(format));
}

bool TFfmpegWriter::SetStream(const QString& encoderName, int sampleRate, int channels,
                              int64_t bitrate, int bitsPerSample) {
    return OpenStream(encoderName, sampleRate, channels, bitrate, bitsPerSample,
                      QStringLiteral("%1 channels at %2 Hz and %3 bit/s")
                          .arg(channels)
                          .arg(sampleRate)
                          .arg(bitrate));
}

bool TFfmpegWriter::OpenStream(const QString& encoderName, int sampleRate, int channels,
                               int64_t bitrate, int bitsPerSample, const QString& description) {
    if (!m_created)
        return Fail(QStringLiteral("The file is not created"), 0);
    if (m_codec)
        return Fail(QStringLiteral("The stream is already set"), 0);
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName.toLatin1().constData());
    if (!codec)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "No encoder %1 in this FFmpeg")
                        .arg(encoderName),
                    0);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (!ctx)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), AVERROR(ENOMEM));
    ctx->sample_rate = sampleRate;
    av_channel_layout_default(&ctx->ch_layout, channels);
    ctx->bit_rate = bitrate;
    ctx->sample_fmt = StreamFormat(codec, bitsPerSample);
    if (av_get_bytes_per_sample(ctx->sample_fmt) * 8 > bitsPerSample && bitsPerSample > 0)
        ctx->bits_per_raw_sample = bitsPerSample; // 24-bit audio in 32-bit samples
    ctx->time_base = AVRational{1, ctx->sample_rate};
    if (m_fmt->oformat->flags & AVFMT_GLOBALHEADER)
        ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int err = avcodec_open2(ctx, codec, nullptr);
    if (err < 0) {
        avcodec_free_context(&ctx);
        return Fail(
            QCoreApplication::translate("TFfmpegWriter", "The encoder refuses %1").arg(description),
            err);
    }
    AVStream* st = avformat_new_stream(m_fmt, nullptr);
    if (!st || avcodec_parameters_from_context(st->codecpar, ctx) < 0) {
        avcodec_free_context(&ctx);
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Cannot add the audio stream"), 0);
    }
    st->time_base = ctx->time_base;
    if (m_container == TFfmpegContainer::Asf) {
        av_opt_set_int(m_fmt->priv_data, "packet_size", PacketSizeFor(ctx->block_align), 0);
    } else {
        // The movie's clock counts samples, so the edit list that drops the encoder's delay
        // and the padding of the last frame gives the length to the sample (the default of
        // milliseconds would round it).
        av_opt_set_int(m_fmt->priv_data, "movie_timescale", sampleRate, 0);
    }
    m_codec = ctx;
    m_stream = st;
    return true;
}

bool TFfmpegWriter::SetInput(int channels, int sampleRate, int bitsPerSample) {
    m_inBytesPerSecond = 0;
    if (!m_codec)
        return Fail(QStringLiteral("The stream is not set"), 0);
    const AVSampleFormat inFormat = InputFormat(bitsPerSample);
    if (channels < 1 || channels > 8 || sampleRate <= 0 || inFormat == AV_SAMPLE_FMT_NONE)
        return Fail(QCoreApplication::translate(
                        "TFfmpegWriter", "Unsupported PCM input: %1 channels, %2 Hz, %3 bits")
                        .arg(channels)
                        .arg(sampleRate)
                        .arg(bitsPerSample),
                    0);
    AVChannelLayout inLayout;
    av_channel_layout_default(&inLayout, channels);
    swr_free(&m_swr);
    int err =
        swr_alloc_set_opts2(&m_swr, &m_codec->ch_layout, m_codec->sample_fmt, m_codec->sample_rate,
                            &inLayout, inFormat, sampleRate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (err >= 0)
        err = swr_init(m_swr);
    if (err < 0)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Cannot convert the PCM input"),
                    err);
    if (!m_fifo)
        m_fifo = av_audio_fifo_alloc(m_codec->sample_fmt, m_codec->ch_layout.nb_channels,
                                     std::max(m_codec->frame_size, 4096));
    if (!m_frame)
        m_frame = av_frame_alloc();
    if (!m_packet)
        m_packet = av_packet_alloc();
    if (!m_fifo || !m_frame || !m_packet)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), AVERROR(ENOMEM));
    m_inChannels = channels;
    m_inRate = sampleRate;
    m_inBits = bitsPerSample;
    m_inBytesPerSecond = int64_t(bitsPerSample / 8) * channels * sampleRate;
    return true;
}

void TFfmpegWriter::SetAttribute(const QString& name, const QString& value) {
    if (!m_fmt || name.isEmpty())
        return;
    av_dict_set(&m_fmt->metadata, name.toUtf8().constData(), value.toUtf8().constData(), 0);
}

void TFfmpegWriter::SetCover(const TCoverArt& cover) {
    m_cover = cover;
}

// The cover rides as a stream of one picture, which the MP4 muxer turns into the "covr" item.
bool TFfmpegWriter::AddCoverStream() {
    if (m_container != TFfmpegContainer::Mp4 || m_cover.isEmpty())
        return true;
    m_coverStream = avformat_new_stream(m_fmt, nullptr);
    if (!m_coverStream)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), AVERROR(ENOMEM));
    m_coverStream->disposition = AV_DISPOSITION_ATTACHED_PIC;
    m_coverStream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    m_coverStream->codecpar->codec_id =
        m_cover.kind() == TCoverArt::Kind::Png ? AV_CODEC_ID_PNG : AV_CODEC_ID_MJPEG;
    // The muxer wants a size for every picture stream, though the item stores none: one the
    // header does not tell must not cost the file.
    m_coverStream->codecpar->width = std::max(m_cover.width(), 1);
    m_coverStream->codecpar->height = std::max(m_cover.height(), 1);
    return true;
}

bool TFfmpegWriter::WriteCover() {
    if (!m_coverStream)
        return true;
    AVPacket* pkt = av_packet_alloc();
    if (!pkt || av_new_packet(pkt, int(m_cover.data().size())) < 0) {
        av_packet_free(&pkt);
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), AVERROR(ENOMEM));
    }
    std::memcpy(pkt->data, m_cover.data().constData(), size_t(m_cover.data().size()));
    pkt->stream_index = m_coverStream->index;
    pkt->flags |= AV_PKT_FLAG_KEY;
    pkt->pts = pkt->dts = 0;
    const int err = av_interleaved_write_frame(m_fmt, pkt);
    av_packet_free(&pkt);
    return err >= 0 ||
           Fail(
               QCoreApplication::translate("TFfmpegWriter", "Cannot write file %1").arg(m_fileName),
               err);
}

bool TFfmpegWriter::BeginWriting() {
    if (!m_created || !m_codec || !m_swr)
        return Fail(QStringLiteral("The audio stream is not set up"), 0);
    if (m_container == TFfmpegContainer::Asf) {
        // Room for the padding that replaces the attributes the muxer writes twice
        // (EndWriting).
        av_dict_set(&m_fmt->metadata, AsfRoomAttribute.toUtf8().constData(),
                    QByteArray(32, '.').constData(), 0);
    }
    if (!AddCoverStream())
        return false;
    const int err = avformat_write_header(m_fmt, nullptr);
    if (err < 0)
        return Fail(
            QCoreApplication::translate("TFfmpegWriter", "Cannot write file %1").arg(m_fileName),
            err);
    m_writing = true;
    if (m_container == TFfmpegContainer::Mp4)
        return WriteCover();
    // FFmpeg's WMA decoder drops the first frame it decodes (it has nothing to overlap it
    // with), so a frame of silence goes first; the audio then decodes complete and in place.
    return AddSilence(m_codec->frame_size > 0 ? m_codec->frame_size : 2048);
}

bool TFfmpegWriter::AddSilence(int samples) {
    uint8_t** zeros = nullptr;
    const int channels = m_codec->ch_layout.nb_channels;
    int err = av_samples_alloc_array_and_samples(&zeros, nullptr, channels, samples,
                                                 m_codec->sample_fmt, 0);
    if (err < 0)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), err);
    av_samples_set_silence(zeros, 0, samples, channels, m_codec->sample_fmt);
    const bool ok =
        av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(zeros), samples) == samples;
    av_freep(&zeros[0]);
    av_freep(&zeros);
    return ok ||
           Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), AVERROR(ENOMEM));
}

int TFfmpegWriter::BlockAlign() const {
    return m_codec ? m_codec->block_align : 0;
}

bool TFfmpegWriter::SendFrame(AVFrame* frame) {
    const QString failed = QCoreApplication::translate("TFfmpegWriter", "The %1 encoder failed")
                               .arg(m_codec->codec->name);
    int err = avcodec_send_frame(m_codec, frame);
    if (err < 0 && err != AVERROR_EOF)
        return Fail(failed, err);
    for (;;) {
        err = avcodec_receive_packet(m_codec, m_packet);
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
            return true;
        if (err < 0)
            return Fail(failed, err);
        av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        err = av_interleaved_write_frame(m_fmt, m_packet);
        if (err < 0)
            return Fail(QCoreApplication::translate("TFfmpegWriter", "Cannot write file %1")
                            .arg(m_fileName),
                        err);
    }
}

// Hands whole encoder frames from the FIFO to the encoder; with `flush` the last partial frame
// too: as it is to an MP4 stream (AAC and ALAC take a short last frame and note its length),
// padded with silence to a WMA encoder, which takes full frames only.
bool TFfmpegWriter::EncodeFrames(bool flush) {
    const int frameSize = m_codec->frame_size > 0 ? m_codec->frame_size : 2048;
    const bool shortLast = m_container == TFfmpegContainer::Mp4 &&
                           (m_codec->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    while (av_audio_fifo_size(m_fifo) >= frameSize || (flush && av_audio_fifo_size(m_fifo) > 0)) {
        const int available = std::min(av_audio_fifo_size(m_fifo), frameSize);
        av_frame_unref(m_frame);
        m_frame->nb_samples = shortLast ? available : frameSize;
        m_frame->format = m_codec->sample_fmt;
        m_frame->sample_rate = m_codec->sample_rate;
        av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout);
        int err = av_frame_get_buffer(m_frame, 0);
        if (err < 0)
            return Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), err);
        if (available < m_frame->nb_samples)
            av_samples_set_silence(m_frame->extended_data, 0, m_frame->nb_samples,
                                   m_codec->ch_layout.nb_channels, m_codec->sample_fmt);
        if (av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_frame->extended_data),
                               available) < available)
            return Fail(QStringLiteral("Internal buffer failure"), 0);
        m_frame->pts = m_nextPts;
        m_nextPts += m_frame->nb_samples;
        if (!SendFrame(m_frame))
            return false;
    }
    return true;
}

bool TFfmpegWriter::WriteSample(const void* data, int64_t bytes, int64_t endTime) {
    if (!m_writing)
        return false;
    m_sampleTime = endTime;
    const int frameBytes = (m_inBits / 8) * m_inChannels;
    const int64_t inSamples = bytes / frameBytes;
    if (inSamples <= 0)
        return true;
    const uint8_t* in = static_cast<const uint8_t*>(data);
    if (m_inBits == 24) { // packed 24-bit has no FFmpeg sample format: widen to 32 bits
        m_widened.resize(size_t(inSamples) * m_inChannels);
        for (size_t i = 0; i < m_widened.size(); ++i) {
            const uint8_t* p = in + i * 3;
            m_widened[i] =
                int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24);
        }
        in = reinterpret_cast<const uint8_t*>(m_widened.data());
    }
    const int outMax = swr_get_out_samples(m_swr, int(inSamples));
    uint8_t** out = nullptr;
    int err = av_samples_alloc_array_and_samples(&out, nullptr, m_codec->ch_layout.nb_channels,
                                                 outMax, m_codec->sample_fmt, 0);
    if (err < 0)
        return Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), err);
    const int got = swr_convert(m_swr, out, outMax, &in, int(inSamples));
    bool ok = got >= 0;
    if (!ok)
        Fail(QCoreApplication::translate("TFfmpegWriter", "Cannot convert the PCM input"), got);
    else if (got > 0 && av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(out), got) < got)
        ok = Fail(QCoreApplication::translate("TFfmpegWriter", "Out of memory"), AVERROR(ENOMEM));
    av_freep(&out[0]);
    av_freep(&out);
    return ok && EncodeFrames(false);
}

bool TFfmpegWriter::EndWriting() {
    bool ok = true;
    if (m_writing) {
        // What the resampler still holds; for WMA then silence to the end of the frame and one
        // frame more: its decoder's output lags a frame behind, so the last audio needs a
        // successor.
        const int outMax = swr_get_out_samples(m_swr, 0);
        if (outMax > 0) {
            uint8_t** out = nullptr;
            if (av_samples_alloc_array_and_samples(&out, nullptr, m_codec->ch_layout.nb_channels,
                                                   outMax, m_codec->sample_fmt, 0) >= 0) {
                const int got = swr_convert(m_swr, out, outMax, nullptr, 0);
                if (got > 0)
                    av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(out), got);
                av_freep(&out[0]);
                av_freep(&out);
            }
        }
        if (m_container == TFfmpegContainer::Asf) {
            const int frameSize = m_codec->frame_size > 0 ? m_codec->frame_size : 2048;
            const int partial = av_audio_fifo_size(m_fifo) % frameSize;
            AddSilence((partial ? frameSize - partial : 0) + frameSize);
        }
        ok = EncodeFrames(true) && SendFrame(nullptr);
        const int err = av_write_trailer(m_fmt);
        if (err < 0 && ok)
            ok = Fail(QCoreApplication::translate("TFfmpegWriter", "Cannot write file %1")
                          .arg(m_fileName),
                      err);
        m_writing = false;
        const bool asf = m_container == TFfmpegContainer::Asf;
        FreeAll();
        QString error;
        if (ok && asf && !DropDuplicateAsfAttributes(m_fileName, &error))
            ok = Fail(QCoreApplication::translate("TFfmpegWriter", "Cannot complete the file %1")
                          .arg(error),
                      0);
    }
    FreeAll();
    return ok;
}
