#pragma once
// kestrio-cli's entry: parses the command line, connects (sending the power-up clear, as the main
// window's Connect does), runs one command and returns the exit status: 0 success, 1 a transaction
// failed, timed out or could not connect, 2 a usage error. A QCoreApplication must exist (or one is
// made for the call), because the engine waits on Qt event loops.
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrio::cli {

// What the tool takes from its surroundings, passed in so tests need not touch the process's own.
struct CliEnvironment {
  std::optional<std::string> host;  // KESTRIO_HOST
  std::istream* in = nullptr;       // "decode -" reads it; nullptr reads nothing
  bool errIsTerminal = false;       // progress lines go to stderr only when it is a terminal
};

// `args` without the program name.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env, std::ostream& out,
           std::ostream& err);

// The same with the process's own arguments, KESTRIO_HOST and stdin.
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace kestrio::cli
