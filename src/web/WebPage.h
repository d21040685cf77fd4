#pragma once

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
// Frames: the page counts the frames drawn and notes when the first one was
// (Module.frames, Module.firstFrameTime in milliseconds since the page began
// loading), and calls Module.onFrame, when the page's script has set it,
// right after each frame, while the canvas still holds that frame: the tests
// read the frames there.
class WebPage {
public:
    using Motion = void (*)(int x, int y);

    // Connects the canvas's pointer events to motion; the pointer starts at
    // the centre of a window of width x height.
    static void ConnectPointer(int width, int height, Motion motion);

    // Call after each frame is swapped.
    static void FrameDrawn();
};
