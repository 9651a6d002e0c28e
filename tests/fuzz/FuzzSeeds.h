#pragma once

#include <string>
#include <vector>

// A fuzz target may define this to give the random-mutation driver (the gcc
// builds' stand-in for libFuzzer) well-formed inputs to start from. libFuzzer
// builds ignore it.
std::vector<std::string> velmoraFuzzSeeds();
