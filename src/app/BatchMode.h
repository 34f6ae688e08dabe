// The batch and script interface of the tesvan binary.
#pragma once

#include <QStringList>

// True when the command line asks for a batch run (--version,
// --list-commands, --info, --export, --script): no window is opened.
bool IsBatchInvocation(int argc, char** argv);
// Runs the batch invocation and returns the process exit status.
int RunBatch(const QStringList& arguments);
// Keeps the toolkit's notices (window hints, the runtime folder) off
// standard error, which build pipelines read.
void QuietenBatchMessages();
