// Qt presenters of the editor's own dialogs, found by the model's class name.
#pragma once

#include <functional>
#include <string>

class CDialogModel;
class QWidget;

// Shows the model in a real dialog owned by `owner`; true when the person
// confirmed (the presenter calls the model's Validate before closing and
// shows its refusal message, keeping the dialog open).
using DialogPresenter = std::function<bool(CDialogModel& model, QWidget* owner)>;

void RegisterDialogPresenter(const std::string& className, DialogPresenter presenter);
const DialogPresenter* FindDialogPresenter(const std::string& className);

// Registers every presenter the editor has; called once at start-up.
void RegisterDialogPresenters();
