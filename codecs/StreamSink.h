// A byte sink over an output's target stream (a QIODevice, usually the TAuFileStream the
// output created). Used on the output's worker thread only.
#pragma once

#include "codecs/ByteSink.h"

#include <QIODevice>

class TStreamSink : public TByteSink {
public:
    explicit TStreamSink(QIODevice* stream) : Stream(stream) {}
    // Throws EAuException "Cannot write file <name>: <reason>", with the system's error number,
    // when not all bytes are taken.
    void Write(const void* data, qint64 count) override;
    bool Seek(qint64 position) override;
    qint64 Position() override;
    bool CanSeek() override { return Stream && !Stream->isSequential(); }

    // Pushes buffered bytes of a file stream to the system; throws EAuException when that
    // fails (a full disc shows up here). Streams that are not files are left alone.
    static void Flush(QIODevice* stream);

private:
    QIODevice* Stream;
};
