// Synthesises the show's music and writes it as Ogg Vorbis, 44.1 kHz stereo.
// Deterministic, so the committed file can be remade:
//   quorl-make-music data/music.ogg
//
// 120 beats per minute in 4/4: a beat is 500 ms, a bar 2000 ms, and bar n
// (counted from 0) starts at n * 2000 ms of the show. 84 bars, 168 s:
//   bars  0- 7   intro:  pad opening its filter, bells from bar 4
//   bars  8-23   build:  bass at 8, hats at 12, kick at 16, snare roll and riser 22-23
//   bars 24-47   main:   drums, bass, the lead melody three times, crash at 24
//   bars 48-59   break:  drums out, held bass, bells and the melody soft; roll and riser 58-59
//   bars 60-75   return: everything, the melody an octave up, crash at 60
//   bars 76-83   outro:  drums thin out at 76 and stop at 80, the pad fades to the end
// Chords repeat every eight bars: Am F C G Am F G E.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{
const int kRate = 44100;
const double kBeat = 0.5;
const double kBar = 4 * kBeat;
const int kBars = 84;
const double kPi = 3.14159265358979323846;

enum Section
{
    Intro,
    Build,
    Main,
    Break,
    Return,
    Outro
};

Section SectionOf(int bar)
{
    if (bar < 8)
        return Intro;
    if (bar < 24)
        return Build;
    if (bar < 48)
        return Main;
    if (bar < 60)
        return Break;
    if (bar < 76)
        return Return;
    return Outro;
}

// Root (bass octave) and three chord tones per bar of the eight-bar cycle.
const int kRoots[8] = {45, 41, 48, 43, 45, 41, 43, 40};
const int kChords[8][3] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62},
                           {57, 60, 64}, {57, 60, 65}, {55, 59, 62}, {56, 59, 64}};

// The lead melody over the eight-bar cycle in eighths: a note number, kHold
// to continue the note before, kRest for silence.
const int kHold = -1;
const int kRest = 0;
const int kMelody[8][8] = {
    {76, kHold, 74, 72, kHold, 71, 72, kHold},    {69, kHold, kHold, kHold, 72, kHold, 74, kHold},
    {76, kHold, 79, kHold, 76, 74, 72, kHold},    {74, kHold, kHold, kHold, 71, kHold, 67, kHold},
    {69, kHold, 72, kHold, 76, kHold, 81, kHold}, {79, kHold, 77, 76, kHold, 74, 72, kHold},
    {74, kHold, 76, kHold, 77, kHold, 74, kHold}, {68, kHold, 71, kHold, 76, kHold, kHold, kRest},
};

double Frequency(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

double Saw(double phase)
{
    return 2.0 * (phase - std::floor(phase + 0.5));
}

// Coefficient of a one-pole low-pass at the given cut-off.
double LowPass(double cutoff)
{
    return 1.0 - std::exp(-2.0 * kPi * cutoff / kRate);
}

struct Noise
{
    uint32_t state = 12345;
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 8388608.0 - 1.0;
    }
};

// Stereo buffers: the dry mix and the send into the echo.
struct Mix
{
    std::vector<double> left, right, sendLeft, sendRight;
    explicit Mix(size_t frames) : left(frames), right(frames), sendLeft(frames), sendRight(frames) {}

    size_t Frames() const { return left.size(); }

    void Add(size_t i, double value, double pan, double send)
    {
        if (i >= left.size())
            return;
        double l = std::cos(pan * kPi / 2), r = std::sin(pan * kPi / 2);
        left[i] += value * l;
        right[i] += value * r;
        sendLeft[i] += value * l * send;
        sendRight[i] += value * r * send;
    }
};

size_t Frame(double seconds)
{
    return static_cast<size_t>(std::lround(seconds * kRate));
}

// Attack, full level, then a release after the note's length.
double Gate(double t, double length, double attack, double release)
{
    if (t < 0.0)
        return 0.0;
    double level = t < attack ? t / attack : 1.0;
    if (t > length)
        level *= std::exp(-(t - length) / release);
    return level;
}

