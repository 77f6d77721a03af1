#include "ShellHarness.h"

#include <sstream>

namespace et::test {

std::vector<std::string> ShellHarness::logLines() const {
    std::vector<std::string> lines;
    std::istringstream in(logText());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace et::test
