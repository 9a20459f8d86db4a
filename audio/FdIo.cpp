#include "FdIo.h"

#include <cerrno>
#include <unistd.h>

namespace {

// Calls `step(data, size, done)` (a write of the bytes left, `done` of them already written)
// until every byte is written; an interrupted call is repeated.
template <class Step> bool writeEvery(const char* data, size_t size, Step step) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = step(data + done, size - done, done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

} // namespace

bool WriteAll(int fd, const void* data, size_t size) {
    return writeEvery(static_cast<const char*>(data), size,
                      [fd](const char* p, size_t n, size_t) { return ::write(fd, p, n); });
}

bool WriteAt(int fd, const char* data, qint64 size, qint64 offset) {
    if (size < 0)
        return false;
    return writeEvery(data, size_t(size), [fd, offset](const char* p, size_t n, size_t done) {
        return ::pwrite(fd, p, n, off_t(offset + qint64(done)));
    });
}

bool ReadAt(int fd, char* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

long ReadFull(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return long(done);
}
