// Reads and writes ID3 tags with mutagen, a reader nobody here wrote, so the tag tests check
// our files against an independent implementation. Runs /usr/bin/python3 (the interpreter that
// has python3-mutagen).
#pragma once

#include "tests/common/TestUtil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <ostream>
#include <stdexcept>

// Lets test failures show QString values as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline const QString OraclePython = QStringLiteral("/usr/bin/python3");

// What mutagen sees in a file:
// {"v1": {"TIT2": text, "TPE1", "TALB", "TYER", "COMM", "TRCK", "TCON", "genre": name} or null,
//  "v2": {"version": [2, 3, 0], "unsync": bool, "size": tag bytes,
//         "frames": {"TIT2": {"encoding": n, "text": [..]}, "WXXX": {.., "url": u, "desc": d}}}
//        or null}
inline QJsonObject MutagenRead(const QString& path) {
    static const char* script = R"(
import sys, json
from mutagen.id3 import ID3, ID3NoHeaderError
from mutagen.id3._id3v1 import ParseID3v1
p = sys.argv[1]
out = {"v1": None, "v2": None}
data = open(p, "rb").read()
if len(data) >= 128 and data[-128:-125] == b"TAG":
    frames = ParseID3v1(data[-128:], v2_version=3)
    v = {}
    for k, f in frames.items():
        v[k] = str(f.text[0])
    if "TCON" in frames:
        v["genre"] = frames["TCON"].genres[0]
    out["v1"] = v
try:
    t = ID3(p, translate=False, load_v1=False)
    fr = {}
    for f in t.values():
        d = {"encoding": int(getattr(f, "encoding", -1))}
        if hasattr(f, "url"):
            d["url"] = f.url
            d["desc"] = f.desc
        if hasattr(f, "text"):
            d["text"] = [str(x) for x in f.text]
        fr[f.FrameID] = d
    out["v2"] = {"version": list(t.version), "unsync": bool(t.f_unsynch), "size": t.size,
                 "frames": fr}
except ID3NoHeaderError:
    pass
print(json.dumps(out))
)";
    const TProcessResult r =
        RunProgram(OraclePython, {QStringLiteral("-c"), QLatin1String(script), path});
    if (r.ExitCode != 0)
        throw std::runtime_error("mutagen could not read " + path.toStdString() + ": " +
                                 r.Err.toStdString());
    return QJsonDocument::fromJson(r.Out).object();
}

// The text of frame `id` as mutagen read it from the ID3v2 tag ("" when absent).
inline QString MutagenV2Text(const QJsonObject& read, const QString& id) {
    return read[QStringLiteral("v2")][QStringLiteral("frames")][id][QStringLiteral("text")][0]
        .toString();
}

// Puts an ID3v2 tag in front of `path` with mutagen: version 3 or 4, text encoding 0..3, then
// frame id and text pairs ("WXXX" takes a URL).
inline void MutagenWrite(const QString& path, int version, int encoding,
                         const QStringList& idsAndTexts) {
    static const char* script = R"(
import sys, mutagen.id3 as id3
p, ver, enc = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
t = id3.ID3()
a = sys.argv[4:]
for i in range(0, len(a), 2):
    cls = getattr(id3, a[i])
    if a[i] == "WXXX":
        t.add(cls(encoding=enc, desc="site", url=a[i + 1]))
    else:
        t.add(cls(encoding=enc, text=[a[i + 1]]))
t.save(p, v2_version=ver)
)";
    QStringList args{QStringLiteral("-c"), QLatin1String(script), path, QString::number(version),
                     QString::number(encoding)};
    args += idsAndTexts;
    const TProcessResult r = RunProgram(OraclePython, args);
    if (r.ExitCode != 0)
        throw std::runtime_error("mutagen could not write " + path.toStdString() + ": " +
                                 r.Err.toStdString());
}
