// FFmpeg prints its warnings (damaged frames, DRM notices, timestamp fixes) to stderr, which
// would clutter sondrel-cli's output; every failure that matters reaches the user through our
// own error texts instead. Lowers FFmpeg's log level to errors once, unless the
// SONDREL_FFMPEG_LOG environment variable is set (for debugging). Any thread.
#pragma once

void QuietFfmpegLog();
