#include "OpusEncoder.h"

#include "codecs/CodecError.h"
#include "codecs/OpusEncLibrary.h"

#include <array>
#include <cstring>
#include <string>

namespace {

// The CRC of Ogg pages: polynomial 0x04c11db7, no reflection, starting at 0.
uint32_t OggCrc(const unsigned char* data, size_t length) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k)
                r = r & 0x80000000u ? (r << 1) ^ 0x04c11db7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < length; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xff];
    return crc;
}

// Offsets in an Ogg page header.
constexpr int PageFlags = 5, PageGranule = 6, PageCrc = 22, PageHeaderMin = 27;
constexpr unsigned char EndOfStreamFlag = 0x04;

} // namespace

TOpusEncoder::TOpusEncoder(TByteSink& sink) : Sink(sink) {}

TOpusEncoder::~TOpusEncoder() {
    Clear();
}

void TOpusEncoder::Clear() {
    if (Enc)
        OpusEnc.ope_encoder_destroy(Enc);
    Enc = nullptr;
}

void TOpusEncoder::Check(int rc, const char* what) {
    if (SinkError) {
        std::exception_ptr e = SinkError;
        SinkError = nullptr;
        std::rethrow_exception(e);
    }
    if (rc != OPE_OK)
        throw ECodecError(std::string("The Opus encoder ") + what + ": " +
                          OpusEnc.ope_strerror(rc) + ".");
}

int TOpusEncoder::WritePage(void* user, const unsigned char* data, int32_t length) {
    auto* self = static_cast<TOpusEncoder*>(user);
    try {
        if (length >= PageHeaderMin && (data[PageFlags] & EndOfStreamFlag)) {
            // libopusenc ends the stream at ceil(N x 48000 / rate); a decoder plays to the
            // granule position, so the last page says round(N x 48000 / rate) instead.
            const int64_t n = self->InSamples, rate = self->Rate;
            const int64_t up = (n * 48000 + rate - 1) / rate;
            const int64_t nearest = (n * 48000 + rate / 2) / rate;
            QByteArray copy(reinterpret_cast<const char*>(data), length);
            auto* page = reinterpret_cast<unsigned char*>(copy.data());
            int64_t granule = 0;
            for (int i = 7; i >= 0; --i)
                granule = granule << 8 | page[PageGranule + i];
            granule -= up - nearest;
            for (int i = 0; i < 8; ++i)
                page[PageGranule + i] = (uint64_t(granule) >> (8 * i)) & 0xff;
            std::memset(page + PageCrc, 0, 4);
            const uint32_t crc = OggCrc(page, size_t(length));
            for (int i = 0; i < 4; ++i)
                page[PageCrc + i] = (crc >> (8 * i)) & 0xff;
            self->Sink.Write(page, length);
        } else {
            self->Sink.Write(data, length);
        }
        return 0;
    } catch (...) {
        // No exception may cross the C library; it is thrown again once the call returns.
        self->SinkError = std::current_exception();
        return 1;
    }
}

int TOpusEncoder::CloseStream(void*) {
    return 0; // the output closes its own stream
}

void TOpusEncoder::Start(const TOpusSettings& s) {
    Clear();
    Ended = false;
    InSamples = 0;
    SinkError = nullptr;
    Channels = s.Channels;
    Rate = s.SampleRate;
    Aligner.Reset(1);
    if (s.Channels < 1 || s.Channels > 8)
        throw ECodecError("Opus encoding takes 1 to 8 channels; the input has " +
                          std::to_string(s.Channels) + ".");
    OggOpusComments* comments = OpusEnc.ope_comments_create();
    if (!comments)
        throw ECodecError("The Opus encoder could not be set up: out of memory.");
    for (const auto& [name, value] : s.Comments)
        if (!value.isEmpty())
            OpusEnc.ope_comments_add(comments, name.constData(), value.constData());
    const OpusEncCallbacks callbacks = {&TOpusEncoder::WritePage, &TOpusEncoder::CloseStream};
    int error = OPE_OK;
    // Mapping family 0 is mono and stereo, 1 the surround layouts of up to 8 channels.
    Enc = OpusEnc.ope_encoder_create_callbacks(&callbacks, this, comments, s.SampleRate, s.Channels,
                                               s.Channels > 2 ? 1 : 0, &error);
    OpusEnc.ope_comments_destroy(comments); // the encoder keeps a copy
    if (!Enc)
        throw ECodecError("The Opus encoder refuses " + std::to_string(s.Channels) +
                          " channels at " + std::to_string(s.SampleRate) +
                          " Hz: " + OpusEnc.ope_strerror(error) + ".");
    Check(OpusEnc.ope_encoder_ctl(Enc, OPE_SET_SERIALNO(s.Serial)), "refuses the serial number");
    Check(OpusEnc.ope_encoder_ctl(Enc, OPUS_SET_BITRATE(s.Bitrate)),
          ("refuses the bit rate of " + std::to_string(s.Bitrate) + " bit/s").c_str());
    Check(OpusEnc.ope_encoder_ctl(Enc, OPUS_SET_COMPLEXITY(s.Complexity)),
          ("refuses the complexity " + std::to_string(s.Complexity)).c_str());
}

void TOpusEncoder::Encode(const char* pcm, int bytes, int bitsPerSample) {
    if (!Enc || Ended)
        return;
    if (bytes <= 0) {
        Ended = true; // even when draining fails: the stream cannot go on
        Check(OpusEnc.ope_encoder_drain(Enc), "could not finish the stream");
        return;
    }
    const int width = bitsPerSample / 8;
    if (width < 1 || width > 4)
        throw ECodecError("Opus encoding takes 8-, 16-, 24- or 32-bit samples; the input has " +
                          std::to_string(bitsPerSample) + " bits.");
    const int frameSize = width * Channels;
    if (Aligner.FrameBytes() != frameSize)
        Aligner.Reset(frameSize);
    int whole = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(Aligner.Take(pcm, bytes, whole));
    const int frames = whole / frameSize;
    if (frames == 0)
        return; // less than one frame so far: held for the next block
    const size_t count = size_t(frames) * size_t(Channels);
    Floats.resize(count);
    float* out = Floats.data();
    switch (width) {
    case 1:
        for (size_t i = 0; i < count; ++i)
            out[i] = (int(p[i]) - 128) / 128.0f;
        break;
    case 2:
        for (size_t i = 0; i < count; ++i, p += 2)
            out[i] = int16_t(uint16_t(p[0] | p[1] << 8)) / 32768.0f;
        break;
    case 3:
        for (size_t i = 0; i < count; ++i, p += 3)
            out[i] = int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) /
                     2147483648.0f;
        break;
    default:
        for (size_t i = 0; i < count; ++i, p += 4)
            out[i] = int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                             uint32_t(p[3]) << 24) /
                     2147483648.0f;
        break;
    }
    InSamples += frames;
    Check(OpusEnc.ope_encoder_write_float(Enc, Floats.data(), frames), "failed");
}
