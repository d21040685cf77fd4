// Built into every program of a sanitizer build (game, tools, tests, fuzz
// targets); options from ASAN_OPTIONS are applied on top of these.
//
// NOTE: intercept_tls_get_addr=0 keeps LeakSanitizer from guessing the bounds
// of dynamic TLS blocks. The runtimes of GCC 12 and clang 14 take a block that
// starts 16 bytes past a 4 KiB boundary for an old glibc layout and read the
// allocator's own chunk header in front of it as the block's start and size;
// the leak check at exit then scans from a bogus low address and dies
// ("Tracer caught signal 11"). Whether a block lands there depends only on the
// allocation sequence, so the same test failed nearly every time. This glibc
// allocates dynamic TLS blocks with malloc, and the TLS block and its vector
// stay reachable from the thread, so the leak check still scans them as heap.
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}
