// FFmpeg's libraries, opened when the first FFmpeg call is made rather than when the program
// starts: linked directly, libavformat alone brings in some 130 libraries, which made every
// start of sondrel-cli (even --help) take about 30 ms longer. Each FFmpeg function the program
// calls is defined here with its own prototype and forwards to the real one, found once with
// dlsym. Callable from any thread: the libraries open once, each function is looked up once.
// Nothing links FFmpeg, so a call of a function that has no forwarder here fails to link: add
// one like the others, with the prototype of FFmpeg's header.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <string>

namespace {

enum TFfLib { libavutil, libswresample, libavcodec, libavformat, FfLibCount };

void* g_handles[FfLibCount] = {};

// Opens the four libraries by the sonames of the headers built against, so a program never runs
// with a library of another major version than its structures were laid out for.
void openLibraries() {
    const std::string names[FfLibCount] = {
        "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR),
        "libswresample.so." + std::to_string(LIBSWRESAMPLE_VERSION_MAJOR),
        "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR),
        "libavformat.so." + std::to_string(LIBAVFORMAT_VERSION_MAJOR),
    };
    for (int i = 0; i < FfLibCount; ++i) {
        // Local: these symbols must never stand in for the forwarders below, nor theirs for them.
        g_handles[i] = dlopen(names[i].c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!g_handles[i]) {
            // The package depends on FFmpeg; without it nothing that needs FFmpeg can go on.
            std::fprintf(stderr, "sondrel: cannot load %s: %s\n", names[i].c_str(), dlerror());
            std::abort();
        }
    }
}

void* ffmpegSymbol(TFfLib lib, const char* name) {
    static std::once_flag once;
    std::call_once(once, openLibraries);
    void* symbol = dlsym(g_handles[lib], name);
    if (!symbol) {
        std::fprintf(stderr, "sondrel: FFmpeg has no %s: %s\n", name, dlerror());
        std::abort();
    }
    return symbol;
}

} // namespace

