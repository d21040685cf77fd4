#include "ShipModel.h"

bool WriteShipModel(const std::string& outDir, std::string& error)
{
    (void)outDir;
    error.clear();
    return true;  // the ship model is not generated yet
}
