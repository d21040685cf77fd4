#pragma once

class Game;

// What the page adds around the game in place of the desktop's window system.
//
// Pointer: the game steers by pointer positions, as GLUT reports them with
// no button held, and warps the pointer to the window centre at the start.
// A page can neither warp the pointer nor, once the pointer is locked to the
// canvas, report where it is; and the page's GLUT reports each position
// one event late. So the page keeps a pointer of its own: it starts at the
// centre, moves by each event's relative motion (reported whether or not
// the lock was granted), and goes to the game only while no button is held,
// as passive motion does. The first click on the canvas asks for Pointer Lock.
//
// Touch: a finger dragged over the canvas moves the same pointer by the
// finger's motion in CSS pixels, so the view turns a degree per pixel of the
// canvas as it is shown, whatever its size; a touch that ends having
// travelled no more than TapTravel fires, as a left click does. Holding the
// page's "Fly" button (#fly) holds the space bar; holding "Front" (#front)
// holds the right button: the front is shown, and the press fires. Each
// finger is followed by its own identifier, so one thumb flies while the
// other steers. GLUT's own touch handling, which turns every touch on the
// canvas into a click, is switched off.
//
// Frames: the page counts the frames drawn and notes when the first one was
// (Module.frames, Module.firstFrameTime in milliseconds since the page began
// loading). Right after each frame, while the canvas still holds it, it
// calls Module.onFirstFrame after the first one and Module.onFrame after
// every one, each when the page's script has set it (the page puts its
// picture and loading bar away in the first; the tests read frames in the
// second).
//
// State: Module.gameState() returns what the game holds at that moment, read
// only, so that the page's script can see what input did: frames (drawn),
// angleH and angleV (the camera's, degrees), thrust (0 or 1), lookBack,
// bullets and explosions (how many are alive), ship ([x, y, z]) and played
// (the game time the clock's ticks have played, hundredths of a second).
//
// Replay: see WebReplay.
class WebPage {
public:
    using Motion = void (*)(int x, int y);

    // Connects the canvas's pointer and touch events and the page's buttons
    // to motion and game (the pointer starts at the centre of a window of
    // width x height), and game to Module.gameState.
    static void Connect(Game& game, int width, int height, Motion motion);

    // Call after each frame is drawn; name is the replay's name for the
    // frame, which the page keeps, or null.
    static void FrameDrawn(const char* name = nullptr);

    // Stops the player's pointer, touches and the page's buttons from
    // reaching the game.
    static void DisconnectInput();

    // The farthest a touch may travel, in CSS pixels, and still be a tap.
    static constexpr int TapTravel = 10;
};
