#include "FlacEncoder.h"

#include "codecs/CodecError.h"
#include "codecs/FlacLibrary.h"

#include <QtEndian>
#include <exception>
#include <string>

namespace {

FLAC__StreamEncoderWriteStatus WriteCallback(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                             size_t bytes, unsigned, unsigned, void* client) {
    return static_cast<TFlacEncoder*>(client)->OnWrite(buffer, bytes) == 0
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus SeekCallback(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                           void* client) {
    return static_cast<TFlacEncoder*>(client)->OnSeek(offset) == 0
               ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
               : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus TellCallback(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                           void* client) {
    return static_cast<TFlacEncoder*>(client)->OnTell(offset) == 0
               ? FLAC__STREAM_ENCODER_TELL_STATUS_OK
               : FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
}

void MetadataCallback(const FLAC__StreamEncoder*, const FLAC__StreamMetadata*, void*) {}

void AppendLE32(QByteArray& a, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    a.append(b, 4);
}

} // namespace

TFlacEncoder::TFlacEncoder(TByteSink& sink) : Sink(sink) {}

TFlacEncoder::~TFlacEncoder() {
    Abandon();
}

QByteArray TFlacEncoder::CommentBlock(const std::vector<QByteArray>& comments, bool last) {
    QByteArray body;
    const QByteArray vendor(Vendor);
    AppendLE32(body, static_cast<quint32>(vendor.size()));
    body.append(vendor);
    AppendLE32(body, static_cast<quint32>(comments.size()));
    for (const QByteArray& c : comments) {
        AppendLE32(body, static_cast<quint32>(c.size()));
        body.append(c);
    }
    QByteArray block;
    block.append(static_cast<char>(last ? 0x84 : 0x04));
    const quint32 n = static_cast<quint32>(body.size());
    block.append(static_cast<char>((n >> 16) & 0xFF));
    block.append(static_cast<char>((n >> 8) & 0xFF));
    block.append(static_cast<char>(n & 0xFF));
    block.append(body);
    return block;
}

std::string TFlacEncoder::InitFailureReason(int status, const TFlacSettings& s) const {
    const auto n = [](int v) { return std::to_string(v); };
    switch (status) {
    case FLAC__STREAM_ENCODER_INIT_STATUS_ENCODER_ERROR:
        return Flac.FLAC__stream_encoder_get_resolved_state_string(Encoder);
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_NUMBER_OF_CHANNELS:
        return "FLAC cannot hold " + n(s.Channels) + " channels";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_BITS_PER_SAMPLE:
        return "FLAC cannot hold " + n(s.BitsPerSample) + " bits per sample";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_SAMPLE_RATE:
        return "FLAC cannot hold a sample rate of " + n(s.SampleRate) + " Hz";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_BLOCK_SIZE:
    case FLAC__STREAM_ENCODER_INIT_STATUS_BLOCK_SIZE_TOO_SMALL_FOR_LPC_ORDER:
        return "block size " + n(s.BlockSize) + " does not suit the settings";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_MAX_LPC_ORDER:
        return "LPC order " + n(s.MaxLpcOrder) + " is out of range";
    case FLAC__STREAM_ENCODER_INIT_STATUS_INVALID_QLP_COEFF_PRECISION:
        return "coefficient precision " + n(s.QlpCoeffPrecision) + " is out of range";
    case FLAC__STREAM_ENCODER_INIT_STATUS_NOT_STREAMABLE:
        return "the settings give a stream that is not streamable";
    default:
        return "libFLAC init status " + n(status);
    }
}

void TFlacEncoder::Start(const TFlacSettings& s) {
    Abandon();
    Comments = s.Comments;
    Channels = s.Channels;
    BitsPerSample = s.BitsPerSample;
    Aligner.Reset(BitsPerSample / 8 * Channels);
    TagsWritten = false;
    WriteError.clear();
    Encoder = Flac.FLAC__stream_encoder_new();
    if (!Encoder)
        throw ECodecError("Failed to initialize FLAC encoder.");
    auto* e = Encoder;
    Flac.FLAC__stream_encoder_set_verify(e, s.Verify);
    Flac.FLAC__stream_encoder_set_channels(e, s.Channels);
    Flac.FLAC__stream_encoder_set_bits_per_sample(e, s.BitsPerSample);
    Flac.FLAC__stream_encoder_set_sample_rate(e, s.SampleRate);
    if (s.Channels == 2) {
        Flac.FLAC__stream_encoder_set_do_mid_side_stereo(e, s.MidSideStereo);
        Flac.FLAC__stream_encoder_set_loose_mid_side_stereo(e, s.LooseMidSideStereo);
    }
    if (s.CompressionLevel < 0) {
        Flac.FLAC__stream_encoder_set_blocksize(e, s.BlockSize);
        Flac.FLAC__stream_encoder_set_max_lpc_order(e, s.MaxLpcOrder);
        Flac.FLAC__stream_encoder_set_qlp_coeff_precision(e, s.QlpCoeffPrecision);
        Flac.FLAC__stream_encoder_set_do_qlp_coeff_prec_search(e, s.QlpCoeffPrecisionSearch);
        Flac.FLAC__stream_encoder_set_min_residual_partition_order(e, s.MinResidualPartitionOrder);
        Flac.FLAC__stream_encoder_set_max_residual_partition_order(e, s.MaxResidualPartitionOrder);
        Flac.FLAC__stream_encoder_set_do_exhaustive_model_search(e, s.ExhaustiveModelSearch);
    } else {
        // A preset includes its block size (1152 samples for levels 0 to 2, 4096 above).
        // libFLAC keeps a block size that was set explicitly, whatever the level says, so
        // none is set here: 4608 would make level 2 twice as slow as the preset and not
        // what the level stands for.
        Flac.FLAC__stream_encoder_set_compression_level(e, s.CompressionLevel);
    }
    if (s.TotalSamplesEstimate > 0)
        Flac.FLAC__stream_encoder_set_total_samples_estimate(e, s.TotalSamplesEstimate);
    const auto status = Flac.FLAC__stream_encoder_init_stream(
        e, WriteCallback, Sink.CanSeek() ? SeekCallback : nullptr,
        Sink.CanSeek() ? TellCallback : nullptr, MetadataCallback, this);
    if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        const std::string reason = InitFailureReason(status, s);
        Abandon();
        if (!WriteError.empty())
            throw ECodecError(WriteError);
        throw ECodecError("Failed to initialize FLAC encoder. (" + reason + ")");
    }
}

void TFlacEncoder::Encode(const char* pcm, int bytes) {
    if (!Encoder)
        return;
    const int width = BitsPerSample / 8;
    int whole = 0;
    pcm = Aligner.Take(pcm, bytes, whole);
    const int frames = whole / (width * Channels);
    if (frames <= 0)
        return;
    Samples.resize(static_cast<size_t>(frames) * Channels);
    const auto* p = reinterpret_cast<const unsigned char*>(pcm);
    const size_t count = Samples.size();
    if (width == 2) {
        for (size_t i = 0; i < count; ++i)
            Samples[i] = static_cast<int16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    } else if (width == 1) {
        for (size_t i = 0; i < count; ++i)
            Samples[i] = static_cast<int>(p[i]) - 128;
    } else {
        for (size_t i = 0; i < count; ++i) {
            const unsigned char* b = p + 3 * i;
            Samples[i] = static_cast<int32_t>((static_cast<uint32_t>(b[0]) << 8) |
                                              (static_cast<uint32_t>(b[1]) << 16) |
                                              (static_cast<uint32_t>(b[2]) << 24)) >>
                         8;
        }
    }
    if (!Flac.FLAC__stream_encoder_process_interleaved(Encoder, Samples.data(), frames)) {
        if (!WriteError.empty())
            throw ECodecError(WriteError); // the target's own failure says more
        throw ECodecError(std::string("Failed to encode data. (") +
                          Flac.FLAC__stream_encoder_get_resolved_state_string(Encoder) + ")");
    }
}

void TFlacEncoder::Finish() {
    if (!Encoder)
        return;
    const bool ok = Flac.FLAC__stream_encoder_finish(Encoder);
    std::string state;
    if (!ok)
        state = Flac.FLAC__stream_encoder_get_resolved_state_string(Encoder);
    Flac.FLAC__stream_encoder_delete(Encoder);
    Encoder = nullptr;
    if (!ok && !WriteError.empty())
        throw ECodecError(WriteError);
    if (!ok)
        throw ECodecError("Failed to complete the FLAC stream (" + state + ").");
}

void TFlacEncoder::Abandon() {
    if (!Encoder)
        return;
    // Deleting an initialised encoder finishes it first, which writes through our callbacks;
    // they catch their own failures.
    Flac.FLAC__stream_encoder_delete(Encoder);
    Encoder = nullptr;
}

int TFlacEncoder::OnWrite(const unsigned char* bytes, size_t count) {
    try {
        if (!TagsWritten && count > 0 && (bytes[0] & 0x7F) == 4) {
            // The encoder's own Vorbis-comment block: ours goes in its place, keeping its
            // last-metadata-block bit.
            TagsWritten = true;
            const QByteArray block = CommentBlock(Comments, (bytes[0] & 0x80) != 0);
            Sink.Write(block.constData(), block.size());
        } else {
            Sink.Write(bytes, static_cast<qint64>(count));
        }
        return 0;
    } catch (const std::exception& e) {
        if (WriteError.empty())
            WriteError = e.what();
        return 1;
    } catch (...) {
        if (WriteError.empty())
            WriteError = "Cannot write the FLAC stream.";
        return 1;
    }
}

int TFlacEncoder::OnSeek(uint64_t offset) {
    try {
        return Sink.Seek(static_cast<qint64>(offset)) ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

int TFlacEncoder::OnTell(uint64_t* offset) {
    try {
        const qint64 p = Sink.Position();
        if (p < 0)
            return 1;
        *offset = static_cast<uint64_t>(p);
        return 0;
    } catch (...) {
        return 1;
    }
}
