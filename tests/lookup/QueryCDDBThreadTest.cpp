// The lookup worker end to end: a disc image as the drive, a CDDB server on 127.0.0.1, and the
// disc fields and titles that arrive on the main thread.
#include "lookup/QueryCDDBThread.h"
#include "audio/Genres.h"
#include "lookup/CddbMessageEvent.h"
#include "settings/SettingsStore.h"
#include "tests/common/CddbTestServer.h"
#include "tests/common/TestDisc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Collects message 2129 and ends the wait on it.
class TReceiver : public QObject {
public:
    QList<int> WParams;
    QList<TCddbMessageEvent::Outcome> Outcomes;
    QStringList Details;
    QEventLoop* Loop = nullptr;

    bool event(QEvent* e) override {
        if (e->type() != TCddbMessageEvent::MessageType)
            return QObject::event(e);
        const auto* m = static_cast<TCddbMessageEvent*>(e);
        WParams << m->WParam;
        Outcomes << m->How;
        Details << m->Detail;
        if (Loop)
            Loop->quit();
        return true;
    }
};

// Tracks at sectors 0, 300, 600 of a 900-sector disc: frames 150, 450, 750, lead-out 1050;
// start seconds 2, 6, 10 give digit sums 2 + 6 + 1 = 9, the playing time is 14 - 2 = 12 s.
const char* const ThreeTrackQuery = "cddb query 09000c03 3 150 450 750 14";

class QueryWorker : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TDiscSession Session;
    std::unique_ptr<TDiscFieldsModel> Model;
    TReceiver Receiver;

    void openDisc(int firstTrack = 1, std::vector<int> starts = {0, 300, 600}, int total = 900) {
        ASSERT_TRUE(Dir.isValid());
        SetConfigDir(Dir.path());
        const QString cue = TTestDisc::WriteSparse(Dir.filePath(QStringLiteral("disc.cue")), starts,
                                                   total, "AUDIO", firstTrack);
        SetDiscImages({cue});
        LoadOptions();
        ASSERT_NE(Session.OpenDrive(0), 0) << Session.StatusText.toStdString();
        Session.ReadDisc(LoadDiscTexts(Session.CurrentDiscKey()));
        ASSERT_EQ(Session.Rows.size(), starts.size());
        Session.Fields.Comment = QStringLiteral("old comment");
        Session.Fields.Artist = QStringLiteral("old artist");
        Model = std::make_unique<TDiscFieldsModel>(Session);
    }

    TQueryCDDBThread::Settings settingsFor(const QString& server) {
        TQueryCDDBThread::Settings s;
        s.Server = server;
        s.Script = QStringLiteral("/~cddb/cddb.cgi");
        s.Port = QStringLiteral("80");
        s.TimeoutSeconds = 3;
        return s;
    }

    // Runs a lookup to its message 2129 (or 20 s).
    void lookup(const TQueryCDDBThread::Settings& s) {
        TTOC toc{};
        ASSERT_EQ(ReadTOC(Session.Handle, &toc), 1);
        QEventLoop loop;
        Receiver.Loop = &loop;
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        TQueryCDDBThread::Start(&Receiver, Model.get(), toc.FirstTrack, toc.LastTrack,
                                Session.Handle, s);
        loop.exec();
        Receiver.Loop = nullptr;
        ASSERT_TRUE(TQueryCDDBThread::WaitForAll(5000));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(Receiver.WParams.size(), 1) << "exactly one message 2129";
    }

    QStringList titles() const {
        QStringList t;
        for (const TTrackRow& r : Session.Rows)
            t << r.Title;
        return t;
    }

    static QByteArray read(const QString& cat, const QString& id, const QByteArray& rec) {
        return TCddbTestServer::readAnswer(cat, id, rec);
    }
};

} // namespace

