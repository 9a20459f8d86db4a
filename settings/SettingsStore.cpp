#include "SettingsStore.h"

#include "CddbServers.h"
#include "IniFile.h"
#include "ReadMode.h"
#include "SettingsError.h"
#include "audio/AtomicFile.h"
#include "audio/Helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <optional>

TAppOptions AppOptions;

namespace {

QString g_configDir;
QStringList g_loadWarnings; // of the last LoadOptions
const char* const ReadOffsetsSection = "ReadOffsets";

using K = TSettingDef::Kind;
using O = TAppOptions;

TSettingDef text(const char* s, const char* k, QString O::*f) {
    return {s, k, K::Text, f, nullptr, nullptr};
}
TSettingDef integer(const char* s, const char* k, int O::*f, int min = INT_MIN, int max = INT_MAX,
                    int step = 1) {
    return {s, k, K::Integer, nullptr, f, nullptr, min, max, step, {}};
}
TSettingDef oneOf(const char* s, const char* k, int O::*f, std::vector<int> values) {
    return {s, k, K::Integer, nullptr, f, nullptr, INT_MIN, INT_MAX, 1, std::move(values)};
}
TSettingDef boolean(const char* s, const char* k, bool O::*f) {
    return {s, k, K::Boolean, nullptr, nullptr, f};
}

// The bit rates an MPEG-1 Layer III stream has (kbit/s), the ones LAME writes for CD audio.
const std::vector<int> Mp3Rates = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

std::optional<int> parseInt(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

TAppOptions defaults() {
    TAppOptions o;
    o.OutputFolder = DefaultOutputFolder();
    o.Server = QString::fromLatin1(CddbServerNames[0]);
    o.Script = QStringLiteral("/~cddb/cddb.cgi");
    o.Port = QStringLiteral("80");
    o.LookupSource = QStringLiteral("cddb");
    o.MusicBrainzServer = QStringLiteral("https://musicbrainz.org");
    o.CoverArtServer = QStringLiteral("https://coverartarchive.org");
    o.AccurateRipServer = QStringLiteral("www.accuraterip.com");
    return o;
}

// Reads cd.dat, or gives an empty document when it cannot be read: a damaged cache must not
// keep a disc from being shown.
std::optional<TIniFile> readDiscCache() {
    try {
        return TIniFile(DiscInfoPath());
    } catch (const TSettingsError&) {
        return std::nullopt;
    }
}

// The cd.dat key of row `n`'s own artist, beside the title key "<n>".
QString trackArtistKey(int n) {
    return QStringLiteral("Artist") + QString::number(n);
}

} // namespace

QString TSettingDef::get(const TAppOptions& o) const {
    switch (Type) {
    case Text:
        return o.*TextField;
    case Integer:
        return QString::number(o.*IntField);
    case Boolean:
        return (o.*BoolField) ? QStringLiteral("1") : QStringLiteral("0");
    }
    return QString();
}

bool TSettingDef::set(TAppOptions& o, const QString& value) const {
    switch (Type) {
    case Text:
        o.*TextField = value;
        return true;
    case Integer:
        if (const auto v = parseInt(value)) {
            o.*IntField = *v;
            return true;
        }
        return false;
    case Boolean:
        // Stored files may hold any integer; everything but 0 means true.
        if (const auto v = parseInt(value)) {
            o.*BoolField = *v != 0;
            return true;
        }
        return false;
    }
    return false;
}

bool TSettingDef::allows(int value) const {
    if (Type != Integer)
        return true;
    if (!Values.empty())
        return std::find(Values.begin(), Values.end(), value) != Values.end();
    return value >= Min && value <= Max && (int64_t(value) - Min) % Step == 0;
}

QString TSettingDef::allowedText(bool translated) const {
    if (!Values.empty()) {
        QStringList list;
        for (int v : Values)
            list << QString::number(v);
        return list.join(QStringLiteral(", "));
    }
    if (Step == 1)
        return QStringLiteral("%1..%2").arg(Min).arg(Max);
    const char* const steps = QT_TRANSLATE_NOOP("TSettingDef", "%1..%2 in steps of %3");
    return (translated ? QCoreApplication::translate("TSettingDef", steps)
                       : QString::fromLatin1(steps))
        .arg(Min)
        .arg(Max)
        .arg(Step);
}

const std::vector<TSettingDef>& SettingDefs() {
    static const std::vector<TSettingDef> defs = {
        text("CommonOptions", "OutputFolder", &O::OutputFolder),
        integer("CommonOptions", "OutputFormat", &O::OutputFormat, 0, 8),
        text("CommonOptions", "OutputFormats", &O::OutputFormats),
        boolean("CommonOptions", "IsKeepWav", &O::IsKeepWav),
        boolean("CommonOptions", "IsNormalize", &O::IsNormalize),
        integer("CommonOptions", "NormalizePercent", &O::NormalizePercent, 1, 100),
        boolean("CommonOptions", "EnableRipTime", &O::EnableRipTime),
        integer("CommonOptions", "RipTime", &O::RipTime, 0),
        text("CommonOptions", "NameTemplate", &O::NameTemplate),
        boolean("CommonOptions", "FatSafeNames", &O::FatSafeNames),
        boolean("CommonOptions", "WritePlaylist", &O::WritePlaylist),
        boolean("CommonOptions", "WriteCueSheet", &O::WriteCueSheet),
        boolean("CommonOptions", "EjectWhenDone", &O::EjectWhenDone),
        boolean("CommonOptions", "OpenFolderWhenDone", &O::OpenFolderWhenDone),
        boolean("Mp3Options", "IsSelectVBR", &O::IsSelectVBR),
        boolean("Mp3Options", "IsVBRHead", &O::IsVBRHead),
        oneOf("Mp3Options", "BitRate", &O::BitRate, Mp3Rates),
        oneOf("Mp3Options", "MaxBitRate", &O::MaxBitRate, Mp3Rates),
        integer("Mp3Options", "VBRQuality", &O::VBRQuality, 0, 9),
        integer("Mp3Options", "StereoMode", &O::StereoMode, 0, 3),
        integer("Mp3Options", "CPU", &O::Mp3Cpu, 1, 3),
        integer("Mp3Options", "ConstantBitRate", &O::ConstantBitRate, 0, 8),
        boolean("OggOptions", "IsUseCompress", &O::IsUseCompress),
        integer("OggOptions", "CompressPosition", &O::CompressPosition, 30, 100),
        integer("OggOptions", "MaxBitRate", &O::OggMaxBitRate, 0, 14),
        integer("OggOptions", "NomalBitRate", &O::OggNomalBitRate, 0, 14),
        integer("OggOptions", "MinBitRate", &O::OggMinBitRate, 0, 14),
        // Which WMA codecs and formats exist is the codec layer's to say (settings --set asks
        // it; the output names these keys when a stored index names none).
        integer("WMAOptions", "CodecIndex", &O::CodecIndex, 0),
        integer("WMAOptions", "FormatIndex", &O::FormatIndex, 0),
        boolean("WMAOptions", "VBR", &O::WmaVBR),
        integer("FLACOptions", "Compression", &O::FlacCompression, 0, 8),
        integer("APEOptions", "Compression", &O::ApeCompression, 1000, 10000, 500),
        integer("APEOptions", "CPU", &O::ApeCpu, 1, 3),
        integer("OpusOptions", "Bitrate", &O::OpusBitrate, 6, 256),
        integer("OpusOptions", "Complexity", &O::OpusComplexity, 0, 10),
        integer("AacOptions", "Bitrate", &O::AacBitrate, 32, 320),
        integer("CDOptions", "Index", &O::DriveIndex, -1),
        boolean("CDOptions", "CDDb", &O::CDDb),
        text("QueryCDDB", "Server", &O::Server),
        text("QueryCDDB", "Script", &O::Script),
        boolean("QueryCDDB", "UseProxy", &O::UseProxy),
        text("QueryCDDB", "ProxyAddress", &O::ProxyAddress),
        text("QueryCDDB", "Port", &O::Port),
        text("QueryCDDB", "Email", &O::QueryCDDBEmail),
        integer("Converter", "Jobs", &O::ConverterJobs, 0, 64),
        text("Lookup", "Source", &O::LookupSource),
        text("Lookup", "MusicBrainzServer", &O::MusicBrainzServer),
        boolean("Lookup", "CoverArt", &O::CoverArt),
        text("Lookup", "CoverArtServer", &O::CoverArtServer),
        boolean("Lookup", "AutoLookup", &O::AutoLookup),
        text("Ripping", "ReadMode", &O::ReadMode),
        integer("Ripping", "ReadSpeed", &O::ReadSpeed, 0, 72),
        text("ReplayGain", "Mode", &O::ReplayGainMode),
        text("AccurateRip", "Server", &O::AccurateRipServer),
    };
    return defs;
}

QString ConfigDir() {
    if (!g_configDir.isEmpty())
        return g_configDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

void SetConfigDir(const QString& dir) {
    g_configDir = dir;
}

QString OptionsPath() {
    return QDir(ConfigDir()).filePath(QStringLiteral("options.ini"));
}

QString DiscInfoPath() {
    return QDir(ConfigDir()).filePath(QStringLiteral("cd.dat"));
}

QString DefaultOutputFolder() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty())
        music = QDir::homePath();
    return QDir(music).filePath(QStringLiteral("Sondrel"));
}

