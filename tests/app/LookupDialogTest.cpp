// The lookup dialogs against a CDDB or MusicBrainz server on 127.0.0.1: what a match, no match,
// a failing server and Stop do to the disc fields and the dialogs, the choice among several
// releases, and the main window's lookup command.
#include "app/DialogLaunchers.h"
#include "app/TrackListModel.h"
#include "app/frmMain.h"
#include "app/frmQueryCDDB.h"
#include "app/frmStopQuery.h"
#include "lookup/DiscFieldsModel.h"
#include "settings/AppOptions.h"
#include "settings/SettingsStore.h"
#include "tests/common/CddbTestServer.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QByteArray MatchAnswer = "200 rock 09000c03 The Band / First Album\r\n";

TCddbTestServer::Handler matchingServer(int delayMs = 0) {
    const QByteArray rec = TCddbTestServer::record(
        QStringLiteral("09000c03"), QStringLiteral("The Band / First Album"),
        QStringLiteral("1987"), QStringLiteral("Rock"),
        {QStringLiteral("TTITLE0=Opening"), QStringLiteral("TTITLE1=Middle"),
         QStringLiteral("TTITLE2=Closing")});
    auto cddb = TCddbTestServer::cddb(
        MatchAnswer,
        {{QStringLiteral("rock 09000c03"), TCddbTestServer::readAnswer("rock", "09000c03", rec)}});
    return [cddb, delayMs](const TCddbTestServer::Request& r) {
        QThread::msleep(delayMs);
        return cddb(r);
    };
}

class LookupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        SetConfigDir(dir.path());
        // Tracks at sectors 0, 300, 600 of 900: the disc id 09000c03.
        cue = TTestDisc::WriteSparse(dir.filePath("disc.cue"), {0, 300, 600}, 900);
        SetDiscImages({cue});
        LoadOptions();
        options = AppOptions;
    }
    void openDisc() {
        ASSERT_NE(session.OpenDrive(0), 0);
        session.ReadDisc(TDiscTexts());
        session.Fields.Artist = QStringLiteral("old artist");
        model = std::make_unique<TDiscFieldsModel>(session);
    }
    QStringList titles() const {
        QStringList t;
        for (const TTrackRow& r : session.Rows)
            t << r.Title;
        return t;
    }
    // Opens the lookup dialog on `server` and clicks Query.
    std::unique_ptr<TfrmQueryCDDB> query(const QString& server) {
        auto d = std::make_unique<TfrmQueryCDDB>(session.Handle, options, model.get());
        d->show();
        d->cbServer->setEditText(server);
        d->bQuery->click();
        return d;
    }

    QTemporaryDir dir;
    QString cue;
    TAppOptions options;
    TDiscSession session;
    std::unique_ptr<TDiscFieldsModel> model;
};

TEST_F(LookupDialog, FailedLookupsShowWhyAndKeepTheLookupDialogAndTheTexts) {
    openDisc();
    // The no-match server takes its port first: a port freed by the probe may be handed out
    // again at once, and must not become the no-match server's.
    TCddbTestServer noMatch(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    quint16 deadPort = 0;
    {
        TCddbTestServer probe([](const TCddbTestServer::Request&) { return QByteArray(); });
        deadPort = probe.port();
    }
    const struct {
        QString Server;
        QString Expected;
    } cases[] = {
        {noMatch.address(), QStringLiteral("No match found. Perhaps:\n1. The CDDB server has no "
                                           "information on this disc.\n2. The CDDB options are "
                                           "wrong.\n3. The network is down.")},
        {QStringLiteral("127.0.0.1:%1").arg(deadPort), QStringLiteral("The CDDB query failed")},
    };
    for (const auto& c : cases) {
        auto d = query(c.Server);
        TfrmStopQuery* progress = d->Progress();
        ASSERT_TRUE(progress);
        EXPECT_EQ(progress->windowTitle(), "Query CDDB...");
        // Room for the title beside a window manager's buttons, while it works and after.
        EXPECT_GE(progress->width(), 320);
        ASSERT_TRUE(QTest::qWaitFor([&] { return progress->Panel1->isVisible(); }, 20000));
        EXPECT_GE(progress->width(), 320);
        EXPECT_TRUE(progress->lNotice->text().startsWith(c.Expected))
            << progress->lNotice->text().toStdString();
        EXPECT_FALSE(progress->lHint->isVisible());
        EXPECT_EQ(progress->bStop->text(), "&Close");
        progress->bStop->click();
        EXPECT_FALSE(progress->isVisible());
        EXPECT_TRUE(d->isVisible()); // for another try with other settings
        EXPECT_EQ(session.Fields.Artist, "old artist");
        EXPECT_EQ(titles(), (QStringList{"Track01", "Track02", "Track03"}));
    }
}

TEST_F(LookupDialog, StopDuringASlowAnswerLeavesTheTextsAsTheyWere) {
    openDisc();
    TCddbTestServer server(matchingServer(1500));
    auto d = query(server.address());
    ASSERT_TRUE(d->Progress());
    EXPECT_EQ(d->Progress()->lHint->text(), "Querying CDDB, please wait...");
    QTest::qWait(200);
    d->Progress()->bStop->click();
    QTest::qWait(100);
    EXPECT_FALSE(d->Progress()); // it deleted itself when closed
    EXPECT_TRUE(d->isVisible());
    // The server answers after Stop; nothing of it may arrive.
    ASSERT_TRUE(TQueryCDDBThread::WaitForAll(10000));
    QTest::qWait(100);
    EXPECT_EQ(session.Fields.Artist, "old artist");
    EXPECT_EQ(titles(), (QStringList{"Track01", "Track02", "Track03"}));
}

TEST_F(LookupDialog, MatchFromTheMainWindowFillsItsBoxesAndTitlesAndKeepsTheServer) {
    TCddbTestServer server(matchingServer());
    TfrmMain w;
    InstallDialogLaunchers(w);
    w.show();
    QSignalSpy read(&w, &TfrmMain::discRead);
    w.StartUp();
    ASSERT_TRUE(read.wait(5000));
    ASSERT_TRUE(w.aQueryCDDB->isEnabled());
    w.aQueryCDDB->trigger();
    auto* d = w.findChild<TfrmQueryCDDB*>();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->windowTitle(), "Query CDDB");
    EXPECT_EQ(d->cbServer->count(), 12);
    d->cbServer->setEditText(server.address());
    d->eEmail->setText(QStringLiteral("fan@example.org"));
    d->bQuery->click();
    // Both dialogs close once the titles are in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.findChild<TfrmQueryCDDB*>(); }, 20000));
    EXPECT_EQ(w.ID3artist->text(), "The Band");
    EXPECT_EQ(w.ID3album->text(), "First Album");
    EXPECT_EQ(w.ID3year->text(), "1987");
    EXPECT_EQ(w.ID3genre->currentText(), "Rock");
    EXPECT_EQ(w.Model()->index(2, TTrackListModel::ColTitle).data().toString(), "Closing");
    EXPECT_EQ(AppOptions.Server, server.address());
    // The address goes into the hello and stays for the next lookup.
    EXPECT_EQ(AppOptions.QueryCDDBEmail, "fan@example.org");
    ASSERT_FALSE(server.requests().isEmpty());
    EXPECT_EQ(server.requests()[0].Query.value(QStringLiteral("hello")),
              QStringLiteral("fan example.org sondrel " SONDREL_VERSION));

    // A server that is not one of the list is offered again, not the list's first.
    w.aQueryCDDB->trigger();
    d = w.findChild<TfrmQueryCDDB*>();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->cbServer->currentText(), server.address());
    EXPECT_EQ(d->eEmail->text(), "fan@example.org");
    d->bClose->click();
}