void Pad(Mix& mix, double start, double length, const int* notes, double gain, double cutoff)
{
    const double release = 0.6;
    size_t begin = Frame(start), count = Frame(length + 5 * release);
    for (int n = 0; n < 4; ++n)
    {
        double f = Frequency(n < 3 ? notes[n] : notes[0] - 12);
        double lowL = 0.0, lowR = 0.0, a = LowPass(cutoff);
        for (size_t k = 0; k < count; ++k)
        {
            double t = static_cast<double>(k) / kRate;
            double env = Gate(t, length, 0.4, release);
            double l = Saw(f * 0.996 * t + 0.1 * n) + Saw(f * 1.004 * t);
            double r = Saw(f * 1.002 * t + 0.3 * n) + Saw(f * 0.998 * t + 0.5);
            lowL += a * (l - lowL);
            lowR += a * (r - lowR);
            mix.Add(begin + k, gain * env * lowL, 0.0, 0.15);
            mix.Add(begin + k, gain * env * lowR, 1.0, 0.15);
        }
    }
}

void Bass(Mix& mix, double start, double length, int note, double gain)
{
    double f = Frequency(note);
    size_t begin = Frame(start), count = Frame(length + 0.1);
    double low = 0.0;
    for (size_t k = 0; k < count; ++k)
    {
        double t = static_cast<double>(k) / kRate;
        double env = Gate(t, length * 0.85, 0.004, 0.03);
        double cutoff = 200.0 + 1400.0 * std::exp(-t / 0.06);
        low += LowPass(cutoff) * (Saw(f * t) - low);
        double v = gain * env * (0.6 * low + 0.7 * std::sin(2.0 * kPi * f * t));
        mix.Add(begin + k, v, 0.5, 0.0);
    }
}

void Lead(Mix& mix, double start, double length, int note, double gain, double pan)
{
    double f = Frequency(note);
    size_t begin = Frame(start), count = Frame(length + 0.5);
    double low = 0.0, phase1 = 0.0, phase2 = 0.0;
    for (size_t k = 0; k < count; ++k)
    {
        double t = static_cast<double>(k) / kRate;
        double env = Gate(t, length, 0.01, 0.08) * (0.75 + 0.25 * std::exp(-t / 0.15));
        double vibrato = 1.0 + 0.004 * std::min(1.0, t / 0.4) * std::sin(2.0 * kPi * 5.5 * t);
        phase1 += f * vibrato / kRate;
        phase2 += f * 1.006 * vibrato / kRate;
        double square = phase1 - std::floor(phase1) < 0.5 ? 1.0 : -1.0;
        double raw = 0.6 * Saw(phase2) + 0.4 * square;
        low += LowPass(900.0 + 2600.0 * std::exp(-t / 0.2)) * (raw - low);
        mix.Add(begin + k, gain * env * low, pan, 0.45);
    }
}

// A bell: a sine with two inharmonic partials that die faster.
void Bell(Mix& mix, double start, int note, double gain, double pan)
{
    double f = Frequency(note);
    size_t begin = Frame(start), count = Frame(1.2);
    for (size_t k = 0; k < count; ++k)
    {
        double t = static_cast<double>(k) / kRate;
        double v = std::sin(2.0 * kPi * f * t) * std::exp(-t / 0.35) +
                   0.4 * std::sin(2.0 * kPi * f * 2.76 * t) * std::exp(-t / 0.12) +
                   0.2 * std::sin(2.0 * kPi * f * 5.4 * t) * std::exp(-t / 0.05);
        mix.Add(begin + k, gain * v * std::min(1.0, t / 0.002), pan, 0.5);
    }
}

void Kick(Mix& mix, double start, double gain)
{
    size_t begin = Frame(start), count = Frame(0.45);
    double phase = 0.0;
    for (size_t k = 0; k < count; ++k)
    {
        double t = static_cast<double>(k) / kRate;
        phase += (45.0 + 110.0 * std::exp(-t / 0.03)) / kRate;
        double v = std::sin(2.0 * kPi * phase) * std::exp(-t / 0.16) * std::min(1.0, t / 0.001);
        mix.Add(begin + k, gain * v, 0.5, 0.0);
    }
}

