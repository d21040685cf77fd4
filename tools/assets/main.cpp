// corvane-assets OUTDIR: writes the game's generated assets into OUTDIR:
// heightmap.raw, ground.png, Skybox/{up,down,out,in,left,right}.png,
// tower.tga, the ship model and Sounds/{shot,burst,engine}.wav, which the game
// reads, and the desktop icon in
// icons/, which an installation puts in the icon theme. The same build always
// writes the same bytes.
#include "GroundImage.h"
#include "Heightmap.h"
#include "IconImage.h"
#include "ImageFiles.h"
#include "ShipModel.h"
#include "SkyImages.h"
#include "Sounds.h"
#include "TowerImage.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-assets OUTDIR\n"
                             "Writes the game's heightmap, images, ship model and sounds, and its icon, into OUTDIR.\n");
        return 2;
    }
    const std::string outDir = argv[1];
    std::string error;
    const bool written = MakeFolder(outDir, error) && WriteHeightmap(outDir, error) &&
                         WriteGroundImage(outDir, error) && WriteSkyImages(outDir, error) &&
                         WriteTowerImage(outDir, error) && WriteShipModel(outDir, error) &&
                         WriteSounds(outDir, error) && WriteIconImages(outDir, error);
    if (!written) {
        std::fprintf(stderr, "corvane-assets: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
