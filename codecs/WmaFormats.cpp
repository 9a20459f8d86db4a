#include "codecs/WmaFormats.h"
#include "codecs/FfmpegLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <mutex>

namespace {

struct TCodecEntry {
    QString Encoder;
    QString Name;
    std::vector<TWmaFormat> Formats;
};

// Candidate bitrates (kbit/s), highest first, and sample rates, highest first. The encoders
// take 24 kbit/s at the least and at most 48 kHz.
const int kBitrates[] = {384, 320, 256, 192, 160, 128, 96, 80, 64, 48, 40, 32, 24};
const int kRates[] = {48000, 44100, 32000, 22050, 16000, 11025, 8000};
// Beyond 6 coded bits per sample and channel a higher bitrate buys nothing audible, so such
// combinations are not offered (384 kbit/s mono at 8 kHz would be 48 bits per sample).
constexpr int kMaxBitsPerSample = 6;

bool EncoderAccepts(const AVCodec* codec, const TWmaFormat& f) {
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (!ctx)
        return false;
    ctx->sample_rate = int(f.SampleRate);
    av_channel_layout_default(&ctx->ch_layout, f.Channels);
    ctx->bit_rate = f.Bitrate;
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    const bool ok = avcodec_open2(ctx, codec, nullptr) >= 0;
    avcodec_free_context(&ctx);
    return ok;
}

// Order: bitrate descending; within one bitrate the stereo formats by falling sample rate,
// then the mono ones. Only combinations the encoder opens with are kept.
std::vector<TWmaFormat> BuildFormats(const AVCodec* codec) {
    QuietFfmpegLog(); // the level restored below is then the quiet one
    std::vector<TWmaFormat> list;
    const int level = av_log_get_level();
    av_log_set_level(AV_LOG_QUIET); // refused combinations are expected here
    for (int kbps : kBitrates) {
        for (int channels = 2; channels >= 1; --channels) {
            for (int rate : kRates) {
                if (int64_t(kbps) * 1000 > int64_t(rate) * channels * kMaxBitsPerSample)
                    continue;
                TWmaFormat f;
                f.Bitrate = uint32_t(kbps) * 1000;
                f.SampleRate = uint32_t(rate);
                f.Channels = uint16_t(channels);
                f.BitsPerSample = 16;
                if (!EncoderAccepts(codec, f))
                    continue;
                f.Description = TWmaFormats::Describe(f);
                list.push_back(f);
            }
        }
    }
    av_log_set_level(level);
    return list;
}

const std::vector<TCodecEntry>& Codecs() {
    static std::vector<TCodecEntry> codecs;
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* name : {"wmav2", "wmav1"}) {
            const AVCodec* codec = avcodec_find_encoder_by_name(name);
            if (!codec)
                continue;
            TCodecEntry e;
            e.Encoder = QString::fromLatin1(name);
            e.Name = QString::fromUtf8(codec->long_name ? codec->long_name : name);
            e.Formats = BuildFormats(codec);
            codecs.push_back(std::move(e));
        }
    });
    return codecs;
}

} // namespace

QStringList TWmaFormats::CodecNames() {
    QStringList names;
    for (const TCodecEntry& e : Codecs())
        names << e.Name;
    return names;
}

int TWmaFormats::CodecCount() {
    return int(Codecs().size());
}

QString TWmaFormats::EncoderName(int codecIndex) {
    if (codecIndex < 0 || codecIndex >= CodecCount())
        return QString();
    return Codecs()[size_t(codecIndex)].Encoder;
}

bool TWmaFormats::Enumerate(int codecIndex, bool vbr, std::vector<TWmaFormat>& formats) {
    formats.clear();
    if (codecIndex < 0 || codecIndex >= CodecCount())
        return false;
    if (vbr)
        return false; // neither wmav1 nor wmav2 has a variable-bitrate or lossless mode
    formats = Codecs()[size_t(codecIndex)].Formats;
    return true;
}

QString TWmaFormats::Describe(const TWmaFormat& f) {
    return QStringLiteral("%1 kbps, %2 kHz, %3 %4")
        .arg(f.Bitrate / 1000)
        .arg(f.SampleRate / 1000)
        .arg(f.Channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo"))
        .arg(f.Lossless ? QStringLiteral("lossless")
             : f.Vbr    ? QStringLiteral("VBR")
                        : QStringLiteral("CBR"));
}
