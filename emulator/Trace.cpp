#include "emulator/Trace.h"

namespace emulator {

Trace::~Trace()
{
    Close();
}

bool Trace::Open(const std::string& path)
{
    Close();
    if (path.empty())
        return true;
    // Binary: lines end in a line feed alone on every system, as readers of the trace expect.
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_)
        return false;
    path_ = path;
    return true;
}

void Trace::Close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    path_.clear();
}

void Trace::Write(std::uint64_t moment, const std::string& call)
{
    if (!file_)
        return;
    std::fprintf(file_, "t=%llu %s\n", static_cast<unsigned long long>(moment), call.c_str());
    std::fflush(file_);
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

} // namespace emulator
