// Qt presenters of the console dialogs: export, check and colour precision.
#pragma once

void RegisterConsoleDialogs();
