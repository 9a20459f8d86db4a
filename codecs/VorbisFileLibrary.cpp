#include "VorbisFileLibrary.h"

TVorbisFileApi VorbisFile;

TCodecLibrary& VorbisFileLibrary() {
    static TCodecLibrary library(
        QStringList{QStringLiteral("libvorbisfile.so.3")},
        [](TCodecLibrary& lib) {
            bool ok = true;
#define SONDREL_ENTRY(fn) ok = lib.Resolve(VorbisFile.fn, #fn) && ok;
            SONDREL_VORBISFILE_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
            (void)lib;
            return ok;
        },
        [] { VorbisFile = TVorbisFileApi(); });
    return library;
}
