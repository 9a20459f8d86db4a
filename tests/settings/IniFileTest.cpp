#include "settings/IniFile.h"
#include "settings/SettingsError.h"
#include "tests/common/TestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("t.ini")); }
    void write(const char* text) { WriteWholeFile(path(), QByteArray(text)); }
    QString read() const { return QString::fromUtf8(ReadWholeFile(path())); }
};

TEST_F(IniFileTest, ReadsWithProfileSemantics) {
    write("; a comment\n"
          "[Common]\n"
          "  Key = first value  \n"
          "key=second occurrence\n"
          "Quoted=\"  padded  \"\n"
          "Half=\"open\n"
          ";Hidden=1\n"
          "Title=Rock, Paper, Scissors\n"
          "[common]\n"
          "Other=from the second section\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.value("COMMON", "KEY").value(), "first value");
    EXPECT_EQ(ini.value("Common", "Quoted").value(), "  padded  ");
    EXPECT_EQ(ini.value("Common", "Half").value(), "\"open");
    EXPECT_FALSE(ini.value("Common", "Hidden").has_value());
    EXPECT_EQ(ini.value("Common", "Title").value(), "Rock, Paper, Scissors");
    // The first section of a name is the one that counts.
    EXPECT_FALSE(ini.value("Common", "Other").has_value());
    EXPECT_FALSE(ini.value("Missing", "Key").has_value());
}

TEST_F(IniFileTest, WritesInPlaceAndKeepsEverythingElse) {
    write("; keep me\n"
          "[A]\n"
          "x=1\n"
          "Unknown=stays\n"
          "\n"
          "[B]\n"
          "y=2\n");
    TIniFile ini(path());
    ini.setValue("a", "X", "10");  // replaced where it stands, original spelling of the key lost
    ini.setValue("A", "new", "n"); // added at the end of its section, before the blank line
    ini.setValue("C", "z", "3");   // new section at the end
    ini.setValue("B", "title", " spaced ");
    ini.setValue("B", "multi", "line\r\nbreak");
    ini.save();
    EXPECT_EQ(read(), "; keep me\n"
                      "[A]\n"
                      "X=10\n"
                      "Unknown=stays\n"
                      "new=n\n"
                      "\n"
                      "[B]\n"
                      "y=2\n"
                      "title=\" spaced \"\n"
                      "multi=line break\n"
                      "\n"
                      "[C]\n"
                      "z=3\n");
    TIniFile again(path());
    EXPECT_EQ(again.value("B", "title").value(), " spaced ");
}

TEST_F(IniFileTest, KeepsWindowsLineEndingsAndReadsUtf8) {
    write("\xEF\xBB\xBF[S]\r\nName=Bj\xC3\xB6rk\r\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.value("S", "Name").value(), QString::fromUtf8("Bj\xC3\xB6rk"));
    ini.setValue("S", "Other", "1");
    ini.save();
    EXPECT_EQ(read(), QString::fromUtf8("[S]\r\nName=Bj\xC3\xB6rk\r\nOther=1\r\n"));
}

TEST_F(IniFileTest, LinesThatAreNotUtf8AreReadAsLatin1AndSurviveASave) {
    // Another disc's section written in Latin-1 next to one in UTF-8.
    write("[OLD]\nArtist=Bj\xF6rk\nTitle=Caf\xE9 \xC3\n[NEW]\nArtist=Bj\xC3\xB6rk\n");
    const QString bjork = QString::fromUtf8("Bj\xC3\xB6rk");
    TIniFile ini(path());
    EXPECT_EQ(ini.value("OLD", "Artist").value(), bjork);
    EXPECT_EQ(ini.value("OLD", "Title").value(), QString::fromUtf8("Caf\xC3\xA9 \xC3\x83"));
    EXPECT_EQ(ini.value("NEW", "Artist").value(), bjork);
    ini.setValue("NEW", "Year", "1993");
    ini.save();
    TIniFile again(path());
    EXPECT_EQ(again.value("OLD", "Artist").value(), bjork);
    EXPECT_EQ(again.value("OLD", "Title").value(), QString::fromUtf8("Caf\xC3\xA9 \xC3\x83"));
    EXPECT_EQ(again.value("NEW", "Artist").value(), bjork);
}

TEST_F(IniFileTest, MissingFileIsEmptyAndUnwritableFolderThrows) {
    TIniFile missing(dir.filePath("nothing.ini"));
    EXPECT_FALSE(missing.hasSection("A"));
    TIniFile nowhere(dir.filePath("no/such/folder/x.ini"));
    nowhere.setValue("A", "b", "c");
    try {
        nowhere.save();
        FAIL() << "save into a missing folder succeeded";
    } catch (const TSettingsError& e) {
        EXPECT_TRUE(e.Message().contains("no/such/folder/x.ini")) << e.Message().toStdString();
    }
}

} // namespace
