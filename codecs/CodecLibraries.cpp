#include "CodecLibraries.h"

#include "codecs/FlacLibrary.h"
#include "codecs/OggLibrary.h"
#include "codecs/VorbisEncLibrary.h"
#include "codecs/VorbisFileLibrary.h"
#include "codecs/VorbisLibrary.h"

void LoadCodecLibraries() {
    OggLibrary().Load();
    VorbisLibrary().Load();
    VorbisFileLibrary().Load();
    VorbisEncLibrary().Load();
    FlacLibrary().Load();
}

void ReleaseCodecLibraries() {
    FlacLibrary().Release();
    VorbisEncLibrary().Release();
    VorbisFileLibrary().Release();
    VorbisLibrary().Release();
    OggLibrary().Release();
}
