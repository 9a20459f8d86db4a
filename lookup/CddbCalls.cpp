#include "CddbCalls.h"

#include "CddbClient.h"

#include <cstring>

namespace {

TCddbClient& threadClient() {
    thread_local TCddbClient client;
    return client;
}

// The length of the longest prefix of `text` within `limit` bytes that ends on a UTF-8
// character boundary.
qsizetype utf8Cut(const QByteArray& text, qsizetype limit) {
    if (text.size() <= limit)
        return text.size();
    qsizetype cut = limit;
    while (cut > 0 && (uchar(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

void copyField(char* out, size_t size, const QString& text) {
    CopyTextToBuffer(text.toUtf8(), out, int(size), false);
}

} // namespace

void CopyTextToBuffer(const QByteArray& text, char* out, int size, bool wholeLines) {
    if (!out || size < 1)
        return;
    const qsizetype room = size - 1;
    qsizetype n = text.size();
    if (n > room) {
        n = -1;
        if (wholeLines) {
            const qsizetype lastBreak = text.lastIndexOf('\n', room - 1);
            if (lastBreak >= 0)
                n = lastBreak + 1;
        }
        if (n < 0)
            n = utf8Cut(text, room);
    }
    std::memcpy(out, text.constData(), size_t(n));
    out[n] = '\0';
}

int CDDBSetOption(int option, const char* text, int number) {
    return threadClient().setOption(option, text ? QString::fromUtf8(text) : QString(), number) ? 1
                                                                                                : 0;
}

int CDDBQueryDisc(const TTableOfContents& disc, TCddbQuery* query, const std::atomic<bool>* stop) {
    if (!query || !query->Matches || query->Count < 1) {
        if (query)
            query->Count = 0;
        return 0;
    }
    const int capacity = qMin<int>(query->Count, 10);
    query->Count = 0;
    std::vector<TCddbClient::Match> matches;
    if (!threadClient().query(disc, capacity, &matches, stop))
        return 0;
    for (size_t i = 0; i < matches.size(); ++i) {
        TCddbMatch& entry = query->Matches[i];
        std::memset(&entry, 0, sizeof entry);
        copyField(entry.Category, sizeof entry.Category, matches[i].Category);
        copyField(entry.DiscId, sizeof entry.DiscId, matches[i].DiscId);
        copyField(entry.Title, sizeof entry.Title, matches[i].Title);
    }
    query->Count = int32_t(matches.size());
    return 1;
}

int CDDBQuery(HCDROM handle, TCddbQuery* query, const std::atomic<bool>* stop) {
    TTableOfContents toc;
    if (ReadTableOfContents(handle, &toc) != 1) {
        if (query)
            query->Count = 0;
        threadClient().setFailure(TCddbClient::ErrArgument,
                                  QStringLiteral("The table of contents of the disc cannot be "
                                                 "read."));
        return 0;
    }
    return CDDBQueryDisc(toc, query, stop);
}

int CDDBGetDiskInfo(const TCddbMatch* match, char* buffer, int size,
                    const std::atomic<bool>* stop) {
    if (!buffer || size < 1)
        return 0;
    buffer[0] = '\0';
    if (!match)
        return 0;
    const QString category =
        QString::fromUtf8(match->Category, qstrnlen(match->Category, sizeof match->Category));
    const QString discId =
        QString::fromUtf8(match->DiscId, qstrnlen(match->DiscId, sizeof match->DiscId));
    QString record;
    if (!threadClient().read(category, discId, &record, stop))
        return 0;
    CopyTextToBuffer(record.toUtf8(), buffer, size, true);
    return 1;
}

int CDDBGetLastError() {
    return threadClient().lastError();
}

QString CDDBFailureText() {
    return threadClient().FailureText();
}
