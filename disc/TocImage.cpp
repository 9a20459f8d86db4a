#include "TocImage.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <map>

namespace {

constexpr qint64 kMaxTocBytes = 1 << 20;
constexpr int64_t kSectorBytes = 2352;
constexpr int64_t kSampleBytes = 4; // a stereo sample frame of 16-bit samples

struct TToken {
    enum TKind { Word, String, Open, Close, End } Kind = End;
    QByteArray Text;
    int Line = 0;
};

// Splits the file into words, strings (escapes resolved: \" \\ and octal \ooo), braces; "//"
// starts a comment. Commas separate bytes in binary CD-Text items and are dropped.
std::vector<TToken> tokenize(const QByteArray& text) {
    std::vector<TToken> tokens;
    int line = 1;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(uchar(c)) || c == ',') {
            ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '{' || c == '}') {
            tokens.push_back({c == '{' ? TToken::Open : TToken::Close, QByteArray(1, c), line});
            ++i;
        } else if (c == '"') {
            TToken t{TToken::String, {}, line};
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\n')
                    ++line;
                if (text[i] != '\\' || i + 1 >= text.size()) {
                    t.Text += text[i];
                    continue;
                }
                ++i;
                if (text[i] >= '0' && text[i] <= '7') {
                    int value = 0;
                    for (int d = 0; d < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
                         ++d, ++i)
                        value = value * 8 + (text[i] - '0');
                    --i;
                    t.Text += char(value & 0xFF);
                } else {
                    t.Text += text[i];
                }
            }
            ++i; // the closing quote
            tokens.push_back(t);
        } else {
            TToken t{TToken::Word, {}, line};
            while (i < text.size() && !std::isspace(uchar(text[i])) && text[i] != '{' &&
                   text[i] != '}' && text[i] != '"' && text[i] != ',')
                t.Text += text[i++];
            tokens.push_back(t);
        }
    }
    tokens.push_back({TToken::End, {}, line});
    return tokens;
}

struct TMode {
    const char* Name;
    int Stride;
    bool Audio;
};

const TMode kModes[] = {
    {"AUDIO", 2352, true},        {"MODE0", 2336, false},          {"MODE1", 2048, false},
    {"MODE1_RAW", 2352, false},   {"MODE2", 2336, false},          {"MODE2_FORM1", 2048, false},
    {"MODE2_FORM2", 2324, false}, {"MODE2_FORM_MIX", 2336, false}, {"MODE2_RAW", 2352, false},
};

// A plain count (samples, bytes); -1 when the word is none.
int64_t parseCount(const QByteArray& text) {
    if (text.isEmpty() || text.size() > 12 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(uchar(c)); }))
        return -1;
    return text.toLongLong();
}

bool endsWithAny(const QByteArray& name, std::initializer_list<const char*> suffixes) {
    const QByteArray lower = name.toLower();
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [&](const char* s) { return lower.endsWith(s); });
}

} // namespace

