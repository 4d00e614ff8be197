// The alert tests' command: copies its standard input into the file named
// by its first argument (written whole, then put in the place of the last
// one, so that a test never reads half of it), appends "start" and "end" lines to the file named by
// its second argument around a pause of its third (milliseconds), and ends
// with the status of its fourth. "hang" as the first argument waits for
// ever.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "hang") {
        for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (argc < 5) return 64;
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    {
        std::ofstream log(argv[2], std::ios::app | std::ios::binary);
        log << "start\n";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[3])));
    {
        std::ofstream out(std::string(argv[1]) + ".part", std::ios::binary);
        out << input;
    }
    std::remove(argv[1]);  // Windows renames onto no existing file
    std::rename((std::string(argv[1]) + ".part").c_str(), argv[1]);
    {
        std::ofstream log(argv[2], std::ios::app | std::ios::binary);
        log << "end\n";
    }
    std::cout << "probe: " << input.size() << " bytes\n";
    return std::atoi(argv[4]);
}
