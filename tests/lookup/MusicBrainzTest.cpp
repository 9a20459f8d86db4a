// The MusicBrainz lookup: disc ids against libdiscid's documented examples and its Python
// binding (tables with the first track 2, hidden audio, a data session), the answer reader
// on answers of several shapes, and the lookup job end to end with a disc image as the drive
// and one local HTTP server playing MusicBrainz, the cover archive and CDDB.
#include "audio/Genres.h"
#include "lookup/DiscFieldsModel.h"
#include "lookup/LookupJob.h"
#include "lookup/MusicBrainzDisc.h"
#include "lookup/MusicBrainzRelease.h"
#include "settings/SettingsStore.h"
#include "tests/common/CddbTestServer.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A table entry in minute/second/frame form for `frames` (lead-in included).
TTOCTrack Entry(int number, int frames, bool data = false) {
    TTOCTrack t{};
    t.Adr = data ? 0x14 : 0x10;
    t.TrackNumber = uint8_t(number);
    t.Addr[1] = uint8_t(frames / 4500);
    t.Addr[2] = uint8_t(frames / 75 % 60);
    t.Addr[3] = uint8_t(frames % 75);
    return t;
}

// A table in minute/second/frame form: tracks numbered from `first` at `frames`, the last
// `dataTracks` of them data, and the lead-out.
TTOC MsfToc(int first, const std::vector<int>& frames, int dataTracks, int leadOut) {
    TTOC toc{};
    toc.FirstTrack = uint8_t(first);
    toc.LastTrack = uint8_t(first + int(frames.size()) - 1);
    for (size_t i = 0; i < frames.size(); ++i)
        toc.Tracks[i] = Entry(first + int(i), frames[i], i + size_t(dataTracks) >= frames.size());
    toc.Tracks[frames.size()] = Entry(0xAA, leadOut, dataTracks > 0);
    return toc;
}

// The id libdiscid's Python binding (a second implementation over the same definition) gives
// the audio tracks `first`..`last` at `offsets` with the lead-out at `sectors`.
std::string LibdiscidId(int first, int last, int sectors, const std::vector<int>& offsets) {
    // The binding takes the offsets from track 1 on: tracks before `first` hold a placeholder.
    QStringList list;
    for (int t = 1; t < first; ++t)
        list << QStringLiteral("0");
    for (int o : offsets)
        list << QString::number(o);
    const TProcessResult r =
        RunProgram(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-c"),
                    QStringLiteral("import libdiscid; print(libdiscid.put(%1, %2, %3, [%4]).id)")
                        .arg(first)
                        .arg(last)
                        .arg(sectors)
                        .arg(list.join(QLatin1Char(',')))});
    return r.ExitCode == 0 ? r.Out.trimmed().toStdString()
                           : "python3-libdiscid failed: " + r.Err.toStdString();
}

// A fake JPEG: the signature, some bytes, the end marker.
// A real picture of `size` ("320x240") that FFmpeg encodes with `codec` ("mjpeg", "png").
QByteArray Picture(const char* codec, const char* size = "320x240") {
    const TProcessResult r = RunProgram(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("testsrc=size=%1").arg(QLatin1String(size)), QStringLiteral("-frames:v"),
         QStringLiteral("1"), QStringLiteral("-c:v"), QString::fromLatin1(codec),
         QStringLiteral("-f"), QStringLiteral("image2pipe"), QStringLiteral("-")});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.constData();
    return r.Out;
}

// Bytes that look like a JPEG to a sniffer and to a size limit, and are no picture.
QByteArray Jpeg(int size = 2000) {
    QByteArray b("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10);
    b.append(QByteArray(size, 'j'));
    return b.append("\xFF\xD9", 2);
}

// One release as the web service writes it, with its media; `date` and `genres` may be null.
QByteArray Release(const char* mbid, const char* title, const char* artists, const char* date,
                   const char* genres, const char* media) {
    QByteArray r = QByteArray(R"({"id":")") + mbid + R"(","title":")" + title +
                   R"(","country":"XE","artist-credit":)" + artists;
    if (date)
        r += QByteArray(R"(,"date":")") + date + '"';
    if (genres)
        r += QByteArray(R"(,"genres":)") + genres;
    return r + R"(,"media":)" + media + "}";
}

