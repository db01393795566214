#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "base/messages.h"
#include "commands.h"

int main(int argc, char **argv) {
    // One language for every line of the run: Russian under a Russian locale, English otherwise.
    pulsefir::base::setAudience(pulsefir::base::consoleAudienceFromEnvironment());
    std::vector<std::string> args(argv + 1, argv + argc);
    int code = pulsefir::cli::run(args, std::cout, std::cerr);
    // What is still buffered must reach its file too: a failure there is a failed run.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << pulsefir::base::Message::cliPrefix() << pulsefir::base::Message::unableToWriteStandardOutput()
                  << '\n';
        code = pulsefir::cli::ExitCoreError;
    }
    return code;
}
