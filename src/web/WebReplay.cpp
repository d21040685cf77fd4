#include "WebReplay.h"

#include "WebPage.h"

#include "app/Game.h"
#include "app/GlWindow.h"

#include <GL/freeglut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <utility>

namespace {

EM_JS(void, ReplayEnded, (double ticks), {
    Module.replay.end(ticks);
});

}  // namespace

bool WebReplay::Load(std::string text, const std::string& scriptName, std::string& error)
{
    name = scriptName;
    {
        std::istringstream check(text);
        ReplayScript whole(check, name, GlWindow::Width, GlWindow::Height);
        ReplayCommand command;
        while (whole.Next(command)) {
        }
        if (whole.Failed()) {
            error = whole.GetError();
            return false;
        }
    }
    in.str(std::move(text));
    script = std::make_unique<ReplayScript>(in, name, GlWindow::Width, GlWindow::Height);
    return true;
}

void WebReplay::Play(Game& played)
{
    game = &played;
    pointerX = GlWindow::Width / 2;
    pointerY = GlWindow::Height / 2;
    // Only the script moves the game, and only the replay draws: the redraws
    // that the game's handlers ask for are merged into its next draw, as in
    // the desktop tool.
    glutDisplayFunc(nullptr);
    glutKeyboardFunc(nullptr);
    glutKeyboardUpFunc(nullptr);
    glutMouseFunc(nullptr);
    WebPage::DisconnectInput();
    emscripten_request_animation_frame_loop(OnAnimationFrame, this);
}

int WebReplay::OnAnimationFrame(double now, void* self)
{
    WebReplay& replay = *static_cast<WebReplay*>(self);
    if (now < replay.notBefore)
        return EM_TRUE;
    return replay.Advance(now) ? EM_TRUE : EM_FALSE;
}

bool WebReplay::Advance(double now)
{
    for (;;) {
        if (ticksLeft > 0) {
            ticksLeft--;
            game->Update(tickDt);
            ticksPlayed++;
            notBefore = now + tickDt * Game::MillisecondsPerDtUnit;
            Draw(nullptr);
            return true;
        }
        ReplayCommand command;
        if (!script->Next(command)) {
            // The same bytes read to their end in Load: this is the end, not a fault.
            ReplayEnded(static_cast<double>(ticksPlayed));
            return false;
        }
        const int button = command.button == ReplayCommand::Button::Left ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON;
        switch (command.kind) {
        case ReplayCommand::Kind::Tick:
            ticksLeft = command.count;
            tickDt = command.dt;
            break;
        case ReplayCommand::Kind::Pointer:
            pointerX = command.x;
            pointerY = command.y;
            game->OnPassiveMotion(pointerX, pointerY);
            break;
        case ReplayCommand::Kind::Press:
            game->OnMouse(button, GLUT_DOWN, pointerX, pointerY);
            break;
        case ReplayCommand::Kind::Release:
            game->OnMouse(button, GLUT_UP, pointerX, pointerY);
            break;
        case ReplayCommand::Kind::KeyDown:
            game->OnKeyDown(command.key);
            break;
        case ReplayCommand::Kind::KeyUp:
            game->OnKeyUp(command.key);
            break;
        case ReplayCommand::Kind::Frame:
            Draw(command.name.c_str());
            return true;
        }
    }
}

void WebReplay::Draw(const char* frameName)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game->Render();
    WebPage::FrameDrawn(frameName);
}
