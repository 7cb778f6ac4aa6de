// Small widgets and helpers that the form builder needs beyond Qt's own.
#pragma once

#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QPixmap>
#include <QWidget>
#include <string_view>

#include "forms/description.h"

namespace formsqt {

// A colour of the description (with its system-colour marks) as Qt's; invalid for the default.
QColor toQColor(forms::Colour colour);

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

// A line, oval or rectangle of a form's drawing.
class ShapeWidget : public QWidget {
  public:
    ShapeWidget(const forms::ControlDesc& desc, QWidget* parent, double dpi);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const forms::ControlDesc& desc_;
    QPoint from_, to_;  // a line's ends, in this widget
};

}  // namespace formsqt
