// The CDDB client against a real HTTP server on 127.0.0.1: the requests it sends, the answers
// it understands, and how its calls end when the server is dead, silent or hostile.
#include "lookup/CddbClient.h"
#include "tests/common/CddbTestServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
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

// A client against `server` with a short time limit, naming itself "program 1.0".
TCddbClient clientFor(const QString& server, int timeoutSeconds = 5) {
    TCddbClient c;
    c.setOption(TCddbClient::OptServer, server, 0);
    c.setOption(TCddbClient::OptScript, QStringLiteral("/~cddb/cddb.cgi"), 0);
    c.setOption(TCddbClient::OptProgram, QStringLiteral("program 1.0"), 0);
    c.setOption(TCddbClient::OptTimeout, QString(), timeoutSeconds);
    return c;
}

using TMatches = std::vector<TCddbClient::Match>;

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

TEST(CddbClient, ExactMatchAndRecordOverHttp) {
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
    TCddbClient client = clientFor(server.address());

    TMatches t;
    ASSERT_TRUE(client.query(threeTracks(), 10, &t)) << client.FailureText().toStdString();
    ASSERT_EQ(int(t.size()), 1);
    EXPECT_EQ(t[0].Category, "rock");
    EXPECT_EQ(t[0].DiscId, "1400c803");
    EXPECT_EQ(t[0].Title, "\xc3\x84rtist / Album");

    QString text;
    ASSERT_TRUE(client.read(t[0].Category, t[0].DiscId, &text))
        << client.FailureText().toStdString();
    text += u'\n';
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

TEST(CddbClient, MatchListsAndNoMatch) {
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
        TCddbClient client = clientFor(server.address());
        TMatches t;
        ASSERT_TRUE(client.query(threeTracks(), 10, &t));
        ASSERT_EQ(int(t.size()), 10);
        EXPECT_EQ(t[0].Category, "misc");
        EXPECT_EQ(t[1].Category, "jazz");
        EXPECT_EQ(t[1].DiscId, "1400c804");
        EXPECT_EQ(t[1].Title, "Second / Two");
        EXPECT_EQ(t[9].Category, "blues");

        ASSERT_TRUE(client.query(threeTracks(), 2, &t));
        EXPECT_EQ(t.size(), 2u);
    }
    {
        TCddbTestServer server(
            TCddbTestServer::cddb("210 Found exact matches, list follows (until terminating `.')\n"
                                  "rock 1400c803 A / B\nsoundtrack 1400c803 C / D\n.\n",
                                  {}));
        TCddbClient client = clientFor(server.address());
        TMatches t;
        ASSERT_TRUE(client.query(threeTracks(), 10, &t));
        ASSERT_EQ(int(t.size()), 2);
        EXPECT_EQ(t[1].Category, "soundtrack");
    }
    {
        TCddbTestServer server(TCddbTestServer::cddb("202 No match found.\r\n", {}));
        TCddbClient client = clientFor(server.address());
        TMatches t;
        EXPECT_TRUE(client.query(threeTracks(), 10, &t));
        EXPECT_EQ(int(t.size()), 0);
    }
    {
        TCddbTestServer server(TCddbTestServer::cddb("403 Database entry is corrupt.\r\n", {}));
        TCddbClient client = clientFor(server.address());
        TMatches t;
        EXPECT_FALSE(client.query(threeTracks(), 10, &t));
        EXPECT_EQ(int(t.size()), 0);
        EXPECT_EQ(client.lastError(), TCddbClient::ErrProtocol);
        EXPECT_TRUE(client.FailureText().contains(QStringLiteral("403")));
        // A read of an entry the server does not have fails and gives no text.
        QString record = QStringLiteral("old");
        EXPECT_FALSE(client.read(QStringLiteral("rock"), QStringLiteral("12345678"), &record));
        EXPECT_EQ(client.lastError(), TCddbClient::ErrProtocol);
        EXPECT_EQ(record, QString());
    }
}