// A medium with its tracks; `credits` holds each track's artist credit (JSON), none where
// it is missing or empty.
QByteArray Medium(int position, const QString& discId, const QStringList& titles,
                  const QList<QByteArray>& credits = {}) {
    QByteArray tracks;
    for (int i = 0; i < titles.size(); ++i) {
        tracks += QByteArray(i ? "," : "") + R"({"position":)" + QByteArray::number(i + 1) +
                  R"(,"title":")" + titles[i].toUtf8() + R"(","recording":{"title":"x"})";
        if (!credits.value(i).isEmpty())
            tracks += R"(,"artist-credit":)" + credits[i];
        tracks += "}";
    }
    return R"({"position":)" + QByteArray::number(position) + R"(,"format":"CD","discs":[{"id":")" +
           discId.toUtf8() + R"("}],"tracks":[)" + tracks + "]}";
}

QByteArray DiscAnswer(const QList<QByteArray>& releases) {
    return R"({"id":"x","offset-count":3,"releases":[)" + releases.join(',') + "]}";
}

const char* const MbidA = "11111111-2222-3333-4444-555555555555";
const char* const MbidB = "aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee";

} // namespace

TEST(MusicBrainzDisc, IdsOfKnownTablesMatchLibdiscidExamples) {
    // The worked example of the disc id documentation: six tracks.
    const TMusicBrainzDisc doc =
        TMusicBrainzDisc::FromFrames(1, {150, 15363, 32314, 46592, 63414, 80489}, 95462);
    EXPECT_EQ(doc.Id, QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-"));
    EXPECT_EQ(doc.TocText, QStringLiteral("1+6+95462+150+15363+32314+46592+63414+80489"));
    EXPECT_EQ(doc.SubmitUrl(QStringLiteral("http://127.0.0.1:8080/")).toString(),
              QStringLiteral("http://127.0.0.1:8080/cdtoc/attach?id=49HHV7Eb8UKF3aQiNmu1GR8vKTY-"
                             "&tracks=6&toc=1+6+95462+150+15363+32314+46592+63414+80489"));

    // An enhanced CD read from the drive: seven audio tracks and a data track whose session
    // starts 11400 frames after the audio's lead-out. The data track stays out of the id.
    const int starts[] = {150, 14109, 33586, 53077, 65781, 77892, 99174};
    TTOC toc{};
    toc.FirstTrack = 1;
    toc.LastTrack = 8;
    for (int i = 0; i < 7; ++i)
        toc.Tracks[i] = Entry(i + 1, starts[i]);
    toc.Tracks[7] = Entry(8, 114574 + 11400, true);
    toc.Tracks[8] = Entry(0xAA, 200000, true);
    const TMusicBrainzDisc extra = TMusicBrainzDisc::FromToc(toc);
    EXPECT_EQ(extra.Id, QStringLiteral("BPnh1KU.hea1C.KMYWLGZkHJr0w-"));
    EXPECT_EQ(extra.LastTrack, 7);

    // A disc whose first track is 2; one with 4000 frames of hidden audio before track 1; an
    // enhanced CD whose data track follows in a second session, the lead-out given to libdiscid
    // 11400 frames before it, as its documentation says.
    const TMusicBrainzDisc second =
        TMusicBrainzDisc::FromToc(MsfToc(2, {150, 20000, 41234}, 0, 60000));
    EXPECT_EQ(second.Id.toStdString(), LibdiscidId(2, 4, 60000, {150, 20000, 41234}));
    EXPECT_EQ(second.FirstTrack, 2);
    const TMusicBrainzDisc hidden =
        TMusicBrainzDisc::FromToc(MsfToc(1, {4150, 20000, 41234, 52000}, 0, 70001));
    EXPECT_EQ(hidden.Id.toStdString(), LibdiscidId(1, 4, 70001, {4150, 20000, 41234, 52000}));
    const TMusicBrainzDisc enhanced =
        TMusicBrainzDisc::FromToc(MsfToc(1, {150, 30000, 61000, 90000}, 1, 140000));
    EXPECT_EQ(enhanced.Id.toStdString(), LibdiscidId(1, 3, 90000 - 11400, {150, 30000, 61000}));
    EXPECT_EQ(enhanced.LastTrack, 3);
    EXPECT_NE(second.Id, hidden.Id);

    toc.LastTrack = 1;
    toc.Tracks[0] = Entry(1, 150, true);
    toc.Tracks[1] = Entry(0xAA, 9000, true);
    EXPECT_FALSE(TMusicBrainzDisc::FromToc(toc).isValid()); // no audio at all
}

TEST(MusicBrainzRelease, AnswersOfSeveralShapes) {
    const QString disc = QStringLiteral("DISC-ID");
    const QByteArray answer = DiscAnswer(
        {Release(MbidA, "Kaksi levyä", R"([{"name":"Ääni","joinphrase":" & "},{"name":"伊藤"}])",
                 "1999-05-01",
                 R"([{"name":"jazz","count":1},{"name":"hip hop","count":4},)"
                 R"({"name":"vaporwave","count":9}])",
                 "[" + Medium(1, QStringLiteral("OTHER"), {"a", "b", "c"}) + "," +
                     Medium(2, disc, {"Ночь", "", "東京"},
                            {R"([{"name":"Guest","joinphrase":" feat. "},)"
                             R"({"artist":{"name":"Другой"}}])",
                             R"([{"name":"Ääni","joinphrase":" & "},{"name":"伊藤"}])"}) +
                     "]"),
         Release(MbidB, "Bare", R"([{"name":"Solo"}])", nullptr, R"([{"name":"vaporwave"}])",
                 "[" + Medium(1, QStringLiteral("OTHER"), {"1", "2"}) + "," +
                     Medium(2, QStringLiteral("ELSE"), {"x", "y", "z"}) + "]")});
    std::vector<TMusicBrainzRelease> releases;
    QString error;
    ASSERT_TRUE(TMusicBrainzRelease::ParseDiscAnswer(answer, disc, 3, &releases, &error))
        << error.toStdString();
    ASSERT_EQ(releases.size(), 2u);

    // Two media: the one that holds the disc id gives the titles; the credit joins its names;
    // the best-counted genre among the 148 names wins ("hip hop" is Hip-Hop).
    const TMusicBrainzRelease& a = releases[0];
    EXPECT_EQ(a.Mbid, QString::fromLatin1(MbidA));
    EXPECT_EQ(a.Artist, QString::fromUtf8("Ääni & 伊藤"));
    EXPECT_EQ(a.Album, QString::fromUtf8("Kaksi levyä"));
    EXPECT_EQ(a.Year, QStringLiteral("1999"));
    EXPECT_EQ(a.Genre, GenreIndexOf(QStringLiteral("Hip-Hop")) + 1);
    // A track without a title of its own takes its recording's.
    EXPECT_EQ(a.Titles, (QStringList{QString::fromUtf8("Ночь"), "x", QString::fromUtf8("東京")}));
    // A track credited to others than the release names them, joined as the release's credit
    // is; one credited as the release, or not at all, names nobody.
    EXPECT_EQ(a.Artists, (QStringList{QString::fromUtf8("Guest feat. Другой"), "", ""}));
    EXPECT_EQ(a.MediumPosition, 2);
    EXPECT_EQ(a.MediumCount, 2);
    EXPECT_EQ(a.Description(),
              QString::fromUtf8("Ääni & 伊藤 - Kaksi levyä (1999, XE, disc 2 of 2)"));

    // No date, no known genre, and no medium with the disc id: the one with the disc's number
    // of tracks.
    const TMusicBrainzRelease& b = releases[1];
    EXPECT_TRUE(b.Year.isEmpty());
    EXPECT_EQ(b.Genre, -1);
    EXPECT_EQ(b.MediumPosition, 2);
    EXPECT_EQ(b.Titles, (QStringList{"x", "y", "z"}));

    EXPECT_TRUE(
        TMusicBrainzRelease::ParseDiscAnswer(R"({"releases":[]})", disc, 3, &releases, &error));
    EXPECT_TRUE(releases.empty());
    EXPECT_FALSE(
        TMusicBrainzRelease::ParseDiscAnswer("<html>busy</html>", disc, 3, &releases, &error));
    EXPECT_FALSE(
        TMusicBrainzRelease::ParseDiscAnswer(R"({"releases":5})", disc, 3, &releases, &error));
}

namespace {

// Set for the second process of TwoProcessesAskASecondApart: the address of its server.
const char* const SecondProcessVariable = "SONDREL_TEST_SECOND_LOOKUP";

class MusicBrainzLookup : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TDiscSession Session;
    std::unique_ptr<TDiscFieldsModel> Model;
    QString DiscId;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetConfigDir(Dir.path());
        // The pacing file of the MusicBrainz requests lives in the runtime folder: one of our
        // own, shared only with a second process this test starts.
        if (qEnvironmentVariableIsEmpty(SecondProcessVariable))
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Dir.path()));
        // Tracks at sectors 0, 300, 600 of 900.
        const QString cue =
            TTestDisc::WriteSparse(Dir.filePath(QStringLiteral("disc.cue")), {0, 300, 600}, 900);
        SetDiscImages({cue});
        LoadOptions();
        ASSERT_NE(Session.OpenDrive(0), 0) << Session.StatusText.toStdString();
        Session.ReadDisc(LoadDiscTexts(Session.CurrentDiscKey()));
        Session.Fields.Artist = QStringLiteral("old artist");
        Session.Fields.Comment = QStringLiteral("old comment");
        Model = std::make_unique<TDiscFieldsModel>(Session);
        DiscId = TMusicBrainzDisc::FromFrames(1, {150, 450, 750}, 1050).Id;
    }

    TLookupSources sourcesFor(const TCddbTestServer& server,
                              TLookupSources::Order order = TLookupSources::MusicBrainz) {
        TLookupSources s;
        s.Source = order;
        s.MusicBrainzServer = TLookupSources::ServerUrl(server.address());
        s.CoverArt = true;
        s.CoverArtServer = QStringLiteral("http://%1/caa").arg(server.address());
        s.TimeoutSeconds = 3;
        return s;
    }

    // Runs a lookup to its end (or 20 s); `onChoice` answers a release choice.
    void run(TLookupJob& job, std::function<void(const QStringList&)> onChoice = {}) {
        QEventLoop loop;
        QObject::connect(&job, &TJob::finished, &loop, &QEventLoop::quit);
        QObject::connect(&job, &TLookupJob::releaseChoice, &job,
                         [&](const QStringList& list) { onChoice ? onChoice(list) : void(); });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        job.Start();
        if (!job.IsFinished())
            loop.exec();
        ASSERT_TRUE(job.IsFinished());
    }

    TQueryCDDBThread::Settings cddbSettings(const TCddbTestServer& server) {
        TQueryCDDBThread::Settings s;
        s.Server = server.address();
        s.Script = QStringLiteral("/~cddb/cddb.cgi");
        s.TimeoutSeconds = 3;
        s.Email = QStringLiteral("tests@example.org");
        return s;
    }

    QStringList titles() const {
        QStringList t;
        for (const TTrackRow& r : Session.Rows)
            t << r.Title;
        return t;
    }
};

} // namespace

