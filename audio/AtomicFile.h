// Writes a file through a temporary file in the same folder that is renamed over the target
// on commit, so a failure at any point leaves the old file as it was. Every write is checked
// (a short write, e.g. a full disk, is an error). One thread at a time.
#pragma once

#include <QByteArray>
#include <QString>

class TAtomicFile {
public:
    explicit TAtomicFile(const QString& path);
    ~TAtomicFile(); // removes the temporary file unless committed
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Creates the temporary file. False with FailureText() set on failure.
    bool open();
    // Appends all of `size` bytes. False on a failed or short write.
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Flushes to disk and renames over the target, keeping the target's permissions when it
    // existed. False on failure; the target is then unchanged.
    bool commit();

    // "Cannot write <path>: <system reason>" for the last failure.
    const QString& FailureText() const { return m_error; }

    // Writes `bytes` as the whole new content of `path`; false with `error` set on failure.
    static bool writeWhole(const QString& path, const QByteArray& bytes, QString* error);

private:
    bool fail(int err);

    QString m_path;
    QByteArray m_tempName;
    int m_fd = -1;
    bool m_committed = false;
    QString m_error;
};