TEST(CddbClient, ProxyGetsTheAbsoluteUrl) {
    TCddbTestServer proxy(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    TCddbClient client = clientFor(QStringLiteral("cddb.example.org"));
    client.setOption(TCddbClient::OptUseProxy, QString(), 1);
    client.setOption(TCddbClient::OptProxyPort, QString(), proxy.port());
    client.setOption(TCddbClient::OptProxy, QStringLiteral("127.0.0.1"), 0);
    TMatches t;
    ASSERT_TRUE(client.query(threeTracks(), 10, &t)) << client.FailureText().toStdString();
    const auto seen = proxy.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].RequestLine,
              "GET http://cddb.example.org/~cddb/cddb.cgi?cmd=cddb+query+1400c803+3+150+5420+"
              "12150+202&hello=sondrel+localhost+program+1.0&proto=6 HTTP/1.1");
    EXPECT_EQ(seen[0].Host, "cddb.example.org");
}

TEST(CddbClient, ProxyPortOutOfRangeMeansPort80) {
    TCddbTestServer proxy(TCddbTestServer::cddb("202 No match found.\r\n", {}), 80);
    if (!proxy.isListening())
        GTEST_SKIP() << "port 80 on 127.0.0.1 is not available to this test";
    TCddbClient client = clientFor(QStringLiteral("cddb.example.org:8880"));
    client.setOption(TCddbClient::OptUseProxy, QString(), 1);
    client.setOption(TCddbClient::OptProxyPort, QString(), 0);
    client.setOption(TCddbClient::OptProxy, QStringLiteral("127.0.0.1"), 0);
    TMatches t;
    ASSERT_TRUE(client.query(threeTracks(), 10, &t)) << client.FailureText().toStdString();
    const auto seen = proxy.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].Target.startsWith("http://cddb.example.org:8880/~cddb/cddb.cgi?"));
}

TEST(CddbClient, DeadSilentAndStoppedServersEndTheCall) {
    // Nothing listens on the port: refused at once.
    quint16 deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        deadPort = probe.serverPort();
    }
    TCddbClient client = clientFor(QStringLiteral("127.0.0.1:%1").arg(deadPort));
    TMatches t;
    EXPECT_FALSE(client.query(threeTracks(), 10, &t));
    EXPECT_EQ(client.lastError(), TCddbClient::ErrNetwork);
    EXPECT_TRUE(client.FailureText().contains(QStringLiteral("Cannot reach")));

    // A server that accepts and never answers: the time limit ends the call.
    TCddbTestServer silent([](const TCddbTestServer::Request&) { return QByteArray(); });
    client = clientFor(silent.address(), 1);
    QElapsedTimer clock;
    clock.start();
    t.clear();
    EXPECT_FALSE(client.query(threeTracks(), 10, &t));
    EXPECT_EQ(client.lastError(), TCddbClient::ErrNetwork);
    EXPECT_TRUE(client.FailureText().contains(QStringLiteral("did not answer")));
    EXPECT_LT(clock.elapsed(), 10000);

    // The same server with a long limit: the stop flag ends the call.
    client = clientFor(silent.address(), 60);
    std::atomic<bool> stop{false};
    std::thread raiser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    clock.restart();
    t.clear();
    EXPECT_FALSE(client.query(threeTracks(), 10, &t, &stop));
    raiser.join();
    EXPECT_EQ(client.lastError(), TCddbClient::ErrStopped);
    EXPECT_LT(clock.elapsed(), 10000);
}

TEST(CddbClient, HostileAnswersFailCleanly) {
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
        TCddbClient client = clientFor(server.address());
        TMatches t;
        EXPECT_FALSE(client.query(threeTracks(), 10, &t)) << c.Name;
        EXPECT_EQ(int(t.size()), 0) << c.Name;
        EXPECT_EQ(client.lastError(), c.Error) << c.Name;
        EXPECT_FALSE(client.FailureText().isEmpty()) << c.Name;
    }
}

