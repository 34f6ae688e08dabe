// The per-user settings store as core code sees it: integer values under a
// section and a name. The Qt shell installs a store backed by the toolkit's
// settings; until then (and in script runs) values live in memory only.
#pragma once

#include <string>

class CSettingsStore {
public:
    virtual ~CSettingsStore() = default;
    virtual int GetInt(const std::string& section, const std::string& name, int defaultValue) = 0;
    virtual void SetInt(const std::string& section, const std::string& name, int value) = 0;
};

CSettingsStore& SettingsStore();
// Installs a store (null: back to the in-memory one).
void SetSettingsStore(CSettingsStore* store);