void Snare(Mix& mix, Noise& noise, double start, double gain)
{
    size_t begin = Frame(start), count = Frame(0.3);
    double low = 0.0, previous = 0.0;
    for (size_t k = 0; k < count; ++k)
    {
        double t = static_cast<double>(k) / kRate;
        double n = noise.Next();
        low += LowPass(6000.0) * (n - low);
        double band = low - previous * 0.6;
        previous = low;
        double v = 0.8 * band * std::exp(-t / 0.07) + 0.5 * std::sin(2.0 * kPi * 190.0 * t) * std::exp(-t / 0.04);
        mix.Add(begin + k, gain * v, 0.55, 0.2);
    }
}

void Hat(Mix& mix, Noise& noise, double start, double gain, double decay, double pan)
{
    size_t begin = Frame(start), count = Frame(decay * 6);
    double previous = 0.0;
    for (size_t k = 0; k < count; ++k)
    {
        double t = static_cast<double>(k) / kRate;
        double n = noise.Next();
        double high = n - previous; // first difference: the highs of white noise
        previous = n;
        mix.Add(begin + k, gain * high * std::exp(-t / decay), pan, 0.1);
    }
}

void Crash(Mix& mix, Noise& noise, double start, double gain)
{
    size_t begin = Frame(start), count = Frame(3.0);
    double previous = 0.0;
    for (size_t k = 0; k < count; ++k)
    {
        double t = static_cast<double>(k) / kRate;
        double n = noise.Next();
        double high = n - 0.7 * previous;
        previous = n;
        double v = gain * high * std::exp(-t / 0.7);
        mix.Add(begin + k, v, 0.35, 0.2);
        mix.Add(begin + k, v * 0.8, 0.65, 0.0);
    }
}

// Noise swept up through a low-pass over two bars into the next section.
void Riser(Mix& mix, Noise& noise, double start, double length, double gain)
{
    size_t begin = Frame(start), count = Frame(length);
    double low = 0.0;
    for (size_t k = 0; k < count; ++k)
    {
        double x = static_cast<double>(k) / count;
        low += LowPass(300.0 + 7000.0 * x * x) * (noise.Next() - low);
        mix.Add(begin + k, gain * x * x * low, 0.5 + 0.3 * std::sin(2.0 * kPi * 2.0 * x), 0.3);
    }
}

