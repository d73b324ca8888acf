#pragma once
// Command line of zuvo-sim.

#include "SimOptions.h"

#include <string>
#include <vector>

namespace zuvo::sim {

struct SimArgs {
    SimOptions options;
    int hangUpAfterMs = -1; // -1: never
    bool help = false;
    std::string error; // not empty: the command line was refused
};

// args without the program name.
SimArgs parseSimArgs(const std::vector<std::string>& args);
const char* simHelpText();

} // namespace zuvo::sim
