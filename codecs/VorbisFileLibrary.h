// The Vorbis file library (libvorbisfile), loaded at program start and required by the Ogg Vorbis
// output, which calls none of it.
// The entry-point table VorbisFile is filled while the library is loaded (see TCodecLibrary for
// the threads that may touch it). The header of the -dev package supplies only the types.
#pragma once

#include "codecs/CodecLibrary.h"

#include <vorbis/vorbisfile.h>

// Every entry point of the library that this program calls.
#define SONDREL_VORBISFILE_ENTRY_POINTS(X)

struct TVorbisFileApi {
#define SONDREL_ENTRY(fn) decltype(&::fn) fn = nullptr;
    SONDREL_VORBISFILE_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
};

extern TVorbisFileApi VorbisFile;

// The loader of this library (libvorbisfile.so.3).
TCodecLibrary& VorbisFileLibrary();
