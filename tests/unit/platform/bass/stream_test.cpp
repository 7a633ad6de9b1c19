// The stream clock as a device that queues buffers ahead drives it: nothing is
// heard before the device starts a buffer, and a buffer mixed before a seek,
// stop or play is never heard as the stream.
#include "bass/stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using bass::Clock;
using bass::Pcm;
using bass::Stream;

namespace
{

const uint32_t kRate = 1000; // one frame a millisecond keeps the arithmetic readable
const uint64_t kUnity = uint64_t{1} << 32;

std::vector<int16_t> RampSamples(uint64_t frames)
{
    std::vector<int16_t> samples;
    for (uint64_t i = 0; i < frames; ++i)
    {
        samples.push_back(static_cast<int16_t>(i));
        samples.push_back(static_cast<int16_t>(-static_cast<int64_t>(i)));
    }
    return samples;
}

std::unique_ptr<Pcm> Ramp(uint64_t frames)
{
    return std::make_unique<Pcm>(kRate, RampSamples(frames));
}

Clock::time_point At(int milliseconds)
{
    return Clock::time_point{} + std::chrono::hours(1) + std::chrono::milliseconds(milliseconds);
}

class QueuedStream : public ::testing::Test
{
protected:
    Stream stream{1, Ramp(1000)};
    std::vector<float> out = std::vector<float>(200 * 2, 0.0f);

    void Queue(int slot, uint32_t frames = 100) { stream.MixQueued(out.data(), frames, kUnity, slot); }
};

TEST_F(QueuedStream, HoldsUntilTheDeviceStartsAMixedBuffer)
{
    stream.Play(At(0), false);
    Queue(0);
    EXPECT_EQ(stream.HeardFrame(At(50)), 0u) << "mixed is not heard";
    stream.StartQueued(At(50), 0);
    EXPECT_EQ(stream.HeardFrame(At(80)), 30u);
    EXPECT_EQ(stream.HeardFrame(At(500)), 100u) << "never past what the device was given";
}

TEST_F(QueuedStream, ConsecutiveBuffersContinueWithoutAStepBack)
{
    stream.Play(At(0), false);
    Queue(0);
    Queue(1);
    stream.StartQueued(At(0), 0);
    uint64_t early = stream.HeardFrame(At(90));
    stream.StartQueued(At(95), 1); // the device started the next one a little early
    uint64_t next = stream.HeardFrame(At(96));
    EXPECT_EQ(early, 90u);
    EXPECT_EQ(next, 101u);
    EXPECT_EQ(stream.HeardFrame(At(400)), 200u);
}

TEST_F(QueuedStream, BuffersMixedBeforeASeekAreNotHeard)
{
    stream.Play(At(0), false);
    Queue(0);
    Queue(1);
    stream.StartQueued(At(0), 0);
    stream.Seek(600, At(10), false);
    stream.StartQueued(At(100), 1);
    EXPECT_EQ(stream.HeardFrame(At(150)), 600u);
    Queue(0);
    stream.StartQueued(At(200), 0);
    EXPECT_EQ(stream.HeardFrame(At(240)), 640u);
}

TEST_F(QueuedStream, StopFreezesAndResumeReplaysWhatWasNotHeard)
{
    stream.Play(At(0), false);
    Queue(0);
    Queue(1);
    stream.StartQueued(At(0), 0);
    stream.Stop(At(40));
    stream.StartQueued(At(100), 1);
    EXPECT_EQ(stream.HeardFrame(At(150)), 40u);
    EXPECT_FALSE(stream.Playing(At(150)));

    stream.Play(At(200), false);
    std::fill(out.begin(), out.end(), 0.0f);
    Queue(0, 1);
    EXPECT_FLOAT_EQ(out[0], 40.0f / 32768.0f) << "the first frame mixed is the one where it stopped";
    EXPECT_FLOAT_EQ(out[1], -40.0f / 32768.0f);
}

TEST_F(QueuedStream, EndsWhereTheLastBufferEnds)
{
    stream.Seek(950, At(0), false);
    stream.Play(At(0), false);
    Queue(0);
    stream.StartQueued(At(0), 0);
    EXPECT_TRUE(stream.Playing(At(49)));
    EXPECT_EQ(stream.HeardFrame(At(200)), 1000u);
    EXPECT_FALSE(stream.Playing(At(200)));
}

TEST_F(QueuedStream, StoppedStreamMixesNothing)
{
    Queue(0);
    stream.StartQueued(At(0), 0);
    EXPECT_EQ(stream.HeardFrame(At(100)), 0u);
    for (float v : out)
        EXPECT_EQ(v, 0.0f);
}

// A long file goes on decoding after the stream exists. Where the mixer
// catches up with the decoder it hands out only what is decoded, so the heard
// position waits for the music instead of running ahead of it in silence.
TEST(DecodingStream, WaitsForFramesTheDecoderHasNotPublished)
{
    auto pcm = std::make_unique<Pcm>(kRate, uint64_t{1000});
    std::vector<int16_t> ramp = RampSamples(1000);
    std::memcpy(pcm->Writable(), ramp.data(), 150 * 2 * sizeof(int16_t));
    pcm->Publish(150);
    Pcm& decoding = *pcm;
    Stream stream(1, std::move(pcm));
    EXPECT_EQ(stream.Frames(), 1000u) << "the length is known from the start";

    std::vector<float> out(200 * 2, 0.0f);
    stream.Play(At(0), false);
    stream.BeginBuffer(At(0));
    stream.Mix(out.data(), 200, kUnity);
    EXPECT_FLOAT_EQ(out[149 * 2] * 32768.0f, 149.0f);
    EXPECT_EQ(out[150 * 2], 0.0f) << "nothing past what is decoded";
    EXPECT_EQ(stream.HeardFrame(At(400)), 150u);
    EXPECT_TRUE(stream.Playing(At(400)));

    std::memcpy(decoding.Writable() + 150 * 2, ramp.data() + 150 * 2, 850 * 2 * sizeof(int16_t));
    decoding.Publish(1000);
    std::fill(out.begin(), out.end(), 0.0f);
    stream.BeginBuffer(At(400));
    stream.Mix(out.data(), 200, kUnity);
    EXPECT_FLOAT_EQ(out[0] * 32768.0f, 150.0f) << "on from where it stopped";
    EXPECT_EQ(stream.HeardFrame(At(450)), 200u);

    // Resampled, the mixer stops two frames short of the decoder: each output
    // frame reads two frames ahead.
    auto partial = std::make_unique<Pcm>(kRate, uint64_t{1000});
    std::memcpy(partial->Writable(), ramp.data(), 100 * 2 * sizeof(int16_t));
    partial->Publish(100);
    Stream resampled(2, std::move(partial));
    resampled.Play(At(0), false);
    resampled.BeginBuffer(At(0));
    std::fill(out.begin(), out.end(), 0.0f);
    resampled.Mix(out.data(), 200, kUnity / 2 * 3);
    EXPECT_EQ(resampled.HeardFrame(At(500)), 99u);
}
} // namespace
