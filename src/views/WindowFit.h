// Windows and dialogs that open where they can be reached, at any scale
// factor and on any screen.
#pragma once

class QWidget;

// Keeps a window inside the available area of the screen it is on, title
// bar included: made smaller where it is larger, moved in where it sticks
// out.
void FitWindowOnScreen(QWidget* window);
// From now on every window and dialog of the application is fitted as it is
// shown (a person's session; scripts keep their fixed frame), or no longer.
void FitWindowsAsTheyShow(bool fit = true);
