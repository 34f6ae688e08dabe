// Presenters of the gradation dialog and the layer properties dialog.
#pragma once

void RegisterPalettePresenters();
