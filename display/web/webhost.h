// The display half of the forms runtime in a web browser. The model runs in WebAssembly; this
// host hands each loaded form's table and state to the page's script (binding.js), which builds
// the window from them, and the page feeds the user's actions back in through the functions
// exported below. A message box waits for the user: the handler's call is suspended (Asyncify)
// until the box is dismissed, with every window behind it showing the values as they stand.
#pragma once

#include <string>

#include "forms/displayhost.h"

namespace formsweb {

// What the page's pw_act answers (pw_names gives the page these names).
enum class ActResult : int {
    Done = 0,      // the action was done
    Refused = 1,   // the model refused it; its message box has been shown
    Unknown = -1,  // no such form or control, or not what a user may do to it now
    NotTaken = -2  // another action still runs, or a held press has met a message box
};

class WebHost : public forms::DisplayHost {
  public:
    // Every window of the page.
    void syncAll() override;

    void announce(forms::Form& form, const std::string& results,
                  const std::string& legLoad) override;
    bool showsLegLoad() const override { return true; }
    void formLoaded(forms::Form& form) override;
    void formActivated(forms::Form& form) override;
    void formUnloaded(forms::Form& form) override;
    void noFormLoaded() override;

    // The plan of a form's window as the page has it.
    static forms::Plan planOf(const forms::Form& form);

  protected:
    void showBox(const forms::Message& message) override;
};

// What the page needs to build a form's window: its table, as JSON.
std::string describeJson(const forms::FormDesc& desc);
// The state of a loaded form's controls that the window shows, as JSON.
std::string stateJson(const forms::Form& form);

// The page's one host, and the runtime it shows; the entry point adds the program's forms.
WebHost& pageHost();
forms::FormsRuntime& pageRuntime();

}  // namespace formsweb
