// The desktop shell's print requests: tesvan --print FILE and
// tesvan --print-to=PRINTER FILE.
#pragma once

// True when the command line is a print request.
bool IsShellPrintInvocation(int argc, char** argv);
// Prints the file without showing the editor window and returns the exit
// status (0 printed, 1 not printed, 2 a malformed request).
int RunShellPrint(int argc, char** argv);
