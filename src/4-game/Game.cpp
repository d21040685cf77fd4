#include "Game.h"

#include "Camera.h"
#include "1-world/Ground.h"
#include "1-world/Skybox.h"
#include "1-world/Terrain.h"
#include "1-world/Texture.h"
#include "3-entities/Particles.h"
#include "3-entities/Ship.h"

#include <cfloat>

namespace {

const Vector3f ShipStart(0.0f, 0.0f, 20.0f);
const Vector3f ShipStartDirection(0.0f, 0.0f, 1.0f);

constexpr float SkyboxSize = 30.0f;
// Bullets burst from the towers' tops down: 5 above the terrain's highest points.
constexpr float TargetTop = Ground::Height + Game::TowerTop;

// The sky box's images, in the order of its faces and of Init's steps.
const char* const SkyFaceFiles[Skybox::FaceCount] = {
    "Skybox/up.png", "Skybox/down.png", "Skybox/out.png", "Skybox/in.png", "Skybox/left.png", "Skybox/right.png",
};
static_assert(Game::InitSkyRight - Game::InitSkyUp + 1 == Skybox::FaceCount, "a step for each face");

const Vector3f CameraPosition(0.0f, 0.0f, 0.0f);
const Vector3f CameraDirection(0.0f, 0.0f, -1.0f);

}  // namespace

Game::Game(int width, int height)
    : skybox(nullptr), terrain(nullptr), ship(nullptr), camera(nullptr), towerTexture(nullptr),
      width(width), height(height), viewportWidth(width), viewportHeight(height), lookBack(false),
      spaceHeld(false), rightHeld(false), padThrust(false), padFront(false), sounds(nullptr), clock(MaxStepsPerTick)
{
}

Game::~Game()
{
    for (Particles* explosion : explosions)
        delete explosion;
    delete camera;
    delete terrain;
    delete skybox;
    delete towerTexture;
    delete ship;
}

void Game::Init()
{
    for (int step = 0; step < InitStepCount; step++)
        Init(static_cast<InitStep>(step));
}

void Game::Init(InitStep step)
{
    switch (step) {
    case InitShip:
        ship = new Ship(ShipStart, ShipStartDirection, ShipSpeed);
        break;
    case InitTowerTexture:
        towerTexture = new Texture(GL_TEXTURE_2D, "tower.tga");
        towerTexture->Load();
        break;
    case InitSkybox:
        skybox = new Skybox();
        skybox->SetSize(SkyboxSize);
        break;
    case InitSkyUp:
    case InitSkyDown:
    case InitSkyOut:
    case InitSkyIn:
    case InitSkyLeft:
    case InitSkyRight: {
        // Skybox::Init's faces, one a step.
        const int face = step - InitSkyUp;
        skybox->LoadFace(static_cast<Skybox::Face>(face), SkyFaceFiles[face]);
        break;
    }
    case InitTerrain:
        terrain = new Terrain();
        terrain->InitSamples("heightmap.raw");
        break;
    // Terrain::Init's other parts.
    case InitTerrainLevels:
        terrain->InitLevels();
        break;
    case InitTerrainBuffers:
        terrain->InitBuffers();
        break;
    case InitTargetRegion: {
        // World and local corners alike; the box is never transformed.
        const Vector4f low(-FLT_MAX, -FLT_MAX, -FLT_MAX, 1.0f);
        const Vector4f high(FLT_MAX, TargetTop, FLT_MAX, 1.0f);
        targetBox.SetLocalMin(low);
        targetBox.SetMin(low);
        targetBox.SetLocalMax(high);
        targetBox.SetMax(high);
        break;
    }
    case InitCamera:
        // Last: its constructor warps the pointer to the window centre.
        camera = new Camera(width, height, CameraPosition, CameraDirection);
        break;
    case InitStepCount:
        break;
    }
}