TEST_F(QueryWorker, ExactMatchFillsFieldsAndTitles) {
    openDisc();
    const QByteArray rec = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("The Band / First Album"),
        QStringLiteral("1987"), QStringLiteral("Rock"),
        {QStringLiteral("TTITLE0=Opening"), QStringLiteral("TTITLE1=Middle"),
         QStringLiteral("TTITLE2=Closing")});
    TCddbTestServer server(
        TCddbTestServer::cddb("200 rock 09000c03 The Band / First Album\r\n",
                              {{QStringLiteral("rock 09000c03"), read("rock", "09000c03", rec)}}));
    auto s = settingsFor(server.address());
    s.Email = QStringLiteral("listener@example.org");
    lookup(s);

    EXPECT_EQ(Receiver.WParams[0], TCddbMessageEvent::Finished);
    EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::TitlesApplied);
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("The Band"));
    EXPECT_EQ(Session.Fields.Album, QStringLiteral("First Album"));
    EXPECT_EQ(Session.Fields.Year, QStringLiteral("1987"));
    EXPECT_EQ(Session.Fields.Genre, GenreIndexOf(QStringLiteral("Rock")) + 1);
    EXPECT_TRUE(Session.Fields.Comment.isEmpty()); // the boxes are emptied first
    EXPECT_EQ(titles(), (QStringList{"Opening", "Middle", "Closing"}));

    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].Command(), QString::fromLatin1(ThreeTrackQuery));
    // The hello and the User-Agent carry the user's address.
    EXPECT_EQ(seen[0].Query.value(QStringLiteral("hello")),
              QStringLiteral("listener example.org sondrel " SONDREL_VERSION));
    EXPECT_EQ(seen[1].UserAgent, "Sondrel/" SONDREL_VERSION " ( listener@example.org )");
    EXPECT_EQ(seen[0].Query.value(QStringLiteral("proto")), QStringLiteral("6"));
    EXPECT_TRUE(seen[0].RequestLine.startsWith("GET /~cddb/cddb.cgi?cmd=cddb+query+09000c03+3+"));
    EXPECT_EQ(seen[1].Command(), QStringLiteral("cddb read rock 09000c03"));
}

TEST_F(QueryWorker, SecondMatchSuppliesTheTitles) {
    openDisc();
    // The first record has no title lines (only its disc texts count); the second has them.
    const QByteArray first =
        TCddbTestServer::record(QStringLiteral("09000c03"), QStringLiteral("Wrong / Disc"),
                                QStringLiteral("1970"), QStringLiteral("Jazz"), {});
    const QByteArray second = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("Right Artist / Right Album"),
        QStringLiteral("2004"), QStringLiteral("Electronic"),
        {QStringLiteral("TTITLE0=A"), QStringLiteral("TTITLE1=B"), QStringLiteral("TTITLE2=C")});
    const QByteArray third = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("Never / Read"), QStringLiteral("1"),
        QStringLiteral("Pop"), {QStringLiteral("TTITLE0=X")});
    TCddbTestServer server(TCddbTestServer::cddb(
        "211 Found inexact matches, list follows (until terminating `.')\r\n"
        "jazz 09000c03 Wrong / Disc\r\nmisc 09000c03 Right Artist / Right Album\r\n"
        "rock 09000c03 Never / Read\r\n.\r\n",
        {{QStringLiteral("jazz 09000c03"), read("jazz", "09000c03", first)},
         {QStringLiteral("misc 09000c03"), read("misc", "09000c03", second)},
         {QStringLiteral("rock 09000c03"), read("rock", "09000c03", third)}}));
    lookup(settingsFor(server.address()));

    EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::TitlesApplied);
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("Right Artist"));
    EXPECT_EQ(Session.Fields.Year, QStringLiteral("2004"));
    EXPECT_EQ(Session.Fields.Genre, GenreIndexOf(QStringLiteral("Electronic")) + 1);
    EXPECT_EQ(titles(), (QStringList{"A", "B", "C"}));
    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 3); // the third record is never fetched
    EXPECT_EQ(seen[1].Command(), QStringLiteral("cddb read jazz 09000c03"));
    EXPECT_EQ(seen[2].Command(), QStringLiteral("cddb read misc 09000c03"));
}

