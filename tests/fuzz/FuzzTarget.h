#pragma once

// Each fuzz target defines this libFuzzer entry point. The same source builds
// as a libFuzzer binary (scripts/fuzz) and as a plain replay binary that CTest
// runs over the committed corpus (ReplayMain.cpp).

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional: set-up once before the first input (a target may leave it out).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fuzz {

// Writes the bytes to a private temporary file and returns its path; the file
// is removed by the next call or at exit. For loaders that take file names.
std::string WriteScratchFile(const std::uint8_t* data, std::size_t size, const char* suffix);

// A hidden GLUT window of side x side pixels with GLEW ready, made current;
// false (and nothing done) without an X display in DISPLAY.
bool CreateHiddenContext(const char* name, int side);

}  // namespace fuzz
