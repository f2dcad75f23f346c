// An in-memory byte stream, handed out by TCompressionManager::ReadEntryStream and
// owned by the caller.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace kf {

class TMemoryStream
{
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string data) : FData(std::move(data)) {}

    int32_t Read(void* buffer, int32_t count)
    {
        int64_t available = static_cast<int64_t>(FData.size()) - FPosition;
        int32_t n = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(count, available)));
        if (n > 0)
            std::memcpy(buffer, FData.data() + FPosition, n);
        FPosition += n;
        return n;
    }
    void Write(const void* buffer, int32_t count)
    {
        if (count <= 0)
            return;
        size_t end = static_cast<size_t>(FPosition) + count;
        if (end > FData.size())
            FData.resize(end);
        std::memcpy(&FData[FPosition], buffer, count);
        FPosition = static_cast<int64_t>(end);
    }
    void Seek(int64_t position) { FPosition = std::max<int64_t>(0, position); }
    int64_t Position() const { return FPosition; }
    int64_t Size() const { return static_cast<int64_t>(FData.size()); }
    const std::string& Data() const { return FData; }

private:
    std::string FData;
    int64_t FPosition = 0;
};

} // namespace kf
