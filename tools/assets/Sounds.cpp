#include "Sounds.h"

#include "ImageFiles.h"
#include "WavWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr double Rate = SoundRate;

// A small deterministic generator of white noise in [-1, 1].
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed) {}
    double Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483647.5 - 1.0;
    }

private:
    std::uint32_t state;
};

// A one-pole low-pass filter; cutoff in Hz.
class LowPass {
public:
    explicit LowPass(double cutoff) : a(1.0 - std::exp(-TwoPi * cutoff / Rate)) {}
    double Next(double x) { return y += a * (x - y); }

private:
    double a;
    double y = 0.0;
};

// Scales to the given peak (of full scale) and rounds to 16 bits.
std::vector<std::int16_t> ToSamples(const std::vector<double>& wave, double peak)
{
    double largest = 0.0;
    for (double v : wave)
        largest = std::max(largest, std::fabs(v));
    const double scale = largest > 0.0 ? peak * 32767.0 / largest : 0.0;
    std::vector<std::int16_t> samples(wave.size());
    for (size_t i = 0; i < wave.size(); i++)
        samples[i] = static_cast<std::int16_t>(std::lround(std::clamp(wave[i] * scale, -32767.0, 32767.0)));
    return samples;
}

// Rises from 0 over the first attack seconds and falls to 0 over the last
// release seconds of a sound of the given length, so it starts and ends
// without a click.
double Edges(double t, double length, double attack, double release)
{
    return std::min({1.0, t / attack, (length - t) / release});
}

bool WriteSound(const std::string& path, const std::vector<std::int16_t>& samples, std::string& error)
{
    WavWriter writer;
    if (!writer.Open(path, 1, SoundRate, error) || !writer.Write(samples.data(), samples.size(), error) ||
        !writer.Close(error)) {
        error[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(error[0])));
        error += ".";
        return false;
    }
    return true;
}

}  // namespace

std::vector<std::int16_t> MakeShotSound()
{
    constexpr double Length = 0.28;
    const int count = static_cast<int>(Length * Rate);
    std::vector<double> wave(count);
    Noise noise(0x5407u);
    double phase = 0.0, previous = 0.0;
    for (int i = 0; i < count; i++) {
        const double t = i / Rate;
        // 1800 Hz falling towards 400 within a few hundredths of a second.
        const double frequency = 400.0 + 1400.0 * std::exp(-t / 0.045);
        phase += frequency / Rate;
        phase -= std::floor(phase);
        // Odd harmonics, all below the Nyquist frequency: a soft square.
        const double tone = std::sin(TwoPi * phase) + std::sin(3 * TwoPi * phase) / 3.0 +
                            std::sin(5 * TwoPi * phase) / 5.0;
        const double white = noise.Next();
        const double click = (white - previous) * std::exp(-t / 0.006);  // high-passed: crisp
        previous = white;
        wave[i] = (0.8 * tone * std::exp(-t / 0.07) + 0.5 * click) * Edges(t, Length, 0.002, 0.02);
    }
    return ToSamples(wave, 0.7);
}

std::vector<std::int16_t> MakeBurstSound()
{
    constexpr double Length = 1.4;
    const int count = static_cast<int>(Length * Rate);
    std::vector<double> wave(count);
    Noise noise(0xB0057u);
    LowPass rumbleFilter(140.0), whooshFilter(900.0);
    double phase = 0.0, previous = 0.0, pop = 0.0;
    for (int i = 0; i < count; i++) {
        const double t = i / Rate;
        // The thump: a sine falling from 120 Hz to 45.
        const double frequency = 45.0 + 75.0 * std::exp(-t / 0.08);
        phase += frequency / Rate;
        phase -= std::floor(phase);
        const double thump = std::sin(TwoPi * phase) * std::exp(-t / 0.22);

        const double white = noise.Next();
        const double rumble = rumbleFilter.Next(white) * 6.0 * std::exp(-t / 0.45);
        const double whoosh = whooshFilter.Next(white) * 1.2 * std::exp(-t / 0.12);

        // The crackle: pops of high-passed noise, a few milliseconds each,
        // ever fewer and fainter.
        const double chance = noise.Next() * 0.5 + 0.5;
        if (chance < 0.004 * std::exp(-t / 0.5))
            pop = std::max(pop, (0.3 + 0.7 * (noise.Next() * 0.5 + 0.5)) * std::exp(-t / 0.6));
        const double crackle = pop * (white - previous);
        pop *= 0.985;
        previous = white;

        wave[i] = (0.9 * thump + rumble + whoosh + 0.45 * crackle) * Edges(t, Length, 0.003, 0.25);
    }
    return ToSamples(wave, 0.85);
}

std::vector<std::int16_t> MakeEngineSound()
{
    // One second: every frequency below is a whole number of hertz, so each
    // part ends where it began and the loop has no seam.
    const int count = SoundRate;
    struct Partial {
        int hertz;
        double amplitude;
    };
    const Partial partials[] = {{55, 1.0}, {110, 0.55}, {165, 0.35}, {220, 0.2}, {330, 0.12}, {440, 0.06}};
    constexpr int ThrobHertz = 6;

    // The rush: low-passed noise, one crossfade long more than the loop,
    // whose end is blended into its start with equal power.
    const int fade = SoundRate / 10;
    std::vector<double> rush(count + fade);
    Noise noise(0xE9613u);
    LowPass rushFilter(350.0);
    for (double& v : rush)
        v = rushFilter.Next(noise.Next());

    std::vector<double> wave(count);
    for (int i = 0; i < count; i++) {
        double hum = 0.0;
        for (const Partial& p : partials)
            hum += p.amplitude * std::sin(TwoPi * static_cast<double>((static_cast<long>(p.hertz) * i) % count) / count);
        const double throb = 1.0 + 0.18 * std::sin(TwoPi * static_cast<double>((ThrobHertz * i) % count) / count);
        double air = rush[i];
        if (i < fade) {
            const double w = static_cast<double>(i) / fade;
            air = rush[i] * std::sqrt(w) + rush[count + i] * std::sqrt(1.0 - w);
        }
        wave[i] = hum * throb + 4.0 * air;
    }
    return ToSamples(wave, 0.5);
}

bool WriteSounds(const std::string& outDir, std::string& error)
{
    const std::string folder = outDir + "/Sounds";
    return MakeFolder(folder, error) && WriteSound(folder + "/shot.wav", MakeShotSound(), error) &&
           WriteSound(folder + "/burst.wav", MakeBurstSound(), error) &&
           WriteSound(folder + "/engine.wav", MakeEngineSound(), error);
}
