// corvane-assets OUTDIR: writes the game's generated assets.
#include "ShipModel.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-assets OUTDIR\n");
        return 2;
    }
    std::string error;
    if (!WriteShipModel(argv[1], error)) {
        std::fprintf(stderr, "corvane-assets: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