// The real function `name` of `lib`, looked up on the first call of this forwarder.
#define FF_CALL(lib, name)                                                                         \
    ([] {                                                                                          \
        static const auto real = reinterpret_cast<decltype(&::name)>(ffmpegSymbol(lib, #name));    \
        return real;                                                                               \
    }())

extern "C" {

AVAudioFifo* av_audio_fifo_alloc(enum AVSampleFormat sample_fmt, int channels, int nb_samples) {
    return FF_CALL(libavutil, av_audio_fifo_alloc)(sample_fmt, channels, nb_samples);
}

void av_audio_fifo_free(AVAudioFifo* af) {
    FF_CALL(libavutil, av_audio_fifo_free)(af);
}

int av_audio_fifo_read(AVAudioFifo* af, void** data, int nb_samples) {
    return FF_CALL(libavutil, av_audio_fifo_read)(af, data, nb_samples);
}

int av_audio_fifo_size(AVAudioFifo* af) {
    return FF_CALL(libavutil, av_audio_fifo_size)(af);
}

int av_audio_fifo_write(AVAudioFifo* af, void** data, int nb_samples) {
    return FF_CALL(libavutil, av_audio_fifo_write)(af, data, nb_samples);
}

int av_channel_layout_copy(AVChannelLayout* dst, const AVChannelLayout* src) {
    return FF_CALL(libavutil, av_channel_layout_copy)(dst, src);
}

void av_channel_layout_default(AVChannelLayout* ch_layout, int nb_channels) {
    FF_CALL(libavutil, av_channel_layout_default)(ch_layout, nb_channels);
}

void av_channel_layout_uninit(AVChannelLayout* channel_layout) {
    FF_CALL(libavutil, av_channel_layout_uninit)(channel_layout);
}

AVDictionaryEntry* av_dict_get(const AVDictionary* m, const char* key,
                               const AVDictionaryEntry* prev, int flags) {
    return FF_CALL(libavutil, av_dict_get)(m, key, prev, flags);
}

int av_dict_set(AVDictionary** pm, const char* key, const char* value, int flags) {
    return FF_CALL(libavutil, av_dict_set)(pm, key, value, flags);
}

int av_find_best_stream(AVFormatContext* ic, enum AVMediaType type, int wanted_stream_nb,
                        int related_stream, const AVCodec** decoder_ret, int flags) {
    return FF_CALL(libavformat, av_find_best_stream)(ic, type, wanted_stream_nb, related_stream,
                                                     decoder_ret, flags);
}

AVFrame* av_frame_alloc(void) {
    return FF_CALL(libavutil, av_frame_alloc)();
}

void av_frame_free(AVFrame** frame) {
    FF_CALL(libavutil, av_frame_free)(frame);
}

int av_frame_get_buffer(AVFrame* frame, int align) {
    return FF_CALL(libavutil, av_frame_get_buffer)(frame, align);
}

void av_frame_unref(AVFrame* frame) {
    FF_CALL(libavutil, av_frame_unref)(frame);
}

int av_frame_make_writable(AVFrame* frame) {
    return FF_CALL(libavutil, av_frame_make_writable)(frame);
}

void av_free(void* ptr) {
    FF_CALL(libavutil, av_free)(ptr);
}

void av_freep(void* ptr) {
    FF_CALL(libavutil, av_freep)(ptr);
}

int av_get_bytes_per_sample(enum AVSampleFormat sample_fmt) {
    return FF_CALL(libavutil, av_get_bytes_per_sample)(sample_fmt);
}

int av_interleaved_write_frame(AVFormatContext* s, AVPacket* pkt) {
    return FF_CALL(libavformat, av_interleaved_write_frame)(s, pkt);
}

int av_log_get_level(void) {
    return FF_CALL(libavutil, av_log_get_level)();
}

void av_log_set_level(int level) {
    FF_CALL(libavutil, av_log_set_level)(level);
}

void* av_malloc(size_t size) {
    return FF_CALL(libavutil, av_malloc)(size);
}

int av_opt_set_int(void* obj, const char* name, int64_t val, int search_flags) {
    return FF_CALL(libavutil, av_opt_set_int)(obj, name, val, search_flags);
}

int av_new_packet(AVPacket* pkt, int size) {
    return FF_CALL(libavcodec, av_new_packet)(pkt, size);
}

AVPacket* av_packet_alloc(void) {
    return FF_CALL(libavcodec, av_packet_alloc)();
}

void av_packet_free(AVPacket** pkt) {
    FF_CALL(libavcodec, av_packet_free)(pkt);
}

uint8_t* av_packet_get_side_data(const AVPacket* pkt, enum AVPacketSideDataType type,
                                 size_t* size) {
    return FF_CALL(libavcodec, av_packet_get_side_data)(pkt, type, size);
}

void av_packet_rescale_ts(AVPacket* pkt, AVRational tb_src, AVRational tb_dst) {
    FF_CALL(libavcodec, av_packet_rescale_ts)(pkt, tb_src, tb_dst);
}

void av_packet_unref(AVPacket* pkt) {
    FF_CALL(libavcodec, av_packet_unref)(pkt);
}

void av_parser_close(AVCodecParserContext* s) {
    FF_CALL(libavcodec, av_parser_close)(s);
}

AVCodecParserContext* av_parser_init(int codec_id) {
    return FF_CALL(libavcodec, av_parser_init)(codec_id);
}

int av_parser_parse2(AVCodecParserContext* s, AVCodecContext* avctx, uint8_t** poutbuf,
                     int* poutbuf_size, const uint8_t* buf, int buf_size, int64_t pts, int64_t dts,
                     int64_t pos) {
    return FF_CALL(libavcodec, av_parser_parse2)(s, avctx, poutbuf, poutbuf_size, buf, buf_size,
                                                 pts, dts, pos);
}

int av_read_frame(AVFormatContext* s, AVPacket* pkt) {
    return FF_CALL(libavformat, av_read_frame)(s, pkt);
}

int64_t av_rescale(int64_t a, int64_t b, int64_t c) {
    return FF_CALL(libavutil, av_rescale)(a, b, c);
}

int64_t av_rescale_q(int64_t a, AVRational bq, AVRational cq) {
    return FF_CALL(libavutil, av_rescale_q)(a, bq, cq);
}

int av_sample_fmt_is_planar(enum AVSampleFormat sample_fmt) {
    return FF_CALL(libavutil, av_sample_fmt_is_planar)(sample_fmt);
}

int av_samples_alloc_array_and_samples(uint8_t*** audio_data, int* linesize, int nb_channels,
                                       int nb_samples, enum AVSampleFormat sample_fmt, int align) {
    return FF_CALL(libavutil, av_samples_alloc_array_and_samples)(audio_data, linesize, nb_channels,
                                                                  nb_samples, sample_fmt, align);
}

int av_samples_set_silence(uint8_t** audio_data, int offset, int nb_samples, int nb_channels,
                           enum AVSampleFormat sample_fmt) {
    return FF_CALL(libavutil, av_samples_set_silence)(audio_data, offset, nb_samples, nb_channels,
                                                      sample_fmt);
}

int av_seek_frame(AVFormatContext* s, int stream_index, int64_t timestamp, int flags) {
    return FF_CALL(libavformat, av_seek_frame)(s, stream_index, timestamp, flags);
}

uint8_t* av_stream_get_side_data(const AVStream* stream, enum AVPacketSideDataType type,
                                 size_t* size) {
    return FF_CALL(libavformat, av_stream_get_side_data)(stream, type, size);
}

int av_strerror(int errnum, char* errbuf, size_t errbuf_size) {
    return FF_CALL(libavutil, av_strerror)(errnum, errbuf, errbuf_size);
}

int av_write_trailer(AVFormatContext* s) {
    return FF_CALL(libavformat, av_write_trailer)(s);
}

AVCodecContext* avcodec_alloc_context3(const AVCodec* codec) {
    return FF_CALL(libavcodec, avcodec_alloc_context3)(codec);
}

const AVCodec* avcodec_find_decoder(enum AVCodecID id) {
    return FF_CALL(libavcodec, avcodec_find_decoder)(id);
}

const AVCodec* avcodec_find_decoder_by_name(const char* name) {
    return FF_CALL(libavcodec, avcodec_find_decoder_by_name)(name);
}

const AVCodec* avcodec_find_encoder_by_name(const char* name) {
    return FF_CALL(libavcodec, avcodec_find_encoder_by_name)(name);
}

void avcodec_flush_buffers(AVCodecContext* avctx) {
    FF_CALL(libavcodec, avcodec_flush_buffers)(avctx);
}

void avcodec_free_context(AVCodecContext** avctx) {
    FF_CALL(libavcodec, avcodec_free_context)(avctx);
}

int avcodec_open2(AVCodecContext* avctx, const AVCodec* codec, AVDictionary** options) {
    return FF_CALL(libavcodec, avcodec_open2)(avctx, codec, options);
}

int avcodec_parameters_from_context(AVCodecParameters* par, const AVCodecContext* codec) {
    return FF_CALL(libavcodec, avcodec_parameters_from_context)(par, codec);
}

int avcodec_parameters_to_context(AVCodecContext* codec, const AVCodecParameters* par) {
    return FF_CALL(libavcodec, avcodec_parameters_to_context)(codec, par);
}

int avcodec_receive_frame(AVCodecContext* avctx, AVFrame* frame) {
    return FF_CALL(libavcodec, avcodec_receive_frame)(avctx, frame);
}

int avcodec_receive_packet(AVCodecContext* avctx, AVPacket* avpkt) {
    return FF_CALL(libavcodec, avcodec_receive_packet)(avctx, avpkt);
}

int avcodec_send_frame(AVCodecContext* avctx, const AVFrame* frame) {
    return FF_CALL(libavcodec, avcodec_send_frame)(avctx, frame);
}

int avcodec_send_packet(AVCodecContext* avctx, const AVPacket* avpkt) {
    return FF_CALL(libavcodec, avcodec_send_packet)(avctx, avpkt);
}

AVFormatContext* avformat_alloc_context(void) {
    return FF_CALL(libavformat, avformat_alloc_context)();
}

int avformat_alloc_output_context2(AVFormatContext** ctx, const AVOutputFormat* oformat,
                                   const char* format_name, const char* filename) {
    return FF_CALL(libavformat, avformat_alloc_output_context2)(ctx, oformat, format_name,
                                                                filename);
}

void avformat_close_input(AVFormatContext** s) {
    FF_CALL(libavformat, avformat_close_input)(s);
}

int avformat_find_stream_info(AVFormatContext* ic, AVDictionary** options) {
    return FF_CALL(libavformat, avformat_find_stream_info)(ic, options);
}

void avformat_free_context(AVFormatContext* s) {
    FF_CALL(libavformat, avformat_free_context)(s);
}

AVStream* avformat_new_stream(AVFormatContext* s, const AVCodec* c) {
    return FF_CALL(libavformat, avformat_new_stream)(s, c);
}

int avformat_open_input(AVFormatContext** ps, const char* url, const AVInputFormat* fmt,
                        AVDictionary** options) {
    return FF_CALL(libavformat, avformat_open_input)(ps, url, fmt, options);
}

int avformat_write_header(AVFormatContext* s, AVDictionary** options) {
    return FF_CALL(libavformat, avformat_write_header)(s, options);
}

AVIOContext* avio_alloc_context(unsigned char* buffer, int buffer_size, int write_flag,
                                void* opaque,
                                int (*read_packet)(void* opaque, uint8_t* buf, int buf_size),
                                int (*write_packet)(void* opaque, uint8_t* buf, int buf_size),
                                int64_t (*seek)(void* opaque, int64_t offset, int whence)) {
    return FF_CALL(libavformat, avio_alloc_context)(buffer, buffer_size, write_flag, opaque,
                                                    read_packet, write_packet, seek);
}

int avio_closep(AVIOContext** s) {
    return FF_CALL(libavformat, avio_closep)(s);
}

void avio_context_free(AVIOContext** s) {
    FF_CALL(libavformat, avio_context_free)(s);
}

int avio_open(AVIOContext** s, const char* url, int flags) {
    return FF_CALL(libavformat, avio_open)(s, url, flags);
}

int swr_alloc_set_opts2(struct SwrContext** ps, AVChannelLayout* out_ch_layout,
                        enum AVSampleFormat out_sample_fmt, int out_sample_rate,
                        AVChannelLayout* in_ch_layout, enum AVSampleFormat in_sample_fmt,
                        int in_sample_rate, int log_offset, void* log_ctx) {
    return FF_CALL(libswresample, swr_alloc_set_opts2)(ps, out_ch_layout, out_sample_fmt,
                                                       out_sample_rate, in_ch_layout, in_sample_fmt,
                                                       in_sample_rate, log_offset, log_ctx);
}

int swr_convert(struct SwrContext* s, uint8_t** out, int out_count, const uint8_t** in,
                int in_count) {
    return FF_CALL(libswresample, swr_convert)(s, out, out_count, in, in_count);
}

void swr_free(struct SwrContext** s) {
    FF_CALL(libswresample, swr_free)(s);
}

int swr_get_out_samples(struct SwrContext* s, int in_samples) {
    return FF_CALL(libswresample, swr_get_out_samples)(s, in_samples);
}

int swr_init(struct SwrContext* s) {
    return FF_CALL(libswresample, swr_init)(s);
}

} // extern "C"
