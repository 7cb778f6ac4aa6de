// pernadas in a web browser: the page starts the program through pw_start, and feeds the user's
// actions in through the display's pw_act (display/web/webhost.cpp).
#include <emscripten/emscripten.h>

#include "display/web/webhost.h"
#include "shell/shell.h"

namespace {
forms::Form* startForm = nullptr;
}  // namespace

extern "C" {

// Adds the program's forms and, with `open`, shows the splash; returns 1 when the model refused
// that. With `open` false the forms are only made ready, and the page shows the first one
// itself: the browser tests replay scenarios from a program that shows nothing yet.
EMSCRIPTEN_KEEPALIVE int pw_start(int open) {
    auto& runtime = formsweb::pageRuntime();
    if (!startForm) startForm = &shell::addProgramForms(runtime);
    if (!open) return 0;
    const auto outcome = runtime.start(*startForm);
    formsweb::pageHost().syncAll();
    return outcome ? 1 : 0;
}

}  // extern "C"

int main() {
    return 0;
}
