#include "display/qt/formwindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

#include "display/qt/accessible.h"
#include "display/qt/qthost.h"
#include "display/qt/widgets.h"
#include "forms/plan.h"

namespace formsqt {

using forms::ControlDesc;
using forms::ControlState;
using forms::Kind;

namespace {

// How long the notice that says an action's results stays in a window.
constexpr int kNoticeMs = 1500;

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A text in the layout's colour, on the surface the control sits on.
void setColour(QWidget* w, QPalette::ColorRole role, forms::Colour colour) {
    QPalette pal = w->palette();
    pal.setColor(role, toQColor(colour));
    w->setPalette(pal);
}

// Whether a form or a frame (kOnForm, or its index) shows the layout's inks straight on its own
// surface: lines and shapes, or texts given a colour and no background of their own. Such a
// surface keeps the light scheme that they were chosen against, whatever the desktop's.
bool inked(const forms::FormDesc& d, const forms::Plan& plan, std::size_t container) {
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
        const ControlDesc& c = d.controls[i];
        if (plan.controls[i].container != container) continue;
        if (c.kind == Kind::Line || c.kind == Kind::Oval || c.kind == Kind::Rectangle) return true;
        if ((c.kind == Kind::Label || c.kind == Kind::Option) && c.fore != forms::kDefaultColour &&
            (c.back == forms::kDefaultColour || c.transparent))
            return true;
    }
    return false;
}

// A command button whose caption wraps onto several lines when it is wider than the button.
class CaptionButton : public QPushButton {
  public:
    CaptionButton(QtHost& host, const QString& caption, QWidget* parent)
        : QPushButton(caption, parent), host_(host) {}

  protected:
    // A key held on the button clicks it once: its repeats click nothing.
    void keyPressEvent(QKeyEvent* event) override {
        if (clickKey(event->key()) && !host_.keyClicks(host_.keyRepeats(*event)))
            event->accept();
        else
            QPushButton::keyPressEvent(event);
    }
    static bool clickKey(int key) {
        return key == Qt::Key_Space || key == Qt::Key_Select || key == Qt::Key_Return ||
               key == Qt::Key_Enter;
    }

    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        p.drawControl(QStyle::CE_PushButton, option);
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(textRoom(rect()), Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                   caption);
    }

  public:
    // Where the caption goes: inside the button's bevel.
    static QRect textRoom(const QRect& button) { return button.adjusted(3, 2, -3, -2); }

  private:
    QtHost& host_;
};

// An option button that shows the keyboard focus whether or not it has a caption: a frame in
// the highlight colour around the part of it that is seen.
class OptionButton : public QRadioButton {
  public:
    OptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {}
    void setRoom(const QRect& room) { room_ = room; }
    // The arrow keys move the choice through the group: +1 for Down and Right, -1 for Up and
    // Left.
    std::function<void(int)> onArrow;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const int direction = key == Qt::Key_Down || key == Qt::Key_Right ? +1
                              : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                          : 0;
        if (direction == 0 || !onArrow || event->modifiers() != Qt::NoModifier) {
            QRadioButton::keyPressEvent(event);
            return;
        }
        event->accept();
        onArrow(direction);
    }
    void paintEvent(QPaintEvent* event) override {
        QRadioButton::paintEvent(event);
        if (!hasFocus()) return;
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(room_.isEmpty() ? rect() : room_).adjusted(0.5, 0.5, -0.5, -0.5));
    }

  private:
    QRect room_;
};

}  // namespace

