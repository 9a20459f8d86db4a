#include "StreamSink.h"

#include "audio/ACS_Classes.h"
#include "audio/Helpers.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <cerrno>

namespace {

QString StreamName(QIODevice* stream) {
    if (auto* f = qobject_cast<QFileDevice*>(stream))
        return f->fileName();
    return QStringLiteral("(stream)");
}

} // namespace

void TStreamSink::Write(const void* data, qint64 count) {
    // Cleared first, so the number kept is that of the write that failed.
    errno = 0;
    if (!Stream || !WriteFully(*Stream, static_cast<const char*>(data), count)) {
        const int systemError = Stream ? errno : 0;
        throw EAuException(QCoreApplication::translate("TStreamSink", "Cannot write file %1: %2")
                               .arg(StreamName(Stream), Stream ? Stream->errorString() : QString()),
                           systemError);
    }
}

bool TStreamSink::Seek(qint64 position) {
    return CanSeek() && Stream->seek(position);
}

qint64 TStreamSink::Position() {
    return CanSeek() ? Stream->pos() : -1;
}

void TStreamSink::Flush(QIODevice* stream) {
    auto* f = qobject_cast<QFileDevice*>(stream);
    errno = 0;
    if (f && f->isOpen() && !FlushFully(*f)) {
        const int systemError = errno;
        throw EAuException(QCoreApplication::translate("TStreamSink", "Cannot write file %1: %2")
                               .arg(f->fileName(), f->errorString()),
                           systemError);
    }
}
