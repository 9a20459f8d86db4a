#include "FrameAligner.h"

void TFrameAligner::Reset(int frameSize) {
    FrameSize = frameSize > 0 ? frameSize : 1;
    Rest.clear();
}

const char* TFrameAligner::Take(const char* data, int bytes, int& wholeBytes) {
    if (bytes < 0)
        bytes = 0;
    if (Rest.isEmpty() && bytes % FrameSize == 0) {
        wholeBytes = bytes; // the usual case: no copy
        return data;
    }
    Joined = Rest;
    Joined.append(data, bytes);
    wholeBytes = int(Joined.size() - Joined.size() % FrameSize);
    Rest = Joined.mid(wholeBytes);
    return Joined.constData();
}
