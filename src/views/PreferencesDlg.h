#pragma once

class CDialogModel;
class QWidget;

// The Qt presenter of CPreferencesDlg.
bool PresentPreferencesDlg(CDialogModel& model, QWidget* owner);
