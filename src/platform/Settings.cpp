#include "platform/Settings.h"

#include <map>

namespace {

// Nothing is read from or written to disk: a run starts with the defaults.
class CMemoryStore : public CSettingsStore {
public:
    int GetInt(const std::string& section, const std::string& name, int defaultValue) override
    {
        auto it = m_Values.find(section + "\\" + name);
        return it == m_Values.end() ? defaultValue : it->second;
    }
    void SetInt(const std::string& section, const std::string& name, int value) override
    {
        m_Values[section + "\\" + name] = value;
    }

private:
    std::map<std::string, int> m_Values;
};

CSettingsStore* g_pStore = nullptr;

} // namespace

CSettingsStore& SettingsStore()
{
    static CMemoryStore memory;
    return g_pStore ? *g_pStore : memory;
}

void SetSettingsStore(CSettingsStore* store) { g_pStore = store; }
