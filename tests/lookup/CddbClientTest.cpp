// The CDDB calls against a real HTTP server on 127.0.0.1: the requests they send, the answers
// they understand, and how they end when the server is dead, silent or hostile.
#include "lookup/CddbClient.h"
#include "lookup/CddbCalls.h"
#include "tests/common/CddbTestServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Tracks at 00:02:00, 01:12:20, 02:42:00, lead-out 03:22:00. Worked by hand from the published
// definition: start seconds 2, 72, 162 have digit sums 2 + 9 + 9 = 20 = 0x14; the playing time
// is 202 - 2 = 200 s = 0x00c8; 3 tracks.
TTableOfContents threeTracks() {
    TTableOfContents d;
    d.StartFrames = {150, 5420, 12150};
    d.LeadOutFrame = 15150;
    return d;
}

struct TQueryTable {
    TCddbMatch Entries[10];
    TCddbQuery Query;
    TQueryTable() { reset(); }
    TQueryTable(const TQueryTable&) = delete;
    void reset() {
        std::memset(Entries, 0, sizeof Entries);
        Query.Count = 10;
        Query.Matches = Entries;
    }
};

// Sets the options the lookup sets, against `server`, with a short time limit.
void setOptions(const QString& server, int timeoutSeconds = 5) {
    CDDBSetOption(CDDB_OPT_SERVER, server.toUtf8().constData(), 0);
    CDDBSetOption(CDDB_OPT_CGI, "/~cddb/cddb.cgi", 0);
    CDDBSetOption(CDDB_OPT_USER, CddbPlaceholderEmail, 0);
    CDDBSetOption(CDDB_OPT_AGENT, "program 1.0", 0);
    CDDBSetOption(CDDB_OPT_RESERVED, "", 0);
    CDDBSetOption(CDDB_OPT_USEPROXY, nullptr, 0);
    CDDBSetOption(CDDB_OPT_TIMEOUT, nullptr, timeoutSeconds);
}

QByteArray queryLine(const QString& server) {
    Q_UNUSED(server);
    return "GET /~cddb/cddb.cgi?cmd=cddb+query+1400c803+3+150+5420+12150+202"
           "&hello=sondrel+localhost+program+1.0&proto=6 HTTP/1.1";
}

} // namespace

TEST(CddbId, IdAndQueryWords) {
    const TTableOfContents d = threeTracks();
    EXPECT_EQ(d.cddbId(), 0x1400c803u);
    EXPECT_EQ(d.cddbIdText(), QStringLiteral("1400c803"));
    EXPECT_EQ(d.cddbQueryWords(), QStringLiteral("1400c803+3+150+5420+12150+202"));
    // A digit sum beyond 255 wraps: 99 tracks of 99 minutes would not fit a disc, so check a
    // single long track instead: start 2 s, lead-out 4599 s -> 0x02, 4597 = 0x11f5, 1 track.
    TTableOfContents one;
    one.StartFrames = {150};
    one.LeadOutFrame = 4599 * 75;
    EXPECT_EQ(one.cddbIdText(), QStringLiteral("0211f501"));
    TTableOfContents bad;
    bad.StartFrames = {150, 100};
    bad.LeadOutFrame = 200;
    EXPECT_FALSE(bad.isValid());
}

