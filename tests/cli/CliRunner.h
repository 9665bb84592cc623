#pragma once

#include <array>
#include <cstdio>
#include <string>

#include <sys/wait.h>

#include "tests/support/TempDir.h"

// Runs velmora-cli in dir with the given arguments (shell words) and collects its output.
struct TRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

inline TRun Cli(const std::string& arguments, const TTempDir& dir) {
  const std::string errFile = dir.File("stderr.txt");
  const std::string command = "cd " + Quote(dir.Path()) + " && " + Quote(VELMORA_CLI) + " " +
                              arguments + " 2> " + Quote(errFile);
  TRun run;
  FILE* pipe = popen(command.c_str(), "r");
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadFileBytes(errFile);
  return run;
}

