// The MP3 file input: the Windows Media input under another name, since FFmpeg's reader
// decodes MP3 as well (gapless where the file's LAME header says how).
#pragma once

#include "codecs/ACS_WinMedia.h"

class TMP3In : public TWMIn {
public:
    explicit TMP3In(QObject* owner = nullptr) : TWMIn(owner) {}
};
