// The FLAC codec library (libFLAC), loaded at program start; libFLAC.so.12 is preferred, the older
// soname of the same interface is tried after it.
// The entry-point table Flac is filled while the library is loaded (see TCodecLibrary for
// the threads that may touch it). The header of the -dev package supplies only the types.
#pragma once

#include "codecs/CodecLibrary.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

// Every entry point of the library that this program calls.
#define SONDREL_FLAC_ENTRY_POINTS(X)                                                               \
    X(FLAC__stream_encoder_new)                                                                    \
    X(FLAC__stream_encoder_set_verify)                                                             \
    X(FLAC__stream_encoder_set_channels)                                                           \
    X(FLAC__stream_encoder_set_bits_per_sample)                                                    \
    X(FLAC__stream_encoder_set_sample_rate)                                                        \
    X(FLAC__stream_encoder_set_do_mid_side_stereo)                                                 \
    X(FLAC__stream_encoder_set_loose_mid_side_stereo)                                              \
    X(FLAC__stream_encoder_set_blocksize)                                                          \
    X(FLAC__stream_encoder_set_compression_level)                                                  \
    X(FLAC__stream_encoder_set_max_lpc_order)                                                      \
    X(FLAC__stream_encoder_set_qlp_coeff_precision)                                                \
    X(FLAC__stream_encoder_set_do_qlp_coeff_prec_search)                                           \
    X(FLAC__stream_encoder_set_min_residual_partition_order)                                       \
    X(FLAC__stream_encoder_set_max_residual_partition_order)                                       \
    X(FLAC__stream_encoder_set_do_exhaustive_model_search)                                         \
    X(FLAC__stream_encoder_set_total_samples_estimate)                                             \
    X(FLAC__stream_encoder_init_stream)                                                            \
    X(FLAC__stream_encoder_process_interleaved)                                                    \
    X(FLAC__stream_encoder_finish)                                                                 \
    X(FLAC__stream_encoder_delete)                                                                 \
    X(FLAC__stream_encoder_get_resolved_state_string)                                              \
    X(FLAC__stream_encoder_set_metadata)                                                           \
    X(FLAC__metadata_object_new)                                                                   \
    X(FLAC__metadata_object_delete)                                                                \
    X(FLAC__metadata_object_seektable_template_append_spaced_points_by_samples)                    \
    X(FLAC__metadata_object_seektable_template_sort)

struct TFlacApi {
#define SONDREL_ENTRY(fn) decltype(&::fn) fn = nullptr;
    SONDREL_FLAC_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
};

extern TFlacApi Flac;

// The loader of this library (libFLAC.so.12, libFLAC.so.8).
TCodecLibrary& FlacLibrary();
