// Tidies the attributes in a finished ASF (WMA) file's header. FFmpeg's ASF muxer stores every
// attribute in the extended content description, also the five it has already put in the
// content description (Title, Author, Copyright, Description, Rating), so readers list those
// twice. Pure functions over a closed file; callable from any thread (one call per file).
#pragma once

#include <QString>

// The name of an attribute the writer adds only to make room: it goes with the duplicates, so
// the space they free is always large enough for the padding object that takes their place.
inline const QString AsfRoomAttribute = QStringLiteral("Sondrel/Room");

// Drops from the extended content description of `fileName` the attributes that the content
// description holds already, and AsfRoomAttribute, leaving a padding object of the same size
// in their place: the header keeps its size, nothing else in the file moves. True when the
// file was tidied or needed nothing; false with `error` set ("<file>: <reason>") when it could
// not be read or written or is no ASF file.
bool DropDuplicateAsfAttributes(const QString& fileName, QString* error);
