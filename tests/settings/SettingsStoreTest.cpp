#include "settings/SettingsStore.h"
#include "audio/Helpers.h"
#include "settings/CddbServers.h"
#include "settings/IniFile.h"
#include "settings/SettingsError.h"
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void SetUp() override {
        SetConfigDir(dir.path());
        AppOptions = TAppOptions();
    }
    void TearDown() override { SetConfigDir(QString()); }
    void writeOptions(const char* text) { WriteWholeFile(OptionsPath(), QByteArray(text)); }
    void writeCdDat(const char* text) { WriteWholeFile(DiscInfoPath(), QByteArray(text)); }
};

TEST_F(SettingsStoreTest, MissingFileGivesDefaults) {
    LoadOptions();
    EXPECT_TRUE(AppOptions.OutputFolder.endsWith("/Sondrel"));
    EXPECT_EQ(AppOptions.OutputFormat, 0);
    EXPECT_EQ(AppOptions.ConstantBitRate, 5);
    EXPECT_EQ(AppOptions.FormatIndex, 29);
    EXPECT_EQ(AppOptions.CompressPosition, 30);
    EXPECT_TRUE(AppOptions.IsUseCompress);
    EXPECT_EQ(AppOptions.ApeCompression, 2000);
    EXPECT_EQ(AppOptions.DriveIndex, -1);
    EXPECT_EQ(AppOptions.Server, QString::fromLatin1(CddbServerNames[0]));
    EXPECT_EQ(AppOptions.Server, "gnudb.gnudb.org");
    EXPECT_EQ(AppOptions.Script, "/~cddb/cddb.cgi");
    EXPECT_EQ(AppOptions.Port, "80");
}

TEST_F(SettingsStoreTest, CompressPositionIsClampedOnLoad) {
    const std::pair<const char*, int> cases[] = {{"10", 30}, {"250", 100}, {"abc", 30},
                                                 {"30", 30}, {"100", 100}, {"64", 64}};
    for (const auto& [stored, expected] : cases) {
        writeOptions(QByteArray("[OggOptions]\nCompressPosition=").append(stored).constData());
        LoadOptions();
        EXPECT_EQ(AppOptions.CompressPosition, expected) << "stored " << stored;
    }
}

TEST_F(SettingsStoreTest, BadValuesLeaveDefaultsAndNonZeroIsTrue) {
    writeOptions("[CommonOptions]\nIsKeepWav=2\nOutputFormat=x\nNormalizePercent= 80 \n"
                 "[Mp3Options]\nCPU=1\nIsSelectVBR=yes\n");
    AppOptions.OutputFormat = 4; // a value left from before must not survive a load
    LoadOptions();
    EXPECT_TRUE(AppOptions.IsKeepWav);
    EXPECT_EQ(AppOptions.OutputFormat, 0);
    EXPECT_EQ(AppOptions.NormalizePercent, 80);
    EXPECT_EQ(AppOptions.Mp3Cpu, 1);
    EXPECT_FALSE(AppOptions.IsSelectVBR);
    SaveOptions();
    TIniFile saved(OptionsPath());
    EXPECT_EQ(saved.value("CommonOptions", "IsKeepWav").value(), "1");
    EXPECT_EQ(saved.value("CommonOptions", "OutputFormat").value(), "0");
}

