// Tells whether bytes a server sent as a cover are a whole JPEG or PNG picture before anything
// embeds or saves them: a JPEG must start with its SOI and end with its EOI marker, a PNG must
// end with its IEND chunk and every chunk's CRC must hold, and then Qt must decode the picture
// within MaxSide x MaxSide pixels. (Qt alone takes the first few kB of a JPEG for a whole
// picture.) Any thread.
#pragma once

#include <QByteArray>
#include <QString>

class TCoverCheck {
public:
    static constexpr int MaxSide = 4096; // pixels, each way

    // True when `bytes` are a whole picture; otherwise false with `reason` saying what is
    // wrong ("the JPEG data ends before its end marker", ...).
    static bool IsWholePicture(const QByteArray& bytes, QString* reason);

private:
    static bool checkJpeg(const QByteArray& bytes, QString* reason);
    static bool checkPng(const QByteArray& bytes, QString* reason);
};
