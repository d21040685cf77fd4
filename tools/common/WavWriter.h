#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Writes a RIFF WAVE file of signed 16-bit PCM as it comes: the header first,
// with its sizes filled in by Close, so that a long recording never needs to
// be held in memory. Every failure is a sentence in error.
class WavWriter {
public:
    // The largest data a WAVE file's 32-bit sizes can describe.
    static constexpr std::uint64_t MaxDataBytes = 0xFFFFFFFFull - 36;

    WavWriter() = default;
    ~WavWriter();  // closes without completing the header: a file not Closed is unfinished
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool Open(const std::string& path, int channels, int rate, std::string& error);
    // frames of channels interleaved samples each.
    bool Write(const std::int16_t* samples, std::size_t frames, std::string& error);
    // Completes the header and closes the file.
    bool Close(std::string& error);

    std::uint64_t GetFrames() const { return frames; }

private:
    bool WriteHeader(std::string& error);

    std::FILE* file = nullptr;
    std::string path;
    int channels = 0;
    int rate = 0;
    std::uint64_t frames = 0;  // written so far
};