TEST_F(MusicBrainzLookup, TheChosenReleaseFillsTheFieldsAndItsCoverFollowsTheRedirect) {
    const QByteArray answer = DiscAnswer(
        {Release(MbidA, "First", R"([{"name":"One"}])", "2001", nullptr,
                 "[" + Medium(1, DiscId, {"a1", "a2", "a3"}) + "]"),
         Release(MbidB, "Second", R"([{"name":"Two"}])", "2002-10", R"([{"name":"rock"}])",
                 "[" + Medium(1, DiscId, {"b1", "b2", "b3"}, {"", R"([{"name":"Guest"}])"}) +
                     "]")});
    const QByteArray cover = Picture("mjpeg");
    TCddbTestServer server([&](const TCddbTestServer::Request& r) {
        if (r.Target.startsWith("/ws/2/discid/"))
            return TCddbTestServer::http(200, "application/json", answer);
        if (r.Target == QByteArray("/caa/release/") + MbidB + "/front")
            return TCddbTestServer::http(307, "text/plain", "see there",
                                         "Location: /images/front.jpg\r\n");
        if (r.Target == "/images/front.jpg")
            return TCddbTestServer::http(200, "image/jpeg", cover);
        return TCddbTestServer::http(404, "text/plain", "none");
    });

    QStringList offered;
    TLookupJob job(Session.Handle, cddbSettings(server), Model.get());
    job.SetSources(sourcesFor(server));
    QElapsedTimer clock;
    clock.start();
    run(job, [&](const QStringList& list) {
        offered = list;
        QTimer::singleShot(0, &job, [&job] { job.ChooseRelease(1); });
    });
    EXPECT_EQ(job.Outcome(), TJobOutcome::Done) << job.Detail().toStdString();
    EXPECT_EQ(offered, (QStringList{"One - First (2001, XE)", "Two - Second (2002, XE)"}));
    EXPECT_EQ(Session.Fields.Artist, QStringLiteral("Two"));
    EXPECT_EQ(Session.Fields.Album, QStringLiteral("Second"));
    EXPECT_EQ(Session.Fields.Year, QStringLiteral("2002"));
    EXPECT_EQ(Session.Fields.Genre, GenreIndexOf(QStringLiteral("Rock")) + 1);
    EXPECT_TRUE(Session.Fields.Comment.isEmpty());
    EXPECT_EQ(titles(), (QStringList{"b1", "b2", "b3"}));
    EXPECT_EQ(Session.Rows[1].Artist, QStringLiteral("Guest"));
    EXPECT_EQ(Session.Rows[2].Artist, QString());
    EXPECT_EQ(Session.Fields.DiscNumber, 1);
    EXPECT_EQ(Session.Fields.DiscTotal, 1);
    EXPECT_EQ(job.Cover().kind(), TCoverArt::Kind::Jpeg);
    EXPECT_EQ(job.Cover().data(), cover);

    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0].Target, "/ws/2/discid/" + DiscId.toLatin1() +
                                  "?inc=artist-credits+recordings+genres&cdstubs=no&fmt=json");
    // The User-Agent names a contact, as MusicBrainz asks.
    EXPECT_EQ(seen[0].UserAgent, "Sondrel/" SONDREL_VERSION " ( tests@example.org )");

    // A second lookup right away waits until a second has passed since the first request.
    TLookupJob again(Session.Handle, cddbSettings(server), Model.get());
    auto noCover = sourcesFor(server);
    noCover.CoverArt = false;
    again.SetSources(noCover);
    again.SetChooseFirst(true);
    run(again);
    EXPECT_EQ(again.Outcome(), TJobOutcome::Done);
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_EQ(titles(), (QStringList{"a1", "a2", "a3"}));
    EXPECT_EQ(Session.Rows[1].Artist, QString()); // the other release's artists do not stay
    EXPECT_TRUE(again.Cover().isEmpty());
    EXPECT_EQ(server.requests().size(), 4);
}