FormWindow::FormWindow(QtHost& host, forms::Form& form)
    : QWidget(nullptr), host_(host), form_(form) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(qs(form.name()));
    if (QScreen* screen = QGuiApplication::primaryScreen()) dpi_ = screen->logicalDotsPerInchX();
    const forms::FormDesc& d = form.description();

    Qt::WindowFlags flags = Qt::Window;
    switch (d.style) {
        case forms::WindowStyle::Bare:
            flags |= Qt::CustomizeWindowHint;
            break;
        case forms::WindowStyle::Calculator:
            flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                     Qt::WindowMinimizeButtonHint;
            break;
        case forms::WindowStyle::Dialog:
            flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                    Qt::WindowCloseButtonHint;
            break;
    }
    setWindowFlags(flags);
    setWindowTitle(qs(forms::windowTitle(d)));
    if (!d.accessibleName.empty()) setAccessibleName(qs(d.accessibleName));
    setFont(toQFont(d.font, font()));
    plan_ = forms::plan(d, dpi_);  // refuses a control in no frame of the form
    const QSize client(plan_.clientWidth, plan_.clientHeight);
    if (d.style == forms::WindowStyle::Bare)
        resize(client);
    else
        setFixedSize(client);
    if (d.back != forms::kDefaultColour) {
        setAutoFillBackground(true);
        setColours(this, d.back, forms::kDefaultColour, QPalette::Window, QPalette::WindowText);
    } else if (inked(d, plan_, forms::kOnForm)) {
        setPalette(lightScheme());
    }
    if (!d.picture.empty())
        background_ = picture(d.picture, QSize(plan_.pictureWidth, plan_.pictureHeight));
    build();
}

const forms::Plan::Control& FormWindow::planned(const ControlDesc& d) const {
    return plan_.controls[std::size_t(&d - form_.description().controls.data())];
}

QRect FormWindow::room(std::string_view name) const {
    const forms::ControlState* state = form_.find(name);
    if (!state) return {};
    const forms::PixelBox& r = planned(*state->desc).room;
    return QRect(r.left, r.top, r.width, r.height);
}

