#pragma once

#include <string>
#include <vector>

// The frames another program presents into its window, seen one by one
// through an X connection of this program's own. Every presentation of a
// frame damages the whole window (the Damage extension reports it), and
// nothing else does: pointer motion, clicks and reading the pixels back do
// not. So a test can wait for frames rather than for time: for the next one,
// or for the first that shows what it has just told the program.
class WindowFrames {
public:
    // The window's pixels as read back from the X server.
    struct Image {
        int width = 0, height = 0;
        std::vector<unsigned char> rgb;  // top row first

        bool Valid() const { return width > 0 && height > 0; }
        const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    };

    WindowFrames() = default;
    ~WindowFrames();  // Close()
    WindowFrames(const WindowFrames&) = delete;
    WindowFrames& operator=(const WindowFrames&) = delete;

    // Watches window (an X window id) on displayName. False with a sentence in why.
    bool Watch(const std::string& displayName, unsigned long window, std::string& why);
    // Ends the connection; call before the X server goes away, or Xlib ends the program.
    void Close();

    // The window's pixels now, the whole of it; a row or column that lies off
    // the screen repeats its neighbour. Invalid when the window cannot be read.
    Image Capture();

    // Forgets the frames presented so far: Next waits for one that reaches the
    // server after this call.
    void Forget();
    // Waits up to seconds for the next frame presented since the last Next or
    // Forget, and returns the window's pixels after it (invalid when none came).
    Image Next(int seconds);
    // The first frame that shows what the program was told (through the X
    // server, before this call): the second presented after it. The first may
    // have been drawn before the program read its events; the one after it
    // is drawn after the program's next turn through them.
    Image AfterInput(int seconds);

private:
    // The part of the window on the screen, in window pixels: [x0, x1) x [y0, y1).
    bool OnScreen(int& x0, int& y0, int& x1, int& y1);

    struct _XDisplay* display = nullptr;
    unsigned long window = 0;
    unsigned long damage = 0;
    int damageEvent = 0;  // the Damage extension's first event code
    int width = 0;
    int height = 0;
};
