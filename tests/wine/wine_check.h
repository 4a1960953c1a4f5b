// A very small checking harness for the programs that run under Wine: the
// cross build has no unit-test framework, and these programs need none.
#pragma once

#include <string>

namespace pitchwise {

// Records a failed expectation (printed at once) when `ok` is false.
bool Check(bool ok, const std::string& what);
bool CheckEqual(long long actual, long long expected, const std::string& what);
bool CheckText(const std::string& actual, const std::string& expected, const std::string& what);

// Prints the section name so a failure can be traced to its case.
void BeginCase(const std::string& name);

// Prints the summary; returns the process exit code (0 when all passed).
int Summary();

}  // namespace pitchwise