TEST(CddbCalls, ExactMatchAndRecordOverHttp) {
    const QByteArray rec =
        TCddbTestServer::record(QStringLiteral("1400c803"), QStringLiteral("Ärtist / Album"),
                                QStringLiteral("2001"), QStringLiteral("Rock"),
                                {QStringLiteral("TTITLE0=One"), QStringLiteral("TTITLE1=Two"),
                                 QStringLiteral("TTITLE2=Three")});
    TCddbTestServer server(TCddbTestServer::cddb(
        "200 rock 1400c803 \xc3\x84rtist / Album\r\n",
        {{QStringLiteral("rock 1400c803"),
          TCddbTestServer::readAnswer(QStringLiteral("rock"), QStringLiteral("1400c803"), rec)}}));
    ASSERT_TRUE(server.isListening());
    setOptions(server.address());

    TQueryTable t;
    ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1) << CDDBFailureText().toStdString();
    ASSERT_EQ(t.Query.Count, 1);
    EXPECT_STREQ(t.Entries[0].Category, "rock");
    EXPECT_STREQ(t.Entries[0].DiscId, "1400c803");
    EXPECT_STREQ(t.Entries[0].Title, "\xc3\x84rtist / Album");

    std::vector<char> buffer(32000, 'x');
    ASSERT_EQ(CDDBGetDiskInfo(&t.Entries[0], buffer.data(), 32000), 1);
    const QString text = QString::fromUtf8(buffer.data());
    EXPECT_TRUE(text.contains(QStringLiteral("DTITLE=Ärtist / Album\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("TTITLE2=Three\n")));
    EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    EXPECT_FALSE(text.startsWith(QStringLiteral("210")));
    EXPECT_FALSE(text.contains(QStringLiteral("\n.")));

    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].RequestLine, queryLine(server.address()));
    EXPECT_EQ(seen[0].Host, server.address().toUtf8());
    EXPECT_EQ(seen[1].RequestLine, "GET /~cddb/cddb.cgi?cmd=cddb+read+rock+1400c803"
                                   "&hello=sondrel+localhost+program+1.0&proto=6 HTTP/1.1");
    EXPECT_EQ(seen[1].Query.value(QStringLiteral("hello")),
              QStringLiteral("sondrel localhost program 1.0"));
}

TEST(CddbCalls, MatchListsAndNoMatch) {
    // 210 and 211 lists; lines that a request could be built from dangerously are dropped, and
    // no more entries are filled than the caller offers.
    QByteArray list = "211 Found inexact matches, list follows (until terminating `.')\r\n"
                      "misc 1400c803 First / One\r\n"
                      "rock&cmd=x 1400c803 Injected / Category\r\n"
                      "rock 1400c8 Short / Id\r\n"
                      "jazz 1400C804 Second / Two\r\n";
    for (int i = 0; i < 12; ++i)
        list += "blues 0000000" + QByteArray::number(i % 10) + " Filler\r\n";
    list += ".\r\n";
    {
        TCddbTestServer server(TCddbTestServer::cddb(list, {}));
        setOptions(server.address());
        TQueryTable t;
        ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1);
        ASSERT_EQ(t.Query.Count, 10);
        EXPECT_STREQ(t.Entries[0].Category, "misc");
        EXPECT_STREQ(t.Entries[1].Category, "jazz");
        EXPECT_STREQ(t.Entries[1].DiscId, "1400c804");
        EXPECT_STREQ(t.Entries[1].Title, "Second / Two");
        EXPECT_STREQ(t.Entries[9].Category, "blues");

        TQueryTable small;
        small.Query.Count = 2;
        ASSERT_EQ(CDDBQueryDisc(threeTracks(), &small.Query), 1);
        EXPECT_EQ(small.Query.Count, 2);
        EXPECT_EQ(small.Entries[2].Category[0], '\0');
    }
    {
        TCddbTestServer server(
            TCddbTestServer::cddb("210 Found exact matches, list follows (until terminating `.')\n"
                                  "rock 1400c803 A / B\nsoundtrack 1400c803 C / D\n.\n",
                                  {}));
        setOptions(server.address());
        TQueryTable t;
        ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1);
        ASSERT_EQ(t.Query.Count, 2);
        EXPECT_STREQ(t.Entries[1].Category, "soundtrack");
    }
    {
        TCddbTestServer server(TCddbTestServer::cddb("202 No match found.\r\n", {}));
        setOptions(server.address());
        TQueryTable t;
        EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1);
        EXPECT_EQ(t.Query.Count, 0);
    }
    {
        TCddbTestServer server(TCddbTestServer::cddb("403 Database entry is corrupt.\r\n", {}));
        setOptions(server.address());
        TQueryTable t;
        EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 0);
        EXPECT_EQ(t.Query.Count, 0);
        EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrProtocol);
        EXPECT_TRUE(CDDBFailureText().contains(QStringLiteral("403")));
        // A read of an entry the server does not have fails and leaves an empty buffer.
        TCddbMatch m{};
        std::strcpy(m.Category, "rock");
        std::strcpy(m.DiscId, "12345678");
        char buffer[64];
        EXPECT_EQ(CDDBGetDiskInfo(&m, buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, "");
    }
}

