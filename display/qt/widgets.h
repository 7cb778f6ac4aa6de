// Small widgets and helpers that the form builder needs beyond Qt's own.
#pragma once

#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <string_view>

#include "forms/description.h"
#include "forms/form.h"
#include "forms/input.h"
#include "forms/plan.h"

namespace formsqt {

class QtHost;

// Qt's key as the model's map names it; Other for a key the map does not know.
forms::Key modelKey(int qtKey);

// A colour of the description (with its system-colour marks) as Qt's; invalid for the default.
QColor toQColor(forms::Colour colour);

// The colours the layout's own inks were chosen against: the light scheme of the program's
// widget style, whatever the desktop's colours are.
QPalette lightScheme();

// Gives a control the pair of colours it is drawn in, its background in `backRole` and its text
// in `textRole`, never one without the other. Where the layout gives a background, the text goes
// with it: the layout's text colour, else black. Where it gives only a text colour, the
// background is the light scheme's. Where it gives neither, both are those of the colours the
// control sits among, the desktop's unless the layout set them.
void setColours(QWidget* w, forms::Colour back, forms::Colour fore, QPalette::ColorRole backRole,
                QPalette::ColorRole textRole);

// The described font, with the model's stand-ins (forms::faces) where the family is missing.
QFont toQFont(const forms::Font& font, const QFont& inherited);

// A picture of the program's resources rendered at a size in pixels; at its natural size when
// the size is empty.
QPixmap picture(std::string_view name, QSize size = {});

// Makes a widget's font smaller, by the model's step, until its text drawn with these flags
// fits the room; never below the model's smallest size.
void shrinkToFit(QWidget* widget, const QString& text, const QRect& room, int flags);

// The room a frame's caption has along its top edge.
QRect frameTitleRoom(const QWidget* frame);

// A frame: an etched border with its caption set into the top edge, drawn in the frame's own
// background so that the controls inside and their backgrounds match it.
class FrameBox : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A read-out or a text box, whose caret goes a word at a time (Ctrl with an arrow) by the words
// a screen reader is given: "1.22" is one word, never "1." and "22".
class TextLine : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A line, oval or rectangle of a form's drawing.
class ShapeWidget : public QWidget {
  public:
    ShapeWidget(const forms::ControlDesc& desc, const forms::Plan::Control& plan, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const forms::ControlDesc& desc_;
    int width_;         // a line's or an outline's, in pixels
    QPoint from_, to_;  // a line's ends, in this widget
    QRectF outline_;    // where the middle of an outline runs, as the plan has it
};

// A slider whose moves are the model's: its keys, the presses of its arrows and track and the
// turns of the wheel go to the model's map (forms/input.h), and a thumb drag is one assignment
// when it is released. The bar then shows whatever value the model's handlers left.
class SliderBar : public QScrollBar {
  public:
    using Hand = std::function<void(const forms::Input&)>;
    using Turn = std::function<void(int towardsUser, int perNotch)>;
    SliderBar(QtHost& host, forms::ControlState& state, QWidget* parent, Hand hand, Turn turn);
    // A message box takes the mouse away: a held arrow or track must not go on repeating.
    void stopRepeating();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A button going down on an arrow or the track begins a press, which the bar repeats while
    // it is held.
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

    // The keyboard focus shows as a frame in the highlight colour around the thumb.
    void paintEvent(QPaintEvent* event) override;

  private:
    // The thumb released at a position: one assignment.
    void dragTo(int position);
    // The bar at the model's value, where the form is still loaded.
    void showValue();

    void onAction(int action);
    void onReleased() { dragTo(sliderPosition()); }

    void onValueSet(int v);

    QtHost& host_;
    forms::ControlState& state_;
    Hand hand_;
    Turn turn_;
    bool pressed_ = false;  // a button has just gone down: the next step begins its press
};

}  // namespace formsqt
