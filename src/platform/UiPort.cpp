#include "platform/UiPort.h"

namespace {

class CSilentUiPort final : public CUiPort {
public:
    void MessageBox(const std::string&) override {}
    UiAnswer Question(const std::string&, bool) override { return UiAnswer::Cancel; }
    bool FileDialog(const FileDialogRequest&, std::string&) override { return false; }
    bool ChooseColor(uint32_t&) override { return false; }
    bool ChooseFolder(const std::string&, std::string&) override { return false; }
};

CSilentUiPort g_silent;
CUiPort* g_port = &g_silent;

} // namespace

CUiPort& UiPort() { return *g_port; }

void SetUiPort(CUiPort* port) { g_port = port ? port : &g_silent; }

CCollectingUiPort::CCollectingUiPort() { SetUiPort(this); }

CCollectingUiPort::~CCollectingUiPort() { SetUiPort(nullptr); }
