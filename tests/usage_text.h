// The usage screen, byte for byte, as tests/usage.txt holds it: the one copy
// that the unit, black-box and Windows batch tests all compare with. Its lines
// of curdrive and curdrv end in blanks.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

inline const std::string &usage_text() {
    static const std::string text = [] {
        std::ifstream in(TARVELIX_USAGE_FILE, std::ios::binary);
        if (!in)
            throw std::runtime_error("cannot read the usage screen " TARVELIX_USAGE_FILE);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }();
    return text;
}
