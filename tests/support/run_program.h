#pragma once
// Runs a program to its end, its output captured, for tests of the built
// command-line program and of peer tools.
#include <string>
#include <vector>

namespace gwtest {

class TempDir;

struct ProgramOutcome {
    int status = -1; // the exit status; -1 when it did not exit normally
    std::string out, err;
};

// `program` is looked up in PATH when it holds no "/"; `args` follow it. Standard
// output and error go through files in `scratch`.
ProgramOutcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TempDir& scratch);

} // namespace gwtest
