// Qt presenters of the size dialog and the import settings dialog.
#pragma once

void RegisterExchangeDialogs();
