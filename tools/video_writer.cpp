#include "video_writer.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace
{
std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}
} // namespace

struct VideoWriter::State
{
    std::string path;
    std::string partial;
    bool finished = false;
    int width = 0;
    int height = 0;

    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVStream* videoStream = nullptr;
    AVFrame* picture = nullptr;
    SwsContext* scaler = nullptr;
    int64_t frames = 0;
    int fps = 0;

    SNDFILE* music = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* sound = nullptr;
    std::vector<float> samples; // interleaved, one encoder frame
    int64_t audioSamples = 0;   // handed to the encoder so far
    int channels = 0;

    AVPacket* packet = nullptr;

    ~State()
    {
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        av_frame_free(&picture);
        av_frame_free(&sound);
        av_packet_free(&packet);
        sws_freeContext(scaler);
        if (music)
            sf_close(music);
        if (!finished && !partial.empty())
        {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
        }
    }

    // Moves every packet the encoder has ready into the file.
    bool Drain(AVCodecContext* codec, AVStream* stream, std::string& error)
    {
        while (true)
        {
            int result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0)
            {
                error = "encoding failed: " + AvError(result);
                return false;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format, packet);
            if (result < 0)
            {
                error = "cannot write " + path + ": " + AvError(result);
                return false;
            }
        }
    }

    bool Encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error)
    {
        int result = avcodec_send_frame(codec, frame);
        if (result < 0)
        {
            error = "encoding failed: " + AvError(result);
            return false;
        }
        return Drain(codec, stream, error);
    }

    // Encodes the music up to the given sample count (silence past its end).
    bool EncodeAudioUntil(int64_t until, bool last, std::string& error)
    {
        const int frameSize = audio->frame_size;
        while (audioSamples < until)
        {
            int count = frameSize;
            if (last && until - audioSamples < count)
                count = static_cast<int>(until - audioSamples);
            std::fill(samples.begin(), samples.end(), 0.0f);
            sf_readf_float(music, samples.data(), count);
            if (av_frame_make_writable(sound) < 0)
            {
                error = "out of memory";
                return false;
            }
            sound->nb_samples = count;
            for (int c = 0; c < channels; ++c)
            {
                float* plane = reinterpret_cast<float*>(sound->data[c]);
                for (int i = 0; i < count; ++i)
                    plane[i] = samples[static_cast<size_t>(i * channels + c)];
            }
            sound->pts = audioSamples;
            audioSamples += count;
            if (!Encode(audio, audioStream, sound, error))
                return false;
        }
        return true;
    }

    bool OpenVideo(std::string& error)
    {
        const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
        if (!codec)
            codec = avcodec_find_encoder(AV_CODEC_ID_H264);
        if (!codec)
        {
            error = "this FFmpeg has no H.264 encoder";
            return false;
        }
        video = avcodec_alloc_context3(codec);
        videoStream = avformat_new_stream(format, nullptr);
        if (!video || !videoStream)
        {
            error = "out of memory";
            return false;
        }
        video->width = width;
        video->height = height;
        video->pix_fmt = AV_PIX_FMT_YUV420P;
        video->time_base = AVRational{1, fps};
        video->framerate = AVRational{fps, 1};
        video->gop_size = fps * 2;
        video->color_range = AVCOL_RANGE_MPEG;
        video->colorspace = AVCOL_SPC_SMPTE170M;
        video->color_primaries = AVCOL_PRI_SMPTE170M;
        video->color_trc = AVCOL_TRC_SMPTE170M;
        video->flags |= AV_CODEC_FLAG_BITEXACT;
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av_opt_set(video->priv_data, "preset", "fast", 0);
        av_opt_set(video->priv_data, "crf", "18", 0);
        int result = avcodec_open2(video, codec, nullptr);
        if (result < 0)
        {
            error = "cannot open the H.264 encoder: " + AvError(result);
            return false;
        }
        avcodec_parameters_from_context(videoStream->codecpar, video);
        videoStream->time_base = video->time_base;
        videoStream->avg_frame_rate = video->framerate;

        picture = av_frame_alloc();
        packet = av_packet_alloc();
        if (!picture || !packet)
        {
            error = "out of memory";
            return false;
        }
        picture->format = video->pix_fmt;
        picture->width = width;
        picture->height = height;
        if (av_frame_get_buffer(picture, 0) < 0)
        {
            error = "out of memory";
            return false;
        }
        // 0xAARRGGBB words are B, G, R, A bytes in memory on a little-endian machine.
        scaler = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, AV_PIX_FMT_YUV420P,
                                SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
        if (!scaler)
        {
            error = "cannot convert to yuv420p at this size";
            return false;
        }
        return true;
    }

    bool OpenAudio(const std::string& file, uint32_t startMs, std::string& error)
    {
        SF_INFO info = {};
        music = sf_open(file.c_str(), SFM_READ, &info);
        if (!music)
            return true; // the video goes on without sound, as the player does
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec)
        {
            error = "this FFmpeg has no AAC encoder";
            return false;
        }
        channels = info.channels;
        audio = avcodec_alloc_context3(codec);
        audioStream = avformat_new_stream(format, nullptr);
        sound = av_frame_alloc();
        if (!audio || !audioStream || !sound)
        {
            error = "out of memory";
            return false;
        }
        audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
        audio->sample_rate = info.samplerate;
        av_channel_layout_default(&audio->ch_layout, channels);
        audio->bit_rate = 192000;
        audio->time_base = AVRational{1, info.samplerate};
        audio->flags |= AV_CODEC_FLAG_BITEXACT;
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int result = avcodec_open2(audio, codec, nullptr);
        if (result < 0)
        {
            error = "cannot open the AAC encoder: " + AvError(result);
            return false;
        }
        avcodec_parameters_from_context(audioStream->codecpar, audio);
        audioStream->time_base = audio->time_base;

        sound->format = audio->sample_fmt;
        sound->sample_rate = audio->sample_rate;
        av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
        sound->nb_samples = audio->frame_size;
        if (av_frame_get_buffer(sound, 0) < 0)
        {
            error = "out of memory";
            return false;
        }
        samples.resize(static_cast<size_t>(audio->frame_size * channels));
        sf_seek(music, static_cast<sf_count_t>(startMs) * info.samplerate / 1000, SEEK_SET);
        return true;
    }
};