void LoadOptions() {
    const TAppOptions d = defaults();
    g_loadWarnings.clear();
    std::optional<TIniFile> ini;
    try {
        ini.emplace(OptionsPath());
    } catch (const TSettingsError&) {
        // An unreadable file gives all defaults, as a missing one does.
    }
    for (const TSettingDef& def : SettingDefs()) {
        // Start from the default so that a bad stored value leaves it.
        def.set(AppOptions, def.get(d));
        if (!ini)
            continue;
        const auto v = ini->value(QLatin1String(def.Section), QLatin1String(def.Key));
        if (!v)
            continue;
        // A file edited by hand is held to what the command line lets be set: a number out of
        // range is clamped (one of a list takes its default), anything else keeps the default.
        QString used;
        if (!def.set(AppOptions, *v)) {
            used = def.get(d);
        } else if (def.Type == TSettingDef::Integer && !def.allows(AppOptions.*def.IntField)) {
            int& field = AppOptions.*def.IntField;
            if (def.Values.empty()) {
                field = std::clamp(field, def.Min, def.Max);
                field = int(def.Min + (int64_t(field) - def.Min) / def.Step * def.Step);
            } else {
                field = d.*def.IntField;
            }
            used = def.get(AppOptions);
        }
        if (used.isNull())
            continue;
        // The message log has it in English, the list a window shows translated.
        const char* const notAllowed =
            QT_TRANSLATE_NOOP("TSettingsStore", "%1: [%2] %3=%4 is not allowed (%5); %6 is used");
        const char* const zeroOrOne = QT_TRANSLATE_NOOP("TSettingsStore", "0 or 1");
        const auto warning = [&](bool translated) {
            const auto text = [translated](const char* source) {
                return translated ? QCoreApplication::translate("TSettingsStore", source)
                                  : QString::fromLatin1(source);
            };
            return text(notAllowed)
                .arg(OptionsPath(), QLatin1String(def.Section), QLatin1String(def.Key),
                     v->trimmed(),
                     def.Type == TSettingDef::Integer ? def.allowedText(translated)
                                                      : text(zeroOrOne),
                     used);
        };
        g_loadWarnings << warning(true);
        qWarning("%s", qPrintable(warning(false)));
    }
    AppOptions.CompressPosition = std::clamp(AppOptions.CompressPosition, 30, 100);
    AppOptions.ReadMode = ReadModeName(ReadModeOf(AppOptions.ReadMode));
    // Files written before the read modes existed have only the secure switch.
    if (ini && !ini->value(QLatin1String("Ripping"), QLatin1String("ReadMode")))
        if (const auto v = parseInt(ini->value(QLatin1String("Ripping"), QLatin1String("SecureRip"))
                                        .value_or(QString()));
            v && *v != 0)
            AppOptions.ReadMode = ReadModeName(TReadMode::Secure);
    // Read offsets: one key per drive; a value that is no number is left out.
    AppOptions.ReadOffsets.clear();
    for (const QString& drive : ini ? ini->keys(QLatin1String(ReadOffsetsSection)) : QStringList())
        if (const auto v =
                parseInt(ini->value(QLatin1String(ReadOffsetsSection), drive).value_or(QString())))
            AppOptions.ReadOffsets[drive] = *v;
}