TEST_F(QueryWorker, AVariousArtistsDiscNamesTrackArtistsOthersKeepTheirSlashes) {
    openDisc();
    // The freedb convention: disc artist "Various" (in any case), titles "Artist / Title",
    // split at the first " / ".
    const QByteArray various = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("VARIOUS ARTISTS / Summer Hits"),
        QStringLiteral("2003"), QStringLiteral("Pop"),
        {QStringLiteral("TTITLE0=First Singer / Sunny Day"), QStringLiteral("TTITLE1=No Artist"),
         QStringLiteral("TTITLE2=The Band / Live / Unplugged")});
    TCddbTestServer server(TCddbTestServer::cddb(
        "200 misc 09000c03 VARIOUS ARTISTS / Summer Hits\r\n",
        {{QStringLiteral("misc 09000c03"), read("misc", "09000c03", various)}}));
    lookup(settingsFor(server.address()));
    EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::TitlesApplied);
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("VARIOUS ARTISTS"));
    EXPECT_EQ(titles(), (QStringList{"Sunny Day", "No Artist", "Live / Unplugged"}));
    QStringList artists;
    for (const TTrackRow& r : Session.Rows)
        artists << r.Artist;
    EXPECT_EQ(artists, (QStringList{"First Singer", "", "The Band"}));

    // Any other disc keeps "/" in its titles, and the artists of the disc before are gone.
    const QByteArray band = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("Tribute Band / Covers"), QString(), QString(),
        {QStringLiteral("TTITLE0=AC/DC"), QStringLiteral("TTITLE1=Live / Unplugged"),
         QStringLiteral("TTITLE2=Third")});
    TCddbTestServer server2(
        TCddbTestServer::cddb("200 misc 09000c03 Tribute Band / Covers\r\n",
                              {{QStringLiteral("misc 09000c03"), read("misc", "09000c03", band)}}));
    Receiver.WParams.clear();
    Receiver.Outcomes.clear();
    Receiver.Details.clear();
    lookup(settingsFor(server2.address()));
    EXPECT_EQ(titles(), (QStringList{"AC/DC", "Live / Unplugged", "Third"}));
    for (const TTrackRow& r : Session.Rows)
        EXPECT_EQ(r.Artist, QString()) << r.Number;
}

TEST_F(QueryWorker, NoMatchChangesNothing) {
    openDisc();
    TCddbTestServer server(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    lookup(settingsFor(server.address()));
    EXPECT_EQ(Receiver.WParams[0], TCddbMessageEvent::NoMatch);
    // Without an address the hello names no one.
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].Query.value(QStringLiteral("hello")),
              QStringLiteral("sondrel localhost sondrel " SONDREL_VERSION));
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
    EXPECT_EQ(Session.Fields.Comment, QStringLiteral("old comment"));
    EXPECT_EQ(titles(), (QStringList{"Track01", "Track02", "Track03"}));
}

TEST_F(QueryWorker, RecordsWithoutTitlesChangeNothing) {
    openDisc();
    const QByteArray rec =
        TCddbTestServer::record(QStringLiteral("09000c03"), QStringLiteral("Only One Name"),
                                QStringLiteral("1999"), QStringLiteral("Not A Genre"), {});
    TCddbTestServer server(
        TCddbTestServer::cddb("200 rock 09000c03 Only One Name\r\n",
                              {{QStringLiteral("rock 09000c03"), read("rock", "09000c03", rec)}}));
    lookup(settingsFor(server.address()));
    EXPECT_EQ(Receiver.WParams[0], TCddbMessageEvent::Finished);
    EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::NoTitles);
    EXPECT_EQ(Receiver.Details[0], QString()); // the record came; it lacks the titles
    // The lookup failed: the disc's texts stay as they were.
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
    EXPECT_EQ(Session.Fields.Comment, QStringLiteral("old comment"));
    EXPECT_EQ(Session.Fields.Album, QString());
    EXPECT_EQ(titles(), (QStringList{"Track01", "Track02", "Track03"}));
}

