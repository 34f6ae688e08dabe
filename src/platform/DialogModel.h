// The editor's own dialogs as plain objects: the fields a person edits, the
// buttons they press and the check made when they confirm. The Qt shell
// presents a model with real controls; a script run works the same model
// item by item. Models hold no toolkit types.
#pragma once

#include <string>

class CDialogModel {
public:
    virtual ~CDialogModel() = default;

    // The dialog's class name, e.g. "CSetSizeDlg".
    virtual const char* ClassName() const = 0;

    // Sets a field by its declared name from its written form ("32", "8bit",
    // "255,0,0"). False with a reason when the field is unknown or the text
    // cannot go into it at all (a range check belongs to Validate).
    virtual bool SetField(const std::string& name, const std::string& value, std::string& error) = 0;

    // Presses a button of the dialog by its word ("autocreate", "folder").
    virtual bool PressButton(const std::string& word, std::string& error)
    {
        error = "the dialog has no button '" + word + "'";
        return false;
    }

    // Called when the person confirms. False refuses the confirmation: the
    // message is shown and the dialog stays open.
    virtual bool Validate(std::string& message) { return true; }
};

// The rules of an integer edit, the same for every dialog and every
// presenter (Qt widget or script): blanks around, an optional sign, decimal
// digits, within int. False for anything else.
bool ParseDialogInt(const std::string& text, int& value);

// The refusal of text that is no integer: "整数を入力してください。".
extern const char* const kMsgEnterInteger;

// The refusal of an integer outside low..high:
// "%1 から %2 までの整数を入力してください。".
std::string RangeMessage(int low, int high);

// An integer edit checked on confirmation: false with the message to show
// when the text is no integer or lies outside low..high.
bool CheckDialogInt(const std::string& text, int low, int high, int& value, std::string& message);
