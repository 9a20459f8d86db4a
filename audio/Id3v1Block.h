// The one writer of ID3v1 blocks: packs the 128 bytes and puts them at the end of a file, over
// a tag already there or appended, undoing a failed write. Used by the tag model's ID3v1 tags
// and by the rip's and converter's ID3v1 writer. Callable from any thread, one file at a time.
#pragma once

#include <QByteArray>
#include <QtGlobal>

constexpr int Id3v1BlockSize = 128;

// The texts are ISO-8859-1 bytes, cut to their widths here (30, the year 4); a track of 0
// gives a comment of 30 bytes, else 28 bytes, a zero byte and the track.
QByteArray PackId3v1Block(const QByteArray& title, const QByteArray& artist,
                          const QByteArray& album, const QByteArray& year,
                          const QByteArray& comment, quint8 track, quint8 genre);

enum class TId3v1WriteResult { Written, SizeUnknown, ReadFailed, WriteFailed };

// Writes `block` over the ID3v1 tag at the end of the open file `fd`, or appends it. A failed
// write puts back the old tag, or cuts an appended part-block off again, so the bytes before
// the tag stay as they were.
TId3v1WriteResult WriteId3v1Block(int fd, const QByteArray& block);
