#include "CliApp.h"

#include "CliContext.h"
#include "Commands.h"
#include "audio/VersionNotice.h"
#include "settings/SettingsStore.h"

#include <functional>
#include <map>

namespace {

struct Command {
    std::function<int(TCliContext&, const QStringList&)> Run;
};

const std::map<QString, Command>& commands() {
    static const std::map<QString, Command> table = {
        {QStringLiteral("info"), {RunInfoCommand}},
        {QStringLiteral("settings"), {RunSettingsCommand}},
        {QStringLiteral("drives"), {RunDrivesCommand}},
        {QStringLiteral("tracks"), {RunTracksCommand}},
        {QStringLiteral("rip"), {RunRipCommand}},
        {QStringLiteral("lookup"), {RunLookupCommand}},
        {QStringLiteral("convert"), {RunConvertCommand}},
        {QStringLiteral("wma-formats"), {RunWmaFormatsCommand}},
        {QStringLiteral("play"), {RunPlayCommand}},
        {QStringLiteral("verify"), {RunVerifyCommand}},
    };
    return table;
}

} // namespace

QString TCliApp::helpText() {
    return QStringLiteral(
        "Usage: sondrel-cli [GLOBAL OPTIONS] COMMAND [OPTIONS]\n"
        "\n"
        "Copies audio CDs to files and converts audio files between formats.\n"
        "\n"
        "Global options:\n"
        "  --config-dir DIR     keep options.ini and cd.dat in DIR instead of the\n"
        "                       per-user configuration folder\n"
        "  --disc-image FILE    use a disc image as a drive (repeatable; images come\n"
        "                       first, in the order given, then real drives): a CUE\n"
        "                       sheet with its files (BIN, WAV, or FLAC, APE, MP3...\n"
        "                       holding 44100 Hz stereo audio), a cdrdao TOC file\n"
        "                       or a Nero NRG image. An image that cannot serve (missing,\n"
        "                       not a disc image, a file it names missing or cut short)\n"
        "                       stops the disc commands with exit status 1 and the reason.\n"
        "  --help               show this text and exit\n"
        "  --version            show the version and exit\n"
        "\n"
        "Commands:\n"
        "  info FILE...\n"
        "      Shows what the WAV input sees in each file: whether it can be read, its\n"
        "      encoding (PCM, DVI/IMA ADPCM, Microsoft ADPCM, MPEG Layer-3), channels,\n"
        "      sample rate, bits per sample of the delivered PCM, sample count and\n"
        "      duration. Exit status 1 when any file cannot be read.\n"
        "  settings [--set Section.Key=Value]...\n"
        "      Loads the settings, applies each --set, saves them when anything was set\n"
        "      and prints every setting as Section.Key=Value. A value outside what the\n"
        "      setting takes (OutputFormat 0..8, the WMA indexes within the lists\n"
        "      wma-formats shows, ...) is a usage error that names the allowed values. An\n"
        "      APEOptions.Compression that is no level of the APE encoder (1000, 2000,\n"
        "      3000, 4000, 5000) is stored, and a note on stderr says that APE files are\n"
        "      written at 2000.\n"
        "  drives\n"
        "      Prints one line per drive: its index, a tab and its description.\n"
        "  tracks [--drive N]\n"
        "      Prints the track list of the disc in drive N (default 0): a header line\n"
        "      No.<TAB>Title<TAB>Start Time<TAB>Length(min), then one line per track;\n"
        "      a data track's line ends in <TAB>data. When a track has an artist of its\n"
        "      own (a compilation), a last column <TAB>Artist follows Length(min), empty\n"
        "      for the tracks of the disc artist. Titles and artists come from cd.dat;\n"
        "      for a disc cd.dat knows nothing of, from the disc's CD-Text. Audio before\n"
        "      track 1 (a hidden track, not ripped) is reported after the list as\n"
        "      Hidden track before track N: mm:ss.hh (not ripped).\n"
        "  rip [--drive N] [--tracks 1,3-5]\n"
        "      [--format mp3|wav|ogg|wma|flac|ape|opus|aac|m4a|alac[,...]]\n"
        "      [--out DIR] [--name-template T] [--keep-wav] [--normalize PERCENT]\n"
        "      [--title N=TEXT]... [--track-artist N=TEXT]... [--artist TEXT]\n"
        "      [--album-artist TEXT] [--album TEXT] [--year TEXT] [--genre NAME]\n"
        "      [--disc N[/M]] [--comment TEXT] [--overwrite | --skip-existing]\n"
        "      [--secure | --verify-first] [--offset N] [--speed N]\n"
        "      [--replaygain off|track|album]\n"
        "      Rips the chosen tracks (default all audio tracks; a data track only when\n"
        "      named with --tracks) of the disc in drive N into DIR (default the\n"
        "      OutputFolder setting; made when missing), each to a WAV and, unless the\n"
        "      format is wav, encodes it into the format and deletes the WAV\n"
        "      (--keep-wav keeps it; so does a failed encoding). Track N+1 is read\n"
        "      while track N is encoded (reading runs at most 3 tracks ahead).\n"
        "      --format flac,mp3 writes each format from one read (the OutputFormat\n"
        "      and OutputFormats settings by default); without {format} in the\n"
        "      template each format's files go below <format>/ in DIR, with a log,\n"
        "      playlist and cue sheet of their own. --speed N asks the drive to read\n"
        "      at N times 176,400 bytes a second (0 its fastest; the Ripping.ReadSpeed\n"
        "      setting); many drives ignore it, and the log records what was asked.\n"
        "      On a disc image it only slows reading to that rate.\n"
        "      Files are named by the name template (default the\n"
        "      CommonOptions.NameTemplate setting, \"{title}\"): its fields {albumartist}\n"
        "      {artist} {album} {year} {genre} {disc} {disctotal} {track} {tracktotal}\n"
        "      {title} {format} are filled in, \"/\" makes folders below DIR (made as needed),\n"
        "      {{ and }} are braces; {track} has two digits; an empty field in ( ) or\n"
        "      [ ] takes its brackets along. An empty album artist is\n"
        "      the disc artist, then \"Unknown Artist\"; an empty track artist the album\n"
        "      artist; an empty album \"Unknown Album\". In names \"/\" becomes \"-\",\n"
        "      control characters go, a leading \".\" and trailing spaces go, and long\n"
        "      names are cut to fit 255 bytes (CommonOptions.FatSafeNames 1 also\n"
        "      replaces \\:*?\"<>| with _ for FAT, exFAT and NTFS media). An unknown\n"
        "      field is a usage error. Example: --name-template\n"
        "      '{albumartist}/{album}/{track} {title}'.\n"
        "      Each file is written as <name>.partial.<ext> and renamed once complete; a\n"
        "      stopped or failed track leaves what was read there. Tracks whose names\n"
        "      come out the same are written as <name> (2) and so on. Files of the rip\n"
        "      that exist already are asked about on a terminal (replace, skip their\n"
        "      tracks, or cancel); without one their tracks are skipped. --overwrite\n"
        "      replaces them, --skip-existing skips their tracks.\n"
        "      --format defaults to the OutputFormat setting; the encoders take their\n"
        "      settings from options.ini. Opus files are Ogg Opus (.opus, libopusenc;\n"
        "      OpusOptions.Bitrate 6..256 kbit/s, variable, default 128, and\n"
        "      OpusOptions.Complexity 0..10, default 10); aac (also m4a) is AAC-LC and\n"
        "      alac Apple Lossless, both in .m4a files (FFmpeg's encoders;\n"
        "      AacOptions.Bitrate 32..320 kbit/s, default 192). MP3 files get an ID3v2.3\n"
        "      tag with the full texts and an ID3v1 tag; APE files an APEv2 tag; OGG,\n"
        "      FLAC and Opus files Vorbis comments; WMA files attributes; .m4a files\n"
        "      iTunes-style tags. The track number is written with the disc's number of\n"
        "      tracks (3/12; WMA keeps the number alone). A track\n"
        "      artist is tagged as the track's artist, the album artist (the disc\n"
        "      artist unless --album-artist says otherwise) always, the disc number\n"
        "      when known, and the compilation flag when tracks have artists of their\n"
        "      own. --title N=TEXT and --track-artist N=TEXT set track N's title and\n"
        "      own artist; --disc takes the disc number and the number of discs.\n"
        "      With Lookup.CoverArt 1 and a cover a lookup --save kept for the disc,\n"
        "      FLAC, OGG, Opus, MP3, APE and .m4a files carry it as their front cover\n"
        "      and it is saved as cover.jpg or cover.png beside the rip log, unless\n"
        "      that folder has either already.\n"
        "      Titles, track artists and the disc fields (artist, album artist, album,\n"
        "      year, genre, disc, comment) come from cd.dat (for a disc it knows nothing\n"
        "      of, from the disc's CD-Text), then from the options; all are saved back\n"
        "      to cd.dat afterwards.\n"
        "      --genre takes a genre name, any letter case (\"\" for none).\n"
        "      --normalize scales the samples to PERCENT of their value (default the\n"
        "      IsNormalize and NormalizePercent settings).\n"
        "      --replaygain track tags each file with its track's ReplayGain 2.0 gain\n"
        "      (against -18 LUFS) and sample peak, measured from the samples encoded;\n"
        "      album adds the album's gain and peak over the tracks of the rip, written\n"
        "      into the files once the last track is done (a stopped rip's files keep\n"
        "      their track values only; the log says so). Opus files get R128_TRACK_GAIN\n"
        "      and R128_ALBUM_GAIN (against -23 LUFS). Default the ReplayGain.Mode\n"
        "      setting (off).\n"
        "      Progress and messages go to stderr, the path of each finished file to\n"
        "      stdout. Ctrl+C stops the rip; the file being written keeps a correct\n"
        "      header. Exit status 1 when any track failed or was skipped, or the rip\n"
        "      was stopped or cancelled. A cd.dat that cannot be written is a warning.\n"
        "      --secure reads every chunk at least twice and re-reads it until two\n"
        "      reads agree (up to 16 reads a sector); a track with sectors that never\n"
        "      read the same twice is kept but reported \"suspicious, N sectors\" and\n"
        "      the exit status is 1.\n"
        "      --verify-first asks the AccurateRip database before the first track,\n"
        "      reads each track once and reads it again with --secure only when the\n"
        "      database does not confirm that read (a matching sum of confidence 1 or\n"
        "      more); the secure read is kept. Without an answer every track is read\n"
        "      with --secure, which a message says at the start. The default of both\n"
        "      is the Ripping.ReadMode setting (plain, secure or verify-first).\n"
        "      --offset N shifts the reading by N samples (the drive's read offset;\n"
        "      default the drive's entry in the [ReadOffsets] section of options.ini,\n"
        "      one DESCRIPTION=N line per drive with the description drives prints;\n"
        "      0 for images and drives without an entry).\n"
        "      The CRC32 and AccurateRip v1/v2 sums of each track are computed as it\n"
        "      is read (before normalisation), looked up in the AccurateRip database\n"
        "      (the AccurateRip.Server setting; empty for none), and each track's\n"
        "      verdict is printed on stderr as \"Track NN: accurate (confidence N)\",\n"
        "      \"not accurate\", \"not in database\" or \"not checked\" (database\n"
        "      unreachable; never a failure). The rip log <album>.log (rip.log\n"
        "      without an album; an existing log is kept and the new one is named\n"
        "      <album> (2).log, unless the rip's files are replaced) is written into\n"
        "      the folder of the rip's first file with\n"
        "      the table of contents and every track's file (relative to that folder),\n"
        "      sums, verdict and re-read sector counts. Beside it go <album>.m3u8, a\n"
        "      playlist of the files (CommonOptions.WritePlaylist), and <album>.cue, a\n"
        "      cue sheet naming them (CommonOptions.WriteCueSheet; a rip from a drive\n"
        "      says REM gaps not detected). Their paths follow \"Log: \", \"Playlist: \" and\n"
        "      \"Cue sheet: \" on stderr.\n"
        "  convert (--kind KIND | --to FORMAT) [--out DIR] [--overwrite |\n"
        "      --skip-existing] [--jobs N] [--replaygain off|track|album] FILE...\n"
        "      Converts each FILE into DIR (default the OutputFolder setting; made when\n"
        "      missing) as <name>.<extension> (a later FILE of the same name as\n"
        "      <name> (2).<extension>), written as <name>.partial.<extension> until\n"
        "      complete; a name another job takes meanwhile is never replaced (the file\n"
        "      becomes <name> (2).<extension>). KIND is one of wav2mp3, wav2ogg,\n"
        "      wav2wma, wav2flac, wav2ape, mp32wav, wma2wav, mp32wma, wma2mp3; --to\n"
        "      mp3|wav|ogg|wma|flac|ape|opus|aac|m4a|alac reads .wav files through the\n"
        "      WAV input and any other file (.opus and .m4a among them) through FFmpeg.\n"
        "      The encoders take their settings from options.ini. MP3 and WMA inputs\n"
        "      hand their texts to a WMA output; a WMA (or other non-WAV) input\n"
        "      converted to MP3, APE, AAC or ALAC gets its tags from its texts. An existing output "
        "is asked about on a terminal; without one it\n"
        "      is skipped. --overwrite replaces existing outputs, --skip-existing keeps\n"
        "      them. --jobs runs N files at once (default the Converter.Jobs setting;\n"
        "      0 or none means one per core). --replaygain track tags each output with\n"
        "      the gain and peak of the audio encoded into it (as rip does); album adds\n"
        "      the gain and peak of the files that came from one folder, written once\n"
        "      every file is done (default the ReplayGain.Mode setting).\n"
        "      Progress goes to stderr with a summary\n"
        "      that lists the failures, the path of each converted file to stdout.\n"
        "      Ctrl+C stops. An input cut short or with audio that does not decode is\n"
        "      counted as damaged; its output holds what could be read and is kept.\n"
        "      Exit status 1 when any file failed or was damaged, or the job was stopped.\n"
        "  lookup [--drive N] [--source cddb|musicbrainz|musicbrainz,cddb]\n"
        "      [--server HOST[:PORT]|URL] [--script PATH] [--proxy HOST:PORT |\n"
        "      --no-proxy] [--timeout SECONDS] [--save]\n"
        "      Looks up the disc in drive N (default 0). --source (stored as the\n"
        "      Lookup.Source setting; default cddb) picks the database: a CDDB server,\n"
        "      MusicBrainz by the disc id, or MusicBrainz first and CDDB when it knows\n"
        "      no release. --server sets the server of the first source named: for\n"
        "      CDDB HOST[:PORT] (QueryCDDB.Server), for MusicBrainz a URL or a bare\n"
        "      HOST:PORT meaning plain HTTP (Lookup.MusicBrainzServer, default\n"
        "      https://musicbrainz.org); the other source keeps its setting.\n"
        "      --server, --script and --proxy are stored first (what is not given\n"
        "      keeps its stored value; a proxy port that is not a number is sent as\n"
        "      80; the proxy is CDDB's only). Prints Artist, Album, Year and Genre\n"
        "      lines, then No.<TAB>Title and one line per track. MusicBrainz: with\n"
        "      several releases the first is taken and the others are listed on\n"
        "      stderr; without a match it prints the address where the disc can be\n"
        "      added; when Lookup.CoverArt is 1 (the default) the release's front\n"
        "      cover is fetched from Lookup.CoverArtServer (a cover that cannot be\n"
        "      had is a warning, not a failure). CDDB without a match prints the\n"
        "      no-match notice. --timeout limits each request (default 30 s). --save\n"
        "      writes the results to cd.dat, and the cover beside it, where tracks\n"
        "      and rip find them, when track titles were found. A disc's texts are\n"
        "      replaced only once an answer with titles has arrived. Exit status 0\n"
        "      when track titles were found, 1 otherwise.\n"
        "  verify [--drive N] [--offset N] [--server HOST[:PORT]]\n"
        "  verify [--server HOST[:PORT]] DIR\n"
        "      Checks audio against the AccurateRip database (default server the\n"
        "      AccurateRip.Server setting). Without DIR it reads every audio track of\n"
        "      the disc in drive N (default 0; with --disc-image an image), shifted by\n"
        "      --offset samples (default the drive's ReadOffsets entry, 0 for images).\n"
        "      With DIR it reads the WAV or FLAC files that DIR's newest rip log lists,\n"
        "      taking the table of contents from the log; a file whose length is not\n"
        "      the table's or whose CRC32 is not the one the log recorded is \"changed\n"
        "      since the rip\" (stderr says why). Prints the disc's database file\n"
        "      (Disc: dBAR-...bin), then \"Track NN: <verdict>\" with the track's\n"
        "      CRC32 and AccurateRip v1 and v2 sums, one line per track, on stdout.\n"
        "      A silent track is \"silent: cannot be verified\". Exit status 0 when\n"
        "      every track is accurate, 1 otherwise (not accurate, not in database,\n"
        "      not checked, silent, changed or unreadable).\n"
        "  wma-formats [--vbr] [CODEC]\n"
        "      Lists the WMA codecs and the formats of codec CODEC (default 0), each\n"
        "      with the index that WMAOptions.CodecIndex and WMAOptions.FormatIndex take;\n"
        "      --vbr lists the VBR formats (no codec here has any). Exit status 1 for a\n"
        "      codec that does not exist.\n"
        "  play [--drive N] --track T\n"
        "      Plays track T of the disc in drive N (default 0) to its end (the last\n"
        "      track to the end of the disc) through the default sound output; the\n"
        "      volume is the desktop mixer's. The track's length and, on a terminal,\n"
        "      the elapsed time go to stderr. Ctrl+C stops. Exit status 0 when it\n"
        "      played to the end; 1 when it was stopped or nothing could play (no\n"
        "      disc, no such track, a data track, no sound output, a read error),\n"
        "      with the reason on stderr.\n"
        "\n"
        "Exit status: 0 success, 1 the job failed, 2 usage error.\n");
}

