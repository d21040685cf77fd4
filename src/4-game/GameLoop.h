#pragma once

class Game;
class GameSounds;

// The GLUT callbacks that drive the one game, the same for the window and
// the page: the display (clear, Render, swap), keys, buttons, the window's
// reshape, pointer motion with no button held and the 10 ms tick. Each
// forwards to the game; the tick also tells the game's sounds what it
// played and asks for a redraw. The shells around it (the window's main,
// the page) add what only they have through the hooks.
class GameLoop {
public:
    static constexpr unsigned int TickMilliseconds = 10;

    using FrameHook = void (*)();  // after each frame is swapped
    // After each tick, with the game time it played (what Game::Update
    // returned): what the hook does to the game comes between two ticks, as
    // events do.
    using TickHook = void (*)(float played);

    // Registers every callback but the timer's on the current window, for
    // game (initialised) heard through sounds; both live as long as the
    // program. Pointer motion is registered only with passiveMotion true
    // (the page reports its own pointer, see PassiveMotion).
    static void Connect(Game& game, GameSounds& sounds, bool passiveMotion);
    static void SetFrameHook(FrameHook hook) { frameHook = hook; }
    static void SetTickHook(TickHook hook) { tickHook = hook; }

    // Arms the first tick. The first dt counts from the program's start, so
    // it takes in the loading (Game::Update plays it in steps, up to its own
    // limit, and drops the rest).
    static void StartClock();

    // The game time the ticks have played since StartClock, in hundredths of
    // a second: the sum of what their Game::Update returned.
    static double GetPlayed() { return totalPlayed; }

    // The passive-motion callback: the pointer at (x, y) with no button held.
    static void PassiveMotion(int x, int y);

private:
    static void Display();
    static void Tick(int);

    static FrameHook frameHook;
    static TickHook tickHook;
    static double totalPlayed;
};
