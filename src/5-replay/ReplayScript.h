#pragma once

#include "ReplayCommand.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// Reads a replay script one command at a time, holding only the current line,
// so a script of any size is checked in constant memory.
//
// One command a line; words are separated by spaces or tabs; '#' starts a
// comment; blank lines are skipped; a CR before the line end is ignored.
//   tick DT             one tick of DT hundredths of a second, 0 < DT <= MaxDt
//   ticks N DT          N such ticks, 1 <= N <= MaxTicks
//   pointer X Y         pointer motion with no button held, inside the window
//   press left|right    a button goes down (only when it is up)
//   release left|right  a button comes up (only when it is down)
//   key down|up K       K one printable character, or the word space
//   frame NAME          NAME: 1 to MaxNameLength letters, digits, '-' and '_'
class ReplayScript {
public:
    static constexpr std::size_t MaxLineLength = 1000;  // characters, without the line end
    static constexpr int MaxTicks = 100000;              // per ticks command
    static constexpr float MaxDt = 10000.0f;             // hundredths of a second
    static constexpr std::size_t MaxNameLength = 100;    // characters of a frame name

    // Reads from in, which must outlive the script. fileName names the script
    // in error messages only; width x height is the window the pointer moves in.
    ReplayScript(std::istream& in, std::string fileName, int width, int height);

    // The next command. False at the end of the script and at the first fault;
    // after a fault it stays false and GetError says "FILE:LINE: what is wrong".
    bool Next(ReplayCommand& command);

    bool Failed() const { return !error.empty(); }
    const std::string& GetError() const { return error; }
    long GetLine() const { return line; }  // lines read so far

private:
    bool ReadLine();  // the next line into text; false at the end or on a fault
    bool Parse(const std::vector<std::string_view>& words, ReplayCommand& command);
    bool ParseTick(const std::vector<std::string_view>& words, ReplayCommand& command);
    bool ParseButton(const std::vector<std::string_view>& words, ReplayCommand& command);
    bool ParseKey(const std::vector<std::string_view>& words, ReplayCommand& command);
    bool ParseFrame(const std::vector<std::string_view>& words, ReplayCommand& command);
    bool ParseCoordinate(std::string_view word, const char* axis, int size, int& value);
    bool Fail(const std::string& what);  // records "FILE:LINE: what"; returns false

    std::istream& in;
    std::string fileName;
    int width;
    int height;
    long line = 0;                 // 1-based number of the line in text
    std::string text;              // the current line, without its end
    std::string error;             // empty until the first fault
    std::vector<char> chunk;       // bytes read ahead of the current line
    std::size_t chunkStart = 0;    // first unread byte of chunk
    std::size_t chunkEnd = 0;      // end of the bytes read into chunk
    long leftDownAt = 0;           // line that pressed the left button, 0 while it is up
    long rightDownAt = 0;          // the same for the right button
};