TEST_F(MusicBrainzLookup, NoMatchFailuresStopAndNoChoiceLeaveTheFieldsAsTheyWere) {
    const QByteArray twoReleases = DiscAnswer(
        {Release(MbidA, "A", "[]", "2001", nullptr, "[" + Medium(1, DiscId, {"a"}) + "]"),
         Release(MbidB, "B", "[]", "2002", nullptr, "[" + Medium(1, DiscId, {"b"}) + "]")});
    struct Case {
        QByteArray Answer; // empty: the server never answers
        TJobOutcome Outcome;
        const char* Detail;
        bool Stop = false;
    };
    const Case cases[] = {
        {TCddbTestServer::http(404, "application/json", R"({"error":"Not Found"})"),
         TJobOutcome::Failed, "/cdtoc/attach?id="},
        {TCddbTestServer::http(200, "application/json", R"({"releases":[]})"), TJobOutcome::Failed,
         "It can be added at:"},
        {TCddbTestServer::http(503, "text/plain", "slow down"), TJobOutcome::Failed, "HTTP 503"},
        {TCddbTestServer::http(200, "application/json", "{\"releases\":[{"), TJobOutcome::Failed,
         "not JSON"},
        {TCddbTestServer::http(200, "application/json", twoReleases), TJobOutcome::Cancelled,
         "No release"},
        {QByteArray(), TJobOutcome::Stopped, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Detail);
        TCddbTestServer server([&](const TCddbTestServer::Request&) { return c.Answer; });
        TLookupJob job(Session.Handle, cddbSettings(server), Model.get());
        job.SetSources(sourcesFor(server));
        if (c.Stop)
            QTimer::singleShot(300, &job, [&job] { job.Stop(); });
        run(job, [&job](const QStringList&) {
            QTimer::singleShot(0, &job, [&job] { job.ChooseRelease(-1); });
        });
        EXPECT_EQ(job.Outcome(), c.Outcome);
        EXPECT_TRUE(job.Detail().contains(QLatin1String(c.Detail))) << job.Detail().toStdString();
        EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
        EXPECT_EQ(Session.Fields.Comment, QStringLiteral("old comment"));
        EXPECT_EQ(titles(), (QStringList{"Track01", "Track02", "Track03"}));
    }

    // MusicBrainz first, then CDDB when MusicBrainz knows no release; the same server plays
    // both.
    const QByteArray record = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("Cddb Band / Cddb Album"), "1987", "Rock",
        {"TTITLE0=c1", "TTITLE1=c2", "TTITLE2=c3"});
    TCddbTestServer both([&](const TCddbTestServer::Request& r) {
        if (r.Target.startsWith("/ws/2/"))
            return TCddbTestServer::http(404, "application/json", "{}");
        if (r.Command().startsWith(QLatin1String("cddb query")))
            return TCddbTestServer::ok("200 rock 09000c03 Cddb Band / Cddb Album\r\n");
        return TCddbTestServer::ok(TCddbTestServer::readAnswer("rock", "09000c03", record));
    });
    QStringList messages;
    TLookupJob job(Session.Handle, cddbSettings(both), Model.get());
    job.SetSources(sourcesFor(both, TLookupSources::MusicBrainzThenCddb));
    QObject::connect(&job, &TJob::message, &job,
                     [&](TJobSeverity, const QString& text) { messages << text; });
    run(job);
    EXPECT_EQ(job.Outcome(), TJobOutcome::Done) << job.Detail().toStdString();
    EXPECT_EQ(job.SourceName(), QStringLiteral("CDDB"));
    EXPECT_EQ(Session.Fields.Album, QStringLiteral("Cddb Album"));
    EXPECT_EQ(titles(), (QStringList{"c1", "c2", "c3"}));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("/cdtoc/attach?id=") + DiscId));
}

