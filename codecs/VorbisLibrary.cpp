#include "VorbisLibrary.h"

TVorbisApi Vorbis;

TCodecLibrary& VorbisLibrary() {
    static TCodecLibrary library(
        QStringList{QStringLiteral("libvorbis.so.0")},
        [](TCodecLibrary& lib) {
            bool ok = true;
#define SONDREL_ENTRY(fn) ok = lib.Resolve(Vorbis.fn, #fn) && ok;
            SONDREL_VORBIS_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
            (void)lib;
            return ok;
        },
        [] { Vorbis = TVorbisApi(); });
    return library;
}
