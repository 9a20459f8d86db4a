#include "LameLibrary.h"

TLameApi Lame;

TCodecLibrary& LameLibrary() {
    static TCodecLibrary library(
        QStringList{QStringLiteral("libmp3lame.so.0")},
        [](TCodecLibrary& lib) {
            bool ok = true;
#define SONDREL_ENTRY(fn) ok = lib.Resolve(Lame.fn, #fn) && ok;
            SONDREL_LAME_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
            (void)lib;
            return ok;
        },
        [] { Lame = TLameApi(); });
    return library;
}
