// Small widgets and helpers that the form builder needs beyond Qt's own.
#pragma once

#include <QColor>
#include <QFont>
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
