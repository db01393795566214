#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int code = pulsefir::cli::Run(args, std::cout, std::cerr);
    // What is still buffered must reach its file too: a failure there is a failed run.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "pulsefir-cli: Unable to write to standard output.\n";
        code = pulsefir::cli::ExitCoreError;
    }
    return code;
}
