#include "views/DialogPresenters.h"
#include "views/PalettePresenters.h"

#include "views/AnimationDlg.h"
#include "views/MapWindow.h"
#include "views/PreferencesDlg.h"
#include "views/Print.h"

#include "views/ConsoleDialogs.h"
#include "views/ExchangeDialogs.h"

#include <map>

namespace {

std::map<std::string, DialogPresenter>& Presenters()
{
    static std::map<std::string, DialogPresenter> presenters;
    return presenters;
}

} // namespace

void RegisterDialogPresenter(const std::string& className, DialogPresenter presenter)
{
    Presenters()[className] = std::move(presenter);
}

const DialogPresenter* FindDialogPresenter(const std::string& className)
{
    auto it = Presenters().find(className);
    return it == Presenters().end() ? nullptr : &it->second;
}

void RegisterDialogPresenters()
{
    // Each dialog's presenter registers itself here, one line a dialog.
    RegisterPalettePresenters();
    RegisterDialogPresenter("CSetAnimeDlg", PresentSetAnimeDlg);
    RegisterDialogPresenter("CPrintScaleDlg", PresentPrintScaleDlg);
    RegisterDialogPresenter("CMapDlg", PresentMapDlg);
    RegisterDialogPresenter("CPreferencesDlg", PresentPreferencesDlg);
    RegisterExchangeDialogs();
    RegisterConsoleDialogs();
}
