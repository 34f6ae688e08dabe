// Changes to the per-user settings store, written through the file writer:
// the change is made on a private copy of the settings file, which then
// replaces the file whole, so a full disk or a crash in the middle never
// leaves a damaged settings file. Reading goes through QSettings directly.
#pragma once

#include <QString>

#include <functional>

class QSettings;

// Applies change to the settings and writes the file; false when it could
// not be written (shown with its reason the first time in a session).
bool ChangeSettings(const std::function<void(QSettings&)>& change);

// The settings file of the store (where QSettings keeps it).
QString SettingsFilePath();
