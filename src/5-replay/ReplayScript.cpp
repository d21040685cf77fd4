#include "ReplayScript.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <utility>

namespace {

constexpr std::size_t ChunkSize = 64 * 1024;
constexpr std::size_t QuotedLength = 40;  // longer words are cut in messages

// A word as it appears in a message: quoted, cut short, bytes that are not
// printable ASCII written as \xNN.
std::string Quote(std::string_view word)
{
    static const char Hex[] = "0123456789abcdef";
    std::string quoted = "'";
    for (std::size_t i = 0; i < word.size() && i < QuotedLength; i++) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            quoted += static_cast<char>(c);
        } else {
            quoted += "\\x";
            quoted += Hex[c >> 4];
            quoted += Hex[c & 15];
        }
    }
    if (word.size() > QuotedLength)
        quoted += "...";
    return quoted + "'";
}

// Words of a line up to a '#', split at spaces and tabs.
std::vector<std::string_view> Split(std::string_view text)
{
    std::vector<std::string_view> words;
    const std::size_t comment = text.find('#');
    if (comment != std::string_view::npos)
        text = text.substr(0, comment);
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            i++;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            i++;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

const char* Plural(std::size_t count)
{
    return count == 1 ? "" : "s";
}

bool EqualsIgnoringCase(std::string_view word, std::string_view lower)
{
    if (word.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < word.size(); i++) {
        if (std::tolower(static_cast<unsigned char>(word[i])) != lower[i])
            return false;
    }
    return true;
}

enum class Number { NotOne, OutOfRange, Read };

// Reads the whole word as std::from_chars reads a float in fixed notation
// (which the page's C++ library does not offer): an optional '-', then
// digits with at most one '.', or inf, infinity, nan or nan(CHARS) in any
// case. Rounds to the nearest float; OutOfRange when the value is too
// large for a float, or too small for any but zero.
Number ReadFixed(std::string_view word, float& value)
{
    const bool negative = !word.empty() && word[0] == '-';
    const std::string_view body = word.substr(negative ? 1 : 0);
    if (EqualsIgnoringCase(body, "inf") || EqualsIgnoringCase(body, "infinity")) {
        value = negative ? -HUGE_VALF : HUGE_VALF;
        return Number::Read;
    }
    if (EqualsIgnoringCase(body.substr(0, 3), "nan")) {
        const std::string_view rest = body.substr(3);
        bool chars = rest.size() >= 2 && rest.front() == '(' && rest.back() == ')';
        for (std::size_t i = 1; chars && i + 1 < rest.size(); i++)
            chars = std::isalnum(static_cast<unsigned char>(rest[i])) || rest[i] == '_';
        if (!rest.empty() && !chars)
            return Number::NotOne;
        value = std::nanf("");
        return Number::Read;
    }
    std::size_t digits = 0;
    bool point = false;
    for (const char c : body) {
        if (c >= '0' && c <= '9')
            digits++;
        else if (c == '.' && !point)
            point = true;
        else
            return Number::NotOne;
    }
    if (digits == 0)
        return Number::NotOne;
    const std::string text(word);
    errno = 0;
    value = std::strtof(text.c_str(), nullptr);
    // strtof flags subnormal results too, which from_chars reads.
    const bool lost = errno == ERANGE && (std::isinf(value) || value == 0.0f);
    return lost ? Number::OutOfRange : Number::Read;
}

}  // namespace

ReplayScript::ReplayScript(std::istream& in, std::string fileName, int width, int height)
    : in(in), fileName(std::move(fileName)), width(width), height(height), chunk(ChunkSize)
{
}

bool ReplayScript::Fail(const std::string& what)
{
    error = fileName + ":" + std::to_string(line) + ": " + what;
    return false;
}

bool ReplayScript::ReadLine()
{
    text.clear();
    bool any = false;
    for (;;) {
        if (chunkStart == chunkEnd) {
            chunkStart = chunkEnd = 0;
            if (!in.good())
                break;
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            if (in.bad())
                return Fail("the script could not be read any further");
            chunkEnd = static_cast<std::size_t>(in.gcount());
            if (chunkEnd == 0)
                break;
        }
        if (!any) {
            any = true;
            line++;
        }
        const char* start = chunk.data() + chunkStart;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', chunkEnd - chunkStart));
        const std::size_t length = newline ? static_cast<std::size_t>(newline - start) : chunkEnd - chunkStart;
        // One more than the limit leaves room for a CR before the line end.
        if (text.size() + length > MaxLineLength + 1)
            return Fail("the line is longer than " + std::to_string(MaxLineLength) + " characters");
        text.append(start, length);
        chunkStart += length;
        if (newline) {
            chunkStart++;
            break;
        }
    }
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() > MaxLineLength)
        return Fail("the line is longer than " + std::to_string(MaxLineLength) + " characters");
    return any;
}

bool ReplayScript::Next(ReplayCommand& command)
{
    if (Failed())
        return false;
    while (ReadLine()) {
        const std::vector<std::string_view> words = Split(text);
        if (words.empty())
            continue;
        command = ReplayCommand();
        command.line = line;
        return Parse(words, command);
    }
    return false;
}

