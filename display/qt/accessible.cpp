#include "display/qt/accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextBoundaryFinder>
#include <QVariant>
#include <algorithm>

#include "display/qt/formwindow.h"
#include "forms/form.h"

namespace formsqt {

namespace {

constexpr const char* kControlProperty = "pernadas.control";
constexpr const char* kDrawingProperty = "pernadas.drawing";
constexpr const char* kNoticeProperty = "pernadas.notice";

const forms::ControlState* controlOf(const QObject* object) {
    const QVariant v = object->property(kControlProperty);
    return v.isValid() ? reinterpret_cast<const forms::ControlState*>(v.value<quintptr>())
                       : nullptr;
}

// A window: a frame, or a dialog for the about box, named by its caption or its own name.
class WindowAccessible : public QAccessibleWidget {
  public:
    explicit WindowAccessible(FormWindow* window)
        : QAccessibleWidget(window, window->form().description().style == forms::WindowStyle::Dialog
                                        ? QAccessible::Dialog
                                        : QAccessible::Window) {}
};

// A drawing: one picture whose description says what its letters mean; its lines, shapes and
// letters are decoration.
class DrawingAccessible : public QAccessibleWidget {
  public:
    explicit DrawingAccessible(QWidget* frame) : QAccessibleWidget(frame, QAccessible::Graphic) {}
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

// Where the units of a text begin, for a reader that asks for them: 0 first and the text's
// length last. A word runs from its first letter to the next word's, so that the blanks after
// it (and those before the first) belong to it; a line edit holds one line.
QList<int> unitStarts(const QString& text, QAccessible::TextBoundaryType boundary) {
    QList<int> starts{0};
    QTextBoundaryFinder::BoundaryType type = QTextBoundaryFinder::Grapheme;
    switch (boundary) {
        case QAccessible::CharBoundary:
            break;
        case QAccessible::WordBoundary:
            type = QTextBoundaryFinder::Word;
            break;
        case QAccessible::SentenceBoundary:
            type = QTextBoundaryFinder::Sentence;
            break;
        default:  // a line, a paragraph, the whole text
            if (!text.isEmpty()) starts << int(text.size());
            return starts;
    }
    QTextBoundaryFinder finder(type, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < text.size();
         at = finder.toNextBoundary())
        if (type != QTextBoundaryFinder::Word ||
            ((finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem) &&
             !text.left(at).trimmed().isEmpty()))
            starts << int(at);
    if (!text.isEmpty()) starts << int(text.size());
    return starts;
}

// The unit that holds `offset`, or the one before or after it (`shift` -1 or +1). At the end of
// the text a character is empty and any larger unit is the last one; beyond either end a unit
// is empty, at that end.
QString unitOf(const QString& text, QAccessible::TextBoundaryType boundary, int offset, int shift,
               int* start, int* end) {
    const int length = int(text.size());
    const QList<int> starts = unitStarts(text, boundary);
    offset = std::clamp(offset, 0, length);
    // The units are [starts[k], starts[k + 1]); k == units is the empty place at the end.
    const int units = int(starts.size()) - 1;
    int k = int(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) - 1;
    if (offset == length && boundary != QAccessible::CharBoundary) k = units - 1;
    k += shift;
    if (k < 0 || k >= units) {
        *start = *end = k < 0 ? 0 : length;
        return {};
    }
    *start = starts[k];
    *end = starts[k + 1];
    return text.mid(*start, *end - *start);
}

// A read-out or a text box. Qt's own answers to a reader's questions about a line edit are
// wrong (a run of attributes that holds no character, so the reader drops the last one) or
// never come (a word at the end of the text): this one answers every question from the text
// itself. A read-out is read only; a text box of the about box can be edited.
class LineAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
  public:
    explicit LineAccessible(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface && !edit()->isReadOnly())
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = edit()->isReadOnly();
        s.editable = !s.readOnly;
        s.selectableText = true;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return edit()->text();
        return QAccessibleWidget::text(t);
    }
    // Called by its own name, not by the frame or the label around it.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        auto found = QAccessibleWidget::relations(match);
        if (!widget()->accessibleName().isEmpty())
            found.removeIf([](const auto& r) { return r.second & QAccessible::Label; });
        return found;
    }

