#include "forms/qt/accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QVariant>

#include "forms/form.h"
#include "forms/qt/formwindow.h"

namespace formsqt {

namespace {

constexpr const char* kControlProperty = "pernadas.control";
constexpr const char* kDrawingProperty = "pernadas.drawing";

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

// A read-out: a read-only text, headed by the label the layout puts over it wherever that
// label lies.
class ReadoutAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    ReadoutAccessible(QLineEdit* edit, const forms::ControlState& state)
        : QAccessibleWidget(edit, QAccessible::EditableText), state_(state) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return edit()->text();
        return QAccessibleWidget::text(t);
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        auto found = QAccessibleWidget::relations(match);
        if (!(match & QAccessible::Label) || state_.desc->labelledBy.empty()) return found;
        auto* window = qobject_cast<FormWindow*>(widget()->window());
        if (QWidget* label = window ? window->control(state_.desc->labelledBy) : nullptr) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
            const bool known = std::any_of(found.begin(), found.end(),
                                           [&](const auto& r) { return r.first == iface; });
            if (iface && !known) found.append({iface, QAccessible::Label});
        }
        return found;
    }

    // The text, read only.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override {
        return edit()->text().mid(start, end - start);
    }
    int characterCount() const override { return int(edit()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

  private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    const forms::ControlState& state_;
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* window = qobject_cast<FormWindow*>(object)) return new WindowAccessible(window);
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (widget->property(kDrawingProperty).toBool()) return new DrawingAccessible(widget);
    const forms::ControlState* state = controlOf(widget);
    if (state && state->desc->kind == forms::Kind::Readout)
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            return new ReadoutAccessible(edit, *state);
    return nullptr;
}

}  // namespace

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

}  // namespace formsqt
