// imprxcmd: records what an installer changes and writes it as a template.
#include <cstdio>

#include "imprx_command.h"

int main(int argc, char** argv) { return ImprxCommand(stdout, stderr).Run(argc, argv); }