VideoWriter::VideoWriter() = default;
VideoWriter::~VideoWriter() = default;

bool VideoWriter::HasAudio() const
{
    return m_State && m_State->audio;
}

const std::string& VideoWriter::UnfinishedPath() const
{
    static const std::string kNone;
    return m_State ? m_State->partial : kNone;
}

bool VideoWriter::Open(const std::string& path, int width, int height, int fps, const std::string& music,
                       uint32_t startMs, std::string& error)
{
    if (width % 2 || height % 2)
    {
        error = "a video needs an even width and height (yuv420p)";
        return false;
    }
    // The encoders' own statistics would bury the progress bar.
    av_log_set_level(AV_LOG_ERROR);
    m_State.reset(new State);
    State& s = *m_State;
    s.path = path;
    s.width = width;
    s.height = height;
    s.fps = fps;

    // The container follows the name; anything FFmpeg does not know becomes MP4.
    const AVOutputFormat* container = av_guess_format(nullptr, path.c_str(), nullptr);
    if (!container)
        container = av_guess_format("mp4", nullptr, nullptr);
    if (avformat_alloc_output_context2(&s.format, container, nullptr, nullptr) < 0 || !s.format)
    {
        error = "cannot set up the container for " + path;
        return false;
    }
    s.format->flags |= AVFMT_FLAG_BITEXACT;

    std::filesystem::path target(path);
    s.partial = (target.parent_path() / ("." + target.filename().string() + ".partial")).string();
    if (!s.OpenVideo(error) || !s.OpenAudio(music, startMs, error))
        return false;

    int result = avio_open(&s.format->pb, s.partial.c_str(), AVIO_FLAG_WRITE);
    if (result < 0)
    {
        s.partial.clear(); // nothing was created
        error = "cannot write " + path + ": " + AvError(result);
        return false;
    }
    result = avformat_write_header(s.format, nullptr);
    if (result < 0)
    {
        error = "cannot write " + path + ": " + AvError(result);
        return false;
    }
    return true;
}

bool VideoWriter::WriteFrame(const std::vector<uint32_t>& argb, std::string& error)
{
    State& s = *m_State;
    if (av_frame_make_writable(s.picture) < 0)
    {
        error = "out of memory";
        return false;
    }
    const uint8_t* source[1] = {reinterpret_cast<const uint8_t*>(argb.data())};
    const int stride[1] = {s.width * 4};
    sws_scale(s.scaler, source, stride, 0, s.height, s.picture->data, s.picture->linesize);
    s.picture->pts = s.frames++;
    if (!s.Encode(s.video, s.videoStream, s.picture, error))
        return false;
    // Keep the sound up with the pictures so the muxer can interleave them.
    return !s.audio || s.EncodeAudioUntil(s.frames * s.audio->sample_rate / s.fps, false, error);
}

bool VideoWriter::Finish(std::string& error)
{
    State& s = *m_State;
    if (!s.Encode(s.video, s.videoStream, nullptr, error))
        return false;
    if (s.audio && (!s.EncodeAudioUntil(s.frames * s.audio->sample_rate / s.fps, true, error) ||
                    !s.Encode(s.audio, s.audioStream, nullptr, error)))
        return false;
    int result = av_write_trailer(s.format);
    if (result >= 0)
        result = avio_closep(&s.format->pb);
    if (result < 0)
    {
        error = "cannot write " + s.path + ": " + AvError(result);
        return false;
    }
    std::error_code failure;
    std::filesystem::rename(s.partial, s.path, failure);
    if (failure)
    {
        error = "cannot write " + s.path + ": " + failure.message();
        return false;
    }
    s.finished = true;
    return true;
}
