#pragma once

#include <stdexcept>
#include <string>

namespace pulsefir::base {

// Every failure the program reports is one of these, carrying the text the user is shown: the
// core's floating-point faults, a file that cannot be read or written, a value that is not a
// number. The windows show the text in a message box; the command-line tool prints it.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string &message) : std::runtime_error(message) {}
};

} // namespace pulsefir::base
