// sondrel-cli lookup end to end: the program against a CDDB or MusicBrainz server on
// 127.0.0.1, a disc image as the drive, cd-info (libcdio-utils) as the oracle for the table of
// contents sent, mutagen for the cover in the files a rip writes after a MusicBrainz lookup.
#include "tests/common/CddbTestServer.h"
#include "tests/common/TestDisc.h"
#include "tests/common/TestUtil.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CliLookup : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Cue;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        // Four tracks of 10, 20.5, 30 and 40 seconds.
        Cue = TTestDisc::WriteSparse(Dir.filePath(QStringLiteral("disc.cue")), {0, 750, 2287, 4537},
                                     7537);
    }

    TProcessResult cli(const QStringList& args) {
        QStringList all{QStringLiteral("--config-dir"), Dir.path() + QStringLiteral("/cfg"),
                        QStringLiteral("--disc-image"), Cue};
        return RunProgram(BuiltProgram(QStringLiteral("cli/sondrel-cli")), all + args, {}, 60000);
    }

    // The query words cd-info's table gives: every track's LSN + 150, then the lead-out in
    // seconds.
    QStringList oracleOffsets() {
        const TProcessResult r =
            RunProgram(QStringLiteral("cd-info"),
                       {QStringLiteral("--no-header"), QStringLiteral("--no-device-info"),
                        QStringLiteral("--cue-file"), Cue});
        QStringList words;
        static const QRegularExpression row(
            QStringLiteral("^\\s*(\\d+): \\d\\d:\\d\\d:\\d\\d\\s+(\\d+) (\\w+)"),
            QRegularExpression::MultilineOption);
        auto it = row.globalMatch(QString::fromUtf8(r.Out));
        while (it.hasNext()) {
            const auto m = it.next();
            const int frames = m.captured(2).toInt() + 150;
            if (m.captured(3) == QLatin1String("leadout"))
                words << QString::number(frames / 75);
            else
                words << QString::number(frames);
        }
        return words;
    }
};

QByteArray sampleRecord() {
    return TCddbTestServer::record(
        QStringLiteral("x"), QStringLiteral("Nordlys / Vinterlieder"), QStringLiteral("2011"),
        QStringLiteral("Folk"),
        {QStringLiteral("TTITLE0=Første snø"), QStringLiteral("TTITLE1=Harbour Walk"),
         QStringLiteral("TTITLE2=A long title that the record "),
         QStringLiteral("TTITLE2=continues"), QStringLiteral("TTITLE3=Homeward")});
}

} // namespace

