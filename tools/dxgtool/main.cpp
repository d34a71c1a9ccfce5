// main.cpp -- dxgtool's entry: hands the command line to RunDxgTool.
#include <iostream>
#include <string>
#include <vector>

#include "DxgTool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunDxgTool(args, std::cout, std::cerr);
}
