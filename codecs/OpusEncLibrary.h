// The Ogg Opus encoder library (libopusenc, which brings libopus with it), loaded while any
// Opus output exists. The entry-point table OpusEnc is filled while the library is loaded (see
// TCodecLibrary for the threads that may touch it). The header of the -dev package supplies
// only the types and the request macros.
#pragma once

#include "codecs/CodecLibrary.h"

#include <opusenc.h>

// Every entry point of the library that this program calls.
#define SONDREL_OPUSENC_ENTRY_POINTS(X)                                                            \
    X(ope_comments_create)                                                                         \
    X(ope_comments_add)                                                                            \
    X(ope_comments_destroy)                                                                        \
    X(ope_encoder_create_callbacks)                                                                \
    X(ope_encoder_ctl)                                                                             \
    X(ope_encoder_write)                                                                           \
    X(ope_encoder_write_float)                                                                     \
    X(ope_encoder_drain)                                                                           \
    X(ope_encoder_destroy)                                                                         \
    X(ope_strerror)

struct TOpusEncApi {
#define SONDREL_ENTRY(fn) decltype(&::fn) fn = nullptr;
    SONDREL_OPUSENC_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
};

extern TOpusEncApi OpusEnc;

// The loader of this library (libopusenc.so.0).
TCodecLibrary& OpusEncLibrary();