// Every number in a hand-edited file is held to the ranges `settings --set` allows: clamped,
// or for a list or a value no int holds the default, with one warning naming each key.
TEST_F(SettingsStoreTest, StoredNumbersAreHeldToTheirRangesWithAWarningEach) {
    for (const char* stored : {"-2147483649", "-2147483648", "-1", "2147483647", "4294967296"}) {
        SCOPED_TRACE(stored);
        TIniFile ini(OptionsPath());
        int integers = 0;
        for (const TSettingDef& def : SettingDefs())
            if (def.Type == TSettingDef::Integer) {
                ini.setValue(def.Section, def.Key, stored);
                ++integers;
            }
        ini.save();
        LoadOptions();
        QStringList warned;
        for (const TSettingDef& def : SettingDefs()) {
            if (def.Type != TSettingDef::Integer)
                continue;
            EXPECT_TRUE(def.allows(AppOptions.*def.IntField)) << def.Section << "/" << def.Key;
            if (def.allows(QByteArray(stored).toInt()) &&
                QByteArray(stored).toLongLong() == QByteArray(stored).toInt())
                continue;
            warned << QString("[%1] %2=").arg(def.Section, def.Key);
        }
        ASSERT_EQ(LoadWarnings().size(), warned.size()) << LoadWarnings().join("\n").toStdString();
        for (int i = 0; i < warned.size(); ++i)
            EXPECT_TRUE(LoadWarnings()[i].contains(warned[i])) << LoadWarnings()[i].toStdString();
        EXPECT_GT(integers, 20);
    }
    writeOptions("[CommonOptions]\nNormalizePercent=-2147483648\n[APEOptions]\nCompression=9999\n"
                 "[Mp3Options]\nBitRate=129\n[Converter]\nJobs=2147483647\n");
    LoadOptions();
    EXPECT_EQ(AppOptions.NormalizePercent, 1);
    EXPECT_EQ(AppOptions.ApeCompression, 9500);
    EXPECT_EQ(AppOptions.BitRate, TAppOptions().BitRate);
    EXPECT_EQ(AppOptions.ConverterJobs, 64);
    EXPECT_EQ(LoadWarnings().size(), 4);
}

TEST_F(SettingsStoreTest, SaveKeepsUnknownKeysAndRoundTrips) {
    writeOptions("; my notes\n[CommonOptions]\nFancy=yes\n[Mine]\nA=b\n");
    LoadOptions();
    AppOptions.OutputFolder = "/music/rips, with comma";
    AppOptions.FlacCompression = 8;
    AppOptions.Port = "8080";
    SaveOptions();
    TIniFile saved(OptionsPath());
    EXPECT_EQ(saved.value("CommonOptions", "Fancy").value(), "yes");
    EXPECT_EQ(saved.value("Mine", "A").value(), "b");
    EXPECT_TRUE(QString::fromUtf8(ReadWholeFile(OptionsPath())).startsWith("; my notes\n"));
    AppOptions = TAppOptions();
    LoadOptions();
    EXPECT_EQ(AppOptions.OutputFolder, "/music/rips, with comma");
    EXPECT_EQ(AppOptions.FlacCompression, 8);
    EXPECT_EQ(AppOptions.Port, "8080");
}

TEST_F(SettingsStoreTest, ReadOffsetsAreKeptPerDriveAndRoundTrip) {
    writeOptions("[ReadOffsets]\nPLEXTOR PX-716A=30\nHL-DT-ST DVDRAM=-6\nBroken=abc\n"
                 "[Ripping]\nSecureRip=1\n");
    AppOptions.ReadOffsets["Gone"] = 5; // an entry from before must not survive a load
    LoadOptions();
    EXPECT_EQ(AppOptions.ReadOffsets,
              (QMap<QString, int>{{"PLEXTOR PX-716A", 30}, {"HL-DT-ST DVDRAM", -6}}));
    EXPECT_EQ(AppOptions.ReadMode, "secure"); // the older switch reads as the secure mode
    EXPECT_EQ(AppOptions.AccurateRipServer, "www.accuraterip.com");
    AppOptions.ReadOffsets["NEW DRIVE"] = 667;
    SaveOptions();
    AppOptions = TAppOptions();
    LoadOptions();
    EXPECT_EQ(AppOptions.ReadOffsets.value("NEW DRIVE"), 667);
    EXPECT_EQ(AppOptions.ReadOffsets.value("HL-DT-ST DVDRAM"), -6);
    // Saved as the mode; the older switch is gone, so it cannot contradict a later change.
    EXPECT_EQ(AppOptions.ReadMode, "secure");
    const QByteArray saved = ReadWholeFile(OptionsPath());
    EXPECT_TRUE(saved.contains("ReadMode=secure\n") && !saved.contains("SecureRip"))
        << saved.constData();
}

