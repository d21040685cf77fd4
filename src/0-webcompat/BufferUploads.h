#pragma once

#include <cstddef>
#include <memory>

// The contents of mapped buffers, sent to WebGL in pieces. The page's
// glUnmapBuffer hands over the block the caller wrote; sending it whole
// would hold the page up for as long as the browser takes to copy it (the
// terrain's 38 MB of vertices: the longest step of the game's start). So a
// block waits here, and goes in pieces of at most a given size from
// Continue, which the page calls between the tasks of its start, or whole
// from Finish, which GlCompat calls before anything can read a buffer or
// change what it holds: before a draw, all; before a buffer is filled anew
// or deleted, that buffer's. Nothing can tell the difference but the time
// it takes.
class BufferUploads {
public:
    // Keeps size bytes for buffer, a buffer object of GL_ARRAY_BUFFER or
    // GL_ELEMENT_ARRAY_BUFFER (target), to be sent from offset 0.
    static void Add(unsigned int target, unsigned int buffer, std::unique_ptr<unsigned char[]> bytes,
                    std::size_t size);

    // Sends at most maxBytes of what waits, in the order it was added, with
    // the caller's buffer bindings left as they were. True while more waits.
    static bool Continue(std::size_t maxBytes);

    // Sends everything that waits.
    static void Finish();
    // Sends what waits for buffer.
    static void Finish(unsigned int buffer);

    static bool Waiting();  // true while something waits
};
