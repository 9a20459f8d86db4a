#include "OggLibrary.h"

TOggApi Ogg;

TCodecLibrary& OggLibrary() {
    static TCodecLibrary library(
        QStringList{QStringLiteral("libogg.so.0")},
        [](TCodecLibrary& lib) {
            bool ok = true;
#define SONDREL_ENTRY(fn) ok = lib.Resolve(Ogg.fn, #fn) && ok;
            SONDREL_OGG_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
            (void)lib;
            return ok;
        },
        [] { Ogg = TOggApi(); });
    return library;
}
