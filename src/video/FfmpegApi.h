// FFmpeg's libraries, opened on first use: linking them would load well over
// a hundred shared libraries at every start of the player for a feature that
// most sessions never touch. The headers give the types; the functions are
// looked up by name in the libraries of the major versions built against.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <string>

namespace cx {

// Every function the exporter and the reader call, with the library it lives in.
#define CX_FFMPEG_FUNCTIONS(X)                \
    X(Util, av_frame_alloc)                   \
    X(Util, av_frame_free)                    \
    X(Util, av_frame_get_buffer)              \
    X(Util, av_frame_make_writable)           \
    X(Util, av_opt_set)                       \
    X(Util, av_dict_set)                      \
    X(Util, av_dict_free)                     \
    X(Util, av_strerror)                      \
    X(Util, av_log_set_level)                 \
    X(Codec, avcodec_find_encoder_by_name)    \
    X(Codec, avcodec_find_encoder)            \
    X(Codec, avcodec_find_decoder)            \
    X(Codec, avcodec_alloc_context3)          \
    X(Codec, avcodec_open2)                   \
    X(Codec, avcodec_free_context)            \
    X(Codec, avcodec_parameters_from_context) \
    X(Codec, avcodec_parameters_to_context)   \
    X(Codec, avcodec_send_frame)              \
    X(Codec, avcodec_receive_packet)          \
    X(Codec, avcodec_send_packet)             \
    X(Codec, avcodec_receive_frame)           \
    X(Codec, av_packet_alloc)                 \
    X(Codec, av_packet_free)                  \
    X(Codec, av_packet_unref)                 \
    X(Codec, av_packet_rescale_ts)            \
    X(Format, avformat_alloc_output_context2) \
    X(Format, avformat_new_stream)            \
    X(Format, avformat_write_header)          \
    X(Format, av_interleaved_write_frame)     \
    X(Format, av_write_trailer)               \
    X(Format, avformat_free_context)          \
    X(Format, avio_open)                      \
    X(Format, avio_closep)                    \
    X(Format, avformat_open_input)            \
    X(Format, avformat_find_stream_info)      \
    X(Format, av_find_best_stream)            \
    X(Format, av_read_frame)                  \
    X(Format, avformat_close_input)           \
    X(Scale, sws_getContext)                  \
    X(Scale, sws_setColorspaceDetails)        \
    X(Scale, sws_getCoefficients)             \
    X(Scale, sws_scale)                       \
    X(Scale, sws_freeContext)

struct FfmpegApi {
#define CX_FFMPEG_POINTER(lib, name) decltype(&::name) name = nullptr;
    CX_FFMPEG_FUNCTIONS(CX_FFMPEG_POINTER)
#undef CX_FFMPEG_POINTER
};

// The functions, loaded once per process (thread-safe); nullptr with `error`
// naming what is missing when the libraries cannot be opened.
const FfmpegApi* LoadFfmpeg(std::string& error);

// FFmpeg's text for an error code.
std::string FfmpegError(const FfmpegApi& av, int code);

}  // namespace cx