void Compose(Mix& mix)
{
    Noise noise;
    for (int bar = 0; bar < kBars; ++bar)
    {
        Section section = SectionOf(bar);
        const int cycle = bar % 8;
        const double t0 = bar * kBar;
        const double eighth = kBeat / 2, sixteenth = kBeat / 4;

        // Pad: the filter opens through the intro; quieter under the full band.
        double padGain = section == Intro ? 0.05 : section == Break ? 0.06 : section == Outro ? 0.05 : 0.035;
        double cutoff = section == Intro ? 400.0 + 150.0 * bar : section == Break ? 1400.0 : 1800.0;
        Pad(mix, t0, kBar, kChords[cycle], padGain, cutoff);

        // Bass: eighths with an octave jump, held roots in the break.
        bool eighthBass = (section == Build) || section == Main || section == Return || (section == Outro && bar < 80);
        if (eighthBass)
            for (int e = 0; e < 8; ++e)
                Bass(mix, t0 + e * eighth, eighth, kRoots[cycle] - 12 + (e % 4 == 3 ? 12 : 0), 0.2);
        else if (section == Break || (section == Outro && bar < 82))
            Bass(mix, t0, kBar, kRoots[cycle] - 12, 0.16);

        // Drums.
        bool kick = (bar >= 16 && bar < 48) || (bar >= 60 && bar < 80);
        bool backbeat = (bar >= 24 && bar < 48) || (bar >= 60 && bar < 76);
        bool roll = (bar >= 22 && bar < 24) || (bar >= 58 && bar < 60);
        for (int beat = 0; beat < 4; ++beat)
        {
            double tb = t0 + beat * kBeat;
            if (kick)
                Kick(mix, tb, 0.55);
            if (backbeat && beat % 2 == 1)
                Snare(mix, noise, tb, 0.32);
        }
        if (roll)
        {
            int sixteenths = bar % 2 == 0 ? 8 : 16; // eighths, then sixteenths
            for (int s = 0; s < sixteenths; ++s)
            {
                double x = (bar % 2 + static_cast<double>(s) / sixteenths) / 2.0;
                Snare(mix, noise, t0 + s * kBar / sixteenths, 0.08 + 0.22 * x);
            }
        }
        if (bar >= 12 && bar < 80 && section != Break)
        {
            bool busy = section == Main || section == Return;
            for (int s = 0; s < 16; ++s)
            {
                bool offbeat = s % 4 == 2;
                if (offbeat)
                    Hat(mix, noise, t0 + s * sixteenth, 0.07, 0.05, 0.7);
                else if (busy && s % 2 == 1)
                    Hat(mix, noise, t0 + s * sixteenth, 0.03, 0.015, 0.3);
            }
        }
        if (bar == 24 || bar == 60)
            Crash(mix, noise, t0, 0.12);
        if (bar == 48 || bar == 76)
            Crash(mix, noise, t0, 0.08);
        if (bar == 22 || bar == 58)
            Riser(mix, noise, t0, 2 * kBar, 0.12);

        // Bells: chord tones in sixteenths, up and down, panned across the bar.
        bool bells = (bar >= 4 && bar < 24) || section == Break || section == Return;
        if (bells)
        {
            double gain = section == Intro ? 0.03 + 0.01 * (bar - 4) : section == Return ? 0.035 : 0.05;
            static const int order[8] = {0, 1, 2, 3, 2, 1, 0, 1};
            for (int s = 0; s < 16; ++s)
            {
                int index = order[s % 8];
                int note = index < 3 ? kChords[cycle][index] + 12 : kChords[cycle][0] + 24;
                Bell(mix, t0 + s * sixteenth, note, gain, 0.5 + 0.35 * std::sin(2.0 * kPi * s / 16.0));
            }
        }

        // The lead melody.
        bool lead = section == Main || section == Return || (section == Break && bar >= 52);
        if (lead)
        {
            int octave = section == Return ? 12 : 0;
            double gain = section == Break ? 0.06 : 0.1;
            for (int e = 0; e < 8; ++e)
            {
                int note = kMelody[cycle][e];
                if (note == kHold || note == kRest)
                    continue;
                int length = 1;
                while (e + length < 8 && kMelody[cycle][e + length] == kHold)
                    ++length;
                Lead(mix, t0 + e * eighth, length * eighth * 0.95, note + octave, gain, 0.45);
            }
        }
    }
}

// A ping-pong echo at a dotted eighth on the send.
void Echo(Mix& mix)
{
    const size_t delay = Frame(0.75 * kBeat);
    std::vector<double> echoLeft(mix.Frames()), echoRight(mix.Frames());
    for (size_t i = delay; i < mix.Frames(); ++i)
    {
        echoLeft[i] = mix.sendRight[i - delay] + 0.4 * echoRight[i - delay];
        echoRight[i] = mix.sendLeft[i - delay] + 0.4 * echoLeft[i - delay];
        mix.left[i] += 0.35 * echoLeft[i];
        mix.right[i] += 0.35 * echoRight[i];
    }
}
} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "data/music.ogg";
    const double total = kBars * kBar;
    const size_t frames = Frame(total);
    Mix mix(frames);
    Compose(mix);
    Echo(mix);

    std::vector<float> interleaved(frames * 2);
    for (size_t i = 0; i < frames; ++i)
    {
        double t = static_cast<double>(i) / kRate;
        // In over the first bar, out over the last two.
        double gain = std::min(1.0, t / kBar) * std::min(1.0, (total - t) / (2 * kBar));
        interleaved[2 * i] = static_cast<float>(std::tanh(mix.left[i] * gain * 1.3));
        interleaved[2 * i + 1] = static_cast<float>(std::tanh(mix.right[i] * gain * 1.3));
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
    double quality = 0.4;
    sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    // libvorbis crashes on very large analysis buffers: feed it in blocks.
    const size_t block = 4096;
    for (size_t done = 0; done < frames; done += block)
    {
        size_t count = std::min(block, frames - done);
        sf_writef_float(file, interleaved.data() + 2 * done, static_cast<sf_count_t>(count));
    }
    sf_close(file);
    std::printf("wrote %s: %.1f s, %d Hz stereo, 120 BPM, %d bars\n", path, total, kRate, kBars);
    return 0;
}