TEST_F(MusicBrainzLookup, ACoverThatIsNoWholePictureIsRefusedAndTheTitlesStay) {
    const QByteArray answer =
        DiscAnswer({Release(MbidA, "Album", R"([{"name":"Band"}])", "2001", nullptr,
                            "[" + Medium(1, DiscId, {"t1", "t2", "t3"}) + "]")});
    const QByteArray jpeg = Picture("mjpeg", "640x480");
    ASSERT_GT(jpeg.size(), 8000);
    QByteArray png = Picture("png");
    ASSERT_GT(png.size(), 1000);
    QByteArray damagedPng = png;
    damagedPng[png.size() / 2] = char(damagedPng[png.size() / 2] ^ 0x40);
    struct Case {
        QByteArray Answer;
        const char* Reason; // in the warning
    };
    const Case cases[] = {
        {TCddbTestServer::http(200, "image/jpeg", "<html>not found</html>"), "no JPEG or PNG"},
        {TCddbTestServer::http(200, "image/jpeg", Jpeg(int(TLookupJob::MaxCoverBytes))),
         "larger than"},
        {TCddbTestServer::http(502, "text/plain", "down"), "HTTP 502"},
        // The first 4,000 bytes, sent without a length: Qt alone would decode them.
        {"HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\n\r\n" + jpeg.left(4000), "EOI"},
        {TCddbTestServer::http(200, "image/png", png.left(png.size() - 20)), "cut short"},
        {TCddbTestServer::http(200, "image/png", damagedPng), "CRC"},
        {TCddbTestServer::http(200, "image/png", Picture("png", "4100x16")), "4100 x 16"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reason);
        TCddbTestServer server([&](const TCddbTestServer::Request& r) {
            return r.Target.startsWith("/ws/2/")
                       ? TCddbTestServer::http(200, "application/json", answer)
                       : c.Answer;
        });
        QStringList warnings;
        TLookupJob job(Session.Handle, cddbSettings(server), Model.get());
        job.SetSources(sourcesFor(server));
        QObject::connect(&job, &TJob::message, &job,
                         [&](TJobSeverity, const QString& text) { warnings << text; });
        run(job);
        EXPECT_EQ(job.Outcome(), TJobOutcome::Done);
        EXPECT_TRUE(job.Cover().isEmpty());
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].contains(QLatin1String(c.Reason))) << warnings[0].toStdString();
        EXPECT_EQ(titles(), (QStringList{"t1", "t2", "t3"}));
    }
    // A whole PNG is taken.
    TCddbTestServer server([&](const TCddbTestServer::Request& r) {
        return TCddbTestServer::http(200, "application/json",
                                     r.Target.startsWith("/ws/2/") ? answer : png);
    });
    TLookupJob job(Session.Handle, cddbSettings(server), Model.get());
    job.SetSources(sourcesFor(server));
    run(job);
    EXPECT_EQ(job.Cover().kind(), TCoverArt::Kind::Png);
}

