// The whole program on real widgets, for the Qt binding's tests: every form in a runtime whose
// host answers message boxes itself. A test class derives from it, starts the program afresh
// before each test function (its `init` slot) and stops it after (`cleanup`).
#pragma once

#include <QObject>
#include <QtTest>
#include <memory>

#include "display/qt/formwindow.h"
#include "display/qt/qthost.h"
#include "shell/shell.h"

class QtProgramTest : public QObject {
  protected:
    std::unique_ptr<formsqt::QtHost> host;
    std::unique_ptr<forms::FormsRuntime> runtime;

    void start() {
        host = std::make_unique<formsqt::QtHost>();
        host->setAutoAnswer(true);
        runtime = std::make_unique<forms::FormsRuntime>(*host);
        host->attach(*runtime);
        shell::addProgramForms(*runtime);
    }
    // The windows go before the runtime whose forms they show.
    void stop() {
        host.reset();
        runtime.reset();
    }

    forms::Form& form(const char* name) { return *runtime->find(name); }
    // Shows the form as a user action and waits until its window is on the screen.
    formsqt::FormWindow* open(const char* name) {
        runtime->showForm(form(name));
        formsqt::FormWindow* w = host->window(name);
        if (w && !QTest::qWaitForWindowExposed(w)) qWarning("window %s not exposed", name);
        return w;
    }
};