TEST_F(SettingsStoreTest, FailedSaveLeavesTheOldFileIntact) {
    writeOptions("[CommonOptions]\nOutputFormat=3\nUnknown=kept\n");
    const QByteArray before = ReadWholeFile(OptionsPath());
    LoadOptions();
    AppOptions.OutputFormat = 5;
    // Running as root ignores folder permissions, so a file size limit makes the write fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tiny = old;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool threw = false;
    try {
        SaveOptions();
    } catch (const TSettingsError& e) {
        threw = true;
        EXPECT_TRUE(e.Message().contains(OptionsPath())) << e.Message().toStdString();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(threw);
    EXPECT_EQ(ReadWholeFile(OptionsPath()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"options.ini"});
}

TEST_F(SettingsStoreTest, SaveIntoAFileInsteadOfAFolderFails) {
    const QString notAFolder = dir.filePath("plain-file");
    WriteWholeFile(notAFolder, "x");
    SetConfigDir(notAFolder + "/sub");
    EXPECT_THROW(SaveOptions(), TSettingsError);
    EXPECT_THROW(SaveDiscInfo("123", TDiscFields{}), TSettingsError);
}

TEST_F(SettingsStoreTest, DiscInfoTitlesAndCounts) {
    writeCdDat("[12345]\nCDArtist=Artist\nCDAlbum=Album\nCDYear=1999\nCDGenre=17\n"
               "CDComment=c\nCDTrackNumber=3\n1=One\n2=\n3=Three\n4=Ignored\n"
               "[-2]\nCDArtist=Other\n");
    AppOptions.Titles[4] = "kept from before";
    LoadDiscInfo("12345");
    EXPECT_EQ(AppOptions.CDArtist, "Artist");
    EXPECT_EQ(AppOptions.CDAlbum, "Album");
    EXPECT_EQ(AppOptions.CDYear, "1999");
    EXPECT_EQ(AppOptions.CDGenre, 17);
    EXPECT_EQ(AppOptions.CDComment, "c");
    EXPECT_EQ(AppOptions.CDTrackNumber, 3);
    EXPECT_EQ(AppOptions.Titles[1], "One");
    EXPECT_EQ(AppOptions.Titles[2], "Track02");
    EXPECT_EQ(AppOptions.Titles[3], "Three");
    EXPECT_EQ(AppOptions.Titles[4], "kept from before");

    // A section without a count loads 100 titles with their defaults.
    LoadDiscInfo("-2");
    EXPECT_EQ(AppOptions.CDArtist, "Other");
    EXPECT_EQ(AppOptions.CDGenre, -1);
    EXPECT_EQ(AppOptions.CDTrackNumber, 100);
    EXPECT_EQ(AppOptions.Titles[1], "Track01");
    EXPECT_EQ(AppOptions.Titles[100], "Track100");

    // An empty key reads nothing.
    AppOptions.CDArtist = "unchanged";
    LoadDiscInfo("");
    EXPECT_EQ(AppOptions.CDArtist, "unchanged");
}

TEST_F(SettingsStoreTest, DiscInfoSaveAndReload) {
    writeCdDat("[777]\n99=old title\nExtra=kept\n");
    AppOptions.CDTrackNumber = 2;
    AppOptions.Titles[1] = "Intro, part one";
    AppOptions.Titles[2] = QString::fromUtf8("Caf\xC3\xA9 = open");
    TDiscFields fields;
    fields.Artist = "The Artist";
    fields.Album = "The Album";
    fields.Year = "2001";
    fields.Genre = 5;
    fields.Comment = "A comment";
    SaveDiscInfo("777", fields);
    SaveDiscInfo("", TDiscFields{}); // nothing written for an empty key
    AppOptions = TAppOptions();
    LoadDiscInfo("777");
    EXPECT_EQ(AppOptions.CDArtist, "The Artist");
    EXPECT_EQ(AppOptions.CDGenre, 5);
    EXPECT_EQ(AppOptions.CDTrackNumber, 2);
    EXPECT_EQ(AppOptions.Titles[1], "Intro, part one");
    EXPECT_EQ(AppOptions.Titles[2], QString::fromUtf8("Caf\xC3\xA9 = open"));
    TIniFile saved(DiscInfoPath());
    EXPECT_EQ(saved.value("777", "Extra").value(), "kept");
    EXPECT_FALSE(saved.hasSection(""));
}

TEST_F(SettingsStoreTest, CompilationTextsRoundTripAndOtherSectionsStayAsTheyWere) {
    // A section written before track artists and disc numbers existed reads with none of them
    // and is saved back byte for byte.
    const char* const before = "[555]\nCDArtist=Band\nCDAlbum=Album\nCDYear=1999\nCDGenre=3\n"
                               "CDComment=\nCDTrackNumber=2\n1=One\n2=Two\n";
    writeCdDat(before);
    const TDiscTexts old = LoadDiscTexts("555");
    EXPECT_EQ(old.Fields.AlbumArtist, "");
    EXPECT_EQ(old.Fields.DiscNumber, 0);
    EXPECT_EQ(old.Fields.DiscTotal, 0);
    EXPECT_EQ(old.Artists[1], "");
    SaveDiscTexts("555", old);
    EXPECT_EQ(ReadWholeFile(DiscInfoPath()), QByteArray(before));

    TDiscTexts set;
    set.Fields.Artist = "Various";
    set.Fields.AlbumArtist = "The Label";
    set.Fields.DiscNumber = 2;
    set.Fields.DiscTotal = 3;
    set.TrackNumber = 3;
    set.Titles[1] = "First";
    set.Titles[2] = "Second";
    set.Titles[3] = "Third";
    set.Artists[1] = "Guest One";
    set.Artists[3] = "Guest Three";
    SaveDiscTexts("888", set);
    const TDiscTexts back = LoadDiscTexts("888");
    EXPECT_EQ(back.Fields.AlbumArtist, "The Label");
    EXPECT_EQ(back.Fields.DiscNumber, 2);
    EXPECT_EQ(back.Fields.DiscTotal, 3);
    EXPECT_EQ(back.Titles[3], "Third");
    EXPECT_EQ(back.Artists[1], "Guest One");
    EXPECT_EQ(back.Artists[2], "");
    EXPECT_EQ(back.Artists[3], "Guest Three");
    TIniFile written(DiscInfoPath());
    EXPECT_EQ(written.value("888", "Artist3").value_or("missing"), "Guest Three");
    EXPECT_FALSE(written.value("888", "Artist2")); // the disc artist's track has no key

    // Emptied, the keys go; the disc information block keeps the track artists it has not.
    set.Artists[3].clear();
    set.Fields.AlbumArtist.clear();
    set.Fields.DiscNumber = set.Fields.DiscTotal = 0;
    SaveDiscTexts("888", set);
    AppOptions.CDTrackNumber = 3;
    SaveDiscInfo("888", set.Fields);
    TIniFile emptied(DiscInfoPath());
    EXPECT_EQ(emptied.value("888", "Artist1").value_or("missing"), "Guest One");
    for (const char* gone : {"Artist3", "CDAlbumArtist", "CDDiscNumber", "CDDiscTotal"})
        EXPECT_FALSE(emptied.value("888", gone)) << gone;
}

TEST(HelpersTest, Formatting) {
    EXPECT_EQ(TwoDigit(7), "07");
    EXPECT_EQ(TwoDigit(0), "00");
    EXPECT_EQ(TwoDigit(12), "12");
    EXPECT_EQ(TwoDigit(100), "100");
    EXPECT_EQ(TwoDigit(-3), "0-3");
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("/a"), "/a/");
    EXPECT_EQ(WithTrailingBackslash("/a/"), "/a/");
}

TEST(HelpersTest, FileInUse) {
    QTemporaryDir dir;
    const QString path = dir.filePath("f.wav");
    EXPECT_FALSE(IsFileInUse(path)); // missing
    WriteWholeFile(path, "data");
    EXPECT_FALSE(IsFileInUse(path));
    EXPECT_TRUE(IsFileInUse(dir.path())); // a folder cannot be opened for writing
}

} // namespace
