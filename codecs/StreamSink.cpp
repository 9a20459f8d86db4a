#include "StreamSink.h"

#include "audio/ACS_Classes.h"
#include "audio/Helpers.h"

#include <QCoreApplication>
#include <QFileDevice>

namespace {

QString StreamName(QIODevice* stream) {
    if (auto* f = qobject_cast<QFileDevice*>(stream))
        return f->fileName();
    return QStringLiteral("(stream)");
}

} // namespace

void TStreamSink::Write(const void* data, qint64 count) {
    if (!Stream || !WriteFully(*Stream, static_cast<const char*>(data), count))
        throw EAuException(
            QCoreApplication::translate("TStreamSink", "Cannot write file %1: %2")
                .arg(StreamName(Stream), Stream ? Stream->errorString() : QString()));
}

bool TStreamSink::Seek(qint64 position) {
    return CanSeek() && Stream->seek(position);
}

qint64 TStreamSink::Position() {
    return CanSeek() ? Stream->pos() : -1;
}

void TStreamSink::Flush(QIODevice* stream) {
    auto* f = qobject_cast<QFileDevice*>(stream);
    if (f && f->isOpen() && !FlushFully(*f))
        throw EAuException(QCoreApplication::translate("TStreamSink", "Cannot write file %1: %2")
                               .arg(f->fileName(), f->errorString()));
}
