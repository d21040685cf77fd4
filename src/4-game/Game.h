#pragma once

#include "0-math/BoundingBox.h"
#include "0-math/Vector3f.h"
#include "3-entities/Bullet.h"
#include "StepClock.h"

#include <vector>

class Camera;
class GameSounds;
class Particles;
class Ship;
class Skybox;
class Terrain;
class Texture;

// The whole scene: sky box, terrain, the player's ship, the camera, the tower
// props, the bullets in flight, the explosions, and the target region a
// bullet must come down into to explode. The GLUT callbacks reach the game
// only through Update, Render and the input handlers.
//
// Init loads every asset relative to the working directory and needs a
// current OpenGL context with a GLUT window (the camera warps the pointer).
class Game {
public:
    // Projection set by the window's reshape handler (GlWindow::Reshape).
    static constexpr double FieldOfView = 45.0;  // vertical, degrees
    static constexpr double NearPlane = 0.1;
    static constexpr double FarPlane = 10000.0;

    static constexpr float EyeDistance = 30.0f;  // ship to eye, along the view direction
    static constexpr float ViewDrop = 5.0f;      // the view is shifted down by this in eye space
    static constexpr float ShipSpeed = 1.0f;     // world units per unit of dt while thrusting
    static constexpr float TowerTop = 5.0f;      // a tower reaches this far above and below the ground
    static constexpr double MillisecondsPerDtUnit = 10.0;  // dt counts hundredths of a second
    // A tick advances the world in steps of exactly StepDt, as many as its dt
    // and the fraction of a unit carried from the ticks before make, and at
    // most MaxStepsPerTick: the game plays the same at any frame rate down to
    // 100 / MaxTickDt frames a second. The time a tick brings beyond
    // MaxTickDt is dropped, so below that rate, and after a stall, the game
    // slows down instead of leaping ahead.
    static constexpr float StepDt = 1.0f;
    static constexpr int MaxStepsPerTick = 25;
    static constexpr float MaxTickDt = StepDt * MaxStepsPerTick;

    // The dt of a tick from the window's elapsed times (milliseconds) at the
    // previous tick and now. Never clamped: a late tick gets a larger dt
    // (which Update plays in steps, up to MaxTickDt).
    static float TickDt(float previousMilliseconds, float nowMilliseconds);

    Game(int width, int height);  // no scene objects until Init
    // The running game is never destroyed; this releases everything Init
    // made, for tests and benchmarks (with the OpenGL context still current).
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // The steps of Init, in their order: the sky box, then each of its
    // faces; the terrain, then its levels and its buffers.
    enum InitStep {
        InitShip,
        InitTowerTexture,
        InitSkybox,
        InitSkyUp,
        InitSkyDown,
        InitSkyOut,
        InitSkyIn,
        InitSkyLeft,
        InitSkyRight,
        InitTerrain,
        InitTerrainLevels,
        InitTerrainBuffers,
        InitTargetRegion,
        InitCamera,
        InitStepCount
    };

    // Creates, in order: ship, tower texture, sky box, terrain, target region,
    // camera (whose constructor warps the pointer). Prints nothing itself;
    // missing assets leave objects empty or untextured. Call once.
    void Init();
    // One step of Init: the same objects, made the same way. Running every
    // step once, in order, is Init; a caller that must return to its event
    // loop in between (the page) runs them one at a time.
    void Init(InitStep step);

    // One tick (GameUpdate.cpp): the camera, then the world in whole steps
    // of StepDt: each moves the ship, every live bullet (moved, then tested
    // against the target region; a hit becomes an explosion at its moved
    // position), then every explosion. dt and the fraction of a unit carried
    // from the ticks before make the steps; what is left of a unit is
    // carried to the next tick. A tick that brings less than a unit in all
    // leaves the world as it is; one that brings more than MaxTickDt (a
    // stall, or the first tick, which counts the loading) plays MaxTickDt and
    // drops the rest, carry included. So ticks of any length pass through
    // exactly the states of ticks of dt 1. Bullets and explosions that can no
    // longer be seen or hit are released here. Returns the game time the
    // steps played: a whole number of units, from 0 to MaxTickDt.
    float Update(float dt);

    // Input (GameUpdate.cpp). Left press fires; right press fires and sets
    // lookBack, right release clears it; other buttons do nothing.
    void OnMouse(int button, int state, int x, int y);
    void OnPassiveMotion(int x, int y);  // turns camera and ship, requests a redraw
    void OnKeyDown(unsigned char key);   // space: thrust on; any key requests a redraw
    void OnKeyUp(unsigned char key);     // space: thrust off, unless the pad holds it
    // The window now shows width x height pixels, its viewport and
    // projection set to match (GlWindow::Reshape): later frames choose the
    // terrain's detail for them. A window of no area shows nothing and is
    // ignored.
    void OnReshape(int width, int height);

    // A gamepad beside the mouse and keys (GameUpdate.cpp). It holds thrust
    // and the front view apart from them: thrust is on while the space bar
    // or the pad holds it, the front shown while the right button or the pad
    // holds it, so letting go of one never ends what the other still holds.
    // None of these requests a redraw: the pad is read in the tick, which does.
    void Turn(float right, float down);  // degrees, camera and ship, as pointer motion of as many pixels
    void OnPadFire();                    // one shot, as a left press
    void OnPadThrust(bool held);
    void OnPadFront(bool held);          // its press also fires, as the right button's does

    // The whole frame (GameRender.cpp), into buffers the caller cleared; the
    // caller swaps. Leaves the view transform on the model-view stack.
    void Render();

    // The eye of the frame: EyeDistance behind the ship along the camera's
    // view direction, or in front of it while lookBack.
    Vector3f GetEye() const;

    // Who hears the game (none by default): told of every bullet fired and
    // every explosion made, as it happens. Not owned.
    void SetSounds(GameSounds* listener) { sounds = listener; }

    // Read access for tests and tools.
    Ship* GetShip() const { return ship; }
    Camera* GetCamera() const { return camera; }
    Terrain* GetTerrain() const { return terrain; }
    const Texture* GetTowerTexture() const { return towerTexture; }
    bool IsLookBack() const { return lookBack; }
    const std::vector<Bullet>& GetBullets() const { return bullets; }
    const std::vector<Particles*>& GetExplosions() const { return explosions; }
    const BoundingBox& GetTargetBox() const { return targetBox; }

private:
    void Step();  // one step of the world, StepDt long: ship, bullets, explosions
    void Fire();
    // True for a live bullet that can never hit nor be seen again.
    bool IsOutOfPlay(const Bullet& bullet, Vector3f shipPosition) const;

    Skybox* skybox;          // owned
    Terrain* terrain;        // owned
    Ship* ship;              // owned
    Camera* camera;          // owned
    Texture* towerTexture;   // owned ("tower.tga"); its OpenGL texture lives with the context
    int width;               // window size given to the constructor; resizing does not change it
    int height;
    int viewportWidth;       // the window's size as last reshaped (at first the constructor's), pixels
    int viewportHeight;
    bool lookBack;           // true while the right button or the pad's front is held: eye in front of the ship
    bool spaceHeld;          // who holds thrust and the front: the space bar, the right button, the pad
    bool rightHeld;
    bool padThrust;
    bool padFront;
    std::vector<Bullet> bullets;         // live bullets in firing order
    std::vector<Particles*> explosions;  // owned; explosions with particles left, in creation order
    BoundingBox targetBox;   // every point no higher than a tower's top; never transformed
    GameSounds* sounds;      // not owned; null: nobody listens
    StepClock clock;         // the steps ticks make, and the fraction of a unit carried
};
