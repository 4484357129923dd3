// The check and the load of a file by its path: no name, and everything that is not a
// regular file of reasonable size, refused at once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "HexTestSupport.h"
#include "image/HexFile.h"

namespace {

TEST(HexLoad, NoNameAndUnreadableFiles)
{
    EXPECT_EQ(CheckHexFile("", TargetProcessor::PIC16F877, {}), HEX_NO_FILE_NAME);

    // A FIFO would block the open until a writer came, a device would never end.
    const std::string fifo = QUILLET_TEST_BINARY_DIR "/unreadable.fifo", huge = QUILLET_TEST_BINARY_DIR "/huge.hex";
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream{huge}.close();
    std::filesystem::resize_file(huge, 16u * 1024u * 1024u + 1u); // one byte over the limit
    const std::string unreadable[] = {HexFixture("no-such-file.hex"), QUILLET_TEST_DATA_DIR, "/dev/zero", fifo, huge};
    ::alarm(10); // a reader that waits on the FIFO or reads /dev/zero for ever ends the test
    for (const std::string& path : unreadable) {
        EXPECT_EQ(CheckHexFile(path, TargetProcessor::PIC16F877, {}), HEX_CANNOT_OPEN) << path;
        FirmwareImage image;
        image.Fill(0); // the failed load still leaves the initial contents
        EXPECT_FALSE(LoadHexImage(path, HexLoadMode::Listing, image)) << path;
        EXPECT_EQ(image, FirmwareImage()) << path;
    }
    ::alarm(0);
    std::filesystem::remove(fifo);
    std::filesystem::remove(huge);
}

} // namespace
