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
#include <string_view>

#include "forms/description.h"
#include "forms/form.h"
#include "forms/plan.h"

namespace formsqt {

class QtHost;

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

// The described font, with a close installed equivalent where the family is missing.
QFont toQFont(const forms::Font& font, const QFont& inherited);

// A picture of the program's resources rendered at a size in pixels; at its natural size when
// the size is empty.
QPixmap picture(std::string_view name, QSize size = {});

// Makes a widget's font smaller, a quarter point at a time, until its text drawn with these
// flags fits the room; never below 5 points.
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
    QPoint from_, to_;  // a line's ends, in this widget
};

// A slider whose moves are the model's: an arrow or arrow key steps by SmallChange, a track
// click or page key by LargeChange, and a thumb drag is one assignment when it is released.
// The bar then shows whatever value the model's handlers left.
class SliderBar : public QScrollBar {
  public:
    SliderBar(QtHost& host, forms::ControlState& state, QWidget* parent);
    // A message box takes the mouse away: a held arrow or track must not go on repeating.
    void stopRepeating();

  protected:
    // Arrow keys step towards their end, page keys by the large step: Right, Down and Page Down
    // towards Max, Left, Up and Page Up towards Min. Other keys move nothing.
    void keyPressEvent(QKeyEvent* event) override;

    // A button going down on an arrow or the track begins a press, which the bar repeats while
    // it is held.
    void mousePressEvent(QMouseEvent* event) override;

    // One notch of the wheel is one small step: towards Max when the wheel turns towards the
    // user, towards Min when it turns away. Fine-grained wheels add up to whole notches.
    void wheelEvent(QWheelEvent* event) override;

    // The keyboard focus shows as a frame in the highlight colour around the thumb.
    void paintEvent(QPaintEvent* event) override;

  private:
    // One small step as one user action; false when the action was not taken.
    bool step(int direction);
    // Home and End: the thumb dragged to an end of the track.
    void dragTo(int position);

    void onAction(int action);
    void onReleased() { dragTo(sliderPosition()); }

    void onValueSet(int v);

    QtHost& host_;
    forms::ControlState& state_;
    int wheel_ = 0;  // the wheel's turn not yet taken, in eighths of a degree
};

}  // namespace formsqt
