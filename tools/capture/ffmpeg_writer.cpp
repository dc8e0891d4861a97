// The formats people share, through FFmpeg's libraries: H.264 and AAC in MP4,
// H.264 or lossless FFV1 with FLAC in Matroska, VP9 and Opus in WebM, and a
// numbered PNG sequence with a WAV of the sound.
#include "media_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
// Quality defaults, measured on frames from every part: x264's ultrafast
// preset at CRF 17 keeps the luma of the decoded frames above 42 dB at about
// 3 ms of one core for a 800 x 600 frame (superfast needs CRF 15 and twice
// the time for the same, in files a fifth smaller); VP9 in real-time mode at
// CRF 27 keeps it above 40 dB at about 7 ms.
constexpr int h264_crf = 17;
constexpr int vp9_crf = 27;
// Encoder threads are fixed, not taken from the machine, so that the same
// arguments give the same bytes everywhere.
constexpr int encoder_threads = 2;

struct Codecs {
    const char* muxer;
    const char* video;
    AVPixelFormat pixels;
    const char* audio;
    int64_t audio_bit_rate; // 0: lossless
    const char* sound_muxer; // a separate sound file, or null
};

Codecs codecs_for(OutputKind kind, bool lossless) {
    switch (kind) {
    case OutputKind::mp4: return {"mp4", "libx264", AV_PIX_FMT_YUV420P, "aac", 320000, nullptr};
    case OutputKind::mkv:
        if (lossless) return {"matroska", "ffv1", AV_PIX_FMT_BGR0, "flac", 0, nullptr};
        return {"matroska", "libx264", AV_PIX_FMT_YUV420P, "flac", 0, nullptr};
    case OutputKind::webm: return {"webm", "libvpx-vp9", AV_PIX_FMT_YUV420P, "libopus", 192000, nullptr};
    case OutputKind::png_sequence: return {"image2", "png", AV_PIX_FMT_RGB24, "pcm_s16le", 0, "wav"};
    case OutputKind::ogm: break;
    }
    return {};
}

std::string error_text(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// The encoder's rate when it takes the show's, else the nearest above it.
int rate_for(const AVCodec* codec, int rate) {
    if (!codec->supported_samplerates) return rate;
    int above = 0, highest = 0;
    for (const int* r = codec->supported_samplerates; *r; ++r) {
        if (*r == rate) return rate;
        if (*r > rate && (above == 0 || *r < above)) above = *r;
        highest = std::max(highest, *r);
    }
    return above ? above : highest;
}

AVSampleFormat sample_format_for(const AVCodec* codec) {
    if (!codec->sample_fmts) return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_S16) return *f;
    return codec->sample_fmts[0];
}

class FfmpegWriter : public MediaWriter {
public:
    FfmpegWriter(const OutputFormat& format, const MediaLayout& layout) : format_(format), layout_(layout) {}
    ~FfmpegWriter() override {
        if (!finished_) discard();
    }
    bool open();
    bool add_frame(const uint8_t* rows) override;
    bool add_samples(const int16_t* samples, size_t frames) override;
    bool finish() override;
    void discard() override;

private:
    struct Output {
        AVFormatContext* context = nullptr;
        std::string path;
        bool created = false; // the file exists because of this writer
    };
    bool fail(const std::string& what, int error = 0);
    bool open_output(Output* output, const char* muxer, const std::string& path);
    bool open_video(const Codecs& codecs);
    bool open_audio(const Codecs& codecs);
    bool start_output(Output* output);
    bool encode(AVCodecContext* codec, AVStream* stream, Output* output, const AVFrame* frame);
    bool encode_fifo(bool last);
    void release();

    OutputFormat format_;
    MediaLayout layout_;
    Output main_, sound_file_;
    Output* sound_ = &main_; // the output the sound stream lives in
    AVCodecContext* video_ = nullptr;
    AVCodecContext* audio_ = nullptr;
    AVStream* video_stream_ = nullptr;
    AVStream* audio_stream_ = nullptr;
    SwsContext* to_pixels_ = nullptr;
    SwrContext* to_samples_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVFrame* sound_frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    int audio_frame_size_ = 0;
    int64_t frames_ = 0, samples_out_ = 0;
    bool failed_ = false, finished_ = false;
};

bool FfmpegWriter::fail(const std::string& what, int error) {
    failed_ = true;
    return MediaWriter::fail(error ? what + ": " + error_text(error) : what);
}

