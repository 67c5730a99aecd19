// vellumry-cli: Vellumry's scans and batch operations from a shell.
#include "cli/Cli.h"

int main(int argc, char *argv[]) { return vellumry::cli::run(argc, argv); }
