// Puts the window into the user's language: the program's own translation and Qt's (its
// standard buttons and dialogs), installed into the application for as long as the object
// lives. English, the language the texts are written in, needs none. GUI (main) thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

class TTranslations {
public:
    // `uiLanguages` in the user's order of preference, as QLocale::system().uiLanguages() gives
    // them (on Linux those LANGUAGE lists, else the first of LC_ALL, LC_MESSAGES and LANG that
    // is set). The first language that is English or has a translation wins ("de_AT" takes
    // "de"); the rest are not looked at.
    explicit TTranslations(const QStringList& uiLanguages);
    ~TTranslations();
    TTranslations(const TTranslations&) = delete;
    TTranslations& operator=(const TTranslations&) = delete;

    // The language whose translation was installed ("de"), empty when the texts stay English.
    QString Language() const { return language; }

    // The folder of the program's compiled translations (sondrel_<language>.qm): the installed
    // one beside the program, else the build tree's.
    static QString Folder();

private:
    QTranslator own;
    QTranslator qt;
    QString language;
};