// The lookup of the second process below; skipped when run on its own.
TEST_F(MusicBrainzLookup, SecondProcessLookup) {
    const QString address = qEnvironmentVariable(SecondProcessVariable);
    if (address.isEmpty())
        GTEST_SKIP() << "the second process of TwoProcessesAskASecondApart";
    TCddbTestServer unused([](const TCddbTestServer::Request&) { return QByteArray(); });
    TLookupSources sources = sourcesFor(unused);
    sources.MusicBrainzServer = TLookupSources::ServerUrl(address);
    sources.CoverArt = false;
    TLookupJob job(Session.Handle, cddbSettings(unused), Model.get());
    job.SetSources(sources);
    run(job);
    EXPECT_EQ(job.Outcome(), TJobOutcome::Failed) << job.Detail().toStdString();
}

TEST_F(MusicBrainzLookup, TwoProcessesAskASecondApart) {
    TCddbTestServer server([](const TCddbTestServer::Request&) {
        return TCddbTestServer::http(404, "application/json", R"({"error":"Not Found"})");
    });
    // Three lookups started together, two in this process and one in another: every request
    // reaches the server at least a second after the one before.
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(SecondProcessVariable), server.address());
    second.setProcessEnvironment(env);
    second.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=MusicBrainzLookup.SecondProcessLookup")});
    ASSERT_TRUE(second.waitForStarted(10000));
    for (int i = 0; i < 2; ++i) {
        TLookupJob job(Session.Handle, cddbSettings(server), Model.get());
        job.SetSources(sourcesFor(server));
        run(job);
        EXPECT_EQ(job.Outcome(), TJobOutcome::Failed);
    }
    if (second.state() != QProcess::NotRunning) {
        ASSERT_TRUE(second.waitForFinished(30000));
    }
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAll().constData();
    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 3);
    QList<qint64> times;
    for (const auto& r : seen)
        times << r.ReceivedMs;
    std::sort(times.begin(), times.end());
    EXPECT_GE(times[1] - times[0], 1000);
    EXPECT_GE(times[2] - times[1], 1000);
}

