#include "app/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>

TTranslations::TTranslations(const QStringList& uiLanguages) {
    for (const QString& name : uiLanguages) {
        const QLocale locale(name);
        if (locale.language() == QLocale::English || locale.language() == QLocale::C)
            break;
        if (!own.load(locale, QStringLiteral("sondrel"), QStringLiteral("_"), Folder()))
            continue;
        QCoreApplication::installTranslator(&own);
        // Qt's own texts (the standard buttons' Cancel, Yes, ...) come from
        // qt6-translations-l10n; without it they stay English, the rest still translated.
        if (qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&qt);
        language = QLocale::languageToCode(locale.language());
        break;
    }
}

TTranslations::~TTranslations() {
    QCoreApplication::removeTranslator(&qt);
    QCoreApplication::removeTranslator(&own);
}

QString TTranslations::Folder() {
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../share/sondrel/translations"));
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    return QStringLiteral(SONDREL_BUILT_TRANSLATIONS);
}