const QStringList& LoadWarnings() {
    return g_loadWarnings;
}

void SaveOptions() {
    const QDir dir(ConfigDir());
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        throw TSettingsError(
            QCoreApplication::translate("TSettingsStore", "Cannot create the settings folder %1")
                .arg(dir.path()));
    TIniFile ini(OptionsPath());
    for (const TSettingDef& def : SettingDefs())
        ini.setValue(QLatin1String(def.Section), QLatin1String(def.Key), def.get(AppOptions));
    for (auto it = AppOptions.ReadOffsets.cbegin(); it != AppOptions.ReadOffsets.cend(); ++it)
        ini.setValue(QLatin1String(ReadOffsetsSection), it.key(), QString::number(it.value()));
    // ReadMode says what the older switch said; a stale one must not outlive a change of mode.
    ini.removeKey(QStringLiteral("Ripping"), QStringLiteral("SecureRip"));
    ini.save();
}

TDiscTexts LoadDiscTexts(const QString& key) {
    TDiscTexts texts;
    if (key.isEmpty())
        return texts;
    const std::optional<TIniFile> ini = readDiscCache();
    auto read = [&](const char* k) -> std::optional<QString> {
        if (!ini)
            return std::nullopt;
        return ini->value(key, QLatin1String(k));
    };
    auto readInt = [&](const char* k, int def) {
        const auto v = read(k);
        const auto n = v ? parseInt(*v) : std::nullopt;
        return n.value_or(def);
    };
    texts.Fields.Artist = read("CDArtist").value_or(QString());
    texts.Fields.Album = read("CDAlbum").value_or(QString());
    texts.Fields.Year = read("CDYear").value_or(QString());
    texts.Fields.Comment = read("CDComment").value_or(QString());
    texts.Fields.Genre = readInt("CDGenre", -1);
    // Sections written before these keys existed have none of them: no album artist of its
    // own, no disc number, no track artists.
    texts.Fields.AlbumArtist = read("CDAlbumArtist").value_or(QString());
    texts.Fields.DiscNumber = std::max(0, readInt("CDDiscNumber", 0));
    texts.Fields.DiscTotal = std::max(0, readInt("CDDiscTotal", 0));
    texts.TrackNumber = readInt("CDTrackNumber", 100);
    const int count = std::clamp(texts.TrackNumber, 0, 100);
    auto readText = [&](const QString& k) {
        return ini ? ini->value(key, k).value_or(QString()) : QString();
    };
    for (int n = 1; n <= count; ++n) {
        const QString stored = readText(QString::number(n));
        texts.Titles[size_t(n)] = stored.isEmpty() ? QStringLiteral("Track") + TwoDigit(n) : stored;
        texts.Artists[size_t(n)] = readText(trackArtistKey(n));
    }
    return texts;
}