namespace {

// The Qt warnings printed while it lives.
class TWarningCatcher {
public:
    TWarningCatcher() {
        s_caught.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type != QtDebugMsg && type != QtInfoMsg)
                    s_caught << text;
            });
    }
    ~TWarningCatcher() { qInstallMessageHandler(m_previous); }
    const QStringList& caught() const { return s_caught; }

private:
    static inline QStringList s_caught;
    QtMessageHandler m_previous;
};

} // namespace

TEST_F(MusicBrainzLookup, FailuresNameTheServerAndTheReason) {
    const struct {
        QString Server;     // as the user gives it; empty: the local server
        QByteArray Answer;  // empty: the server never answers
        const char* Detail; // in the job's detail
    } cases[] = {
        {QStringLiteral("127.0.0.1:99999"), {}, "'http://127.0.0.1:99999'"},
        {QStringLiteral("[::1"), {}, "'http://[::1'"},
        {{}, "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n{\"releases\":", "was cut short"},
        {{},
         TCddbTestServer::http(307, "text/plain", "again", "Location: /ws/2/discid/x\r\n"),
         "redirect loop"},
        {{}, {}, "did not answer within 1 seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Detail);
        TCddbTestServer server([&](const TCddbTestServer::Request&) { return c.Answer; });
        TLookupSources sources = sourcesFor(server);
        if (!c.Server.isEmpty())
            sources.MusicBrainzServer = TLookupSources::ServerUrl(c.Server);
        sources.TimeoutSeconds = 1;
        TLookupJob job(Session.Handle, cddbSettings(server), Model.get());
        job.SetSources(sources);
        TWarningCatcher warnings;
        run(job);
        EXPECT_EQ(job.Outcome(), TJobOutcome::Failed);
        EXPECT_TRUE(job.Detail().contains(QLatin1String(c.Detail))) << job.Detail().toStdString();
        // Nothing but the job's own report: no stray Qt warning.
        EXPECT_TRUE(warnings.caught().isEmpty()) << warnings.caught().join(u'\n').toStdString();
        EXPECT_EQ(Session.Fields.Artist, QStringLiteral("old artist"));
    }
}