int TCliApp::run(const QStringList& args) {
    TCliContext ctx;
    int i = 0;
    for (; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--")))
            break;
        auto takeValue = [&](QString& into) {
            const int eq = a.indexOf(QLatin1Char('='));
            if (eq > 0) {
                into = a.mid(eq + 1);
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        const QString name = a.section(QLatin1Char('='), 0, 0);
        QString value;
        if (name == QLatin1String("--help")) {
            ctx.Out << helpText();
            return ExitOk;
        } else if (name == QLatin1String("--version")) {
            ctx.Out << VersionNotice(QStringLiteral("sondrel-cli")) << Qt::flush;
            return ExitOk;
        } else if (name == QLatin1String("--config-dir")) {
            if (!takeValue(value) || value.isEmpty())
                return ctx.usageError(QStringLiteral("--config-dir needs a folder"));
            SetConfigDir(value);
        } else if (name == QLatin1String("--disc-image")) {
            if (!takeValue(value) || value.isEmpty())
                return ctx.usageError(QStringLiteral("--disc-image needs a file"));
            ctx.DiscImages << value;
        } else {
            return ctx.usageError(
                QStringLiteral("unknown option '%1' (see sondrel-cli --help)").arg(a));
        }
    }
    if (i >= args.size())
        return ctx.usageError(QStringLiteral("no command given (see sondrel-cli --help)"));
    const auto it = commands().find(args[i]);
    if (it == commands().end())
        return ctx.usageError(
            QStringLiteral("unknown command '%1' (see sondrel-cli --help)").arg(args[i]));
    return it->second.Run(ctx, args.mid(i + 1));
}
