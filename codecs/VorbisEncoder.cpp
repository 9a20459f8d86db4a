#include "VorbisEncoder.h"

#include "codecs/CodecError.h"
#include "codecs/OggLibrary.h"
#include "codecs/VorbisEncLibrary.h"
#include "codecs/VorbisLibrary.h"

#include <cstring>
#include <string>

namespace {

std::string VorbisErrorText(int code) {
    switch (code) {
    case OV_EIMPL:
        return "the library does not support this channel count, sample rate or quality";
    case OV_EINVAL:
        return "the parameters are invalid";
    case OV_EFAULT:
        return "internal library error";
    default:
        return "error " + std::to_string(code);
    }
}

} // namespace

TVorbisEncoder::TVorbisEncoder(TByteSink& sink) : Sink(sink) {}

TVorbisEncoder::~TVorbisEncoder() {
    Clear();
}

void TVorbisEncoder::Start(const TVorbisSettings& s) {
    Clear();
    EosWritten = false;
    Channels = s.Channels;
    Aligner.Reset(1);
    Vorbis.vorbis_info_init(&Info);
    int rc;
    if (s.NominalBitRate == -1) {
        rc = VorbisEnc.vorbis_encode_setup_vbr(&Info, s.Channels, s.SampleRate, s.Quality);
        if (rc == 0)
            rc = VorbisEnc.vorbis_encode_setup_init(&Info);
        if (rc != 0) {
            Vorbis.vorbis_info_clear(&Info);
            throw ECodecError("Vorbis codec setup for " + std::to_string(s.Channels) +
                              " channels at " + std::to_string(s.SampleRate) + " Hz and quality " +
                              std::to_string(s.Quality) + " failed: " + VorbisErrorText(rc) + ".");
        }
    } else {
        rc = VorbisEnc.vorbis_encode_init(&Info, s.Channels, s.SampleRate, s.MaxBitRate,
                                          s.NominalBitRate, s.MinBitRate);
        if (rc != 0) {
            Vorbis.vorbis_info_clear(&Info);
            throw ECodecError(
                "Vorbis codec setup with the requested bitrate failed. Try a lower bitrate.");
        }
    }
    Vorbis.vorbis_comment_init(&Comment);
    for (const auto& [name, value] : s.Comments) {
        if (!value.isEmpty())
            Vorbis.vorbis_comment_add_tag(&Comment, name.constData(), value.constData());
    }
    if (Vorbis.vorbis_analysis_init(&Dsp, &Info) != 0) {
        Vorbis.vorbis_comment_clear(&Comment);
        Vorbis.vorbis_info_clear(&Info);
        throw ECodecError("Vorbis encoder could not be initialised.");
    }
    Vorbis.vorbis_block_init(&Dsp, &Block);
    Ogg.ogg_stream_init(&Stream, s.Serial);
    Started = true;

    ogg_packet header, commentHeader, codebook;
    if (Vorbis.vorbis_analysis_headerout(&Dsp, &Comment, &header, &commentHeader, &codebook) != 0)
        throw ECodecError("Vorbis encoder could not build its header packets.");
    Ogg.ogg_stream_packetin(&Stream, &header);
    Ogg.ogg_stream_packetin(&Stream, &commentHeader);
    Ogg.ogg_stream_packetin(&Stream, &codebook);
    // The headers stand on pages of their own before any audio.
    ogg_page page;
    while (Ogg.ogg_stream_flush(&Stream, &page) != 0)
        WritePage(page);
}

void TVorbisEncoder::WritePage(const ogg_page& page) {
    Sink.Write(page.header, page.header_len);
    Sink.Write(page.body, page.body_len);
}

void TVorbisEncoder::Encode(const char* pcm, int bytes, int bitsPerSample) {
    if (!Started || EosWritten)
        return;
    const int width = bitsPerSample == 8 ? 1 : bitsPerSample == 16 ? 2 : 3;
    const int frameSize = width * Channels;
    if (Aligner.FrameBytes() != frameSize)
        Aligner.Reset(frameSize);
    int whole = 0;
    if (bytes > 0)
        pcm = Aligner.Take(pcm, bytes, whole);
    const int frames = whole / frameSize;
    if (bytes > 0 && frames == 0)
        return; // less than one frame so far: held for the next block
    if (frames > 0) {
        // Converted straight into the encoder's own buffers.
        float** buffers = Vorbis.vorbis_analysis_buffer(&Dsp, frames);
        const auto* p = reinterpret_cast<const unsigned char*>(pcm);
        // One channel at a time, so each destination array is written in order.
        for (int ch = 0; ch < Channels; ++ch) {
            float* out = buffers[ch];
            const unsigned char* b = p + ch * width;
            if (width == 2) {
                for (int i = 0; i < frames; ++i, b += frameSize)
                    out[i] = static_cast<int16_t>(b[0] | (b[1] << 8)) / 32768.0f;
            } else if (width == 1) {
                for (int i = 0; i < frames; ++i, b += frameSize)
                    out[i] = (static_cast<int>(b[0]) - 128) / 128.0f;
            } else {
                for (int i = 0; i < frames; ++i, b += frameSize)
                    out[i] = static_cast<int32_t>((static_cast<uint32_t>(b[0]) << 8) |
                                                  (static_cast<uint32_t>(b[1]) << 16) |
                                                  (static_cast<uint32_t>(b[2]) << 24)) /
                             2147483648.0f;
            }
        }
        Vorbis.vorbis_analysis_wrote(&Dsp, frames);
    } else {
        Vorbis.vorbis_analysis_wrote(&Dsp, 0); // marks the end of the stream
    }
    Drain();
}

void TVorbisEncoder::Drain() {
    ogg_packet packet;
    ogg_page page;
    while (Vorbis.vorbis_analysis_blockout(&Dsp, &Block) == 1) {
        Vorbis.vorbis_analysis(&Block, nullptr);
        Vorbis.vorbis_bitrate_addblock(&Block);
        while (Vorbis.vorbis_bitrate_flushpacket(&Dsp, &packet) != 0) {
            Ogg.ogg_stream_packetin(&Stream, &packet);
            while (!EosWritten && Ogg.ogg_stream_pageout(&Stream, &page) != 0) {
                WritePage(page);
                if (Ogg.ogg_page_eos(&page) != 0)
                    EosWritten = true;
            }
        }
    }
}

void TVorbisEncoder::Clear() {
    if (!Started)
        return;
    Started = false;
    Ogg.ogg_stream_clear(&Stream);
    Vorbis.vorbis_block_clear(&Block);
    Vorbis.vorbis_dsp_clear(&Dsp);
    Vorbis.vorbis_comment_clear(&Comment);
    Vorbis.vorbis_info_clear(&Info);
}
