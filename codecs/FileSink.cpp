#include "FileSink.h"

#include "audio/Helpers.h"
#include "codecs/CodecError.h"

#include <QCoreApplication>

TFileSink::TFileSink(const QString& path) : File(path) {
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ECodecError(QCoreApplication::translate("TFileSink", "Cannot create file %1: %2")
                              .arg(path, File.errorString())
                              .toStdString());
}

void TFileSink::Write(const void* data, qint64 count) {
    if (!WriteFully(File, static_cast<const char*>(data), count))
        throw ECodecError(QCoreApplication::translate("TFileSink", "Cannot write file %1: %2")
                              .arg(File.fileName(), File.errorString())
                              .toStdString());
}

void TFileSink::Close() {
    if (!File.isOpen())
        return;
    const bool ok = FlushFully(File);
    const QString reason = File.errorString();
    File.close();
    if (!ok)
        throw ECodecError(QCoreApplication::translate("TFileSink", "Cannot write file %1: %2")
                              .arg(File.fileName(), reason)
                              .toStdString());
}
