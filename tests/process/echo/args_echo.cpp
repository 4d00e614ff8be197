// A helper program for the process runner's tests: writes the folder it
// runs in, the bytes its input held and each argument in brackets to
// standard output, one line to standard error, and exits with the number
// of its arguments.
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    std::size_t inputBytes = 0;
    while (std::getchar() != EOF) ++inputBytes;
    std::printf("dir=%s\ninput=%zu\n", std::filesystem::current_path().string().c_str(), inputBytes);
    for (int i = 1; i < argc; ++i) std::printf("[%s]\n", argv[i]);
    std::fflush(stdout);
    std::fputs("to standard error\n", stderr);
    return argc - 1;
}
