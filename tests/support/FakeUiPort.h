// A user-interface port for tests: records every message and question and
// answers from queues set up by the test.
#pragma once

#include "platform/UiPort.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class CFakeUiPort : public CUiPort {
public:
    CFakeUiPort() { SetUiPort(this); }
    ~CFakeUiPort() override { SetUiPort(nullptr); }

    void MessageBox(const std::string& text) override { messages.push_back(text); }
    UiAnswer Question(const std::string& text, bool) override
    {
        questions.push_back(text);
        if (answers.empty())
            return UiAnswer::Cancel;
        UiAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool FileDialog(const FileDialogRequest& request, std::string& path) override
    {
        fileRequests.push_back(request);
        if (files.empty())
            return false;
        path = files.front();
        files.pop_front();
        return !path.empty();
    }
    bool ChooseColor(uint32_t& colour) override
    {
        if (colours.empty())
            return false;
        colour = colours.front();
        colours.pop_front();
        return true;
    }
    bool ChooseFolder(const std::string&, std::string& folder) override
    {
        if (folders.empty())
            return false;
        folder = folders.front();
        folders.pop_front();
        return true;
    }

    // An editor dialog: the oldest queued handler works the model and
    // answers OK (true) or Cancel; nothing queued answers Cancel.
    bool DoModal(CDialogModel& dialog) override
    {
        dialogCount++;
        if (dialogs.empty())
            return false;
        auto handler = std::move(dialogs.front());
        dialogs.pop_front();
        return handler(dialog);
    }
    // The print dialog: the oldest queued choice, or Cancel.
    bool ChoosePrinter(PrinterChoice& choice) override
    {
        printDialogs++;
        if (printers.empty())
            return false;
        choice = printers.front();
        printers.pop_front();
        return true;
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<std::function<bool(CDialogModel&)>> dialogs;
    int dialogCount = 0;
    std::deque<PrinterChoice> printers;
    int printDialogs = 0;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<UiAnswer> answers;
    std::deque<std::string> files;    // "" answers a file dialog with Cancel
    std::deque<uint32_t> colours;
    std::deque<std::string> folders;
};
