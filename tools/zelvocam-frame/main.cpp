// Entry point of zelvocam-frame; the work is in FrameTool.cpp.
#include <iostream>
#include <string>
#include <vector>

#include "tools/zelvocam-frame/FrameTool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunFrameTool(arguments, std::cout, std::cerr);
}