bool TTocImage::Open(const QString& path) {
    QByteArray text;
    if (!ReadImageFile(path, kMaxTocBytes, &text))
        return false;
    if (text.contains('\0'))
        return Fail(
            QCoreApplication::translate("TTocImage", "%1 is not a TOC file (it holds binary data)")
                .arg(m_path));
    m_latin1 = !IsUtf8(text);
    const std::vector<TToken> tokens = tokenize(text);
    size_t at = 0;
    // Past the end, the end token stands for every further one.
    auto peek = [&]() -> const TToken& { return tokens[std::min(at, tokens.size() - 1)]; };
    auto word = [&](const char* w) {
        return peek().Kind == TToken::Word && peek().Text.toUpper() == w;
    };
    auto fail = [&](const QString& why) {
        return Fail(
            QCoreApplication::translate("TTocImage", "%1 is not a TOC file that can be used: %2")
                .arg(m_path, why));
    };
    auto failAt = [&](int line, const QString& why) {
        return fail(QCoreApplication::translate("TTocImage", "line %1 %2").arg(line).arg(why));
    };
    // Skips a { ... } block with what it holds; false when it is not closed.
    auto skipBlock = [&]() {
        int depth = 0;
        do {
            if (peek().Kind == TToken::End)
                return false;
            depth += peek().Kind == TToken::Open ? 1 : peek().Kind == TToken::Close ? -1 : 0;
            ++at;
        } while (depth > 0);
        return true;
    };
    int textLanguage = -1; // the language whose texts are taken: the first one given
    // CD_TEXT { LANGUAGE_MAP { ... } LANGUAGE n { KEY "text" KEY { bytes } ... } }
    auto cdText = [&](TCdText::TEntry& entry) {
        const int line = peek().Line;
        ++at;
        if (peek().Kind != TToken::Open)
            return failAt(line, QCoreApplication::translate("TTocImage", "has no { after CD_TEXT"));
        ++at;
        while (peek().Kind != TToken::Close) {
            if (word("LANGUAGE_MAP")) {
                ++at;
                if (peek().Kind != TToken::Open || !skipBlock())
                    return failAt(line,
                                  QCoreApplication::translate(
                                      "TTocImage", "starts a LANGUAGE_MAP that is not closed"));
            } else if (word("LANGUAGE")) {
                ++at;
                const int64_t language = parseCount(peek().Text);
                ++at;
                if (language < 0 || language > 7 || peek().Kind != TToken::Open)
                    return failAt(peek().Line, QCoreApplication::translate(
                                                   "TTocImage", "has no LANGUAGE number and {"));
                ++at;
                if (textLanguage < 0)
                    textLanguage = int(language);
                while (peek().Kind == TToken::Word) {
                    const QByteArray key = peek().Text.toUpper();
                    ++at;
                    if (peek().Kind == TToken::Open) {
                        if (!skipBlock())
                            return failAt(line, QCoreApplication::translate(
                                                    "TTocImage", "starts a CD_TEXT that is not "
                                                                 "closed"));
                        continue;
                    }
                    if (peek().Kind != TToken::String)
                        return failAt(peek().Line,
                                      QCoreApplication::translate("TTocImage", "has no text for %1")
                                          .arg(Text(key)));
                    if (language == textLanguage) {
                        const QString value = Text(peek().Text).trimmed();
                        if (key == "TITLE")
                            entry.Title = value;
                        else if (key == "PERFORMER")
                            entry.Performer = value;
                        else if (key == "SONGWRITER")
                            entry.Songwriter = value;
                    }
                    ++at;
                }
                if (peek().Kind != TToken::Close)
                    return failAt(peek().Line, QCoreApplication::translate(
                                                   "TTocImage", "is not a CD_TEXT item"));
                ++at;
            } else {
                return failAt(peek().Line,
                              QCoreApplication::translate("TTocImage", "is not a CD_TEXT item"));
            }
        }
        ++at;
        return true;
    };

    // The disc's lines before the first track.
    bool any = false;
    while (!word("TRACK")) {
        const TToken& t = peek();
        if (t.Kind == TToken::End)
            return Fail(
                QCoreApplication::translate("TTocImage", "%1 is not a TOC file: it names no tracks")
                    .arg(m_path));
        if (word("CD_DA") || word("CD_ROM") || word("CD_ROM_XA") || word("CD_I")) {
            ++at;
        } else if (word("CATALOG")) {
            ++at;
            if (peek().Kind != TToken::String)
                return failAt(t.Line, QCoreApplication::translate(
                                          "TTocImage", "has no catalog number after CATALOG"));
            ++at;
        } else if (word("CD_TEXT")) {
            if (!cdText(m_cdText.Disc))
                return false;
        } else if (!any) {
            return Fail(QCoreApplication::translate(
                            "TTocImage", "%1 is not a TOC file (line %2 begins with \"%3\")")
                            .arg(m_path)
                            .arg(t.Line)
                            .arg(Text(t.Text.left(40))));
        } else {
            return failAt(t.Line, QCoreApplication::translate(
                                      "TTocImage", "holds \"%1\", which is not a TOC command")
                                      .arg(Text(t.Text.left(40))));
        }
        any = true;
    }

    std::map<std::pair<QByteArray, int>, int> opened; // (name, kind) -> file
    auto fileFor = [&](const QByteArray& name, TFileKind kind) {
        const auto key = std::make_pair(name, int(kind));
        const auto it = opened.find(key);
        if (it != opened.end())
            return it->second;
        std::vector<QByteArray> other;
        const QString decoded = Text(name);
        const QByteArray recoded = m_latin1 ? decoded.toUtf8() : decoded.toLatin1();
        if (recoded != name && (m_latin1 || QString::fromLatin1(recoded) == decoded))
            other.push_back(recoded);
        const int file = OpenDataFile(name, other, kind);
        if (file >= 0)
            opened[key] = file;
        return file;
    };

    int number = 0;
    while (word("TRACK")) {
        const int trackLine = peek().Line;
        ++at;
        if (++number > 99)
            return fail(
                QCoreApplication::translate("TTocImage", "it has more than 99 tracks (line %1)")
                    .arg(trackLine));
        const QByteArray modeName = peek().Text.toUpper();
        const auto mode = std::find_if(std::begin(kModes), std::end(kModes),
                                       [&](const TMode& m) { return modeName == m.Name; });
        if (peek().Kind != TToken::Word || mode == std::end(kModes))
            return failAt(trackLine, QCoreApplication::translate(
                                         "TTocImage", "has a TRACK of unknown mode \"%1\"")
                                         .arg(Text(peek().Text.left(40))));
        ++at;
        int stride = mode->Stride;
        if (word("RW") || word("RW_RAW")) { // subchannel data after each sector
            stride += 96;
            ++at;
        }
        const bool audio = mode->Audio;
        uint8_t control = audio ? 0 : 0x04;
        const int64_t trackBegin = Position();
        int64_t length = 0;  // sectors of the track placed so far
        int64_t partial = 0; // bytes of audio past the last whole sector
        int64_t start = -1;  // INDEX 01, sectors after the track's beginning
        auto itemAligned = [&](int line) {
            if (partial == 0)
                return true;
            return failAt(line, QCoreApplication::translate(
                                    "TTocImage", "adds to track %1 after audio that does not fill "
                                                 "whole sectors (588 samples each)")
                                    .arg(number));
        };
        // A length: "mm:ss:ff" in sectors, or a count of samples (audio) or bytes (data).
        auto lengthBytes = [&](const QByteArray& w) -> int64_t {
            const int64_t sectors = TDiscImage::ParseMsf(w);
            if (sectors >= 0)
                return sectors * (audio ? kSectorBytes : stride);
            const int64_t count = parseCount(w);
            return count < 0 ? -1 : audio ? count * kSampleBytes : count;
        };
        auto isLength = [&]() {
            return peek().Kind == TToken::Word && lengthBytes(peek().Text) >= 0;
        };
        // Adds `bytes` of the track from `file` (-1: silence) at `fileByte`.
        auto add = [&](int file, int64_t fileByte, int64_t bytes) {
            const int64_t sectors =
                audio ? (bytes + kSectorBytes - 1) / kSectorBytes : (bytes + stride - 1) / stride;
            if (file < 0)
                AppendSilence(sectors);
            else
                AppendFile(file, fileByte, sectors, stride, audio, fileByte + bytes);
            length += sectors;
            partial = audio ? bytes % kSectorBytes : 0;
        };
        while (!word("TRACK") && peek().Kind != TToken::End) {
            const TToken t = peek();
            const QByteArray key = t.Text.toUpper();
            ++at;
            if (t.Kind != TToken::Word)
                return failAt(t.Line,
                              QCoreApplication::translate("TTocImage", "holds a stray \"%1\"")
                                  .arg(Text(t.Text)));
            if (key == "NO") {
                const QByteArray what = peek().Text.toUpper();
                ++at;
                if (what == "COPY")
                    control &= ~0x02;
                else if (what == "PRE_EMPHASIS")
                    control &= ~0x01;
                else
                    return failAt(t.Line, QCoreApplication::translate(
                                              "TTocImage", "has NO before neither COPY nor "
                                                           "PRE_EMPHASIS"));
            } else if (key == "COPY") {
                control |= 0x02;
            } else if (key == "PRE_EMPHASIS") {
                control |= 0x01;
            } else if (key == "TWO_CHANNEL_AUDIO") {
                control &= ~0x08;
            } else if (key == "FOUR_CHANNEL_AUDIO") {
                control |= 0x08;
            } else if (key == "ISRC") {
                if (peek().Kind != TToken::String)
                    return failAt(
                        t.Line, QCoreApplication::translate("TTocImage", "has no code after ISRC"));
                ++at;
            } else if (key == "CD_TEXT") {
                --at;
                if (!cdText(m_cdText.Tracks[size_t(number)]))
                    return false;
            } else if (key == "SILENCE" || key == "ZERO") {
                if (key == "ZERO") { // an optional data mode and subchannel mode
                    while (peek().Kind == TToken::Word && !isLength() &&
                           (std::any_of(
                                std::begin(kModes), std::end(kModes),
                                [&](const TMode& m) { return peek().Text.toUpper() == m.Name; }) ||
                            word("RW") || word("RW_RAW")))
                        ++at;
                }
                const int64_t bytes = lengthBytes(peek().Text);
                if (peek().Kind != TToken::Word || bytes < 0)
                    return failAt(t.Line,
                                  QCoreApplication::translate("TTocImage", "has no length after %1")
                                      .arg(Text(key)));
                ++at;
                if (!itemAligned(t.Line))
                    return false;
                add(-1, 0, bytes);
            } else if (key == "PREGAP") {
                const int64_t sectors = TDiscImage::ParseMsf(peek().Text);
                if (peek().Kind != TToken::Word || sectors < 0)
                    return failAt(t.Line, QCoreApplication::translate(
                                              "TTocImage", "has no time mm:ss:ff after PREGAP"));
                ++at;
                if (length > 0 || start >= 0)
                    return failAt(t.Line, QCoreApplication::translate(
                                              "TTocImage", "has a PREGAP after the start of track "
                                                           "%1's data")
                                              .arg(number));
                add(-1, 0, sectors * kSectorBytes);
                start = sectors;
            } else if (key == "START") {
                int64_t sectors = length;
                if (peek().Kind == TToken::Word && TDiscImage::ParseMsf(peek().Text) >= 0) {
                    sectors = TDiscImage::ParseMsf(peek().Text);
                    ++at;
                }
                if (start >= 0)
                    return failAt(t.Line, QCoreApplication::translate(
                                              "TTocImage", "gives track %1 a second START")
                                              .arg(number));
                start = sectors;
            } else if (key == "INDEX") {
                if (TDiscImage::ParseMsf(peek().Text) < 0)
                    return failAt(t.Line, QCoreApplication::translate(
                                              "TTocImage", "has no time mm:ss:ff after INDEX"));
                ++at;
            } else if (key == "FILE" || key == "AUDIOFILE" || key == "DATAFILE") {
                const bool dataFile = key == "DATAFILE";
                if (peek().Kind != TToken::String)
                    return failAt(t.Line, QCoreApplication::translate(
                                              "TTocImage", "has no file name in quotes after %1")
                                              .arg(Text(key)));
                const QByteArray name = peek().Text;
                ++at;
                bool swap = false;
                if (!dataFile && word("SWAP")) {
                    swap = true;
                    ++at;
                }
                int64_t offset = 0;
                if (peek().Kind == TToken::Word && peek().Text.startsWith('#')) {
                    offset = parseCount(peek().Text.mid(1));
                    if (offset < 0)
                        return failAt(t.Line, QCoreApplication::translate(
                                                  "TTocImage", "has no byte offset after #"));
                    ++at;
                }
                int64_t from = 0; // bytes into the file's audio
                if (!dataFile) {
                    const int64_t sectors = TDiscImage::ParseMsf(peek().Text);
                    const int64_t samples = parseCount(peek().Text);
                    if (peek().Kind != TToken::Word || (sectors < 0 && samples < 0))
                        return failAt(t.Line, QCoreApplication::translate(
                                                  "TTocImage", "has no start position after the "
                                                               "file name"));
                    from = sectors >= 0 ? sectors * kSectorBytes : samples * kSampleBytes;
                    ++at;
                }
                int64_t bytes = -1;
                if (isLength()) {
                    bytes = lengthBytes(peek().Text);
                    ++at;
                }
                if (!itemAligned(t.Line))
                    return false;
                TFileKind kind = swap ? TFileKind::Raw : TFileKind::RawBigEndian;
                if (dataFile || !audio)
                    kind = TFileKind::Raw;
                else if (endsWithAny(name, {".wav", ".mp3", ".ogg", ".flac"}))
                    kind = TFileKind::Audio;
                const int file = fileFor(name, kind);
                if (file < 0)
                    return false;
                // Sectors with subchannel data take more than their audio in the file.
                const int64_t first = offset + from / kSectorBytes * stride + from % kSectorBytes;
                const int64_t size = FileSize(file);
                const int64_t unit = stride;
                if (first >= size)
                    return Fail(QCoreApplication::translate(
                                    "TTocImage", "Track %1 is cut: %2 ends at %3, before the track "
                                                 "starts at %4 as %5 says")
                                    .arg(number)
                                    .arg(FileName(file), Msf((size + unit - 1) / unit),
                                         Msf(first / unit), m_path));
                if (bytes < 0)
                    bytes = size - first;
                if (first + bytes > size)
                    return Fail(QCoreApplication::translate(
                                    "TTocImage", "Track %1 is cut: %2 ends at %3, before the "
                                                 "track's data ends at %4 as %5 says")
                                    .arg(number)
                                    .arg(FileName(file), Msf((size + unit - 1) / unit),
                                         Msf((first + bytes + unit - 1) / unit), m_path));
                add(file, first, bytes);
            } else if (key == "FIFO") {
                return failAt(t.Line, QCoreApplication::translate(
                                          "TTocImage", "reads track %1 from a FIFO, which an image "
                                                       "cannot")
                                          .arg(number));
            } else {
                return failAt(t.Line, QCoreApplication::translate(
                                          "TTocImage", "holds \"%1\", which is not a TOC command")
                                          .arg(Text(t.Text.left(40))));
            }
            if (TooLong())
                return CheckLength();
        }
        if (start < 0)
            start = 0;
        if (length == 0 || start >= length)
            return Fail(QCoreApplication::translate(
                            "TTocImage", "%1: track %2 (line %3) has no data after its start")
                            .arg(m_path)
                            .arg(number)
                            .arg(trackLine));
        m_tracks.push_back({number, trackBegin + start, control, start, 1});
    }
    if (peek().Kind != TToken::End)
        return failAt(peek().Line, QCoreApplication::translate(
                                       "TTocImage", "holds \"%1\", which is not a TOC command")
                                       .arg(Text(peek().Text.left(40))));
    return CheckLength();
}