TEST_F(QueryWorker, ALongRecordIsReadWholeAndAnUnreadableOneSaysWhy) {
    openDisc();
    // 40 kB of comment lines before the titles: the last title lies far past 32,000 bytes.
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("# ") + QString(200, QLatin1Char('c'));
    lines << QStringLiteral("TTITLE0=One") << QStringLiteral("TTITLE1=Two")
          << QStringLiteral("TTITLE2=Three");
    const QByteArray rec = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("A / B"), QString(), QString(), lines);
    ASSERT_GT(rec.size(), 40000);
    {
        TCddbTestServer server(TCddbTestServer::cddb(
            "200 rock 09000c03 A / B\r\n",
            {{QStringLiteral("rock 09000c03"), read("rock", "09000c03", rec)}}));
        lookup(settingsFor(server.address()));
        EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::TitlesApplied);
        EXPECT_EQ(titles(), (QStringList{"One", "Two", "Three"}));
    }
    // A record that cannot be had gives the client's reason, and nothing changes.
    const QByteArray whole = TCddbTestServer::ok(read("rock", "09000c03", rec));
    const struct {
        QByteArray Answer;
        const char* Reason;
    } cases[] = {
        {TCddbTestServer::http(500, "text/plain", "oops"), "HTTP 500"},
        {whole.left(whole.size() - 100), "cut short"},
    };
    for (const auto& c : cases) {
        Session.Fields.Artist = QStringLiteral("old artist");
        TCddbTestServer server([&c](const TCddbTestServer::Request& r) {
            if (r.Command().startsWith(QStringLiteral("cddb query")))
                return TCddbTestServer::ok("200 rock 09000c03 A / B\r\n");
            return c.Answer;
        });
        Receiver.WParams.clear();
        Receiver.Outcomes.clear();
        Receiver.Details.clear();
        lookup(settingsFor(server.address()));
        EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::NoTitles);
        EXPECT_TRUE(Receiver.Details[0].contains(QLatin1String(c.Reason)))
            << Receiver.Details[0].toStdString();
        EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
    }
}

TEST_F(QueryWorker, DiscStartingAtTrackTwo) {
    openDisc(2);
    // The first row takes TTITLE1, the key of (first track - 1).
    const QByteArray rec =
        TCddbTestServer::record(QStringLiteral("09000c03"), QStringLiteral("A / B"),
                                QStringLiteral("2000"), QStringLiteral("Pop"),
                                {QStringLiteral("TTITLE0=Zero"), QStringLiteral("TTITLE1=One"),
                                 QStringLiteral("TTITLE2=Two"), QStringLiteral("TTITLE3=Three")});
    TCddbTestServer server(
        TCddbTestServer::cddb("200 misc 09000c03 A / B\r\n",
                              {{QStringLiteral("misc 09000c03"), read("misc", "09000c03", rec)}}));
    lookup(settingsFor(server.address()));
    EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::TitlesApplied);
    EXPECT_EQ(titles(), (QStringList{"One", "Two", "Three"}));

    // A record without TTITLE1 has no titles for this disc.
    const QByteArray noKey = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("A / B"), QStringLiteral("2000"),
        QStringLiteral("Pop"), {QStringLiteral("TTITLE0=Zero"), QStringLiteral("TTITLE2=Two")});
    TCddbTestServer server2(TCddbTestServer::cddb(
        "200 misc 09000c03 A / B\r\n",
        {{QStringLiteral("misc 09000c03"), read("misc", "09000c03", noKey)}}));
    Receiver.WParams.clear();
    Receiver.Outcomes.clear();
    Receiver.Details.clear();
    lookup(settingsFor(server2.address()));
    EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::NoTitles);
}

TEST_F(QueryWorker, MoreAndFewerTitleLinesThanRows) {
    openDisc();
    {
        QStringList lines;
        for (int i = 0; i < 6; ++i)
            lines << QStringLiteral("TTITLE%1=Song %1").arg(i);
        const QByteArray rec = TCddbTestServer::record(
            QStringLiteral("09000c03"), QStringLiteral("A / B"), QString(), QString(), lines);
        TCddbTestServer server(TCddbTestServer::cddb(
            "200 misc 09000c03 A / B\r\n",
            {{QStringLiteral("misc 09000c03"), read("misc", "09000c03", rec)}}));
        lookup(settingsFor(server.address()));
        EXPECT_EQ(titles(), (QStringList{"Song 0", "Song 1", "Song 2"}));
    }
    {
        // Two title lines for three rows: the third row keeps its title; the EXTD and EXTT
        // lines after them never become titles.
        Session.Rows[2].Title = QStringLiteral("Kept");
        const QByteArray rec = TCddbTestServer::record(
            QStringLiteral("09000c03"), QStringLiteral("A / B"), QString(), QString(),
            {QStringLiteral("TTITLE0=First"), QStringLiteral("TTITLE1=Second")});
        TCddbTestServer server(TCddbTestServer::cddb(
            "200 misc 09000c03 A / B\r\n",
            {{QStringLiteral("misc 09000c03"), read("misc", "09000c03", rec)}}));
        Receiver.WParams.clear();
        lookup(settingsFor(server.address()));
        EXPECT_EQ(titles(), (QStringList{"First", "Second", "Kept"}));
    }
}

