// Hands on whole frames only: an input block may end inside a frame (a 24-bit stereo frame is
// 6 bytes, blocks are powers of two), and the bytes of that frame must lead the next block
// instead of being dropped. Used by one encoder on one thread.
#pragma once

#include <QByteArray>

class TFrameAligner {
public:
    // Forgets any held bytes; frames are `frameSize` bytes from now on.
    void Reset(int frameSize);
    // The whole frames of the held bytes followed by `data`: a pointer and a byte count (a
    // multiple of the frame size), valid until the next call. What is left is held.
    const char* Take(const char* data, int bytes, int& wholeBytes);
    // Bytes held back from the last block.
    int Held() const { return int(Rest.size()); }
    int FrameBytes() const { return FrameSize; }

private:
    int FrameSize = 1;
    QByteArray Joined;
    QByteArray Rest;
};
