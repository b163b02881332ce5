// sw40931-cli: the project's outputs from the command line.
#include "cli/cli_commands.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return gw::cli::Run(args, std::cout, std::cerr,
                        {gw::RunningExecutableDir(argv[0]), gw::UserEnvironment::FromProcess()});
}