TEST_F(QueryWorker, LongTitlesAndEscapesDoNotShiftLaterTitles) {
    openDisc();
    const QByteArray rec = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("A / B"), QString(), QString(),
        {QStringLiteral("TTITLE0=A title long enough to be continued "),
         QStringLiteral("TTITLE0=on a second line"), QStringLiteral("TTITLE1=Two\\nlines"),
         QStringLiteral("TTITLE2=Back\\\\slash"), QStringLiteral("TTITLE2=")});
    TCddbTestServer server(
        TCddbTestServer::cddb("200 misc 09000c03 A / B\r\n",
                              {{QStringLiteral("misc 09000c03"), read("misc", "09000c03", rec)}}));
    lookup(settingsFor(server.address()));
    EXPECT_EQ(titles(), (QStringList{"A title long enough to be continued on a second line",
                                     "Two lines", "Back\\slash"}));
}

TEST_F(QueryWorker, ProxyPortThatIsNotANumberIsSentAs80) {
    openDisc();
    TCddbTestServer proxy(TCddbTestServer::cddb("202 No match found.\r\n", {}), 80);
    if (!proxy.isListening())
        GTEST_SKIP() << "port 80 on 127.0.0.1 is not available to this test";
    auto s = settingsFor(QStringLiteral("cddb.example.org"));
    s.UseProxy = true;
    s.ProxyAddress = QStringLiteral("127.0.0.1");
    s.Port = QStringLiteral("eighty");
    lookup(s);
    EXPECT_EQ(Receiver.WParams[0], TCddbMessageEvent::NoMatch);
    const auto seen = proxy.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].Target.startsWith("http://cddb.example.org/~cddb/cddb.cgi?cmd=cddb+query"));
    EXPECT_EQ(seen[0].Host, "cddb.example.org");
}

TEST_F(QueryWorker, DeadSilentAndHostileServersEndTheLookup) {
    openDisc();
    {
        // Nothing listens: the query fails and the lookup finishes without changes.
        quint16 port = 0;
        {
            TCddbTestServer probe([](const TCddbTestServer::Request&) { return QByteArray(); });
            port = probe.port();
        }
        lookup(settingsFor(QStringLiteral("127.0.0.1:%1").arg(port)));
        EXPECT_EQ(Receiver.WParams[0], TCddbMessageEvent::Finished);
        EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::QueryFailed);
        EXPECT_FALSE(Receiver.Details[0].isEmpty());
        EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
    }
    {
        TCddbTestServer silent([](const TCddbTestServer::Request&) { return QByteArray(); });
        auto s = settingsFor(silent.address());
        s.TimeoutSeconds = 1;
        Receiver.WParams.clear();
        Receiver.Outcomes.clear();
        Receiver.Details.clear();
        QElapsedTimer clock;
        clock.start();
        lookup(s);
        EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::QueryFailed);
        EXPECT_LT(clock.elapsed(), 10000);
    }
    {
        // The match list is fine, every record is hostile: a megabyte line, binary bytes and
        // no "=". The lookup ends without titles and changes nothing.
        const QByteArray huge = "210 rock 09000c03 x\r\nTTITLE0=" + QByteArray(1024 * 1024, 'x');
        const QByteArray binary = QByteArray("210 misc 09000c03 x\r\nDTITLE=Bin\x01") + '\0' +
                                  "ary / Bytes\xff\r\nno equals\r\n.\r\n";
        TCddbTestServer server(TCddbTestServer::cddb(
            "210 Found exact matches, list follows (until terminating `.')\r\n"
            "rock 09000c03 Huge\r\nmisc 09000c03 Binary\r\n.\r\n",
            {{QStringLiteral("rock 09000c03"), huge}, {QStringLiteral("misc 09000c03"), binary}}));
        Receiver.WParams.clear();
        Receiver.Outcomes.clear();
        Receiver.Details.clear();
        lookup(settingsFor(server.address()));
        EXPECT_EQ(Receiver.WParams[0], TCddbMessageEvent::Finished);
        EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::NoTitles);
        EXPECT_TRUE(Receiver.Details[0].contains(QStringLiteral("larger than")))
            << Receiver.Details[0].toStdString();
        EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
        EXPECT_EQ(titles(), (QStringList{"Track01", "Track02", "Track03"}));
    }
}

