#pragma once
#include <fstream>
#include <functional>
#include <string>

// Calls `take` with every line of a file of tests/data/golden/ that is neither empty nor a
// comment. Returns how many there were, so that a test can tell the file was read whole.
inline int ForEachGoldenLine(const std::string& name, const std::function<void(const std::string& line)>& take)
{
    std::ifstream file(std::string(QUILLET_TEST_DATA_DIR "/golden/") + name);
    int lines = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        take(line);
        ++lines;
    }
    return lines;
}
