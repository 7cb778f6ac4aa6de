// What screen readers see of the windows: each window a named frame or dialog, a drawing one
// picture with the meaning of its letters, read-outs as read-only texts named by what they show,
// with their unit and their colour band in words, and a notice that says an action's results.
#pragma once

#include <QList>

class QString;
class QWidget;

namespace forms {
struct ControlState;
}

namespace formsqt {

// Installs the program's accessible interfaces; once, after the application exists.
void installAccessibility();

// Marks a widget as showing a control of a form, for its accessible interface.
void markControl(QWidget* widget, const forms::ControlState& state);
// Marks a frame as a drawing: screen readers see one picture in place of its lines and letters.
void markDrawing(QWidget* frame);
// Marks a widget as a notice: a screen reader says its name when it shows.
void markNotice(QWidget* notice);

// Where the words of a text begin, as a screen reader is given them, 0 first and the text's
// length last: a word runs to the next one's first letter ("1.22 " is one word).
QList<int> wordStarts(const QString& text);

}  // namespace formsqt
