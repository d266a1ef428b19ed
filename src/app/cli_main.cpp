// kestrio-cli: every device operation of the program, scriptable (docs/cli.md).
#include <QCoreApplication>
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("kestrio-cli");
  return kestrio::cli::RunCli(argc, argv, std::cout, std::cerr);
}
