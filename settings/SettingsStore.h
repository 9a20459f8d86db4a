// Loading and saving of AppOptions (options.ini) and of the per-disc texts (cd.dat), and the
// table of stored settings that the command line prints and sets. GUI (main) thread only.
#pragma once

#include "audio/CoverArt.h"
#include "audio/DiscTexts.h"
#include "settings/AppOptions.h"

#include <QString>
#include <QStringList>
#include <climits>
#include <vector>

// One stored setting: where it lives in options.ini and which field of TAppOptions holds it.
struct TSettingDef {
    enum Kind { Text, Integer, Boolean };
    const char* Section;
    const char* Key;
    Kind Type;
    QString TAppOptions::*TextField = nullptr;
    int TAppOptions::*IntField = nullptr;
    bool TAppOptions::*BoolField = nullptr;

    // The whole numbers an Integer setting takes: Min..Max in steps of Step from Min, or only
    // those in Values when it is not empty. The command line refuses what falls outside;
    // loading clamps it (or, for a list, takes the default) with a warning.
    int Min = INT_MIN;
    int Max = INT_MAX;
    int Step = 1;
    std::vector<int> Values = {};

    QString get(const TAppOptions& o) const;
    // Parses `text` as this setting's type; false when it is not a valid value.
    bool set(TAppOptions& o, const QString& text) const;
    // Whether `value` is among the numbers above; always true for the other kinds.
    bool allows(int value) const;
    // Those numbers for a message: "0..5", "1000..10000 in steps of 500", "32, 40, ..., 320";
    // in English (the command line's texts), or translated for the window.
    QString allowedText(bool translated = false) const;
};

// Settings block then lookup block, in the order they are stored and printed.
const std::vector<TSettingDef>& SettingDefs();

// The folder that holds options.ini and cd.dat. Defaults to the per-user configuration folder;
// SetConfigDir overrides it (command line --config-dir).
QString ConfigDir();
void SetConfigDir(const QString& dir);
QString OptionsPath();
QString DiscInfoPath();
QString DefaultOutputFolder();

// Resets the settings and lookup blocks to their defaults, then reads options.ini. A missing or
// unreadable file, section or key leaves that default; a value of the wrong type leaves it too,
// and a number outside its setting's range is clamped into it (one of a list: its default),
// each with one warning naming the key (LoadWarnings, and on the Qt message log).
void LoadOptions();
// The warnings of the last LoadOptions, one per key whose stored value was not used.
const QStringList& LoadWarnings();
// Writes every key of both blocks into options.ini, keeping what else the file holds. Throws
// TSettingsError naming the file when it cannot be written; the old file then stays intact.
void SaveOptions();

// The texts section `key` of cd.dat holds: titles missing or empty are "TrackNN" up to its
// CDTrackNumber, and row n's artist is key "Artist<n>" (empty when missing); CDAlbumArtist,
// CDDiscNumber and CDDiscTotal give the album artist and disc number (empty or 0 when
// missing). An empty key or an unreadable cache gives empty texts. Never throws.
TDiscTexts LoadDiscTexts(const QString& key);
// Writes `texts` into section `key` of cd.dat, keeping every other section and key; nothing
// happens for an empty key. An empty track artist, album artist or a disc number of 0 is not
// written, and a key stored for it before is removed. Throws TSettingsError naming the file
// when it cannot be written.
void SaveDiscTexts(const QString& key, const TDiscTexts& texts);

// Fills the disc information block from section `key` of cd.dat; nothing happens for an empty
// key. Never throws: an unreadable cache gives the defaults.
void LoadDiscInfo(const QString& key);
// Writes the disc fields, AppOptions.CDTrackNumber and that many titles into section `key` of
// cd.dat, keeping the track artists stored there; nothing happens for an empty key. Throws
// TSettingsError on failure.
void SaveDiscInfo(const QString& key, const TDiscFields& fields);

// Where the front cover found for disc `key` is kept between runs: "covers/<key>.<extension>"
// beside cd.dat.
QString DiscCoverPath(const QString& key, const QString& extension);
// The cover kept for disc `key`; empty when there is none or it cannot be read. Never throws.
TCoverArt LoadDiscCover(const QString& key);
// Keeps `cover` for disc `key` in place of an earlier one; nothing happens for an empty key or
// cover. Throws TSettingsError naming the file when it cannot be written.
void SaveDiscCover(const QString& key, const TCoverArt& cover);
