// The Vorbis encoder set-up library (libvorbisenc), loaded at program start.
// The entry-point table VorbisEnc is filled while the library is loaded (see TCodecLibrary for
// the threads that may touch it). The header of the -dev package supplies only the types.
#pragma once

#include "codecs/CodecLibrary.h"

#include <vorbis/vorbisenc.h>

// Every entry point of the library that this program calls.
#define SONDREL_VORBISENC_ENTRY_POINTS(X)                                                          \
    X(vorbis_encode_setup_vbr)                                                                     \
    X(vorbis_encode_setup_init)                                                                    \
    X(vorbis_encode_init)

struct TVorbisEncApi {
#define SONDREL_ENTRY(fn) decltype(&::fn) fn = nullptr;
    SONDREL_VORBISENC_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
};

extern TVorbisEncApi VorbisEnc;

// The loader of this library (libvorbisenc.so.2).
TCodecLibrary& VorbisEncLibrary();
