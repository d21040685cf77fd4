#pragma once

#include <string>

// One line of a replay script, as ReplayScript reads it.
struct ReplayCommand {
    enum class Kind {
        Tick,     // count ticks of dt each, every one followed by a drawn frame
        Pointer,  // the pointer moves to (x, y) with no button held
        Press,    // button goes down at the current pointer
        Release,  // button comes up at the current pointer
        KeyDown,  // key goes down
        KeyUp,    // key comes up
        Frame,    // the frame is drawn and saved as name + ".png"
    };
    enum class Button { Left, Right };

    Kind kind = Kind::Tick;
    long line = 0;             // 1-based line of the script it came from
    int count = 0;             // Tick: how many ticks
    float dt = 0.0f;           // Tick: length of each, hundredths of a second
    int x = 0;                 // Pointer: window pixels from the left edge
    int y = 0;                 // Pointer: window pixels from the top edge
    Button button = Button::Left;  // Press, Release
    unsigned char key = 0;     // KeyDown, KeyUp: the character, ' ' for space
    std::string name;          // Frame: letters, digits, '-' and '_' only
};
