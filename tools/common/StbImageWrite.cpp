// The one compiled copy of stb_image_write, for the tools and the test support.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
