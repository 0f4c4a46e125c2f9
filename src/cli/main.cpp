#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    orva::cli::Streams streams{std::cin, std::cout, std::cerr};
    return orva::cli::RunCli(argc, argv, streams);
}
