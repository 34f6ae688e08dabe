// The drawing tools are the commands of the command list that have a tool
// kind; their ids are `Cmd::Tool…` and `kToolCommands` lists them all.
#pragma once

#include "doc/CommandList.h"

// Installs the tool preview into the composition, which cannot call the
// editing layer itself. The shell does it once when it sets up the tools;
// headless callers that compose with a tool in progress do it themselves.
void InstallToolOverlay();
