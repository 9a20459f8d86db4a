// The German translation against the sources: lupdate run over the sources the build reads
// finds no text the file lacks, and every translation is finished, not empty, and has the
// placeholders (%1, %2, ...) of its English text, which .arg() fills.
#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

QSet<QString> placeholders(const QString& text) {
    QSet<QString> found;
    static const QRegularExpression number(QStringLiteral("%(\\d+|n)"));
    for (const QRegularExpressionMatch& m : number.globalMatch(text))
        found << m.captured();
    return found;
}

TEST(GermanTranslation, HasEveryTextOfTheSourcesFinishedWithItsPlaceholders) {
    const QString committed = QStringLiteral(SONDREL_SOURCE_DIR "/app/translations/sondrel_de.ts");
    QTemporaryDir dir;
    const QString updated = dir.filePath(QStringLiteral("sondrel_de.ts"));
    ASSERT_TRUE(QFile::copy(committed, updated));
    // lupdate adds the texts the file lacks as unfinished and drops the ones no source has.
    const TProcessResult lupdate = RunProgram(
        QStringLiteral(SONDREL_LUPDATE),
        {QStringLiteral("@" SONDREL_TRANSLATED_SOURCES), QStringLiteral("-ts"), updated,
         QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-no-obsolete")});
    ASSERT_EQ(lupdate.ExitCode, 0) << lupdate.Err.toStdString();

    QFile file(updated);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context, source;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("source")) {
            source = xml.readElementText();
            ++messages;
        } else if (name == QLatin1String("translation")) {
            const QString where = context + QStringLiteral(": ") + source;
            const bool unfinished =
                xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            // Plural forms are <numerusform> children; their text is read whole.
            const QString text =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            EXPECT_FALSE(unfinished) << "unfinished or new: " << where.toStdString();
            EXPECT_FALSE(text.isEmpty()) << "no translation: " << where.toStdString();
            EXPECT_EQ(placeholders(text), placeholders(source))
                << where.toStdString() << " -> " << text.toStdString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 200);
    // Texts that no source has any more are gone from the updated file.
    QFile original(committed);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(original.readAll()).count(QLatin1String("<message")),
              QString::fromUtf8((file.seek(0), file.readAll())).count(QLatin1String("<message")))
        << "the file holds texts no source has: run the update_translations target";
}

} // namespace
