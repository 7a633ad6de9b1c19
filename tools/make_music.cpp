// Synthesises the show's music: a 64-second piece in A minor at 120 BPM,
// written as Ogg Vorbis. Deterministic, so the committed file can be remade:
//   quorl-make-music data/music.ogg
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{
const int kRate = 44100;
const double kBeat = 0.5; // seconds at 120 BPM
const int kBars = 32;
const double kPi = 3.14159265358979323846;

double NoteFrequency(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// Am, F, C, G: root note and chord tones for each bar of a four-bar cycle.
const int kRoots[4] = {45, 41, 48, 43};
const int kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};

struct Noise
{
    uint32_t state = 12345;
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 8388608.0 - 1.0;
    }
};

double Saw(double phase)
{
    return 2.0 * (phase - std::floor(phase + 0.5));
}

double Envelope(double t, double attack, double decay)
{
    if (t < 0.0)
        return 0.0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}
} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "data/music.ogg";
    const double barSeconds = 4 * kBeat;
    const size_t frames = static_cast<size_t>(kBars * barSeconds * kRate);
    std::vector<float> left(frames), right(frames);
    Noise noise;
    double padLow = 0.0, padLowR = 0.0;

    for (size_t i = 0; i < frames; ++i)
    {
        double t = static_cast<double>(i) / kRate;
        int bar = static_cast<int>(t / barSeconds);
        double inBar = t - bar * barSeconds;
        double inBeat = std::fmod(t, kBeat);
        int cycle = bar % 4;

        // Pad: three detuned saws per chord tone, softened by a one-pole low-pass.
        double padL = 0.0, padR = 0.0;
        for (int n = 0; n < 3; ++n)
        {
            double f = NoteFrequency(kChords[cycle][n]);
            padL += Saw(f * 0.997 * t) + Saw(f * 1.003 * t);
            padR += Saw(f * 1.001 * t) + Saw(f * 0.995 * t);
        }
        double swell = 0.6 + 0.4 * std::sin(2.0 * kPi * inBar / barSeconds);
        padLow += 0.06 * (padL * swell - padLow);
        padLowR += 0.06 * (padR * swell - padLowR);
        double l = 0.05 * padLow, r = 0.05 * padLowR;

        // Bass in eighths from bar 4.
        if (bar >= 4)
        {
            double eighth = std::fmod(t, kBeat / 2);
            double f = NoteFrequency(kRoots[cycle] - 12 + ((static_cast<int>(t / (kBeat / 2)) % 4 == 3) ? 12 : 0));
            double b = std::sin(2.0 * kPi * f * t) + 0.3 * std::sin(4.0 * kPi * f * t);
            double v = 0.22 * b * Envelope(eighth, 0.005, 0.12);
            l += v;
            r += v;
        }

        // Kick on every beat from bar 8, hats on the off-beats from bar 12.
        if (bar >= 8 && bar < kBars - 1)
        {
            double phase = 2.0 * kPi * (50.0 * inBeat + 60.0 * (1.0 - std::exp(-inBeat * 30.0)) / 30.0);
            double k = 0.45 * std::sin(phase) * Envelope(inBeat, 0.002, 0.09);
            l += k;
            r += k;
        }
        if (bar >= 12 && bar < kBars - 1)
        {
            double off = std::fmod(t + kBeat / 2, kBeat);
            double h = 0.05 * noise.Next() * Envelope(off, 0.001, 0.02);
            l += h * 0.7;
            r += h;
        }
        else
            noise.Next();

        // Arpeggio in sixteenths from bar 16, panned across the bar.
        if (bar >= 16)
        {
            int step = static_cast<int>(t / (kBeat / 4));
            double sixteenth = std::fmod(t, kBeat / 4);
            int note = kChords[cycle][step % 3] + 12 * ((step / 3) % 2);
            double f = NoteFrequency(note);
            double p = std::sin(2.0 * kPi * f * t) > 0.0 ? 1.0 : -1.0;
            double a = 0.06 * p * Envelope(sixteenth, 0.002, 0.05);
            double pan = 0.5 + 0.4 * std::sin(2.0 * kPi * inBar / barSeconds);
            l += a * (1.0 - pan);
            r += a * pan;
        }

        // Fade in over the first bar and out over the last two.
        double total = kBars * barSeconds;
        double gain = std::fmin(1.0, t / barSeconds) * std::fmin(1.0, (total - t) / (2 * barSeconds));
        left[i] = static_cast<float>(std::tanh(l * gain * 1.2));
        right[i] = static_cast<float>(std::tanh(r * gain * 1.2));
    }

    SF_INFO info = {};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* file = sf_open(path, SFM_WRITE, &info);
    if (!file)
    {
        std::fprintf(stderr, "cannot write %s: %s\n", path, sf_strerror(nullptr));
        return 1;
    }
    double quality = 0.3;
    sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);

    std::vector<float> interleaved(frames * 2);
    for (size_t i = 0; i < frames; ++i)
    {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
    }
    // libvorbis crashes on very large analysis buffers: feed it in blocks.
    const size_t block = 4096;
    for (size_t done = 0; done < frames; done += block)
    {
        size_t count = frames - done < block ? frames - done : block;
        sf_writef_float(file, interleaved.data() + 2 * done, static_cast<sf_count_t>(count));
    }
    sf_close(file);
    std::printf("wrote %s: %.1f s, %d Hz stereo\n", path, static_cast<double>(frames) / kRate, kRate);
    return 0;
}
