// The LAME MP3 encoder library (libmp3lame), loaded while any MP3 output exists.
// The entry-point table Lame is filled while the library is loaded (see TCodecLibrary for
// the threads that may touch it). The header of the -dev package supplies only the types.
#pragma once

#include "codecs/CodecLibrary.h"

#include <lame/lame.h>

// Every entry point of the library that this program calls.
#define SONDREL_LAME_ENTRY_POINTS(X)                                                               \
    X(lame_init)                                                                                   \
    X(lame_set_num_samples)                                                                        \
    X(lame_set_in_samplerate)                                                                      \
    X(lame_set_num_channels)                                                                       \
    X(lame_set_out_samplerate)                                                                     \
    X(lame_set_mode)                                                                               \
    X(lame_set_copyright)                                                                          \
    X(lame_set_original)                                                                           \
    X(lame_set_error_protection)                                                                   \
    X(lame_set_brate)                                                                              \
    X(lame_set_quality)                                                                            \
    X(lame_set_bWriteVbrTag)                                                                       \
    X(lame_set_VBR)                                                                                \
    X(lame_set_VBR_q)                                                                              \
    X(lame_set_VBR_min_bitrate_kbps)                                                               \
    X(lame_set_VBR_max_bitrate_kbps)                                                               \
    X(lame_set_write_id3tag_automatic)                                                             \
    X(lame_init_params)                                                                            \
    X(lame_encode_buffer_interleaved)                                                              \
    X(lame_encode_flush)                                                                           \
    X(lame_get_lametag_frame)                                                                      \
    X(lame_close)

struct TLameApi {
#define SONDREL_ENTRY(fn) decltype(&::fn) fn = nullptr;
    SONDREL_LAME_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
};

extern TLameApi Lame;

// The loader of this library (libmp3lame.so.0).
TCodecLibrary& LameLibrary();
