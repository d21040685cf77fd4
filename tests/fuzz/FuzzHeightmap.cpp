// Any bytes, any length, as the heightmap file.
#include "FuzzTarget.h"

#include "1-world/Terrain.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteScratchFile(data, size, ".raw");
    static std::vector<unsigned char> samples(Terrain::SampleCount);
    Terrain::ReadHeights(path.c_str(), samples.data());
    // What the file did not fill must be zero, and its first bytes are the samples.
    for (std::size_t i = 0; i < samples.size(); i++) {
        const unsigned char expected = i < size ? data[i] : 0;
        if (samples[i] != expected)
            __builtin_trap();
    }
    return 0;
}