bool ReplayScript::Parse(const std::vector<std::string_view>& words, ReplayCommand& command)
{
    const std::string_view name = words[0];
    const std::size_t arguments = words.size() - 1;
    // The form of each command, for messages about its arguments.
    const char* form = nullptr;
    std::size_t expected = 0;
    if (name == "tick") { form = "tick DT"; expected = 1; }
    else if (name == "ticks") { form = "ticks N DT"; expected = 2; }
    else if (name == "pointer") { form = "pointer X Y"; expected = 2; }
    else if (name == "press") { form = "press left|right"; expected = 1; }
    else if (name == "release") { form = "release left|right"; expected = 1; }
    else if (name == "key") { form = "key down|up K"; expected = 2; }
    else if (name == "frame") { form = "frame NAME"; expected = 1; }
    else
        return Fail("unknown command " + Quote(name) + " (tick, ticks, pointer, press, release, key or frame)");
    if (arguments != expected) {
        return Fail(Quote(name) + " takes " + std::to_string(expected) + " argument" + Plural(expected) + " (" +
                    form + "), not " + std::to_string(arguments));
    }

    if (name == "tick" || name == "ticks")
        return ParseTick(words, command);
    if (name == "pointer") {
        command.kind = ReplayCommand::Kind::Pointer;
        if (!ParseCoordinate(words[1], "x", width, command.x) || !ParseCoordinate(words[2], "y", height, command.y))
            return false;
        if (leftDownAt != 0 || rightDownAt != 0) {
            const bool left = leftDownAt != 0;
            return Fail(std::string("the pointer cannot move while the ") + (left ? "left" : "right") +
                        " button is down (pressed on line " + std::to_string(left ? leftDownAt : rightDownAt) +
                        "): the game sees no drags");
        }
        return true;
    }
    if (name == "press" || name == "release")
        return ParseButton(words, command);
    if (name == "key")
        return ParseKey(words, command);
    return ParseFrame(words, command);
}

bool ReplayScript::ParseTick(const std::vector<std::string_view>& words, ReplayCommand& command)
{
    command.kind = ReplayCommand::Kind::Tick;
    command.count = 1;
    if (words.size() == 3) {
        const std::string_view n = words[1];
        long count = 0;
        const auto [end, status] = std::from_chars(n.data(), n.data() + n.size(), count);
        if (status != std::errc() || end != n.data() + n.size() || count < 1 || count > MaxTicks) {
            return Fail("tick count " + Quote(n) + " is not a whole number from 1 to " + std::to_string(MaxTicks));
        }
        command.count = static_cast<int>(count);
    }

    const std::string_view dt = words.back();
    float value = 0.0f;
    const Number number = ReadFixed(dt, value);
    if (number == Number::NotOne)
        return Fail("tick length " + Quote(dt) + " is not a number (hundredths of a second, such as 1 or 2.5)");
    if (number == Number::OutOfRange || !std::isfinite(value) || value <= 0.0f || value > MaxDt) {
        return Fail("tick length " + Quote(dt) + " is out of range: more than 0 and at most " +
                    std::to_string(static_cast<int>(MaxDt)) + " hundredths of a second");
    }
    command.dt = value;
    return true;
}

bool ReplayScript::ParseCoordinate(std::string_view word, const char* axis, int size, int& value)
{
    long number = 0;
    const auto [end, status] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (status == std::errc::invalid_argument || end != word.data() + word.size())
        return Fail(std::string("pointer ") + axis + " " + Quote(word) + " is not a whole number of pixels");
    if (status != std::errc() || number < 0 || number >= size) {
        return Fail(std::string("pointer ") + axis + " " + Quote(word) + " is outside the window (0 to " +
                    std::to_string(size - 1) + ")");
    }
    value = static_cast<int>(number);
    return true;
}

bool ReplayScript::ParseButton(const std::vector<std::string_view>& words, ReplayCommand& command)
{
    const bool press = words[0] == "press";
    command.kind = press ? ReplayCommand::Kind::Press : ReplayCommand::Kind::Release;
    const std::string_view button = words[1];
    long* downAt = nullptr;
    if (button == "left") {
        command.button = ReplayCommand::Button::Left;
        downAt = &leftDownAt;
    } else if (button == "right") {
        command.button = ReplayCommand::Button::Right;
        downAt = &rightDownAt;
    } else {
        return Fail(Quote(words[0]) + " takes left or right, not " + Quote(button));
    }
    const std::string which(button);
    if (press && *downAt != 0)
        return Fail("the " + which + " button is already down (pressed on line " + std::to_string(*downAt) + ")");
    if (!press && *downAt == 0)
        return Fail("the " + which + " button is not down, so it cannot be released");
    *downAt = press ? line : 0;
    return true;
}

bool ReplayScript::ParseKey(const std::vector<std::string_view>& words, ReplayCommand& command)
{
    if (words[1] == "down")
        command.kind = ReplayCommand::Kind::KeyDown;
    else if (words[1] == "up")
        command.kind = ReplayCommand::Kind::KeyUp;
    else
        return Fail("'key' takes down or up, not " + Quote(words[1]));

    const std::string_view key = words[2];
    if (key == "space") {
        command.key = ' ';
        return true;
    }
    // Spaces and tabs separate words and '#' starts a comment, so every
    // single-character word left is a printable character other than space.
    const unsigned char c = key.size() == 1 ? static_cast<unsigned char>(key[0]) : 0;
    if (c < 0x21 || c > 0x7e)
        return Fail("key " + Quote(key) + " is not one printable character nor the word space");
    command.key = c;
    return true;
}

bool ReplayScript::ParseFrame(const std::vector<std::string_view>& words, ReplayCommand& command)
{
    command.kind = ReplayCommand::Kind::Frame;
    const std::string_view name = words[1];
    if (name.size() > MaxNameLength)
        return Fail("frame name " + Quote(name) + " is longer than " + std::to_string(MaxNameLength) + " characters");
    for (const char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '-' || c == '_';
        if (!allowed)
            return Fail("frame name " + Quote(name) + " may hold only letters, digits, '-' and '_'");
    }
    command.name = name;
    return true;
}