void LoadDiscInfo(const QString& key) {
    if (key.isEmpty())
        return;
    const TDiscTexts texts = LoadDiscTexts(key);
    AppOptions.CDArtist = texts.Fields.Artist;
    AppOptions.CDAlbum = texts.Fields.Album;
    AppOptions.CDYear = texts.Fields.Year;
    AppOptions.CDComment = texts.Fields.Comment;
    AppOptions.CDGenre = texts.Fields.Genre;
    AppOptions.CDTrackNumber = texts.TrackNumber;
    // Titles beyond the disc's count stay as they were.
    for (int n = 1; n <= std::clamp(texts.TrackNumber, 0, 100); ++n)
        AppOptions.Titles[size_t(n)] = texts.Titles[size_t(n)];
}

void SaveDiscTexts(const QString& key, const TDiscTexts& texts) {
    if (key.isEmpty())
        return;
    const QDir dir(ConfigDir());
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        throw TSettingsError(
            QCoreApplication::translate("TSettingsStore", "Cannot create the settings folder %1")
                .arg(dir.path()));
    TIniFile ini(DiscInfoPath());
    const TDiscFields& fields = texts.Fields;
    ini.setValue(key, QStringLiteral("CDArtist"), fields.Artist);
    ini.setValue(key, QStringLiteral("CDAlbum"), fields.Album);
    ini.setValue(key, QStringLiteral("CDYear"), fields.Year);
    ini.setValue(key, QStringLiteral("CDGenre"), QString::number(fields.Genre));
    ini.setValue(key, QStringLiteral("CDComment"), fields.Comment);
    // The keys a disc only has when it is part of a set or a compilation are written only then
    // and removed once emptied, so the section of any other disc stays as it always was.
    auto setOrRemove = [&](const QString& k, const QString& v) {
        if (v.isEmpty())
            ini.removeKey(key, k);
        else
            ini.setValue(key, k, v);
    };
    auto number = [](int n) { return n > 0 ? QString::number(n) : QString(); };
    setOrRemove(QStringLiteral("CDAlbumArtist"), fields.AlbumArtist);
    setOrRemove(QStringLiteral("CDDiscNumber"), number(fields.DiscNumber));
    setOrRemove(QStringLiteral("CDDiscTotal"), number(fields.DiscTotal));
    ini.setValue(key, QStringLiteral("CDTrackNumber"), QString::number(texts.TrackNumber));
    const int count = std::clamp(texts.TrackNumber, 0, 100);
    for (int n = 1; n <= count; ++n) {
        ini.setValue(key, QString::number(n), texts.Titles[size_t(n)]);
        setOrRemove(trackArtistKey(n), texts.Artists[size_t(n)]);
    }
    ini.save();
}

