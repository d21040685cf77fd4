#pragma once

#include <string>

// The game's window and OpenGL context, set up one way for the game, its
// tests, its tools and its fuzz targets: a GLUT window with the game's display
// mode (RGBA, double buffered, depth, multisampled), GLEW initialised, and the
// game's starting OpenGL state and projection.
class GlWindow {
public:
    static constexpr int Width = 800;  // the game's window
    static constexpr int Height = 600;

    GlWindow() = default;
    ~GlWindow();  // Close()
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    // True when DISPLAY names an X display. Without one, GLUT ends the
    // program on the first window, so callers that explain failures ask first.
    static bool HasDisplay();

    // Opens a window of width x height, shown or never shown, and makes its
    // context current; then GLEW, the starting state and Reshape(width, height).
    // argc and argv, when given, go to GLUT for its own options. False when
    // GLEW cannot start; the window is open all the same until Close. Once
    // per program.
    bool Open(const char* title, int width, int height, bool shown, int* argc = nullptr, char** argv = nullptr);
    // For the tools: a never-shown window of the game's size, with the buffer
    // objects the game's models need. False with a sentence saying why when
    // there is no display or no buffer objects.
    bool OpenHidden(const char* title, std::string& error);
    // Destroys the window and ends GLUT, so leak checks see only our code;
    // nothing when no window is open.
    void Close();
    int GetId() const { return id; }

    // The state every frame of the game starts from: white clear colour
    // (alpha 0), depth cleared to 1, depth test, 2D texturing, smooth shading,
    // textures modulating the current colour.
    static void SetStartingState();
    // The viewport and the game's perspective for a window of width x height.
    // A window without height has no aspect ratio: the projection is kept.
    static void Reshape(int width, int height);

private:
    int id = 0;  // GLUT's window id; 0 = none
};
