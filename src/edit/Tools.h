// The drawing tools are the commands of the command list that have a tool
// kind; their ids are `Cmd::Tool…` and `kToolCommands` lists them all.
#pragma once

#include "doc/CommandList.h"

// Installs the tool preview into the composition (done once at start-up;
// linking the overlay code does it too).
void InstallToolOverlay();
