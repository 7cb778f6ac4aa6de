// One window built from a form's description.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <map>
#include <string_view>

#include "forms/form.h"
#include "forms/input.h"
#include "forms/plan.h"

class QLineEdit;

namespace formsqt {

class QtHost;

class FormWindow : public QWidget {
    Q_OBJECT
  public:
    FormWindow(QtHost& host, forms::Form& form);

    forms::Form& form() const { return form_; }
    // The widget of a control, by its name in the form's table.
    QWidget* control(std::string_view name) const;
    // The window as the model plans it on this window's screen.
    const forms::Plan& plan() const { return plan_; }
    // The part of a control that no opaque control in front of it covers, in its own pixels:
    // where its text goes.
    QRect room(std::string_view name) const;

    // Shows the model's values: slider positions, read-out texts and colours, options.
    void sync();
    // Puts the focus on the focusable control with the lowest tab index.
    void focusFirst();
    // The model has unloaded the form: the window goes without asking the model again.
    void markUnloaded() { unloaded_ = true; }
    // Stops any held arrow or track of its sliders from repeating.
    void stopSliderRepeats();
    // Has a screen reader say the results an action changed, once.
    void announce(const QString& results);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build();
    QWidget* create(forms::ControlState& state, QWidget* parent);
    const forms::Plan::Control& planned(const forms::ControlDesc& desc) const;
    static void fitText(QLineEdit* edit, const QFont& described);
    void fitCaption(QWidget* w, const forms::ControlDesc& d) const;
    void syncOptions();
    // The control a widget (or one inside it) shows, by index; kOnForm for none.
    std::size_t at(const QWidget* w) const;
    // Hands an input on control `at` to the model's map, and moves the focus where it says;
    // true when the input was the model's.
    bool hand(std::size_t at, const forms::Input& input);

    QtHost& host_;
    forms::Form& form_;
    double dpi_ = 96;
    bool unloaded_ = false;
    std::map<std::string_view, QWidget*> widgets_;
    forms::Plan plan_;
    QPixmap background_;
    QPointer<QWidget> notice_;  // says the results of the last action, for a moment
};

}  // namespace formsqt
