// Error numbers and texts for the "<routine>: Err <number>. <description>"
// lines of the information line.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace tolvane {

// A run-time error with a number, as the routines report them.
class RunError : public std::runtime_error {
  public:
    RunError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}
    int number() const { return number_; }

  private:
    int number_;
};

// "<number>. <description>" of any exception.
std::string errText(const std::exception& e);
int errNumber(const std::exception& e);

}  // namespace tolvane
