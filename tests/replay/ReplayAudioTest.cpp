// The sound of a replay (corvane-replay --audio): one flight with every
// sound of the game in it, recorded twice, and a table of what is heard
// when. Needs an X display, like the tool.
#include "GlTestContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int FramesPerDt = 441;

// Times in units of dt from the start, after each line.
const char* const Flight =
    "ticks 2 10\n"        // 0-20: nothing yet
    "key down space\n"
    "ticks 10 10\n"       // 20-120: the engine
    "key up space\n"
    "ticks 15 10\n"       // 120-270
    "pointer 400 250\n"   // 50 degrees up: a shot that never comes down
    "tick 10\n"           // 270-280
    "press left\n"
    "release left\n"
    "ticks 5 10\n"        // 280-330: the shot
    "pointer 400 310\n"   // 10 degrees down: the bullet reaches -32 after 46.1 units, in the tick 380-390
    "tick 10\n"           // 330-340
    "press left\n"
    "release left\n"
    "pointer 490 310\n"   // the view turns 90 degrees right before the bullet comes down ahead
    "ticks 6 10\n"        // 340-400
    "tick 40\n"           // a stall: plays 25, 400-425
    "ticks 3 0.5\n";      // 425-426: one whole step, half a unit left over
constexpr double FlightDt = 426;

struct Recording {
    std::string bytes;            // the whole file
    std::vector<std::int16_t> left, right;
    std::string fault;            // empty for a 44,100 Hz 16-bit stereo PCM file
};

std::uint32_t At32(const std::string& b, size_t i)
{
    return static_cast<std::uint8_t>(b[i]) | static_cast<std::uint8_t>(b[i + 1]) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[i + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[i + 3])) << 24;
}

Recording Record(const gltest::TempDir& dir, const std::string& name)
{
    Recording r;
    const std::string tool = std::string(CORVANE_BINARY_DIR) + "/corvane-replay";
    const std::string out = dir.File(name);
    const std::string command = "'" + tool + "' '" + dir.File("flight.txt") + "' '" + out + "' --audio >/dev/null";
    if (std::system(command.c_str()) != 0) {
        r.fault = "corvane-replay failed: " + command;
        return r;
    }
    std::ifstream in(out + "/audio.wav", std::ios::binary);
    r.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const std::string& b = r.bytes;
    // The plain 44-byte header the tool writes.
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 8, "WAVEfmt ") != 0 || At32(b, 16) != 16 ||
        (At32(b, 20) & 0xFFFF) != 1 || (At32(b, 20) >> 16) != 2 || At32(b, 24) != Rate || (At32(b, 32) >> 16) != 16 ||
        b.compare(36, 4, "data") != 0 || At32(b, 40) != b.size() - 44 || At32(b, 4) != b.size() - 8) {
        r.fault = "not a 44,100 Hz 16-bit stereo PCM file with consistent sizes";
        return r;
    }
    const size_t frames = (b.size() - 44) / 4;
    for (size_t i = 0; i < frames; i++) {
        std::int16_t pair[2];
        std::memcpy(pair, b.data() + 44 + 4 * i, 4);
        r.left.push_back(pair[0]);
        r.right.push_back(pair[1]);
    }
    return r;
}

enum class Heard { Nothing, Both, MostlyLeft };

struct Window {
    const char* what;
    double from, to;  // units of dt
    Heard heard;
};

const Window Windows[] = {
    {"nothing before anything happens", 0, 20, Heard::Nothing},
    {"the engine while space is held", 40, 120, Heard::Both},
    {"no engine a second after space is released", 220, 270, Heard::Nothing},
    {"no shot before the tick it is fired in", 270, 280, Heard::Nothing},
    {"the shot from the tick it is fired in", 280, 290, Heard::Both},
    {"no burst from a shot that never comes down", 310, 340, Heard::Nothing},
    {"no burst before the tick its explosion is made in", 370, 380, Heard::Nothing},
    {"the burst from that tick, on the left after the view turned right", 380, 390, Heard::MostlyLeft},
};

double Rms(const std::vector<std::int16_t>& samples, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; i++)
        sum += static_cast<double>(samples[i]) * samples[i];
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

int Peak(const std::vector<std::int16_t>& samples, size_t from, size_t to)
{
    int peak = 0;
    for (size_t i = from; i < to; i++)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}

TEST(ReplayAudioTest, TheFlightSoundsAsItPlays)
{
    gltest::TempDir dir;
    ASSERT_TRUE(gltest::WriteFile(dir.File("flight.txt"), Flight));
    const Recording first = Record(dir, "first");
    ASSERT_EQ("", first.fault);
    const Recording second = Record(dir, "second");
    ASSERT_EQ("", second.fault);
    EXPECT_TRUE(first.bytes == second.bytes) << "two recordings of one flight differ";
    EXPECT_EQ(static_cast<size_t>(std::llround(FlightDt * FramesPerDt)), first.left.size())
        << "not 441 sample frames for each unit of dt played";

    constexpr double Loud = 500;  // RMS of a sound heard, of 32767
    constexpr int Silence = 2;    // peak of no sound at all
    for (const Window& w : Windows) {
        const size_t from = static_cast<size_t>(w.from * FramesPerDt);
        const size_t to = std::min(first.left.size(), static_cast<size_t>(w.to * FramesPerDt));
        ASSERT_LT(from, to) << w.what;
        const double left = Rms(first.left, from, to), right = Rms(first.right, from, to);
        const int peak = std::max(Peak(first.left, from, to), Peak(first.right, from, to));
        switch (w.heard) {
        case Heard::Nothing:
            EXPECT_LE(peak, Silence) << w.what;
            break;
        case Heard::Both:
            EXPECT_GE(std::min(left, right), Loud) << w.what;
            break;
        case Heard::MostlyLeft:
            EXPECT_GE(left, Loud) << w.what;
            EXPECT_GE(left, 4 * right) << w.what << ": left " << left << ", right " << right;
            break;
        }
    }
}

}  // namespace
