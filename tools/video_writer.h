// Encodes captured frames to H.264 (yuv420p) with the music as AAC, muxed by
// FFmpeg's libraries. The file is written under a temporary name beside the
// target and renamed only when complete, so a failed capture leaves nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class VideoWriter
{
public:
    VideoWriter();
    ~VideoWriter(); // removes the unfinished file unless Finish succeeded

    // music may be empty, or a file libsndfile can read; its audio from
    // startMs on is muxed beside the frames. Returns false with a message.
    bool Open(const std::string& path, int width, int height, int fps, const std::string& music, uint32_t startMs,
              std::string& error);
    // One frame of the read-back buffer: 0xAARRGGBB pixels, top row first.
    bool WriteFrame(const std::vector<uint32_t>& argb, std::string& error);
    // Flushes both encoders, writes the trailer and moves the file into place.
    bool Finish(std::string& error);

    bool HasAudio() const;
    // Where the file is written until Finish moves it into place; empty when
    // none was created.
    const std::string& UnfinishedPath() const;

private:
    struct State;
    std::unique_ptr<State> m_State;
};
