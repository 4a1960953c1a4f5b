// One result type for the whole house, as every layer reports it: a code
// from the module's own enum, which callers and tests compare, plus what a
// message needs to word it (numbers, a subject such as a path or a name,
// the system's error number). The words are chosen by whoever talks to a
// person (a command's main, a window), so a pure layer never names a
// command-line flag or a button.
//
// Each module's code enum starts with OK = 0.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace pitchwise {

template <typename Code>
class Status {
  public:
    Status() = default;  // OK
    explicit Status(Code code, std::vector<double> numbers = {}, std::string subject = {},
                    int systemError = 0)
        : code_(code),
          numbers_(std::move(numbers)),
          subject_(std::move(subject)),
          systemError_(systemError) {}

    static Status Ok() { return Status(); }

    bool ok() const { return code_ == Code{}; }
    explicit operator bool() const { return ok(); }
    Code code() const { return code_; }

    const std::vector<double>& numbers() const { return numbers_; }
    // The i-th number, 0 when the status carries fewer.
    double number(std::size_t i) const { return i < numbers_.size() ? numbers_[i] : 0.0; }
    const std::string& subject() const { return subject_; }
    int systemError() const { return systemError_; }

  private:
    Code code_{};
    std::vector<double> numbers_;
    std::string subject_;
    int systemError_ = 0;
};

}  // namespace pitchwise