TEST_F(CliLookup, SavedTitlesReachTracks) {
    TCddbTestServer server([](const TCddbTestServer::Request& r) {
        const QStringList cmd = r.Command().split(QLatin1Char(' '));
        if (cmd.value(1) == QLatin1String("query"))
            return TCddbTestServer::ok("200 folk " + cmd.value(2).toUtf8() +
                                       " Nordlys / Vinterlieder\r\n");
        return TCddbTestServer::ok(
            TCddbTestServer::readAnswer(cmd.value(2), cmd.value(3), sampleRecord()));
    });
    const TProcessResult r = cli({QStringLiteral("lookup"), QStringLiteral("--server"),
                                  server.address(), QStringLiteral("--save")});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.constData();
    const QString out = QString::fromUtf8(r.Out);
    EXPECT_TRUE(out.contains(QStringLiteral("Artist: Nordlys\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("Album: Vinterlieder\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("Year: 2011\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("Genre: Folk\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("1\tFørste snø\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("3\tA long title that the record continues\n")));

    // The query carries the table of contents as cd-info reads it from the image.
    const auto seen = server.requests();
    ASSERT_EQ(seen.size(), 2);
    const QStringList words = seen[0].Command().split(QLatin1Char(' '));
    ASSERT_GE(words.size(), 5);
    EXPECT_EQ(words.mid(0, 2), (QStringList{"cddb", "query"}));
    EXPECT_EQ(words.value(3), QStringLiteral("4"));
    EXPECT_EQ(words.mid(4), oracleOffsets());
    EXPECT_TRUE(seen[0].RequestLine.endsWith("&hello=sondrel+localhost+sondrel+" SONDREL_VERSION
                                             "&proto=6 HTTP/1.1"))
        << seen[0].RequestLine.constData();
    EXPECT_EQ(seen[1].Command(), QStringLiteral("cddb read folk ") + words.value(2));

    // The lookup settings were stored; the titles are in cd.dat for the next command.
    const QString ini =
        QString::fromUtf8(ReadWholeFile(Dir.path() + QStringLiteral("/cfg/options.ini")));
    EXPECT_TRUE(ini.contains(QStringLiteral("Server=") + server.address()));
    const TProcessResult tracks = cli({QStringLiteral("tracks")});
    ASSERT_EQ(tracks.ExitCode, 0) << tracks.Err.constData();
    const QStringList lines = QString::fromUtf8(tracks.Out).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1\tFørste snø\t")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("2\tHarbour Walk\t")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("4\tHomeward\t")));
}

TEST_F(CliLookup, NoMatchAndFailuresExitWithOne) {
    {
        TCddbTestServer server(TCddbTestServer::cddb("202 No match found.\r\n", {}));
        const TProcessResult r = cli({QStringLiteral("lookup"), QStringLiteral("--server"),
                                      server.address(), QStringLiteral("--save")});
        EXPECT_EQ(r.ExitCode, 1);
        EXPECT_TRUE(
            r.Out.startsWith("No match found. Perhaps:\n1. The CDDB server has no information"));
        // No address is set: the lookup says once how to set one.
        EXPECT_EQ(r.Err.count("QueryCDDB.Email="), 1) << r.Err.constData();
        EXPECT_FALSE(QFile::exists(Dir.path() + QStringLiteral("/cfg/cd.dat")));
    }
    {
        // A record line of a megabyte: the fetch is refused, and the lookup says why.
        TCddbTestServer server(TCddbTestServer::cddb(
            "200 rock 12345678 A / B\r\n",
            {{QStringLiteral("rock 12345678"),
              "210 rock 12345678\r\nTTITLE0=" + QByteArray(1024 * 1024, 'z') + "\r\n.\r\n"}}));
        const TProcessResult r =
            cli({QStringLiteral("lookup"), QStringLiteral("--server"), server.address()});
        EXPECT_EQ(r.ExitCode, 1) << r.Err.constData();
        EXPECT_TRUE(r.Err.contains("is larger than 512 KiB")) << r.Err.constData();
    }
    {
        // A server that never answers ends the lookup when the time limit runs out.
        TCddbTestServer silent([](const TCddbTestServer::Request&) { return QByteArray(); });
        QElapsedTimer clock;
        clock.start();
        const TProcessResult r =
            cli({QStringLiteral("lookup"), QStringLiteral("--server"), silent.address(),
                 QStringLiteral("--timeout"), QStringLiteral("1")});
        EXPECT_EQ(r.ExitCode, 1);
        EXPECT_TRUE(r.Err.contains("did not answer within 1 seconds")) << r.Err.constData();
        EXPECT_LT(clock.elapsed(), 20000);
    }
}

TEST_F(CliLookup, ProxySettingsAreStoredAndUsed) {
    TCddbTestServer proxy(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    const TProcessResult r =
        cli({QStringLiteral("lookup"), QStringLiteral("--server"),
             QStringLiteral("cddb.example.org"), QStringLiteral("--script"),
             QStringLiteral("/cgi-bin/cddb.cgi"), QStringLiteral("--proxy"), proxy.address()});
    EXPECT_EQ(r.ExitCode, 1);
    const auto seen = proxy.requests();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(
        seen[0].Target.startsWith("http://cddb.example.org/cgi-bin/cddb.cgi?cmd=cddb+query+"));
    const QString ini =
        QString::fromUtf8(ReadWholeFile(Dir.path() + QStringLiteral("/cfg/options.ini")));
    EXPECT_TRUE(ini.contains(QStringLiteral("UseProxy=1")));
    EXPECT_TRUE(ini.contains(QStringLiteral("ProxyAddress=127.0.0.1")));
    EXPECT_TRUE(ini.contains(QStringLiteral("Port=%1").arg(proxy.port())));
    EXPECT_TRUE(ini.contains(QStringLiteral("Script=/cgi-bin/cddb.cgi")));

    // The stored proxy stays in use until --no-proxy turns it off.
    TCddbTestServer direct(TCddbTestServer::cddb("202 No match found.\r\n", {}));
    const TProcessResult r2 = cli({QStringLiteral("lookup"), QStringLiteral("--server"),
                                   direct.address(), QStringLiteral("--no-proxy")});
    EXPECT_EQ(r2.ExitCode, 1);
    EXPECT_EQ(direct.requests().size(), 1);
    EXPECT_EQ(proxy.requests().size(), 1);

    EXPECT_EQ(cli({QStringLiteral("lookup"), QStringLiteral("--bogus")}).ExitCode, 2);
    EXPECT_EQ(cli({"lookup", "--source", "cddb,musicbrainz"}).ExitCode, 2);
    EXPECT_EQ(
        cli({QStringLiteral("lookup"), QStringLiteral("--timeout"), QStringLiteral("0")}).ExitCode,
        2);
}

TEST_F(CliLookup, MusicBrainzFillsCdDatAndTheNextRipCarriesTitlesAndCover) {
    // A whole picture, made by FFmpeg: the lookup keeps nothing less.
    const TProcessResult made =
        RunProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48", "-frames:v",
                              "1", "-c:v", "mjpeg", "-f", "image2pipe", "-"});
    ASSERT_EQ(made.ExitCode, 0) << made.Err.constData();
    const QByteArray cover = made.Out;
    const QByteArray mbid = "11111111-2222-3333-4444-555555555555";
    auto release = [](const QByteArray& id, const QByteArray& title, const QByteArray& prefix) {
        QByteArray tracks;
        for (int i = 1; i <= 4; ++i)
            tracks += QByteArray(i > 1 ? "," : "") + R"({"position":)" + QByteArray::number(i) +
                      R"(,"title":")" + prefix + QByteArray::number(i) + R"("})";
        return R"({"id":")" + id + R"(","title":")" + title +
               R"(","date":"1977-02","artist-credit":[{"name":"Синий"}],"media":[{"position":1,)"
               R"("tracks":[)" +
               tracks + "]}]}";
    };
    const QByteArray answer = R"({"releases":[)" + release(mbid, "Sommer", "Лето ") + "," +
                              release("aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee", "Other", "o") + "]}";
    bool down = false;
    TCddbTestServer server([&](const TCddbTestServer::Request& r) {
        if (down)
            return TCddbTestServer::http(500, "text/plain", "down");
        if (r.Target.startsWith("/ws/2/discid/"))
            return TCddbTestServer::http(200, "application/json", answer);
        if (r.Target == "/release/" + mbid + "/front")
            return TCddbTestServer::http(200, "image/jpeg", cover);
        return TCddbTestServer::http(404, "text/plain", "none");
    });
    ASSERT_EQ(
        cli({"settings", "--set", "Lookup.CoverArtServer=http://" + server.address()}).ExitCode, 0);
    const TProcessResult r =
        cli({"lookup", "--source", "musicbrainz", "--server", server.address(), "--save"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.constData();
    const QString out = QString::fromUtf8(r.Out);
    EXPECT_TRUE(out.contains(QString::fromUtf8("Artist: Синий\nAlbum: Sommer\nYear: 1977\n")))
        << r.Out.constData();
    EXPECT_TRUE(out.contains(QString::fromUtf8("4\tЛето 4\n")));
    EXPECT_TRUE(r.Err.contains("The others:\n  Синий - Other (1977)")) << r.Err.constData();
    // --server went to MusicBrainz as plain HTTP; the CDDB server kept its setting.
    const QString ini = QString::fromUtf8(ReadWholeFile(Dir.path() + "/cfg/options.ini"));
    EXPECT_TRUE(ini.contains("MusicBrainzServer=http://" + server.address()));
    EXPECT_TRUE(ini.contains("Source=musicbrainz\n"));
    EXPECT_FALSE(ini.contains("Server=" + server.address() + "\n"));

    // A failed lookup with --save leaves cd.dat and the kept cover as they were.
    const QByteArray cdDat = ReadWholeFile(Dir.path() + "/cfg/cd.dat");
    down = true;
    const TProcessResult failed = cli({"lookup", "--source", "musicbrainz", "--save"});
    EXPECT_EQ(failed.ExitCode, 1);
    EXPECT_TRUE(failed.Err.contains("HTTP 500")) << failed.Err.constData();
    EXPECT_EQ(ReadWholeFile(Dir.path() + "/cfg/cd.dat"), cdDat);

    // The rip takes the titles from cd.dat and the cover kept beside it.
    const QString music = Dir.path() + "/music";
    ASSERT_EQ(cli({"settings", "--set", "AccurateRip.Server="}).ExitCode, 0); // no network
    const TProcessResult rip = cli({"rip", "--format", "flac", "--out", music, "--tracks", "1,4"});
    ASSERT_EQ(rip.ExitCode, 0) << rip.Err.constData();
    EXPECT_EQ(QDir(music).entryList(QDir::Files, QDir::Name),
              (QStringList{"Sommer.cue", "Sommer.log", "Sommer.m3u8", "cover.jpg",
                           QString::fromUtf8("Лето 1.flac"), QString::fromUtf8("Лето 4.flac")}));
    EXPECT_EQ(ReadWholeFile(music + "/cover.jpg"), cover);
    static const char* script = R"(
import sys, hashlib
from mutagen.flac import FLAC
f = FLAC(sys.argv[1])
for p in f.pictures:
    print(p.type, p.mime, hashlib.md5(p.data).hexdigest())
print(f["album"][0], f["title"][0], f["artist"][0])
)";
    const TProcessResult read =
        RunProgram("/usr/bin/python3", {"-c", script, music + QString::fromUtf8("/Лето 4.flac")});
    ASSERT_EQ(read.ExitCode, 0) << read.Err.constData();
    EXPECT_EQ(QString::fromUtf8(read.Out),
              "3 image/jpeg " + QCryptographicHash::hash(cover, QCryptographicHash::Md5).toHex() +
                  QString::fromUtf8("\nSommer Лето 4 Синий\n"));
}