TEST(CddbClient, DamagedButReadableAnswers) {
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
    TCddbClient client = clientFor(server.address());
    TMatches t;
    ASSERT_TRUE(client.query(threeTracks(), 10, &t)) << client.FailureText().toStdString();
    ASSERT_EQ(int(t.size()), 1);
    EXPECT_EQ(t[0].Title, "Chunked / Ok");
    QString text;
    ASSERT_TRUE(client.read(t[0].Category, t[0].DiscId, &text));
    EXPECT_EQ(text, QString::fromUtf8(
                        "DTITLE=Artist / Album\nno equals sign\nTTITLE0=Ti\xef\xbf\xbdtle"));

    // A text that ends before its final "." was cut short: no text, a failed fetch.
    EXPECT_FALSE(client.read(QStringLiteral("jazz"), t[0].DiscId, &text));
    EXPECT_EQ(client.lastError(), TCddbClient::ErrProtocol);
    EXPECT_EQ(text, QString());
}

TEST(CddbClient, OptionsThatCannotMakeARequest) {
    TMatches t;
    for (const char* server : {"127.0.0.1:99999", "127.0.0.1:0", "host:http", "a b"}) {
        TCddbClient client = clientFor(QString::fromLatin1(server));
        t.clear();
        EXPECT_FALSE(client.query(threeTracks(), 10, &t)) << server;
        EXPECT_EQ(client.lastError(), TCddbClient::ErrOptions) << server;
    }
    TCddbClient client = clientFor(QString());
    t.clear();
    EXPECT_FALSE(client.query(threeTracks(), 10, &t));
    EXPECT_EQ(client.lastError(), TCddbClient::ErrOptions);
    client = clientFor(QStringLiteral("127.0.0.1:1"));
    TTableOfContents empty;
    t.clear();
    EXPECT_FALSE(client.query(empty, 10, &t));
    EXPECT_EQ(client.lastError(), TCddbClient::ErrArgument);
    EXPECT_FALSE(client.setOption(42, QString(), 0));
}

TEST(CddbClient, HostNamesAreLookedUp) {
    TCddbTestServer server(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    TCddbClient client = clientFor(QStringLiteral("localhost:%1").arg(server.port()));
    TMatches t;
    ASSERT_TRUE(client.query(threeTracks(), 10, &t)) << client.FailureText().toStdString();
    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].Host, QStringLiteral("localhost:%1").arg(server.port()).toUtf8());

    client = clientFor(QStringLiteral("no-such-host.invalid"));
    t.clear();
    EXPECT_FALSE(client.query(threeTracks(), 10, &t));
    EXPECT_EQ(client.lastError(), TCddbClient::ErrNetwork);
    EXPECT_TRUE(client.FailureText().contains(QStringLiteral("no-such-host.invalid")));
}

TEST(CddbClient, AnswersEndWithoutTheServerClosing) {
    // A server that keeps the connection open after a complete answer (Content-Length or the
    // last chunk) must not make the call wait for the time limit.
    const QByteArray chunked = QByteArray(TCddbTestServer::KeepOpen) +
                               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                               "19\r\n200 rock 1400c803 A / B\r\n\r\n0\r\n\r\n";
    const QByteArray sized =
        QByteArray(TCddbTestServer::KeepOpen) + TCddbTestServer::ok("200 jazz 1400c803 C / D\r\n");
    for (const QByteArray& reply : {chunked, sized}) {
        TCddbTestServer server([&](const TCddbTestServer::Request&) { return reply; });
        TCddbClient client = clientFor(server.address(), 60);
        TMatches t;
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(client.query(threeTracks(), 10, &t)) << client.FailureText().toStdString();
        EXPECT_EQ(int(t.size()), 1);
        EXPECT_LT(clock.elapsed(), 5000);
    }
}
