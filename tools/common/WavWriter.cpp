#include "WavWriter.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

WavWriter::~WavWriter()
{
    if (file != nullptr)
        std::fclose(file);
}

bool WavWriter::Open(const std::string& wavPath, int channelCount, int sampleRate, std::string& error)
{
    path = wavPath;
    channels = channelCount;
    rate = sampleRate;
    frames = 0;
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "could not open '" + path + "' for writing: " + std::strerror(errno);
        return false;
    }
    return WriteHeader(error);
}

bool WavWriter::WriteHeader(std::string& error)
{
    const std::uint64_t dataBytes = frames * static_cast<std::uint64_t>(channels) * 2;
    std::vector<std::uint8_t> header;
    PutTag(header, "RIFF");
    Put32(header, static_cast<std::uint32_t>(36 + dataBytes));
    PutTag(header, "WAVE");
    PutTag(header, "fmt ");
    Put32(header, 16);
    Put16(header, 1);  // PCM
    Put16(header, static_cast<std::uint32_t>(channels));
    Put32(header, static_cast<std::uint32_t>(rate));
    Put32(header, static_cast<std::uint32_t>(rate * channels * 2));  // bytes a second
    Put16(header, static_cast<std::uint32_t>(channels * 2));         // bytes a frame
    Put16(header, 16);
    PutTag(header, "data");
    Put32(header, static_cast<std::uint32_t>(dataBytes));
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
        error = "could not write to '" + path + "' (is the disk full?)";
        return false;
    }
    return true;
}

bool WavWriter::Write(const std::int16_t* samples, std::size_t count, std::string& error)
{
    if (file == nullptr) {
        error = "'" + path + "' is not open";
        return false;
    }
    const std::size_t values = count * static_cast<std::size_t>(channels);
    if ((frames + count) * static_cast<std::uint64_t>(channels) * 2 > MaxDataBytes) {
        error = "'" + path + "' would hold more sound than a WAVE file can (4 GB)";
        return false;
    }
    // Little-endian on disk, whatever the machine.
    std::vector<std::uint8_t> bytes(values * 2);
    for (std::size_t i = 0; i < values; i++) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<std::uint8_t>(v);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    if (std::fseek(file, 0, SEEK_END) != 0 || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        error = "could not write to '" + path + "' (is the disk full?)";
        return false;
    }
    frames += count;
    return true;
}

bool WavWriter::Close(std::string& error)
{
    if (file == nullptr) {
        error = "'" + path + "' is not open";
        return false;
    }
    const bool header = WriteHeader(error);
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (header && !closed) {
        error = "could not finish '" + path + "' (is the disk full?)";
        return false;
    }
    return header;
}
