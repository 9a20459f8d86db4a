#include "codecs/FfmpegLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdlib>
#include <mutex>

void QuietFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!std::getenv("SONDREL_FFMPEG_LOG"))
            av_log_set_level(AV_LOG_ERROR);
    });
}
