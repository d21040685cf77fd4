#include "ReplayPlayer.h"

#include "ReplayAudio.h"

#include "app/Game.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <stb_image_write.h>

#include <cerrno>
#include <cstring>
#include <utility>

ReplayPlayer::ReplayPlayer(Game& game, int width, int height, std::string outDir)
    : game(game), width(width), height(height), outDir(std::move(outDir)), pointerX(width / 2), pointerY(height / 2)
{
}

bool ReplayPlayer::Play(const ReplayCommand& command, std::string& error)
{
    const int button = command.button == ReplayCommand::Button::Left ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON;
    switch (command.kind) {
    case ReplayCommand::Kind::Tick:
        for (int i = 0; i < command.count; i++) {
            game.Update(command.dt);
            if (audio != nullptr && !audio->AfterTick(command.dt, error))
                return false;
            Draw();
        }
        return true;
    case ReplayCommand::Kind::Pointer:
        pointerX = command.x;
        pointerY = command.y;
        game.OnPassiveMotion(pointerX, pointerY);
        return true;
    case ReplayCommand::Kind::Press:
        game.OnMouse(button, GLUT_DOWN, pointerX, pointerY);
        return true;
    case ReplayCommand::Kind::Release:
        game.OnMouse(button, GLUT_UP, pointerX, pointerY);
        return true;
    case ReplayCommand::Kind::KeyDown:
        game.OnKeyDown(command.key);
        return true;
    case ReplayCommand::Kind::KeyUp:
        game.OnKeyUp(command.key);
        return true;
    case ReplayCommand::Kind::Frame:
        Draw();
        return SaveFrame(command.name, error);
    }
    return true;
}

void ReplayPlayer::Draw()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.Render();
}

bool ReplayPlayer::SaveFrame(const std::string& name, std::string& error)
{
    const int stride = width * 3;
    pixels.resize(static_cast<size_t>(stride) * height);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

    // OpenGL rows run bottom to top, PNG rows top to bottom.
    const std::string path = outDir + "/" + name + ".png";
    const unsigned char* last = pixels.data() + static_cast<size_t>(height - 1) * stride;
    errno = 0;
    if (stbi_write_png(path.c_str(), width, height, 3, last, -stride) == 0) {
        error = "could not write the frame to '" + path + "'" + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
        return false;
    }
    framesSaved++;
    return true;
}