TEST(CddbCalls, RecordIsCutToTheBufferAtALineEnd) {
    QStringList titles;
    for (int i = 0; i < 99; ++i)
        titles << QStringLiteral("TTITLE%1=%2").arg(i).arg(QString(400, QChar(0x00e9)));
    const QByteArray rec =
        TCddbTestServer::record(QStringLiteral("1400c803"), QStringLiteral("A / B"),
                                QStringLiteral("1"), QStringLiteral("Rock"), titles);
    ASSERT_GT(rec.size(), 32000);
    TCddbTestServer server(TCddbTestServer::cddb(
        "200 rock 1400c803 A / B\r\n",
        {{QStringLiteral("rock 1400c803"),
          TCddbTestServer::readAnswer(QStringLiteral("rock"), QStringLiteral("1400c803"), rec)}}));
    setOptions(server.address());
    TQueryTable t;
    ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1);
    std::vector<char> buffer(32000 + 16, 'x');
    ASSERT_EQ(CDDBGetDiskInfo(&t.Entries[0], buffer.data(), 32000), 1);
    const size_t len = strnlen(buffer.data(), 32000);
    ASSERT_LT(len, 32000u);
    EXPECT_EQ(buffer[len - 1], '\n'); // whole lines only
    EXPECT_EQ(buffer[32000], 'x');    // nothing written past the buffer
    const QByteArray text(buffer.data(), qsizetype(len));
    EXPECT_EQ(QString::fromUtf8(text).toUtf8(), text); // valid UTF-8
    EXPECT_TRUE(text.startsWith("# xmcd"));
}

TEST(CddbCalls, BufferCopyKeepsCharactersWhole) {
    char out[8];
    CopyTextToBuffer("ab\xc3\xa9\xc3\xa9\xc3\xa9", out, 7, false); // room for 6 bytes
    EXPECT_STREQ(out, "ab\xc3\xa9\xc3\xa9");
    CopyTextToBuffer("abc\xe2\x82\xac", out, 6, false); // the euro sign does not fit
    EXPECT_STREQ(out, "abc");
    CopyTextToBuffer("a=1\nb=2\nc=3\n", out, 8, true);
    EXPECT_STREQ(out, "a=1\n");
    CopyTextToBuffer("x", out, 1, true);
    EXPECT_STREQ(out, "");
}

TEST(CddbCalls, ProxyGetsTheAbsoluteUrl) {
    TCddbTestServer proxy(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    setOptions(QStringLiteral("cddb.example.org"));
    CDDBSetOption(CDDB_OPT_USEPROXY, nullptr, 1);
    CDDBSetOption(CDDB_OPT_PROXYPORT, nullptr, proxy.port());
    CDDBSetOption(CDDB_OPT_PROXY, "127.0.0.1", 0);
    TQueryTable t;
    ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1) << CDDBFailureText().toStdString();
    const auto seen = proxy.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].RequestLine,
              "GET http://cddb.example.org/~cddb/cddb.cgi?cmd=cddb+query+1400c803+3+150+5420+"
              "12150+202&hello=sondrel+localhost+program+1.0&proto=6 HTTP/1.1");
    EXPECT_EQ(seen[0].Host, "cddb.example.org");
    CDDBSetOption(CDDB_OPT_USEPROXY, nullptr, 0);
}

TEST(CddbCalls, ProxyPortOutOfRangeMeansPort80) {
    TCddbTestServer proxy(TCddbTestServer::cddb("202 No match found.\r\n", {}), 80);
    if (!proxy.isListening())
        GTEST_SKIP() << "port 80 on 127.0.0.1 is not available to this test";
    setOptions(QStringLiteral("cddb.example.org:8880"));
    CDDBSetOption(CDDB_OPT_USEPROXY, nullptr, 1);
    CDDBSetOption(CDDB_OPT_PROXYPORT, nullptr, 0);
    CDDBSetOption(CDDB_OPT_PROXY, "127.0.0.1", 0);
    TQueryTable t;
    ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1) << CDDBFailureText().toStdString();
    const auto seen = proxy.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].Target.startsWith("http://cddb.example.org:8880/~cddb/cddb.cgi?"));
    CDDBSetOption(CDDB_OPT_USEPROXY, nullptr, 0);
}

