#include "ReplayPlayer.h"

#include "ReplayScript.h"

#include "4-game/Game.h"
#include "4-game/GameSounds.h"
#include "4-game/GlWindow.h"
#include "4-game/StepClock.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

bool ReplayPlayer::Check(std::istream& in, const std::string& name, std::string& error, double& playedDt)
{
    ReplayScript script(in, name, GlWindow::Width, GlWindow::Height);
    ReplayCommand command;
    // The game's own clock, so the sum is the steps the game will take.
    StepClock clock(Game::MaxStepsPerTick);
    playedDt = 0.0;
    while (script.Next(command)) {
        if (command.kind != ReplayCommand::Kind::Tick)
            continue;
        for (int i = 0; i < command.count; i++)
            playedDt += clock.Tick(command.dt) * static_cast<double>(Game::StepDt);
    }
    error = script.GetError();
    return !script.Failed();
}

ReplayPlayer::ReplayPlayer(Game& game, ReplayScript& script)
    : game(game), script(script), pointerX(GlWindow::Width / 2), pointerY(GlWindow::Height / 2)
{
}

bool ReplayPlayer::Advance(Drawn& drawn)
{
    while (ticksLeft == 0) {
        if (!script.Next(command))
            return false;
        const int button = command.button == ReplayCommand::Button::Left ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON;
        switch (command.kind) {
        case ReplayCommand::Kind::Tick:
            ticksLeft = command.count;
            break;
        case ReplayCommand::Kind::Pointer:
            pointerX = command.x;
            pointerY = command.y;
            game.OnPassiveMotion(pointerX, pointerY);
            break;
        case ReplayCommand::Kind::Press:
            game.OnMouse(button, GLUT_DOWN, pointerX, pointerY);
            break;
        case ReplayCommand::Kind::Release:
            game.OnMouse(button, GLUT_UP, pointerX, pointerY);
            break;
        case ReplayCommand::Kind::KeyDown:
            game.OnKeyDown(command.key);
            break;
        case ReplayCommand::Kind::KeyUp:
            game.OnKeyUp(command.key);
            break;
        case ReplayCommand::Kind::Frame:
            Draw();
            drawn = {command.line, 0.0f, 0.0f, command.name};
            return true;
        }
    }
    ticksLeft--;
    ticksPlayed++;
    const float played = game.Update(command.dt);
    if (sounds != nullptr)
        sounds->Update(game, played);
    Draw();
    drawn = {command.line, command.dt, played, std::string()};
    return true;
}

void ReplayPlayer::Draw()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.Render();
}
