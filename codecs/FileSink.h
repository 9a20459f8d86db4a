// A byte sink writing a file of its own (QFile), for encoders used outside an output
// component. Used on one thread at a time.
#pragma once

#include "codecs/ByteSink.h"

#include <QFile>

class TFileSink : public TByteSink {
public:
    // Creates or truncates `path`; throws ECodecError naming the file when that fails.
    explicit TFileSink(const QString& path);
    void Write(const void* data, qint64 count) override;
    bool Seek(qint64 position) override { return File.seek(position); }
    qint64 Position() override { return File.pos(); }
    bool CanSeek() override { return !File.isSequential(); }
    // Flushes and closes; throws ECodecError when the last bytes cannot be written.
    void Close();

private:
    QFile File;
};
