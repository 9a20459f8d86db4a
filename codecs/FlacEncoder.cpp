#include "FlacEncoder.h"

#include "codecs/CodecError.h"
#include "codecs/FlacLibrary.h"

#include <QtEndian>
#include <exception>
#include <string>

namespace {

FLAC__StreamEncoderWriteStatus WriteCallback(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                             size_t bytes, unsigned samples, unsigned,
                                             void* client) {
    return static_cast<TFlacEncoder*>(client)->OnWrite(buffer, bytes, samples) == 0
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

void AppendBE(QByteArray& a, quint64 v, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        a.append(static_cast<char>((v >> shift) & 0xFF));
}

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
    return MetadataBlock(4, body, last);
}

QByteArray TFlacEncoder::MetadataBlock(int type, const QByteArray& body, bool last) {
    QByteArray block;
    block.append(static_cast<char>(type | (last ? 0x80 : 0)));
    AppendBE(block, static_cast<quint32>(body.size()), 3);
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
    PictureBody = s.PictureBody;
    Channels = s.Channels;
    BitsPerSample = s.BitsPerSample;
    Aligner.Reset(BitsPerSample / 8 * Channels);
    TagsWritten = false;
    FramesStarted = false;
    SeekTableOffset = -1;
    WriteError = nullptr;
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
    // libFLAC puts its Vorbis-comment block (replaced in OnWrite) right after STREAMINFO, then
    // these. It fills in the seek points as the frames go by and writes them on Finish.
    if (s.SeekPointSeconds > 0 && s.TotalSamplesEstimate > 0 && Sink.CanSeek()) {
        FLAC__StreamMetadata* table = Flac.FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE);
        if (!table)
            throw ECodecError("Failed to initialize FLAC encoder.");
        Metadata.push_back(table);
        if (!Flac.FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(
                table, unsigned(s.SeekPointSeconds) * unsigned(s.SampleRate),
                FLAC__uint64(s.TotalSamplesEstimate)) ||
            !Flac.FLAC__metadata_object_seektable_template_sort(table, true))
            throw ECodecError("Failed to initialize FLAC encoder.");
    }
    if (s.PaddingBytes > 0) {
        FLAC__StreamMetadata* padding = Flac.FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
        if (!padding)
            throw ECodecError("Failed to initialize FLAC encoder.");
        padding->length = unsigned(s.PaddingBytes);
        Metadata.push_back(padding);
    }
    if (!Metadata.empty() &&
        !Flac.FLAC__stream_encoder_set_metadata(e, Metadata.data(), unsigned(Metadata.size())))
        throw ECodecError("Failed to initialize FLAC encoder.");
    const auto status = Flac.FLAC__stream_encoder_init_stream(
        e, WriteCallback, Sink.CanSeek() ? SeekCallback : nullptr,
        Sink.CanSeek() ? TellCallback : nullptr, MetadataCallback, this);
    if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        const std::string reason = InitFailureReason(status, s);
        Abandon();
        if (WriteError)
            std::rethrow_exception(WriteError);
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
        if (WriteError)
            std::rethrow_exception(WriteError); // the target's own failure says more
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
    if (ok)
        RetireUnreachedSeekPoints();
    FreeMetadata();
    if (!ok && WriteError)
        std::rethrow_exception(WriteError);
    if (!ok)
        throw ECodecError("Failed to complete the FLAC stream (" + state + ").");
}

void TFlacEncoder::RetireUnreachedSeekPoints() {
    // libFLAC filled in, in our block, the points of the frames it wrote; a point planned
    // past the real end (the length was over-estimated) still has no frame. Such points
    // become placeholders, which readers skip, instead of pointing at the first frame.
    if (Metadata.empty() || Metadata[0]->type != FLAC__METADATA_TYPE_SEEKTABLE ||
        SeekTableOffset < 0)
        return;
    // The library's FLAC__STREAM_METADATA_SEEKPOINT_PLACEHOLDER is a variable, out of reach
    // of a program that loads the library at run time.
    constexpr FLAC__uint64 Placeholder = 0xFFFFFFFFFFFFFFFFull;
    FLAC__StreamMetadata* table = Metadata[0];
    FLAC__StreamMetadata_SeekTable& t = table->data.seek_table;
    bool retired = false;
    for (unsigned i = 0; i < t.num_points; ++i) {
        FLAC__StreamMetadata_SeekPoint& p = t.points[i];
        if (p.frame_samples == 0 && p.sample_number != Placeholder) {
            p.sample_number = Placeholder;
            p.stream_offset = 0;
            retired = true;
        }
    }
    if (!retired)
        return;
    Flac.FLAC__metadata_object_seektable_template_sort(table, false); // placeholders go last
    QByteArray points;
    for (unsigned i = 0; i < t.num_points; ++i) {
        AppendBE(points, t.points[i].sample_number, 8);
        AppendBE(points, t.points[i].stream_offset, 8);
        AppendBE(points, t.points[i].frame_samples, 2);
    }
    const qint64 end = Sink.Position();
    if (!Sink.Seek(SeekTableOffset + 4))
        throw ECodecError("Failed to complete the FLAC stream (cannot seek back to its seek "
                          "table).");
    Sink.Write(points.constData(), points.size());
    if (end >= 0)
        Sink.Seek(end);
}

void TFlacEncoder::Abandon() {
    if (Encoder) {
        // Deleting an initialised encoder finishes it first, which writes through our
        // callbacks; they catch their own failures.
        Flac.FLAC__stream_encoder_delete(Encoder);
        Encoder = nullptr;
    }
    FreeMetadata();
}

void TFlacEncoder::FreeMetadata() {
    for (FLAC__StreamMetadata* block : Metadata)
        Flac.FLAC__metadata_object_delete(block);
    Metadata.clear();
}

int TFlacEncoder::OnWrite(const unsigned char* bytes, size_t count, unsigned samples) {
    try {
        // Metadata blocks come whole, one per call, before the first frame.
        if (samples > 0)
            FramesStarted = true;
        if (!FramesStarted && SeekTableOffset < 0 && count > 0 &&
            (bytes[0] & 0x7F) == FLAC__METADATA_TYPE_SEEKTABLE)
            SeekTableOffset = Sink.Position();
        if (!TagsWritten && count > 0 && (bytes[0] & 0x7F) == 4) {
            // The encoder's own Vorbis-comment block: ours goes in its place, keeping its
            // last-metadata-block bit.
            TagsWritten = true;
            const bool last = (bytes[0] & 0x80) != 0;
            QByteArray block = CommentBlock(Comments, last && PictureBody.isEmpty());
            // The picture follows the comments and takes over their last-block bit.
            if (!PictureBody.isEmpty())
                block += MetadataBlock(FLAC__METADATA_TYPE_PICTURE, PictureBody, last);
            Sink.Write(block.constData(), block.size());
        } else {
            Sink.Write(bytes, static_cast<qint64>(count));
        }
        return 0;
    } catch (...) {
        if (!WriteError)
            WriteError = std::current_exception();
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
