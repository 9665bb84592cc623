#pragma once

#include <string>
#include <vector>

// The commands of velmora-cli. Each returns the process's exit code: 0 success, 1 failure
// (with the message on standard error), 2 a usage error.
int RunCli(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string CliUsage();
