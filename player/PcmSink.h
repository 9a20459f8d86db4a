// Where the CD player's sound goes: 16-bit stereo 44100 Hz PCM bytes. One implementation
// plays through the sound device (TAudioDeviceSink); tests record what they are given.
// Every call comes from the thread that owns the player.
#pragma once

#include <QString>
#include <QtGlobal>

class TPcmSink {
public:
    virtual ~TPcmSink() = default;

    // Gets ready for a new play, dropping anything of a play before. False with `error` set
    // (what the user can act on) when no sound device takes the audio.
    virtual bool Start(QString& error) = 0;
    // Bytes that Write takes now without blocking.
    virtual qint64 Room() = 0;
    // Queues `size` bytes (at most Room()); returns the bytes taken.
    virtual qint64 Write(const char* data, qint64 size) = 0;
    // Bytes written but not yet heard; 0 once everything written has been played.
    virtual qint64 Pending() = 0;
    virtual void Suspend() = 0;
    virtual void Resume() = 0;
    // Ends the play; what is not yet heard is dropped.
    virtual void Stop() = 0;
    // What went wrong with the device since Start; empty while nothing did.
    virtual QString Error() = 0;
};
