// d2xx_probe LIBRARY SCENARIO: drives the 16F84A board TVRA0001 through a D2XX library
// directly, below the program, to reach what the program never does on purpose: a write and
// a read that run out of time half way. Prints what each call returned, one "name=value" a
// word, for the end-to-end tests to judge.
//   partial-write  starts a program stream and writes 40 blocks with a 200 ms write time-out;
//                  then collects the acknowledges of the blocks that got through
//   partial-read   starts a read, waits, reads its acknowledge and first block with a read
//                  time-out shorter than the chip's latency timer, then the rest
#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "link/D2xxTypes.h"

namespace {

struct Library {
    PtrToOpenEx openEx;
    PtrToClose close;
    PtrToWrite write;
    PtrToRead read;
    PtrToPurge purge;
    PtrToSetTimeouts setTimeouts;
};

void PushWord(std::vector<std::uint8_t>& bytes, unsigned word)
{
    for (unsigned nibble = 0; nibble < 4; ++nibble) // low nibble first
        bytes.push_back(static_cast<std::uint8_t>((word >> (4 * nibble)) & 0xF));
}

int PartialWrite(const Library& d2xx, FT_HANDLE handle)
{
    std::vector<std::uint8_t> bytes;
    PushWord(bytes, 0xA5AF); // CMD_PROGRAM_84A
    DWORD moved = 0;
    d2xx.write(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &moved);
    std::uint8_t ack[2] = {};
    d2xx.read(handle, ack, 2, &moved);
    std::printf("ack=%u%u ", ack[1], ack[0]);

    // Blocks of an address and eight blank words: 64 ms of writing each on a 16F84A.
    bytes.clear();
    constexpr unsigned kBlocks = 40;
    for (unsigned block = 0; block < kBlocks; ++block) {
        PushWord(bytes, block * 8);
        for (unsigned word = 0; word < 8; ++word)
            PushWord(bytes, 0x3FFF);
    }
    d2xx.setTimeouts(handle, 1000, 200);
    DWORD written = 0;
    const FT_STATUS status = d2xx.write(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written);
    std::printf("status=%u written=%u of=%zu ", static_cast<unsigned>(status), static_cast<unsigned>(written),
                bytes.size());

    // The board programs what reached it and acknowledges each whole block.
    std::vector<std::uint8_t> acks(2 * kBlocks);
    d2xx.setTimeouts(handle, 1500, 1000);
    DWORD received = 0;
    d2xx.read(handle, acks.data(), static_cast<DWORD>(acks.size()), &received);
    std::printf("acknowledged=%u\n", static_cast<unsigned>(received / 2));
    return 0;
}

int PartialRead(const Library& d2xx, FT_HANDLE handle)
{
    std::vector<std::uint8_t> bytes;
    PushWord(bytes, 0xA5A7); // CMD_READ_84A: its acknowledge, then the first block of 16 words
    DWORD moved = 0;
    d2xx.write(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &moved);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    std::vector<std::uint8_t> answer(2 + 16 * 4);
    d2xx.setTimeouts(handle, 20, 1000);
    DWORD first = 0;
    FT_STATUS status = d2xx.read(handle, answer.data(), static_cast<DWORD>(answer.size()), &first);
    std::printf("status=%u first=%u ", static_cast<unsigned>(status), static_cast<unsigned>(first));
    d2xx.setTimeouts(handle, 1000, 1000);
    DWORD rest = 0;
    status = d2xx.read(handle, answer.data() + first, static_cast<DWORD>(answer.size() - first), &rest);
    std::printf("status=%u rest=%u bytes=", static_cast<unsigned>(status), static_cast<unsigned>(rest));
    for (DWORD i = 0; i < first + rest; ++i)
        std::printf("%X", answer[i]);
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: d2xx_probe LIBRARY partial-write|partial-read\n");
        return 2;
    }
    void* library = ::dlopen(argv[1], RTLD_NOW);
    if (!library) {
        std::fprintf(stderr, "d2xx_probe: %s\n", ::dlerror());
        return 1;
    }
    auto find = [&](const char* name) { return ::dlsym(library, name); };
    const Library d2xx{
        reinterpret_cast<PtrToOpenEx>(find("FT_OpenEx")),       reinterpret_cast<PtrToClose>(find("FT_Close")),
        reinterpret_cast<PtrToWrite>(find("FT_Write")),         reinterpret_cast<PtrToRead>(find("FT_Read")),
        reinterpret_cast<PtrToPurge>(find("FT_Purge")),         reinterpret_cast<PtrToSetTimeouts>(find("FT_SetTimeouts")),
    };
    char serial[] = "TVRA0001";
    FT_HANDLE handle = nullptr;
    if (d2xx.openEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle) != FT_OK) {
        std::fprintf(stderr, "d2xx_probe: cannot open TVRA0001\n");
        return 1;
    }
    d2xx.purge(handle, FT_PURGE_RX);
    d2xx.setTimeouts(handle, 1000, 1000);
    const std::string scenario = argv[2];
    const int result = scenario == "partial-write" ? PartialWrite(d2xx, handle)
                       : scenario == "partial-read" ? PartialRead(d2xx, handle)
                                                    : 2;
    d2xx.close(handle);
    return result;
}
