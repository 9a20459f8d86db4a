#include "VorbisEncLibrary.h"

TVorbisEncApi VorbisEnc;

TCodecLibrary& VorbisEncLibrary() {
    static TCodecLibrary library(
        QStringList{QStringLiteral("libvorbisenc.so.2")},
        [](TCodecLibrary& lib) {
            bool ok = true;
#define SONDREL_ENTRY(fn) ok = lib.Resolve(VorbisEnc.fn, #fn) && ok;
            SONDREL_VORBISENC_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
            (void)lib;
            return ok;
        },
        [] { VorbisEnc = TVorbisEncApi(); });
    return library;
}
