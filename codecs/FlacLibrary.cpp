#include "FlacLibrary.h"

TFlacApi Flac;

TCodecLibrary& FlacLibrary() {
    static TCodecLibrary library(
        QStringList{QStringLiteral("libFLAC.so.12"), QStringLiteral("libFLAC.so.8")},
        [](TCodecLibrary& lib) {
            bool ok = true;
#define SONDREL_ENTRY(fn) ok = lib.Resolve(Flac.fn, #fn) && ok;
            SONDREL_FLAC_ENTRY_POINTS(SONDREL_ENTRY)
#undef SONDREL_ENTRY
            (void)lib;
            return ok;
        },
        [] { Flac = TFlacApi(); });
    return library;
}
