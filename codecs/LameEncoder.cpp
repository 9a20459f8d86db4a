#include "LameEncoder.h"

#include "codecs/CodecError.h"
#include "codecs/LameLibrary.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>

namespace {

QString EncodeErrorText(int code) {
    switch (code) {
    case -1:
        return QCoreApplication::translate("TLameEncoder",
                                           "MP3 encoding failed: the output buffer was too small.");
    case -2:
        return QCoreApplication::translate("TLameEncoder",
                                           "MP3 encoding failed: the encoder ran out of memory.");
    case -3:
        return QCoreApplication::translate("TLameEncoder",
                                           "MP3 encoding failed: the encoder was not set up.");
    case -4:
        return QCoreApplication::translate("TLameEncoder",
                                           "MP3 encoding failed: psychoacoustic analysis failed.");
    default:
        return QCoreApplication::translate("TLameEncoder", "MP3 encoding failed (LAME error %1).")
            .arg(code);
    }
}

} // namespace

TLameEncoder::TLameEncoder(TByteSink& sink) : Sink(sink) {}

TLameEncoder::~TLameEncoder() {
    Close();
}

void TLameEncoder::Close() {
    if (Handle) {
        Lame.lame_close(Handle);
        Handle = nullptr;
    }
}

void TLameEncoder::Start(const TLameSettings& s) {
    Close();
    Error.clear();
    HeaderWritten = false;
    Channels = s.InChannels == 1 ? 1 : 2;
    Aligner.Reset(2 * Channels);
    Handle = Lame.lame_init();
    if (!Handle)
        throw ECodecError("LAME init failed");
    Lame.lame_set_num_samples(Handle, s.NumSamples > 0 && s.NumSamples < 0xFFFFFFFFll
                                          ? static_cast<unsigned long>(s.NumSamples)
                                          : 0);
    Lame.lame_set_in_samplerate(Handle, s.InSampleRate);
    // The encoder is always fed two interleaved channels; mono input is duplicated.
    Lame.lame_set_num_channels(Handle, 2);
    Lame.lame_set_out_samplerate(Handle, s.OutSampleRate);
    Lame.lame_set_mode(Handle, static_cast<MPEG_mode>(s.Mode));
    Lame.lame_set_copyright(Handle, s.Copyright ? 1 : 0);
    Lame.lame_set_original(Handle, s.Original ? 1 : 0);
    Lame.lame_set_error_protection(Handle, s.Crc ? 1 : 0);
    // LAME reserves the first frame for its LAME/Xing header frame unless told not to. We fill
    // it in at the end, so it needs a target that can seek back; otherwise no frame is
    // reserved at all, so that no file carries an empty or wrong one.
    const bool canSeek = Sink.CanSeek() && Sink.Position() >= 0;
    if (!s.Vbr) {
        WantHeader = canSeek;
        Lame.lame_set_bWriteVbrTag(Handle, WantHeader ? 1 : 0);
        Lame.lame_set_brate(Handle, s.BitRate);
        Lame.lame_set_quality(Handle, s.Quality);
    } else {
        WantHeader = s.VbrHeader && canSeek;
        Lame.lame_set_bWriteVbrTag(Handle, WantHeader ? 1 : 0);
        Lame.lame_set_VBR(Handle, vbr_rh);
        Lame.lame_set_VBR_q(Handle, s.VbrQuality);
        Lame.lame_set_VBR_min_bitrate_kbps(Handle, s.VbrMinBitRate);
        Lame.lame_set_VBR_max_bitrate_kbps(Handle, s.VbrMaxBitRate);
    }
    // Tags are written by the program after encoding, never by the encoder.
    Lame.lame_set_write_id3tag_automatic(Handle, 0);
    if (Lame.lame_init_params(Handle) < 0) {
        Close();
        throw ECodecError("LAME init failed");
    }
    StartPosition = canSeek ? Sink.Position() : 0;
    Buffer.assign(OutputBufferSize, 0);
}

bool TLameEncoder::Encode(const char* pcm, int bytes) {
    if (!Handle) {
        Error = EncodeErrorText(-3);
        return false;
    }
    // One encoder call takes at most MaxFramesPerCall frames, so that its output always fits
    // the buffer.
    const int frameSize = 2 * Channels;
    int whole = 0;
    pcm = Aligner.Take(pcm, bytes, whole);
    int frames = whole / frameSize;
    while (frames > 0) {
        const int n = std::min(frames, MaxFramesPerCall);
        int produced;
        if (Channels == 2) {
            produced = Lame.lame_encode_buffer_interleaved(
                Handle, reinterpret_cast<short*>(const_cast<char*>(pcm)), n, Buffer.data(),
                static_cast<int>(Buffer.size()));
        } else {
            MonoBuffer.resize(static_cast<size_t>(n) * 2);
            for (int i = 0; i < n; ++i) {
                short v;
                std::memcpy(&v, pcm + 2 * i, 2);
                MonoBuffer[2 * i] = v;
                MonoBuffer[2 * i + 1] = v;
            }
            produced = Lame.lame_encode_buffer_interleaved(
                Handle, MonoBuffer.data(), n, Buffer.data(), static_cast<int>(Buffer.size()));
        }
        if (produced < 0) {
            Error = EncodeErrorText(produced);
            return false;
        }
        if (produced > 0)
            Sink.Write(Buffer.data(), produced);
        pcm += static_cast<size_t>(n) * frameSize;
        frames -= n;
    }
    return true;
}

void TLameEncoder::Finish() {
    if (!Handle)
        return;
    struct TCloser {
        TLameEncoder* e;
        ~TCloser() { e->Close(); }
    } closer{this};
    const int n = Lame.lame_encode_flush(Handle, Buffer.data(), static_cast<int>(Buffer.size()));
    if (n < 0) {
        if (Error.isEmpty())
            Error = EncodeErrorText(n);
    } else if (n > 0) {
        Sink.Write(Buffer.data(), n);
    }
    if (WantHeader) {
        const size_t size = Lame.lame_get_lametag_frame(Handle, Buffer.data(), Buffer.size());
        if (size > 0 && size <= Buffer.size()) {
            const qint64 end = Sink.Position();
            if (Sink.Seek(StartPosition)) {
                Sink.Write(Buffer.data(), static_cast<qint64>(size));
                HeaderWritten = true;
                Sink.Seek(end);
            }
        }
    }
}