    // The text.
    QString text(int start, int end) const override {
        const QString all = edit()->text();
        start = std::clamp(start, 0, int(all.size()));
        end = std::clamp(end, start, int(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(edit()->text().size()); }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                             int* end) const override {
        return unitOf(edit()->text(), boundary, offset, -1, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                         int* end) const override {
        return unitOf(edit()->text(), boundary, offset, 0, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                            int* end) const override {
        return unitOf(edit()->text(), boundary, offset, +1, start, end);
    }
    // One run of the same attributes: the whole text, whatever the offset.
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }
    // Where each character is drawn, on the screen: a reader's review of the screen finds the
    // value there, not only the name.
    QRect characterRect(int offset) const override {
        const QString all = edit()->text();
        if (offset < 0 || offset >= all.size()) return {};
        const QFontMetrics metrics(edit()->font());
        const QRect line = textLine();
        const int left = line.left() + metrics.horizontalAdvance(all.left(offset));
        return QRect(edit()->mapToGlobal(QPoint(left, line.top())),
                     QSize(metrics.horizontalAdvance(all.mid(offset, 1)), line.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        for (int at = 0; at < characterCount(); ++at)
            if (characterRect(at).contains(point)) return at;
        return -1;
    }
    void scrollToSubstring(int, int) override {}

    // The caret and the selection, which the user may place in either.
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || !edit()->hasSelectedText()) return;
        *start = int(edit()->selectionStart());
        *end = *start + int(edit()->selectionLength());
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { edit()->deselect(); }
    void setSelection(int, int start, int end) override {
        start = std::clamp(start, 0, characterCount());
        end = std::clamp(end, 0, characterCount());
        edit()->setSelection(start, end - start);
    }

    // Editing a text box.
    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        QString all = edit()->text();
        start = std::clamp(start, 0, int(all.size()));
        end = std::clamp(end, start, int(all.size()));
        edit()->setText(all.replace(start, end - start, text));
    }

  private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    // Where the line edit draws its text: its contents less the margins it keeps on either side,
    // placed as it is aligned (its value always fits its box).
    QRect textLine() const {
        QStyleOptionFrame option;
        option.initFrom(edit());
        option.rect = edit()->rect();
        option.lineWidth =
            edit()->hasFrame() ? edit()->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        const QRect room = edit()
                               ->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, edit())
                               .adjusted(2, 0, -2, 0);
        const QFontMetrics metrics(edit()->font());
        const QSize size(metrics.horizontalAdvance(edit()->text()), metrics.height());
        return QStyle::alignedRect(edit()->layoutDirection(), edit()->alignment(), size, room);
    }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* window = qobject_cast<FormWindow*>(object)) return new WindowAccessible(window);
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (widget->property(kDrawingProperty).toBool()) return new DrawingAccessible(widget);
    if (widget->property(kNoticeProperty).toBool())
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (controlOf(widget))
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) return new LineAccessible(edit);
    return nullptr;
}

}  // namespace

QList<int> wordStarts(const QString& text) {
    return unitStarts(text, QAccessible::WordBoundary);
}

void installAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(factory);
}

void markControl(QWidget* widget, const forms::ControlState& state) {
    widget->setProperty(kControlProperty, QVariant::fromValue(reinterpret_cast<quintptr>(&state)));
}

void markDrawing(QWidget* frame) {
    frame->setProperty(kDrawingProperty, true);
}

void markNotice(QWidget* notice) {
    notice->setProperty(kNoticeProperty, true);
    // An interface made for it when it was made knew nothing of the mark yet.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(notice))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

}  // namespace formsqt
