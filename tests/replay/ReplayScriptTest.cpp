// The replay script reader: what each command reads as, and the one-line
// message for each kind of fault. No OpenGL.
#include "5-replay/ReplayScript.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int Width = 800;
constexpr int Height = 600;

struct Reading {
    std::vector<ReplayCommand> commands;
    std::string error;  // empty when the whole script read
};

Reading Read(const std::string& text)
{
    std::istringstream in(text);
    ReplayScript script(in, "play.txt", Width, Height);
    Reading reading;
    ReplayCommand command;
    while (script.Next(command))
        reading.commands.push_back(command);
    reading.error = script.GetError();
    EXPECT_FALSE(script.Next(command)) << "a finished script gave another command";
    return reading;
}

using Kind = ReplayCommand::Kind;

TEST(ReplayScriptTest, ReadsEveryCommandSkippingCommentsAndBlankLines)
{
    const Reading reading = Read(
        "# a flight\n"
        "\n"
        "tick 2.5\r\n"
        "  ticks\t40 1   # forty more\n"
        "pointer 799 0\n"
        "press right\n"
        "release right\n"
        "key down space\n"
        "key up Q\n"
        "frame look-back_2");
    ASSERT_EQ("", reading.error);
    ASSERT_EQ(8u, reading.commands.size());
    const std::vector<ReplayCommand>& c = reading.commands;

    EXPECT_EQ(Kind::Tick, c[0].kind);
    EXPECT_EQ(3, c[0].line);
    EXPECT_EQ(1, c[0].count);
    EXPECT_FLOAT_EQ(2.5f, c[0].dt);
    EXPECT_EQ(Kind::Tick, c[1].kind);
    EXPECT_EQ(40, c[1].count);
    EXPECT_FLOAT_EQ(1.0f, c[1].dt);
    EXPECT_EQ(Kind::Pointer, c[2].kind);
    EXPECT_EQ(799, c[2].x);
    EXPECT_EQ(0, c[2].y);
    EXPECT_EQ(Kind::Press, c[3].kind);
    EXPECT_EQ(ReplayCommand::Button::Right, c[3].button);
    EXPECT_EQ(Kind::Release, c[4].kind);
    EXPECT_EQ(ReplayCommand::Button::Right, c[4].button);
    EXPECT_EQ(Kind::KeyDown, c[5].kind);
    EXPECT_EQ(' ', c[5].key);
    EXPECT_EQ(Kind::KeyUp, c[6].kind);
    EXPECT_EQ('Q', c[6].key);
    EXPECT_EQ(Kind::Frame, c[7].kind);
    EXPECT_EQ("look-back_2", c[7].name);
    EXPECT_EQ(10, c[7].line);
}

TEST(ReplayScriptTest, ReadsTickLengthsInEveryDecimalForm)
{
    const struct {
        const char* length;
        float dt;
    } cases[] = {{".5", 0.5f}, {"5.", 5.0f}, {"0.1", 0.1f}, {"007", 7.0f}, {"10000", 10000.0f},
                 {"9999.99999999999999999", 10000.0f}};
    for (const auto& c : cases) {
        const Reading reading = Read(std::string("tick ") + c.length + "\n");
        ASSERT_EQ("", reading.error) << c.length;
        EXPECT_EQ(c.dt, reading.commands.at(0).dt) << c.length;
    }
}