TEST_F(QueryWorker, AbandonedWorkerWritesNothing) {
    openDisc();
    const QByteArray rec = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("Late / Arrival"), QStringLiteral("1"),
        QStringLiteral("Rock"), {QStringLiteral("TTITLE0=Late")});
    TCddbTestServer server(
        TCddbTestServer::cddb("200 rock 09000c03 Late / Arrival\r\n",
                              {{QStringLiteral("rock 09000c03"), read("rock", "09000c03", rec)}}));
    TTOC toc{};
    ASSERT_EQ(ReadTOC(Session.Handle, &toc), 1);

    // The worker has finished and its writes wait in the queue when the user gives it up:
    // none of them may land.
    {
        QPointer<TQueryCDDBThread> worker =
            TQueryCDDBThread::Start(&Receiver, Model.get(), toc.FirstTrack, toc.LastTrack,
                                    Session.Handle, settingsFor(server.address()));
        ASSERT_TRUE(TQueryCDDBThread::WaitForAll(10000));
        ASSERT_FALSE(worker.isNull()); // freed only once the event loop runs
        worker->Abandon();
        worker->wait();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(worker.isNull());
        EXPECT_TRUE(Receiver.WParams.isEmpty());
        EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
        EXPECT_EQ(titles(), (QStringList{"Track01", "Track02", "Track03"}));
    }

    // A worker waiting on a silent server is given up, and its receiver and model are
    // destroyed at once; it ends promptly without touching them.
    TCddbTestServer silent([](const TCddbTestServer::Request&) { return QByteArray(); });
    auto s = settingsFor(silent.address());
    s.TimeoutSeconds = 60;
    auto receiver = std::make_unique<TReceiver>();
    auto model = std::make_unique<TDiscFieldsModel>(Session);
    QPointer<TQueryCDDBThread> worker = TQueryCDDBThread::Start(
        receiver.get(), model.get(), toc.FirstTrack, toc.LastTrack, Session.Handle, s);
    QElapsedTimer clock;
    clock.start();
    while (silent.requests().isEmpty() && clock.elapsed() < 10000)
        QThread::msleep(10);
    ASSERT_EQ(silent.requests().size(), 1);
    worker->Abandon();
    receiver.reset();
    model.reset();
    clock.restart();
    EXPECT_TRUE(TQueryCDDBThread::WaitForAll(5000));
    EXPECT_LT(clock.elapsed(), 5000);
    if (worker)
        worker->wait();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(worker.isNull());
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
}

TEST_F(QueryWorker, ServerThatStopsAnsweringEndsTheRecordWalk) {
    openDisc();
    // The match list arrives, then the reads get no answer: the first read waits out its time
    // limit and the other matches are not tried, so ten matches cannot cost ten time limits.
    QByteArray list = "210 Found exact matches, list follows (until terminating `.')\r\n";
    for (const char* cat : {"rock", "jazz", "folk", "misc"})
        list += QByteArray(cat) + " 09000c03 Some / Disc\r\n";
    list += ".\r\n";
    TCddbTestServer server([list](const TCddbTestServer::Request& r) {
        if (r.Command().startsWith(QStringLiteral("cddb query")))
            return TCddbTestServer::ok(list);
        return QByteArray(); // silent
    });
    auto s = settingsFor(server.address());
    s.TimeoutSeconds = 1;
    QElapsedTimer clock;
    clock.start();
    lookup(s);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(Receiver.WParams[0], TCddbMessageEvent::Finished);
    EXPECT_EQ(Receiver.Outcomes[0], TCddbMessageEvent::NoTitles);
    EXPECT_EQ(server.requests().size(), 2);
    // No record arrived: the texts typed in stay.
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
    EXPECT_EQ(Session.Fields.Comment, QStringLiteral("old comment"));
}
