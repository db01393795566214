#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pulsefir::cli {

// Exit codes: 0 done, 1 the core reported an error, 2 the command line is wrong.
constexpr int ExitOk = 0;
constexpr int ExitCoreError = 1;
constexpr int ExitUsage = 2;

// Runs the options and steps in the order given on one fresh core state.
int run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

void printUsage(std::ostream &out);
// The manual page pulsefir-cli(1) in roff, from the same tables of steps and keys as the usage,
// in the language of the locale.
void printManual(std::ostream &out);

} // namespace pulsefir::cli