TEST(ReplayScriptTest, EachFaultIsOneLineNamingFileLineAndProblem)
{
    struct Case {
        std::string script;
        std::string message;  // the whole message after "play.txt:"
    };
    const Case cases[] = {
        {"tick 1\njump 3\n", "2: unknown command 'jump' (tick, ticks, pointer, press, release, key or frame)"},
        {"Tick 1\n", "1: unknown command 'Tick' (tick, ticks, pointer, press, release, key or frame)"},
        {"\x01\xff\n", "1: unknown command '\\x01\\xff' (tick, ticks, pointer, press, release, key or frame)"},
        {"tick\n", "1: 'tick' takes 1 argument (tick DT), not 0"},
        {"ticks 3\n", "1: 'ticks' takes 2 arguments (ticks N DT), not 1"},
        {"pointer 1 2 3\n", "1: 'pointer' takes 2 arguments (pointer X Y), not 3"},
        {"frame\n", "1: 'frame' takes 1 argument (frame NAME), not 0"},
        {"tick fast\n", "1: tick length 'fast' is not a number (hundredths of a second, such as 1 or 2.5)"},
        {"tick 1e3\n", "1: tick length '1e3' is not a number (hundredths of a second, such as 1 or 2.5)"},
        {"tick 0\n", "1: tick length '0' is out of range: more than 0 and at most 10000 hundredths of a second"},
        {"tick -2\n", "1: tick length '-2' is out of range: more than 0 and at most 10000 hundredths of a second"},
        {"tick 10000.5\n", "1: tick length '10000.5' is out of range: more than 0 and at most 10000 hundredths of a second"},
        {"tick inf\n", "1: tick length 'inf' is out of range: more than 0 and at most 10000 hundredths of a second"},
        {"tick NaN\n", "1: tick length 'NaN' is out of range: more than 0 and at most 10000 hundredths of a second"},
        {"tick +1\n", "1: tick length '+1' is not a number (hundredths of a second, such as 1 or 2.5)"},
        {"tick 1..2\n", "1: tick length '1..2' is not a number (hundredths of a second, such as 1 or 2.5)"},
        {"tick 0x10\n", "1: tick length '0x10' is not a number (hundredths of a second, such as 1 or 2.5)"},
        {"tick infinite\n", "1: tick length 'infinite' is not a number (hundredths of a second, such as 1 or 2.5)"},
        {"tick .\n", "1: tick length '.' is not a number (hundredths of a second, such as 1 or 2.5)"},
        {"ticks 0 1\n", "1: tick count '0' is not a whole number from 1 to 100000"},
        {"ticks 2.5 1\n", "1: tick count '2.5' is not a whole number from 1 to 100000"},
        {"ticks 99999999999999999999 1\n", "1: tick count '99999999999999999999' is not a whole number from 1 to 100000"},
        {"pointer 800 10\n", "1: pointer x '800' is outside the window (0 to 799)"},
        {"pointer 10 -1\n", "1: pointer y '-1' is outside the window (0 to 599)"},
        {"pointer 10 1.5\n", "1: pointer y '1.5' is not a whole number of pixels"},
        {"press middle\n", "1: 'press' takes left or right, not 'middle'"},
        {"press left\ntick 1\npress left\n", "3: the left button is already down (pressed on line 1)"},
        {"release right\n", "1: the right button is not down, so it cannot be released"},
        {"press right\npointer 1 1\n", "2: the pointer cannot move while the right button is down (pressed on line 1): the game sees no drags"},
        {"key sideways a\n", "1: 'key' takes down or up, not 'sideways'"},
        {"key down ab\n", "1: key 'ab' is not one printable character nor the word space"},
        {"frame a/b\n", "1: frame name 'a/b' may hold only letters, digits, '-' and '_'"},
        {"frame ..\n", "1: frame name '..' may hold only letters, digits, '-' and '_'"},
        {"frame " + std::string(101, 'a') + "\n",
         "1: frame name 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa...' is longer than 100 characters"},
        {"tick 1\n" + std::string(1001, ' ') + "\n", "2: the line is longer than 1000 characters"},
    };
    for (const Case& c : cases) {
        const Reading reading = Read(c.script);
        EXPECT_EQ("play.txt:" + c.message, reading.error) << "script: " << c.script;
    }
}

TEST(ReplayScriptTest, AHugeLineOrRandomBytesEndInAFaultOrAnEnd)
{
    // A 20 MB line is refused at its first kilobyte.
    const Reading huge = Read(std::string(20 * 1024 * 1024, 'x'));
    EXPECT_EQ("play.txt:1: the line is longer than 1000 characters", huge.error);

    std::mt19937 random(13);
    for (int round = 0; round < 200; round++) {
        std::string bytes(1 + random() % 300, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random() & 0xff);
        const Reading reading = Read(bytes);
        if (!reading.error.empty()) {
            EXPECT_EQ(0u, reading.error.rfind("play.txt:", 0)) << reading.error;
            EXPECT_EQ(std::string::npos, reading.error.find('\n')) << reading.error;
        }
    }
}

}  // namespace