QWidget* FormWindow::control(std::string_view name) const {
    const auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

void FormWindow::build() {
    auto& controls = form_.controls();
    // Each control in the container the plan resolved, containers first. A slider that is never
    // shown, and a control wholly covered by those in front of it, get no widget: nothing can
    // reach them, and a screen reader is not given what nobody sees.
    for (const std::size_t i : plan_.creationOrder) {
        ControlState& c = controls[i];
        const std::size_t in = plan_.controls[i].container;
        QWidget* parent = in == forms::kOnForm ? this : control(controls[in].desc->name);
        if (c.desc->kind == Kind::Timer)
            create(c, this);
        else if (parent && !plan_.controls[i].hidden &&
                 !(c.desc->kind == Kind::Slider && !c.desc->visible))
            widgets_[c.desc->name] = create(c, parent);
    }
    // The labels that head controls with no name of their own: a control that has one is called
    // by it, not by the letter beside it.
    for (ControlState& c : controls)
        if (!c.desc->labelledBy.empty() && c.desc->accessibleName.empty())
            if (auto* label = qobject_cast<QLabel*>(control(c.desc->labelledBy)))
                if (QWidget* w = control(c.desc->name)) label->setBuddy(w);

    // The table lists each container's controls front to back: raise them back to front.
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        if (QWidget* w = control(it->desc->name)) w->raise();

    // Tab order by tab index.
    std::vector<QWidget*> focusable;
    for (const std::size_t i : plan_.tabOrder)
        if (QWidget* w = control(controls[i].desc->name)) focusable.push_back(w);
    for (std::size_t i = 1; i < focusable.size(); ++i) setTabOrder(focusable[i - 1], focusable[i]);

    // Esc presses the cancel button.
    for (ControlState& c : controls)
        if (c.desc->kind == Kind::Button && c.desc->cancel) {
            auto* button = static_cast<QPushButton*>(control(c.desc->name));
            auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
            connect(esc, &QShortcut::activated, button, &QPushButton::click);
        }
}

QWidget* FormWindow::create(ControlState& state, QWidget* parent) {
    const ControlDesc& d = *state.desc;
    const forms::Plan::Control& plan = planned(d);
    const QRect box(plan.box.left, plan.box.top, plan.box.width, plan.box.height);
    QWidget* w = nullptr;
    switch (d.kind) {
        case Kind::Slider: {
            w = new SliderBar(host_, state, parent);
            markControl(w, state);
            w->setFocusPolicy(Qt::StrongFocus);
            w->setVisible(d.visible);
            break;
        }
        case Kind::Readout:
        case Kind::TextBox: {
            auto* edit = new TextLine(parent);
            markControl(edit, state);
            edit->setText(QString::fromStdString(state.text));
            edit->setCursorPosition(0);  // a text wider than its box shows its beginning
            if (d.kind == Kind::Readout) {
                edit->setReadOnly(true);
            } else {
                edit->setFrame(false);
            }
            edit->setAlignment(d.align == forms::Align::Centre  ? Qt::AlignCenter
                               : d.align == forms::Align::Right ? Qt::AlignRight
                                                                : Qt::AlignLeft);
            setColours(edit, state.back, d.fore, QPalette::Base, QPalette::Text);
            w = edit;
            break;
        }
        case Kind::Label: {
            auto* label = new QLabel(qs(d.caption), parent);
            label->setWordWrap(true);
            label->setAlignment((d.align == forms::Align::Centre  ? Qt::AlignHCenter
                                 : d.align == forms::Align::Right ? Qt::AlignRight
                                                                  : Qt::AlignLeft) |
                                Qt::AlignTop);
            // A label hides what lies behind it, in its own colour or its container's, unless
            // the layout makes it transparent.
            if (!d.transparent) label->setAutoFillBackground(true);
            if (!d.transparent && d.back != forms::kDefaultColour)
                setColours(label, d.back, d.fore, QPalette::Window, QPalette::WindowText);
            else if (d.fore != forms::kDefaultColour)
                setColour(label, QPalette::WindowText, d.fore);
            w = label;
            break;
        }
        case Kind::Frame: {
            auto* frame = new FrameBox(parent);
            markControl(frame, state);
            if (plan.role == forms::Role::Drawing) markDrawing(frame);
            frame->setTitle(qs(d.caption));
            // A frame hides what lies behind it, in its own colour or its container's.
            frame->setAutoFillBackground(true);
            if (d.back != forms::kDefaultColour)
                setColours(frame, d.back, d.fore, QPalette::Window, QPalette::WindowText);
            else if (inked(form_.description(), plan_,
                           std::size_t(&state - form_.controls().data())))
                frame->setPalette(lightScheme());
            w = frame;
            break;
        }
        case Kind::Button: {
            auto* button = new CaptionButton(host_, qs(d.caption), parent);
            button->setAutoDefault(true);  // Enter presses the focused button
            const QColor back = toQColor(d.back);
            setColours(button, d.back, d.fore, QPalette::Button, QPalette::ButtonText);
            if (back.isValid())
                button->setStyleSheet(
                    QStringLiteral("QPushButton { background-color: %1; color: %2; "
                                   "border: 2px outset %1; }"
                                   "QPushButton:pressed { border-style: inset; }"
                                   "QPushButton:focus { border-color: #202020; }")
                        .arg(back.name(), button->palette().color(QPalette::ButtonText).name()));
            connect(button, &QPushButton::clicked, this,
                    [this, &state] { host_.act([&] { host_.runtime().click(state); }); });
            w = button;
            break;
        }
        case Kind::Option: {
            auto* option = new OptionButton(qs(d.caption), parent);
            markControl(option, state);
            option->setChecked(state.selected);
            if (d.back != forms::kDefaultColour)
                setColours(option, d.back, d.fore, QPalette::Window, QPalette::WindowText);
            else if (d.fore != forms::kDefaultColour)
                setColour(option, QPalette::WindowText, d.fore);
            // However it is chosen (a click, Space, an assistive tool's action), choosing an
            // option is the model's action; the model keeps the group, and the buttons show it.
            connect(option, &QRadioButton::toggled, this, [this, &state](bool on) {
                if (on && !state.selected) host_.act([&] { host_.runtime().select(state); });
                syncOptions();
            });
            option->onArrow = [this, &state](int direction) { arrowOption(state, direction); };
            w = option;
            break;
        }
        case Kind::Line:
        case Kind::Oval:
        case Kind::Rectangle: {
            auto* shape = new ShapeWidget(d, plan, parent);
            shape->setObjectName(qs(d.name));
            return shape;
        }
        case Kind::Image:
        case Kind::Picture: {
            auto* label = new QLabel(parent);
            if (d.kind == Kind::Image) {
                label->setScaledContents(true);
                label->setPixmap(picture(d.picture, box.size()));
            } else {
                // A picture larger than its box is shrunk to fit it rather than cut off.
                QSize size = picture(d.picture).deviceIndependentSize().toSize();
                if (size.width() > box.width() || size.height() > box.height())
                    size.scale(box.size(), Qt::KeepAspectRatio);
                label->setPixmap(picture(d.picture, size));
                label->setAlignment(Qt::AlignCenter);
                if (d.back != forms::kDefaultColour) {
                    label->setAutoFillBackground(true);
                    setColours(label, d.back, d.fore, QPalette::Window, QPalette::WindowText);
                }
            }
            w = label;
            break;
        }
        case Kind::Timer: {
            auto* timer = new QTimer(this);
            timer->setTimerType(Qt::PreciseTimer);
            timer->setInterval(d.interval);
            connect(timer, &QTimer::timeout, this,
                    [this, &state] { host_.act([&] { host_.runtime().tick(state); }); });
            timer->start();
            return nullptr;
        }
    }
    w->setObjectName(qs(d.name));
    markControl(w, state);
    w->setGeometry(box);
    w->setFont(toQFont(*plan.font, parent->font()));
    const QRect seen = room(d.name);
    // A label's text goes in the part of it that the controls in front leave seen.
    if (d.kind == Kind::Label && !seen.isEmpty())
        w->setContentsMargins(seen.left(), seen.top(), w->width() - 1 - seen.right(),
                              w->height() - 1 - seen.bottom());
    if (d.kind == Kind::Option) static_cast<OptionButton*>(w)->setRoom(seen);
    fitCaption(w, d);
    if (!d.accessibleName.empty()) w->setAccessibleName(qs(d.accessibleName));
    if (!d.description.empty()) w->setAccessibleDescription(qs(d.description));
    if (d.kind == Kind::Label || d.kind == Kind::Frame || d.kind == Kind::Image)
        w->setFocusPolicy(Qt::NoFocus);
    else if (d.kind != Kind::Slider)
        w->setFocusPolicy(takesFocus(d) ? Qt::StrongFocus : Qt::NoFocus);
    return w;
}

void FormWindow::stopSliderRepeats() {
    for (ControlState& c : form_.controls())
        if (c.desc->kind == Kind::Slider)
            if (auto* bar = static_cast<SliderBar*>(control(c.desc->name))) bar->stopRepeating();
}

void FormWindow::sync() {
    if (!form_.loaded()) return;
    for (ControlState& c : form_.controls()) {
        QWidget* w = control(c.desc->name);
        if (!w) continue;
        switch (c.desc->kind) {
            case Kind::Slider: {
                auto* bar = static_cast<QScrollBar*>(w);
                if (bar->value() != c.value || bar->sliderPosition() != c.value) {
                    const QSignalBlocker block(bar);
                    bar->setValue(c.value);
                    bar->setSliderPosition(c.value);
                }
                break;
            }
            case Kind::Readout: {
                auto* edit = static_cast<QLineEdit*>(w);
                const QString text = QString::fromStdString(c.text);
                if (edit->text() != text) {
                    edit->setText(text);
                    fitText(edit, toQFont(*planned(*c.desc).font, font()));
                }
                setColours(edit, c.back, c.desc->fore, QPalette::Base, QPalette::Text);
                // Screen readers hear a change only when there is one.
                const QString note = qs(c.note);
                if (edit->toolTip() != note) edit->setToolTip(note);
                const QString description = qs(forms::readoutDescription(c));
                if (edit->accessibleDescription() != description)
                    edit->setAccessibleDescription(description);
                break;
            }
            default:
                break;
        }
    }
    syncOptions();
}

void FormWindow::syncOptions() {
    // The selected one first: an exclusive group cannot be left with none checked.
    for (bool selected : {true, false})
        for (ControlState& c : form_.controls())
            if (c.desc->kind == Kind::Option && c.selected == selected)
                if (auto* option = qobject_cast<QRadioButton*>(control(c.desc->name))) {
                    const QSignalBlocker block(option);
                    if (option->isChecked() != c.selected) {
                        option->setAutoExclusive(false);
                        option->setChecked(c.selected);
                        option->setAutoExclusive(true);
                    }
                }
}

void FormWindow::announce(const QString& results) {
    // A notice that shows for a moment says them, once the action's own changes (a slider's new
    // value) have been told, so that the results come last and are not cut off. It takes no
    // room, no click and no focus, and goes again before it can be found and read stale.
    QTimer::singleShot(0, this, [this, results] {
        delete notice_;
        notice_ = new QWidget(this);
        notice_->setGeometry(0, 0, 1, 1);
        notice_->setAttribute(Qt::WA_TransparentForMouseEvents);
        notice_->setFocusPolicy(Qt::NoFocus);
        notice_->setAccessibleName(results);
        markNotice(notice_);
        notice_->show();
        QTimer::singleShot(kNoticeMs, notice_, &QObject::deleteLater);
    });
}

void FormWindow::arrowOption(ControlState& from, int direction) {
    // The focus goes to the next option of the group, and the choice with it: what a click on
    // that option does.
    const auto& controls = form_.controls();
    const std::size_t next = forms::nextOption(form_.description(), plan_,
                                               std::size_t(&from - controls.data()), direction);
    ControlState& to = form_.controls()[next];
    QWidget* w = control(to.desc->name);
    if (&to == &from || !w) return;
    w->setFocus(Qt::TabFocusReason);
    if (!to.selected) host_.act([&] { host_.runtime().select(to); });
    syncOptions();
}

void FormWindow::fitCaption(QWidget* w, const ControlDesc& d) const {
    // No caption may be cut off or hidden: where the stand-in font makes it larger than the
    // part of its box that is seen, a smaller size is used for that control.
    const QRect seen = room(d.name);
    switch (d.kind) {
        case Kind::Label: {
            auto* label = static_cast<QLabel*>(w);
            shrinkToFit(w, label->text(), label->contentsRect(),
                        int(label->alignment()) | Qt::TextWordWrap);
            break;
        }
        case Kind::Button:
            shrinkToFit(w, qs(d.caption), CaptionButton::textRoom(w->rect()).intersected(seen),
                        Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic);
            break;
        case Kind::Option: {
            QStyleOptionButton option;
            option.initFrom(w);
            option.rect = w->rect();
            option.text = qs(d.caption);
            const QRect room =
                w->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, w);
            shrinkToFit(w, option.text, room.intersected(seen),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic);
            break;
        }
        case Kind::Frame:
            shrinkToFit(w, qs(d.caption), frameTitleRoom(w), Qt::AlignLeft | Qt::TextShowMnemonic);
            break;
        case Kind::TextBox:
            fitText(static_cast<QLineEdit*>(w), w->font());
            break;
        default:
            break;
    }
}

void FormWindow::fitText(QLineEdit* edit, const QFont& described) {
    // A value must never be shown cut off: where the described font makes the text wider than
    // the box (another font stands in for it), a smaller size is used for that text.
    QFont f = described;
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    const QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const int available = room.width() - 4;  // the line edit's own side margins
    while (f.pointSizeF() > 5 && QFontMetrics(f).horizontalAdvance(edit->text()) > available)
        f.setPointSizeF(f.pointSizeF() - 0.25);
    if (edit->font() != f) edit->setFont(f);
    edit->setCursorPosition(0);
}

void FormWindow::focusFirst() {
    for (const std::size_t i : plan_.tabOrder)
        if (QWidget* w = control(form_.controls()[i].desc->name)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
}

void FormWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (background_.isNull()) return;
    // Drawn at its natural size from the corner, cut off at the right and bottom edges.
    QPainter p(this);
    p.drawPixmap(0, 0, background_);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    // The user closed the window: the model unloads the form, which takes the window away.
    event->ignore();
    host_.act([&] { host_.runtime().close(form_); });
}

}  // namespace formsqt
