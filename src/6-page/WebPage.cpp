#include "WebPage.h"

#include "3-entities/Ship.h"
#include "4-game/Camera.h"
#include "4-game/Game.h"
#include "4-game/GameLoop.h"

#include <GL/freeglut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

const char* const Canvas = "#canvas";
const char* const FlyButton = "#fly";
const char* const FrontButton = "#front";
constexpr unsigned char SpaceKey = ' ';

Game* game = nullptr;
WebPage::Motion motion = nullptr;
bool connected = false;  // the player's input reaches the game
int pointerX = 0;  // the page's pointer, window pixels from the top left
int pointerY = 0;
int framesDrawn = 0;

// A finger on the canvas, CSS pixels.
struct Finger {
    long id;
    long x, y;            // where it was at the last event
    long startX, startY;  // where it touched
    long travel;          // the farthest it has been from there, along either axis
};
std::vector<Finger> fingers;

// The fingers holding each of the page's buttons.
enum Held { Fly, Front };
std::vector<long> holding[2];

void MovePointer(long dx, long dy)
{
    pointerX += static_cast<int>(dx);
    pointerY += static_cast<int>(dy);
}

void Fire()
{
    game->OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, pointerX, pointerY);
    game->OnMouse(GLUT_LEFT_BUTTON, GLUT_UP, pointerX, pointerY);
}

void Press(Held button, bool down)
{
    if (button == Fly) {
        if (down)
            game->OnKeyDown(SpaceKey);
        else
            game->OnKeyUp(SpaceKey);
    } else {
        game->OnMouse(GLUT_RIGHT_BUTTON, down ? GLUT_DOWN : GLUT_UP, pointerX, pointerY);
    }
}

EM_BOOL OnMove(int, const EmscriptenMouseEvent* event, void*)
{
    MovePointer(event->movementX, event->movementY);
    if (event->buttons == 0 && connected)
        motion(pointerX, pointerY);
    return EM_TRUE;
}

// Consumed, so that the browser neither scrolls nor zooms nor makes mouse
// events of it (which would ask for Pointer Lock and fire).
EM_BOOL OnViewTouch(int type, const EmscriptenTouchEvent* event, void*)
{
    if (!connected)
        return EM_TRUE;
    bool moved = false;
    for (int i = 0; i < event->numTouches; i++) {
        const EmscriptenTouchPoint& touch = event->touches[i];
        if (!touch.isChanged)
            continue;
        const auto finger = std::find_if(fingers.begin(), fingers.end(),
                                         [&](const Finger& f) { return f.id == touch.identifier; });
        if (type == EMSCRIPTEN_EVENT_TOUCHSTART) {
            if (finger == fingers.end())
                fingers.push_back({touch.identifier, touch.clientX, touch.clientY, touch.clientX, touch.clientY, 0});
            continue;
        }
        if (finger == fingers.end())
            continue;
        if (type == EMSCRIPTEN_EVENT_TOUCHMOVE) {
            MovePointer(touch.clientX - finger->x, touch.clientY - finger->y);
            finger->x = touch.clientX;
            finger->y = touch.clientY;
            finger->travel = std::max({finger->travel, std::labs(finger->x - finger->startX),
                                       std::labs(finger->y - finger->startY)});
            moved = true;
            continue;
        }
        const bool tap = type == EMSCRIPTEN_EVENT_TOUCHEND && finger->travel <= WebPage::TapTravel;
        fingers.erase(finger);
        if (tap)
            Fire();
    }
    if (moved)
        motion(pointerX, pointerY);
    return EM_TRUE;
}

