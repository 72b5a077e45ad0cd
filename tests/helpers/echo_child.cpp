// A child for the pipe tests: prints its arguments, copies standard input to
// standard output in upper case, writes one line to standard error and exits
// with the code given as "exit=N".
#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    // Bytes as they are: the tests compare them exactly.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        std::printf("arg[%d]=%s\n", i, argv[i]);
        if (std::strncmp(argv[i], "exit=", 5) == 0) code = std::atoi(argv[i] + 5);
    }
    std::fflush(stdout);
    int c;
    while ((c = std::getchar()) != EOF) std::putchar(std::toupper(c));
    std::fflush(stdout);
    std::fprintf(stderr, "stderr line\n");
    return code;
}
