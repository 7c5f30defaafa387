#pragma once

// The start-up sequence and the event loop; returns the program's exit code.
int runProgram(int argc, char **argv);
