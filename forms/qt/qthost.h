// The display half of the forms runtime on Qt 6 Widgets: builds real windows from a form's
// description, keeps them in step with the model, and turns mouse and keyboard input into the
// model's user actions. The only part of the program that knows Qt.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>

#include "forms/runtime.h"

namespace formsqt {

class FormWindow;

class QtHost : public QObject, public forms::Host {
    Q_OBJECT
  public:
    QtHost();
    ~QtHost() override;

    void attach(forms::FormsRuntime& runtime) { runtime_ = &runtime; }
    forms::FormsRuntime& runtime() const { return *runtime_; }

    // The window of a loaded form, or null.
    FormWindow* window(const forms::Form& form) const;
    FormWindow* window(std::string_view formName) const;

    // Brings every window's widgets in line with the model.
    void syncAll();

    // Runs one user action as one event of the model, then shows its result; input that reaches
    // a window while another action runs is dropped (FormsRuntime::oneAtATime).
    template <class Action>
    bool act(Action&& action) {
        return runtime_->oneAtATime([&] {
            action();
            syncAll();
        });
    }
    bool busy() const { return runtime_->displayBusy(); }

    // Message boxes are answered by a person; tests may answer them instead.
    void setAutoAnswer(bool on) { autoAnswer_ = on; }
    const std::vector<forms::Message>& shownMessages() const { return shown_; }

    void messageBox(const forms::Message& message) override;
    void formLoaded(forms::Form& form) override;
    void formActivated(forms::Form& form) override;
    void formUnloaded(forms::Form& form) override;
    void noFormLoaded() override;

  signals:
    void allFormsUnloaded();

  private:
    void ownDialog(FormWindow& dialog, const FormWindow* leaving);

    forms::FormsRuntime* runtime_ = nullptr;
    std::map<const forms::Form*, QPointer<FormWindow>> windows_;
    bool autoAnswer_ = false;
    std::vector<forms::Message> shown_;
};

// Twips to pixels at the screen's logical resolution (15 twips a pixel at 96 dpi).
int twipsToPixels(int twips, double logicalDpi);

}  // namespace formsqt