void SaveDiscInfo(const QString& key, const TDiscFields& fields) {
    TDiscTexts texts;
    texts.Fields = fields;
    texts.TrackNumber = AppOptions.CDTrackNumber;
    texts.Titles = AppOptions.Titles;
    // The disc information block has no track artists: the ones stored stay.
    texts.Artists = LoadDiscTexts(key).Artists;
    SaveDiscTexts(key, texts);
}

QString DiscCoverPath(const QString& key, const QString& extension) {
    return QDir(ConfigDir()).filePath(QStringLiteral("covers/%1.%2").arg(key, extension));
}

TCoverArt LoadDiscCover(const QString& key) {
    if (key.isEmpty())
        return TCoverArt();
    for (const QString& ext : {QStringLiteral("jpg"), QStringLiteral("png")}) {
        QFile file(DiscCoverPath(key, ext));
        if (file.open(QIODevice::ReadOnly))
            return TCoverArt::FromBytes(file.readAll());
    }
    return TCoverArt();
}

void SaveDiscCover(const QString& key, const TCoverArt& cover) {
    if (key.isEmpty() || cover.isEmpty())
        return;
    const QString path = DiscCoverPath(key, cover.extension());
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        throw TSettingsError(
            QCoreApplication::translate("TSettingsStore", "Cannot create the folder %1")
                .arg(folder));
    QString error;
    if (!TAtomicFile::writeWhole(path, cover.data(), &error))
        throw TSettingsError(error);
    // One cover per disc: the picture of the other kind, from an earlier lookup, goes.
    const QString other =
        cover.kind() == TCoverArt::Kind::Jpeg ? QStringLiteral("png") : QStringLiteral("jpg");
    QFile::remove(DiscCoverPath(key, other));
}
