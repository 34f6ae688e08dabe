// The recording port with the editor's own dialogs answered by callbacks:
// each works the model as a person would and returns OK (true) or Cancel.
#pragma once

#include "platform/DialogModel.h"
#include "support/FakeUiPort.h"

#include <deque>
#include <functional>
#include <string>

class CModalFakeUiPort : public CFakeUiPort {
public:
    using Answer = std::function<bool(CDialogModel&)>;
    bool DoModal(CDialogModel& dialog) override
    {
        dialogs.push_back(dialog.ClassName());
        for (;;) {
            if (modals.empty())
                return false;
            Answer a = std::move(modals.front());
            modals.pop_front();
            if (!a(dialog))
                return false;
            std::string message;
            if (dialog.Validate(message))
                return true;
            messages.push_back(message);
        }
    }
    // Sets fields by name, then OK.
    void Fields(std::vector<std::pair<std::string, std::string>> fields)
    {
        modals.push_back([fields](CDialogModel& d) {
            for (const auto& [name, value] : fields) {
                std::string error;
                if (!d.SetField(name, value, error))
                    return false;
            }
            return true;
        });
    }
    std::deque<Answer> modals;
    std::vector<std::string> dialogs;
};
