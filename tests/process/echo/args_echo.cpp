// A helper program for the process runner's tests: writes the folder it
// runs in, the bytes its input held and each argument in brackets to
// standard output, one line to standard error, and exits with the number
// of its arguments. When the folder it runs in holds a file "fail-silently"
// with a count above 0, it counts one down and exits with status 9 without
// writing anything, as a program that never ran.
#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    int silentFailures = 0;
    if (std::ifstream("fail-silently") >> silentFailures && silentFailures > 0) {
        std::ofstream("fail-silently") << silentFailures - 1;
        return 9;
    }
    std::size_t inputBytes = 0;
    while (std::getchar() != EOF) ++inputBytes;
    std::printf("dir=%s\ninput=%zu\n", std::filesystem::current_path().string().c_str(), inputBytes);
    for (int i = 1; i < argc; ++i) std::printf("[%s]\n", argv[i]);
    std::fflush(stdout);
    std::fputs("to standard error\n", stderr);
    return argc - 1;
}
