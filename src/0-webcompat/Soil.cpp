// SOIL's image call for the page (see include/SOIL/SOIL.h): a new texture
// from StbUpload. Reusing a texture name and forcing a channel count are
// not offered; the game asks for neither.
#include "StbUpload.h"

#include <SOIL/SOIL.h>

extern "C" unsigned int SOIL_load_OGL_texture(const char* filename, int force_channels, unsigned int reuse_texture_ID,
                                              unsigned int flags)
{
    if (filename == nullptr || force_channels != SOIL_LOAD_AUTO || reuse_texture_ID != SOIL_CREATE_NEW_ID)
        return 0;
    return StbUpload::LoadTexture(filename, flags);
}
