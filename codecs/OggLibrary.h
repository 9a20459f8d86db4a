// The Ogg container library (libogg), loaded at program start.
// The entry-point table Ogg is filled while the library is loaded (see TCodecLibrary for
// the threads that may touch it). The header of the -dev package supplies only the types.
#pragma once

#include "codecs/CodecLibrary.h"

#include <ogg/ogg.h>

// Every entry point of the library that this program calls.
#define SONDREL_OGG_ENTRY_POINTS(X)                                                                \
    X(ogg_stream_init)                                                                             \
    X(ogg_stream_packetin)                                                                         \
    X(ogg_stream_flush)                                                                            \
    X(ogg_stream_pageout)                                                                          \
    X(ogg_page_eos)                                                                                \
    X(ogg_stream_clear)

struct TOggApi {
#define SONDREL_ENTRY(fn) decltype(&::fn) fn = nullptr;
    SONDREL_OGG_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
};

extern TOggApi Ogg;

// The loader of this library (libogg.so.0).
TCodecLibrary& OggLibrary();