TEST(CddbCalls, DeadSilentAndStoppedServersEndTheCall) {
    // Nothing listens on the port: refused at once.
    quint16 deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        deadPort = probe.serverPort();
    }
    setOptions(QStringLiteral("127.0.0.1:%1").arg(deadPort));
    TQueryTable t;
    EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 0);
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrNetwork);
    EXPECT_TRUE(CDDBFailureText().contains(QStringLiteral("Cannot reach")));

    // A server that accepts and never answers: the time limit ends the call.
    TCddbTestServer silent([](const TCddbTestServer::Request&) { return QByteArray(); });
    setOptions(silent.address(), 1);
    QElapsedTimer clock;
    clock.start();
    t.reset();
    EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 0);
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrNetwork);
    EXPECT_TRUE(CDDBFailureText().contains(QStringLiteral("did not answer")));
    EXPECT_LT(clock.elapsed(), 10000);

    // The same server with a long limit: the stop flag ends the call.
    setOptions(silent.address(), 60);
    std::atomic<bool> stop{false};
    std::thread raiser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    clock.restart();
    t.reset();
    EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query, &stop), 0);
    raiser.join();
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrStopped);
    EXPECT_LT(clock.elapsed(), 10000);
}

TEST(CddbCalls, HostileAnswersFailCleanly) {
    struct Case {
        const char* Name;
        QByteArray Reply;
        int Error;
    };
    const QByteArray megabyteLine = "200 rock 1400c803 " + QByteArray(1024 * 1024, 'A') + "\r\n";
    const QList<Case> cases = {
        {"megabyte line", TCddbTestServer::ok(megabyteLine), TCddbClient::ErrProtocol},
        {"megabyte without length", "HTTP/1.0 200 OK\r\n\r\n" + megabyteLine,
         TCddbClient::ErrProtocol},
        {"not CDDB", TCddbTestServer::ok("<html>hello</html>\n"), TCddbClient::ErrProtocol},
        {"binary", TCddbTestServer::ok(QByteArray("\x00\xff\xfe\x01\x02", 5)),
         TCddbClient::ErrProtocol},
        {"HTTP error", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", TCddbClient::ErrHttp},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n", TCddbClient::ErrNetwork},
        {"short body", "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n202 No",
         TCddbClient::ErrNetwork},
        {"list without its end", "HTTP/1.0 200 OK\r\n\r\n210 list\r\nrock 1400c803 A / B\r\n",
         TCddbClient::ErrProtocol},
        // Headers that never end: the connection closes without an answer.
        {"header flood", "HTTP/1.0 200 OK\r\nX: " + QByteArray(200 * 1024, 'h'),
         TCddbClient::ErrNetwork},
    };
    for (const Case& c : cases) {
        TCddbTestServer server([&c](const TCddbTestServer::Request&) { return c.Reply; });
        setOptions(server.address());
        TQueryTable t;
        EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 0) << c.Name;
        EXPECT_EQ(t.Query.Count, 0) << c.Name;
        EXPECT_EQ(CDDBGetLastError(), c.Error) << c.Name;
        EXPECT_FALSE(CDDBFailureText().isEmpty()) << c.Name;
    }
}

