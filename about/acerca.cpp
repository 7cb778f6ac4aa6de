#include "about/acerca.h"

#include "about/sysinfo.h"

namespace about {

using namespace forms;

frmacerca::frmacerca(FormsRuntime& runtime, Platform& platform)
    : Form(runtime, describe()), platform_(platform) {}

void frmacerca::cmdOk_Click() {
    Unload();
}

void frmacerca::cmdSysinfo_Click() {
    StartSysInfo();
}

void frmacerca::StartSysInfo() {
    about::StartSysInfo(platform_, runtime());
}

bool frmacerca::GetKeyValue(std::uint32_t rootKey, std::string_view keyPath,
                            std::string_view valueName, std::string& result) {
    return about::GetKeyValue(platform_, rootKey, keyPath, valueName, result);
}

}  // namespace about
