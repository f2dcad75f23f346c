// The archive code reads files, so each fuzz input is written to a scratch file first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

inline std::string FuzzScratchPath(const char* tag)
{
    return "/tmp/kf-fuzz-" + std::string(tag) + "-" + std::to_string(getpid());
}

inline void WriteFuzzInput(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    if (size)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
}