TEST(CddbCalls, DamagedButReadableAnswers) {
    // Binary bytes and lines without "=" in a record, and a chunked answer: what can be read is
    // kept, control bytes never reach the caller.
    const QByteArray record = QByteArray("DTITLE=Art\x01ist / Al") + '\0' +
                              "bum\r\nno equals sign\r\nTTITLE0=Ti\xfftle\r\n";
    const QByteArray read = "210 rock 1400c803 entry follows\r\n" +
                            QByteArray(record.constData(), record.size()) + ".\r\n";
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                               "a\r\n210 list\r\n\r\n"
                               "1c\r\nrock 1400c803 Chunked / Ok\r\n\r\n3\r\n.\r\n\r\n0\r\n\r\n";
    TCddbTestServer server([&](const TCddbTestServer::Request& r) {
        if (r.Command().startsWith(QStringLiteral("cddb read rock")))
            return TCddbTestServer::ok(read);
        if (r.Command().startsWith(QStringLiteral("cddb read")))
            return "HTTP/1.0 200 OK\r\n\r\n" + read.chopped(3); // closed before the "."
        return chunked;
    });
    setOptions(server.address());
    TQueryTable t;
    ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1) << CDDBFailureText().toStdString();
    ASSERT_EQ(t.Query.Count, 1);
    EXPECT_STREQ(t.Entries[0].Title, "Chunked / Ok");
    char buffer[32000];
    ASSERT_EQ(CDDBGetDiskInfo(&t.Entries[0], buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "DTITLE=Artist / Album\nno equals sign\nTTITLE0=Ti\xef\xbf\xbdtle");

    // A record that ends before its final "." was cut short: no text, a failed fetch.
    TCddbMatch cut = t.Entries[0];
    std::strcpy(cut.Category, "jazz");
    EXPECT_EQ(CDDBGetDiskInfo(&cut, buffer, sizeof buffer), 0);
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrProtocol);
    EXPECT_STREQ(buffer, "");
}

TEST(CddbCalls, OptionsThatCannotMakeARequest) {
    TQueryTable t;
    for (const char* server : {"127.0.0.1:99999", "127.0.0.1:0", "host:http", "a b"}) {
        setOptions(QString::fromLatin1(server));
        t.reset();
        EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 0) << server;
        EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrOptions) << server;
    }
    setOptions(QString());
    t.reset();
    EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 0);
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrOptions);
    setOptions(QStringLiteral("127.0.0.1:1"));
    TTableOfContents empty;
    t.reset();
    EXPECT_EQ(CDDBQueryDisc(empty, &t.Query), 0);
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrArgument);
    EXPECT_EQ(CDDBSetOption(42, "", 0), 0);
    // No open drive behind the handle: nothing to identify the disc by.
    t.reset();
    EXPECT_EQ(CDDBQuery(0, &t.Query), 0);
    EXPECT_EQ(t.Query.Count, 0);
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrArgument);
    TCddbQuery none{0, t.Entries};
    EXPECT_EQ(CDDBQueryDisc(threeTracks(), &none), 0);
}

TEST(CddbCalls, HostNamesAreLookedUp) {
    TCddbTestServer server(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    setOptions(QStringLiteral("localhost:%1").arg(server.port()));
    TQueryTable t;
    ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1) << CDDBFailureText().toStdString();
    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].Host, QStringLiteral("localhost:%1").arg(server.port()).toUtf8());

    setOptions(QStringLiteral("no-such-host.invalid"));
    t.reset();
    EXPECT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 0);
    EXPECT_EQ(CDDBGetLastError(), TCddbClient::ErrNetwork);
    EXPECT_TRUE(CDDBFailureText().contains(QStringLiteral("no-such-host.invalid")));
}

TEST(CddbCalls, AnswersEndWithoutTheServerClosing) {
    // A server that keeps the connection open after a complete answer (Content-Length or the
    // last chunk) must not make the call wait for the time limit.
    const QByteArray chunked = QByteArray(TCddbTestServer::KeepOpen) +
                               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                               "19\r\n200 rock 1400c803 A / B\r\n\r\n0\r\n\r\n";
    const QByteArray sized =
        QByteArray(TCddbTestServer::KeepOpen) + TCddbTestServer::ok("200 jazz 1400c803 C / D\r\n");
    for (const QByteArray& reply : {chunked, sized}) {
        TCddbTestServer server([&](const TCddbTestServer::Request&) { return reply; });
        setOptions(server.address(), 60);
        TQueryTable t;
        QElapsedTimer clock;
        clock.start();
        ASSERT_EQ(CDDBQueryDisc(threeTracks(), &t.Query), 1) << CDDBFailureText().toStdString();
        EXPECT_EQ(t.Query.Count, 1);
        EXPECT_LT(clock.elapsed(), 5000);
    }
}
