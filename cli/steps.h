#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "session.h"

namespace pulsefir::cli {

// A step of the command line: its name, what it does in both languages, whether a FILE follows
// it, and what it does to the session.
struct Step {
    const char *name;
    const char *help;        // English
    const char *helpRussian; // the same under a Russian locale
    bool takesFile;
    std::function<void(Session &, const std::string &file, std::ostream &)> action;
};

// Every step, in the order the usage text lists them.
const std::vector<Step> &steps();
// The step of that name, or none.
const Step *findStep(const std::string &name);

} // namespace pulsefir::cli
