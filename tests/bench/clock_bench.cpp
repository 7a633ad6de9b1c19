// How good the audio library's position is as the demo clock: the cost of one
// clock read as the main loop makes it, and how far the position strays from
// steady_clock, on the silent device and on SDL's dummy driver.
#include <bass.h>

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

bool WriteSilence(const std::string& path, int rate, int seconds)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<short> chunk(static_cast<size_t>(rate) * 2);
    for (int s = 0; s < seconds; ++s)
        sf_writef_short(file, chunk.data(), rate);
    sf_close(file);
    return true;
}

// Position minus elapsed time, d(t). Drift is the slope of a least-squares
// line through it (the output's rate against steady_clock); jitter is what is
// left about that line. Every read counts for standing still and going back;
// for the statistics, reads closer than 5 us to the last kept one are skipped.
class Deviation
{
public:
    Deviation() { m_Kept.reserve(1 << 20); }

    void Add(double t, double pos)
    {
        if (pos < m_LastPos)
            ++m_Backwards;
        if (pos != m_LastPos)
        {
            m_LastPos = pos;
            m_LastMove = t;
        }
        m_LongestStill = std::max(m_LongestStill, t - m_LastMove);
        ++m_Reads;
        if (m_Kept.empty() || t - m_Kept.back().t >= 5e-6)
            m_Kept.push_back({t, pos - t});
    }

    void Report(const char* sampling) const
    {
        double n = static_cast<double>(m_Kept.size());
        double sumT = 0, sumD = 0, sumTT = 0, sumTD = 0;
        for (const Sample& s : m_Kept)
        {
            sumT += s.t;
            sumD += s.d;
            sumTT += s.t * s.t;
            sumTD += s.t * s.d;
        }
        double slope = (n * sumTD - sumT * sumD) / (n * sumTT - sumT * sumT);
        double mean = sumD / n, intercept = (sumD - slope * sumT) / n;
        double sq = 0, worst = 0;
        for (const Sample& s : m_Kept)
        {
            double r = s.d - (intercept + slope * s.t);
            sq += r * r;
            worst = std::max(worst, std::fabs(r));
        }
        std::printf("  %-6s reads %9ld  offset %+7.3f ms  drift %+7.0f ppm  jitter rms %6.3f ms  max %6.3f ms  "
                    "longest still %5.2f ms  backwards %ld\n",
                    sampling, m_Reads, mean * 1e3, slope * 1e6, std::sqrt(sq / n) * 1e3, worst * 1e3,
                    m_LongestStill * 1e3, m_Backwards);
    }

private:
    struct Sample
    {
        double t, d;
    };
    std::vector<Sample> m_Kept;
    long m_Reads = 0, m_Backwards = 0;
    double m_LastPos = -1, m_LastMove = 0, m_LongestStill = 0;
};

double ReadClock(HSTREAM stream)
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
}

bool Run(const char* name, int device, const std::string& file)
{
    if (!BASS_Init(device, 44100, 0, nullptr, nullptr))
    {
        std::printf("%s: BASS_Init failed, error %d\n", name, BASS_ErrorGetCode());
        return false;
    }
    HSTREAM stream = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    if (!stream)
    {
        std::printf("%s: stream failed, error %d\n", name, BASS_ErrorGetCode());
        BASS_Free();
        return false;
    }
    std::printf("%s\n", name);

    BASS_ChannelPlay(stream, FALSE);
    const int calls = 2000000;
    volatile double sink = 0;
    Clock::time_point begin = Clock::now();
    for (int i = 0; i < calls; ++i)
        sink = sink + ReadClock(stream);
    double perCall = Since(begin, Clock::now()) / calls;
    std::printf("  clock read (GetPosition + Bytes2Seconds): %.1f ns per call\n", perCall * 1e9);

    // Measured from the moment of Play; the first 200 ms (device start) are left out.
    const double settle = 0.2, window = 3.0;
    for (int pass = 0; pass < 2; ++pass)
    {
        BASS_ChannelPlay(stream, TRUE);
        Clock::time_point start = Clock::now();
        double firstMove = -1;
        Deviation d;
        for (long k = 0;; ++k)
        {
            if (pass == 1)
                std::this_thread::sleep_until(start + std::chrono::microseconds(16667 * k));
            double pos = ReadClock(stream);
            double t = Since(start, Clock::now());
            if (firstMove < 0 && pos > 0)
                firstMove = t;
            if (t > settle + window)
                break;
            if (t >= settle)
                d.Add(t, pos);
        }
        d.Report(pass == 0 ? "tight" : "60 Hz");
        if (pass == 0)
            std::printf("  position first moved %.2f ms after Play\n", firstMove * 1e3);
    }
    BASS_Free();
    return true;
}

} // namespace

int main()
{
    std::string dir = (std::filesystem::temp_directory_path() / "quorl-clock-bench-XXXXXX").string();
    if (!mkdtemp(dir.data()))
        return 1;
    std::string file = dir + "/silence.wav";
    bool ok = WriteSilence(file, 44100, 10);
    if (ok)
    {
        ok = Run("silent device (0)", 0, file);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ok = Run("SDL dummy driver (-1)", -1, file) && ok;
    }
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
