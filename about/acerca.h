// "Acerca": the maker's contact card, and the keyboard-only way to the system-information tool.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "about/platform.h"
#include "forms/form.h"
#include "forms/runtime.h"

namespace about {

class frmacerca : public forms::Form {
  public:
    // `platform` is where the system-information tool is looked up and started.
    frmacerca(forms::FormsRuntime& runtime, Platform& platform);
    static const forms::FormDesc& describe();

    static constexpr std::string_view kSysInfoButton = "cmdSysinfo";  // "&Sistema Info..."
    static constexpr std::string_view kOkButton = "cmdOk";            // "&Ok"

    void cmdOk_Click();       // "&Ok"
    void cmdSysinfo_Click();  // "&Sistema Info..."

    void StartSysInfo();
    bool GetKeyValue(std::uint32_t rootKey, std::string_view keyPath, std::string_view valueName,
                     std::string& result);

  private:
    Platform& platform_;
};

}  // namespace about
