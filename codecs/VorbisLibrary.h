// The Vorbis codec library (libvorbis), loaded at program start.
// The entry-point table Vorbis is filled while the library is loaded (see TCodecLibrary for
// the threads that may touch it). The header of the -dev package supplies only the types.
#pragma once

#include "codecs/CodecLibrary.h"

#include <vorbis/codec.h>

// Every entry point of the library that this program calls.
#define SONDREL_VORBIS_ENTRY_POINTS(X)                                                             \
    X(vorbis_info_init)                                                                            \
    X(vorbis_comment_init)                                                                         \
    X(vorbis_comment_add_tag)                                                                      \
    X(vorbis_analysis_init)                                                                        \
    X(vorbis_block_init)                                                                           \
    X(vorbis_analysis_headerout)                                                                   \
    X(vorbis_analysis_buffer)                                                                      \
    X(vorbis_analysis_wrote)                                                                       \
    X(vorbis_analysis_blockout)                                                                    \
    X(vorbis_analysis)                                                                             \
    X(vorbis_bitrate_addblock)                                                                     \
    X(vorbis_bitrate_flushpacket)                                                                  \
    X(vorbis_block_clear)                                                                          \
    X(vorbis_dsp_clear)                                                                            \
    X(vorbis_comment_clear)                                                                        \
    X(vorbis_info_clear)

struct TVorbisApi {
#define SONDREL_ENTRY(fn) decltype(&::fn) fn = nullptr;
    SONDREL_VORBIS_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
};

extern TVorbisApi Vorbis;

// The loader of this library (libvorbis.so.0).
TCodecLibrary& VorbisLibrary();
