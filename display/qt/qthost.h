// The display half of the forms runtime on Qt 6 Widgets: builds real windows from a form's
// description, keeps them in step with the model, and turns mouse and keyboard input into the
// model's user actions. The only part of the program that knows Qt.
#pragma once

#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <utility>

#include "forms/displayhost.h"

namespace formsqt {

class FormWindow;

class QtHost : public QObject, public forms::DisplayHost {
    Q_OBJECT
  public:
    QtHost();
    ~QtHost() override;

    // The window of a loaded form, or null.
    FormWindow* window(const forms::Form& form) const;
    FormWindow* window(std::string_view formName) const;

    void syncAll() override;

    void announce(forms::Form& form, const std::string& results,
                  const std::string& legLoad) override;
    void boxComes(const forms::Message& message) override;
    void showBox(const forms::Message& message) override;
    void formLoaded(forms::Form& form) override;
    void formActivated(forms::Form& form) override;
    void formUnloaded(forms::Form& form) override;
    void noFormLoaded() override;

    // Whether a key event repeats a key still held down.
    bool keyRepeats(const QKeyEvent& event) const;

  signals:
    void allFormsUnloaded();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ownDialog(FormWindow& dialog, const FormWindow* leaving);

    std::map<const forms::Form*, QPointer<FormWindow>> windows_;
    std::pair<int, quint64> lastRelease_{0, 0};  // the last key let go, and when
};

}  // namespace formsqt