bool FfmpegWriter::open_output(Output* output, const char* muxer, const std::string& path) {
    output->path = path;
    const int error = avformat_alloc_output_context2(&output->context, nullptr, muxer, path.c_str());
    if (error < 0) return fail(std::string("no ") + muxer + " writer in libavformat", error);
    // No time stamps, library versions or random identifiers in the file.
    output->context->flags |= AVFMT_FLAG_BITEXACT;
    return true;
}

bool FfmpegWriter::open_video(const Codecs& codecs) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecs.video);
    if (!codec) return fail(std::string("no ") + codecs.video + " encoder in libavcodec");
    video_ = avcodec_alloc_context3(codec);
    video_->width = layout_.width;
    video_->height = layout_.height;
    video_->pix_fmt = codecs.pixels;
    video_->time_base = {1, layout_.fps};
    video_->framerate = {layout_.fps, 1};
    video_->thread_count = encoder_threads;
    video_->flags |= AV_CODEC_FLAG_BITEXACT;
    const bool rgb = codecs.pixels != AV_PIX_FMT_YUV420P;
    if (rgb) {
        video_->color_range = AVCOL_RANGE_JPEG;
        video_->colorspace = AVCOL_SPC_RGB;
    } else {
        video_->color_range = AVCOL_RANGE_MPEG;
        video_->colorspace = AVCOL_SPC_BT709;
        video_->color_primaries = AVCOL_PRI_BT709;
        video_->color_trc = AVCOL_TRC_BT709;
    }
    const std::string name = codecs.video;
    if (name == "libx264") {
        // A key frame every four seconds keeps seeking in players and editors quick.
        video_->gop_size = 4 * layout_.fps;
        av_opt_set(video_->priv_data, "preset", "ultrafast", 0);
        av_opt_set_double(video_->priv_data, "crf", layout_.crf >= 0 ? layout_.crf : h264_crf, 0);
    } else if (name == "libvpx-vp9") {
        video_->gop_size = 4 * layout_.fps;
        video_->bit_rate = 0; // constant quality
        av_opt_set(video_->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(video_->priv_data, "cpu-used", 8, 0);
        av_opt_set_int(video_->priv_data, "crf", layout_.crf >= 0 ? layout_.crf : vp9_crf, 0);
        av_opt_set_int(video_->priv_data, "row-mt", 1, 0);
    } else if (name == "ffv1") {
        // Every frame on its own and checksummed slices: the archival settings.
        video_->gop_size = 1;
        video_->level = 3;
        video_->slices = 4;
        av_opt_set_int(video_->priv_data, "slicecrc", 1, 0);
    } else if (name == "png") {
        // Paeth prediction with light compression: files a fifth smaller than
        // none at default compression, in half the time.
        av_opt_set_int(video_->priv_data, "pred", 4, 0);
        video_->compression_level = 1;
    }
    if (main_.context->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int error = avcodec_open2(video_, codec, nullptr);
    if (error < 0) return fail(std::string("the ") + codecs.video + " encoder refused the picture settings", error);
    video_stream_ = avformat_new_stream(main_.context, nullptr);
    video_stream_->time_base = video_->time_base;
    video_stream_->avg_frame_rate = video_->framerate;
    error = avcodec_parameters_from_context(video_stream_->codecpar, video_);
    if (error < 0) return fail("cannot describe the video stream", error);

    picture_ = av_frame_alloc();
    picture_->format = video_->pix_fmt;
    picture_->width = layout_.width;
    picture_->height = layout_.height;
    error = av_frame_get_buffer(picture_, 0);
    if (error < 0) return fail("out of memory", error);
    if (video_->pix_fmt != AV_PIX_FMT_RGB24) {
        to_pixels_ = sws_getContext(layout_.width, layout_.height, AV_PIX_FMT_RGB24, layout_.width, layout_.height,
                                    video_->pix_fmt, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr,
                                    nullptr, nullptr);
        if (!to_pixels_) return fail("libswscale cannot convert the pictures");
        if (!rgb) {
            // The rendered RGB is full range; the video gets BT.709 in the range players expect.
            const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(to_pixels_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        }
    }
    return true;
}

bool FfmpegWriter::open_audio(const Codecs& codecs) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecs.audio);
    if (!codec) return fail(std::string("no ") + codecs.audio + " encoder in libavcodec");
    audio_ = avcodec_alloc_context3(codec);
    audio_->sample_fmt = sample_format_for(codec);
    audio_->sample_rate = rate_for(codec, layout_.rate);
    av_channel_layout_default(&audio_->ch_layout, layout_.channels);
    audio_->time_base = {1, audio_->sample_rate};
    audio_->bit_rate = codecs.audio_bit_rate;
    audio_->flags |= AV_CODEC_FLAG_BITEXACT;
    if (sound_->context->oformat->flags & AVFMT_GLOBALHEADER) audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int error = avcodec_open2(audio_, codec, nullptr);
    if (error < 0) return fail(std::string("the ") + codecs.audio + " encoder refused the sound settings", error);
    audio_stream_ = avformat_new_stream(sound_->context, nullptr);
    audio_stream_->time_base = audio_->time_base;
    error = avcodec_parameters_from_context(audio_stream_->codecpar, audio_);
    if (error < 0) return fail("cannot describe the audio stream", error);

    // Sample format conversion always; a change of rate only when the
    // encoder cannot take the show's.
    AVChannelLayout in_layout;
    av_channel_layout_default(&in_layout, layout_.channels);
    error = swr_alloc_set_opts2(&to_samples_, &audio_->ch_layout, audio_->sample_fmt, audio_->sample_rate,
                                &in_layout, AV_SAMPLE_FMT_S16, layout_.rate, 0, nullptr);
    av_channel_layout_uninit(&in_layout);
    if (error < 0 || (error = swr_init(to_samples_)) < 0) return fail("libswresample cannot convert the sound", error);
    const bool any_size = !audio_->frame_size || (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    audio_frame_size_ = any_size ? 4096 : audio_->frame_size;
    fifo_ = av_audio_fifo_alloc(audio_->sample_fmt, audio_->ch_layout.nb_channels, audio_frame_size_);
    sound_frame_ = av_frame_alloc();
    if (!fifo_ || !sound_frame_) return fail("out of memory");
    return true;
}

bool FfmpegWriter::start_output(Output* output) {
    int error = 0;
    if (!(output->context->oformat->flags & AVFMT_NOFILE) &&
        (error = avio_open(&output->context->pb, output->path.c_str(), AVIO_FLAG_WRITE)) < 0)
        return fail("cannot write", error);
    output->created = true;
    AVDictionary* options = nullptr;
    // The index goes to the front, so players and sites can start before the whole file is in.
    if (format_.kind == OutputKind::mp4) av_dict_set(&options, "movflags", "+faststart", 0);
    error = avformat_write_header(output->context, &options);
    av_dict_free(&options);
    return error < 0 ? fail("cannot write", error) : true;
}

bool FfmpegWriter::open() {
    const Codecs codecs = codecs_for(format_.kind, layout_.lossless);
    if (!codecs.muxer) return fail("not a format this writer knows");
    if (!open_output(&main_, codecs.muxer, format_.file)) return false;
    if (codecs.sound_muxer) {
        if (!open_output(&sound_file_, codecs.sound_muxer, format_.sound_path)) return false;
        sound_ = &sound_file_;
    }
    packet_ = av_packet_alloc();
    if (!packet_) return fail("out of memory");
    return open_video(codecs) && open_audio(codecs) && start_output(&main_) &&
           (sound_ == &main_ || start_output(&sound_file_));
}

// Sends a frame (null: the end) and writes every packet the encoder gives back.
bool FfmpegWriter::encode(AVCodecContext* codec, AVStream* stream, Output* output, const AVFrame* frame) {
    int error = avcodec_send_frame(codec, frame);
    if (error < 0) return fail("the encoder failed", error);
    for (;;) {
        error = avcodec_receive_packet(codec, packet_);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
        if (error < 0) return fail("the encoder failed", error);
        av_packet_rescale_ts(packet_, codec->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        error = av_interleaved_write_frame(output->context, packet_);
        if (error < 0) return fail("cannot write", error);
    }
}

bool FfmpegWriter::add_frame(const uint8_t* rows) {
    if (failed_) return false;
    int error = av_frame_make_writable(picture_);
    if (error < 0) return fail("out of memory", error);
    const int stride = layout_.width * 3;
    if (to_pixels_) {
        const uint8_t* source[4] = {rows};
        const int strides[4] = {stride};
        sws_scale(to_pixels_, source, strides, 0, layout_.height, picture_->data, picture_->linesize);
    } else {
        for (int y = 0; y < layout_.height; ++y)
            std::copy(rows + static_cast<size_t>(y) * stride, rows + static_cast<size_t>(y + 1) * stride,
                      picture_->data[0] + static_cast<ptrdiff_t>(y) * picture_->linesize[0]);
    }
    picture_->pts = frames_++;
    return encode(video_, video_stream_, &main_, picture_);
}

// Encodes whole frames from the queue of converted samples; the last one
// may be short, or is padded with silence for encoders that need full frames.
bool FfmpegWriter::encode_fifo(bool last) {
    for (;;) {
        const int queued = av_audio_fifo_size(fifo_);
        if (queued == 0 || (queued < audio_frame_size_ && !last)) return true;
        const bool short_ok = audio_->codec->capabilities &
                              (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
        const int take = std::min(queued, audio_frame_size_);
        av_frame_unref(sound_frame_);
        sound_frame_->nb_samples = take < audio_frame_size_ && !short_ok ? audio_frame_size_ : take;
        sound_frame_->format = audio_->sample_fmt;
        sound_frame_->sample_rate = audio_->sample_rate;
        av_channel_layout_copy(&sound_frame_->ch_layout, &audio_->ch_layout);
        int error = av_frame_get_buffer(sound_frame_, 0);
        if (error < 0) return fail("out of memory", error);
        av_samples_set_silence(sound_frame_->extended_data, 0, sound_frame_->nb_samples,
                               audio_->ch_layout.nb_channels, audio_->sample_fmt);
        av_audio_fifo_read(fifo_, reinterpret_cast<void**>(sound_frame_->extended_data), take);
        sound_frame_->pts = samples_out_;
        samples_out_ += sound_frame_->nb_samples;
        if (!encode(audio_, audio_stream_, sound_, sound_frame_)) return false;
    }
}

bool FfmpegWriter::add_samples(const int16_t* samples, size_t frames) {
    if (failed_) return false;
    const int out_frames = swr_get_out_samples(to_samples_, static_cast<int>(frames));
    uint8_t** converted = nullptr;
    int error = av_samples_alloc_array_and_samples(&converted, nullptr, audio_->ch_layout.nb_channels,
                                                   std::max(out_frames, 1), audio_->sample_fmt, 0);
    if (error < 0) return fail("out of memory", error);
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int got = swr_convert(to_samples_, converted, out_frames, frames ? in : nullptr, static_cast<int>(frames));
    if (got < 0) error = got;
    else if (got > 0 && av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted), got) < got)
        error = AVERROR(ENOMEM);
    av_freep(&converted[0]);
    av_freep(&converted);
    if (error < 0) return fail("cannot convert the sound", error);
    return encode_fifo(false);
}

bool FfmpegWriter::finish() {
    if (failed_) return false;
    // What the resampler still holds, then the encoders' delayed frames.
    if (!add_samples(nullptr, 0) || !encode_fifo(true) || !encode(audio_, audio_stream_, sound_, nullptr) ||
        !encode(video_, video_stream_, &main_, nullptr))
        return false;
    for (Output* output : {&main_, &sound_file_}) {
        if (!output->context) continue;
        int error = av_write_trailer(output->context);
        if (error < 0) return fail("cannot write", error);
        if (!(output->context->oformat->flags & AVFMT_NOFILE) && (error = avio_closep(&output->context->pb)) < 0)
            return fail("cannot write", error);
    }
    release();
    finished_ = true;
    return true;
}

void FfmpegWriter::release() {
    for (Output* output : {&main_, &sound_file_}) {
        if (!output->context) continue;
        if (!(output->context->oformat->flags & AVFMT_NOFILE)) avio_closep(&output->context->pb);
        avformat_free_context(output->context);
        output->context = nullptr;
    }
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    sws_freeContext(to_pixels_);
    to_pixels_ = nullptr;
    swr_free(&to_samples_);
    if (fifo_) av_audio_fifo_free(fifo_);
    fifo_ = nullptr;
    av_frame_free(&picture_);
    av_frame_free(&sound_frame_);
    av_packet_free(&packet_);
}

void FfmpegWriter::discard() {
    release();
    if (format_.kind == OutputKind::png_sequence) {
        // Pictures are numbered from 1, as libavformat's sequence writer does.
        char name[4096];
        for (int64_t k = 1; k <= frames_; ++k)
            if (av_get_frame_filename2(name, sizeof name, format_.path.c_str(), static_cast<int>(k), 0) == 0)
                std::remove(name);
        if (sound_file_.created) std::remove(format_.sound_path.c_str());
        if (!format_.created_folder.empty()) rmdir(format_.created_folder.c_str());
    } else if (main_.created) {
        std::remove(format_.file.c_str());
    }
    main_.created = sound_file_.created = false;
}
} // namespace

std::unique_ptr<MediaWriter> open_ffmpeg_writer(const OutputFormat& format, const MediaLayout& layout,
                                                std::string* problem) {
    // The libraries' own reports (encoder statistics and the like) would bury the progress bar.
    av_log_set_level(AV_LOG_ERROR);
    auto writer = std::make_unique<FfmpegWriter>(format, layout);
    if (!writer->open()) {
        *problem = writer->error();
        writer->discard();
        return nullptr;
    }
    return writer;
}
