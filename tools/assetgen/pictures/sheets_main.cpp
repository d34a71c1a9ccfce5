// sheets_main.cpp -- assetgen-sheets DIR: writes contact sheets of both picture files for review.
#include "pictures/Pictures.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: assetgen-sheets DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    try {
        auto t0 = std::chrono::steady_clock::now();
        auto menu = assetgen::MakeMenuPictures();
        auto t1 = std::chrono::steady_clock::now();
        auto game = assetgen::MakeGamePictures();
        auto t2 = std::chrono::steady_clock::now();
        assetgen::WriteContactSheets(menu, "data/menu.dxg", dir + "/menu.png");
        assetgen::WriteContactSheets(game, "data/gamegraphic.dxg", dir + "/gamegraphic.png");
        auto ms = [](auto a, auto b) {
            return std::chrono::duration<double, std::milli>(b - a).count();
        };
        std::printf("menu pictures %.0f ms, game pictures %.0f ms\n", ms(t0, t1), ms(t1, t2));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen-sheets: %s\n", e.what());
        return 1;
    }
    return 0;
}