TEST_F(LookupDialog, MusicBrainzAsksWhichReleaseAndTheWindowKeepsItsCover) {
    // A whole picture: the lookup keeps nothing less.
    const TProcessResult made =
        RunProgram(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                    QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("testsrc=size=64x48"), QStringLiteral("-frames:v"),
                    QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("mjpeg"),
                    QStringLiteral("-f"), QStringLiteral("image2pipe"), QStringLiteral("-")});
    ASSERT_EQ(made.ExitCode, 0) << made.Err.constData();
    const QByteArray cover = made.Out;
    auto release = [](const char* mbid, const char* title, const char* prefix) {
        QByteArray tracks;
        for (int i = 1; i <= 3; ++i)
            tracks += QByteArray(i > 1 ? "," : "") + R"({"position":)" + QByteArray::number(i) +
                      R"(,"title":")" + prefix + QByteArray::number(i) + R"("})";
        return QByteArray(R"({"id":")") + mbid + R"(","title":")" + title +
               R"(","date":"2010","artist-credit":[{"name":"Band"}],"media":[{"tracks":[)" +
               tracks + "]}]}";
    };
    const QByteArray answer = R"({"releases":[)" +
                              release("11111111-2222-3333-4444-555555555555", "One", "a") + "," +
                              release("aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee", "Two", "b") + "]}";
    TCddbTestServer server([&](const TCddbTestServer::Request& r) {
        if (r.Target.startsWith("/ws/2/discid/"))
            return TCddbTestServer::http(200, "application/json", answer);
        if (r.Target == "/release/aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee/front")
            return TCddbTestServer::http(200, "image/jpeg", cover);
        return TCddbTestServer::http(404, "text/plain", "none");
    });
    AppOptions.CoverArtServer = "http://" + server.address();
    TfrmMain w;
    InstallDialogLaunchers(w);
    w.show();
    QSignalSpy read(&w, &TfrmMain::discRead);
    w.StartUp();
    ASSERT_TRUE(read.wait(5000));
    w.aQueryCDDB->trigger();
    auto* d = w.findChild<TfrmQueryCDDB*>();
    ASSERT_TRUE(d);
    d->cbSource->setCurrentIndex(1);
    d->eMusicBrainzServer->setText(server.address());
    d->bQuery->click();
    QInputDialog* choice = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return d->Progress() && (choice = d->Progress()->ReleaseChoice()); }, 20000));
    EXPECT_EQ(choice->comboBoxItems(), (QStringList{"Band - One (2010)", "Band - Two (2010)"}));
    choice->setTextValue("Band - Two (2010)");
    choice->accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.findChild<TfrmQueryCDDB*>(); }, 20000));
    EXPECT_EQ(w.ID3album->text(), "Two");
    EXPECT_EQ(w.Model()->index(2, TTrackListModel::ColTitle).data().toString(), "b3");
    EXPECT_EQ(AppOptions.LookupSource, "musicbrainz");
    EXPECT_EQ(AppOptions.MusicBrainzServer, "http://" + server.address());
    QFile kept(DiscCoverPath(w.Session().Key, "jpg"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), cover);
}

} // namespace
