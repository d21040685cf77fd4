#pragma once

// The page's sound. A browser lets a page start audio only from a gesture,
// so the game's sound output is opened by the player's first press of a
// button or key anywhere on the page (which, on the view, also fires): until
// then the game runs silent, as without a sound output. The page's sound
// control (Module.soundOn, false for off; Module.soundChanged() after it
// changes) turns the listener's gain to 0 and back to 1.
class WebSound {
public:
    using Start = void (*)();

    // start opens the sound output and loads the sounds; it runs once, inside
    // the first gesture's event.
    static void StartOnFirstGesture(Start start);
};