EM_BOOL OnButtonTouch(int type, const EmscriptenTouchEvent* event, void* which)
{
    if (!connected)
        return EM_TRUE;
    const Held button = which == &holding[Fly] ? Fly : Front;
    std::vector<long>& ids = holding[button];
    const bool wasHeld = !ids.empty();
    for (int i = 0; i < event->numTouches; i++) {
        const EmscriptenTouchPoint& touch = event->touches[i];
        if (!touch.isChanged)
            continue;
        const auto id = std::find(ids.begin(), ids.end(), touch.identifier);
        if (type == EMSCRIPTEN_EVENT_TOUCHSTART && id == ids.end())
            ids.push_back(touch.identifier);
        else if (type != EMSCRIPTEN_EVENT_TOUCHSTART && id != ids.end())
            ids.erase(id);
    }
    if (wasHeld != !ids.empty())
        Press(button, !ids.empty());
    return EM_TRUE;
}

void ListenToTouches(const char* target, void* data, em_touch_callback_func callback)
{
    emscripten_set_touchstart_callback(target, data, EM_TRUE, callback);
    emscripten_set_touchmove_callback(target, data, EM_TRUE, callback);
    emscripten_set_touchend_callback(target, data, EM_TRUE, callback);
    emscripten_set_touchcancel_callback(target, data, EM_TRUE, callback);
}

EM_BOOL OnPress(int, const EmscriptenMouseEvent*, void*)
{
    EmscriptenPointerlockChangeEvent state;
    if (emscripten_get_pointerlock_status(&state) == EMSCRIPTEN_RESULT_SUCCESS && !state.isActive)
        emscripten_request_pointerlock(Canvas, EM_FALSE);
    // Not consumed: GLUT sees the press too and fires.
    return EM_FALSE;
}

EM_JS(void, SetGameState, (int frames, float angleH, float angleV, int thrust, int lookBack, int bullets,
                           int explosions, float x, float y, float z, double played), {
    Module.lastGameState = {
        frames: frames, angleH: angleH, angleV: angleV, thrust: thrust, lookBack: lookBack !== 0,
        bullets: bullets, explosions: explosions, ship: [x, y, z], played: played,
    };
});

}  // namespace

// Called by Module.gameState.
extern "C" EMSCRIPTEN_KEEPALIVE void CorvanePublishState()
{
    const Camera& camera = *game->GetCamera();
    const Ship& ship = *game->GetShip();
    const Vector3f position = ship.GetPosition();
    SetGameState(framesDrawn, camera.GetAngleH(), camera.GetAngleV(), ship.GetThrust(), game->IsLookBack() ? 1 : 0,
                 static_cast<int>(game->GetBullets().size()), static_cast<int>(game->GetExplosions().size()),
                 position.x, position.y, position.z, GameLoop::GetPlayed());
}

void WebPage::Connect(Game& played, int width, int height, Motion onMotion)
{
    game = &played;
    motion = onMotion;
    connected = true;
    pointerX = width / 2;
    pointerY = height / 2;
    emscripten_set_mousemove_callback(Canvas, nullptr, EM_TRUE, OnMove);
    emscripten_set_mousedown_callback(Canvas, nullptr, EM_TRUE, OnPress);
    ListenToTouches(Canvas, nullptr, OnViewTouch);
    ListenToTouches(FlyButton, &holding[Fly], OnButtonTouch);
    ListenToTouches(FrontButton, &holding[Front], OnButtonTouch);
    EM_ASM({
        "touchstart touchmove touchend".split(" ").forEach(function(type) {
            window.removeEventListener(type, GLUT.touchHandler, true);
        });
        Module.gameState = function() {
            _CorvanePublishState();
            return Module.lastGameState;
        };
    });
}

void WebPage::DisconnectInput()
{
    connected = false;
}

void WebPage::FrameDrawn(const char* name)
{
    framesDrawn++;
    EM_ASM({
        Module.frames = $0;
        if (Module.frames === 1) {
            Module.firstFrameTime = performance.now();
            if (Module.onFirstFrame)
                Module.onFirstFrame();
        }
        var name = $1 ? UTF8ToString($1) : null;
        if (name)
            Module.replay.keep(name);
        if (Module.onFrame)
            Module.onFrame(name);
    }, framesDrawn, name);
}
