// qmtdump: prints an application template as its text form.
#include <cstdio>

#include "qmtdump/dump_tool.h"

int main(int argc, char** argv) { return DumpTool(stdout).Run(argc, argv); }
