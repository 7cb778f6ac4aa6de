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
#include "forms/input.h"
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
    std::function<void(const forms::Input&)> onInput;

  protected:
    // Enter is the model's (a key held on the button clicks it once); Space is the button's
    // own, which clicks when it is let go, and whose repeats click nothing.
    void keyPressEvent(QKeyEvent* event) override {
        const bool repeat = host_.keyRepeats(*event);
        const int key = event->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && onInput) {
            event->accept();
            onInput(forms::Input::keyDown(forms::Key::Enter, repeat));
        } else if ((key == Qt::Key_Space || key == Qt::Key_Select) && repeat) {
            event->accept();
        } else {
            QPushButton::keyPressEvent(event);
        }
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
    // The arrow keys move the choice through the group, as the model's map says.
    std::function<void(const forms::Input&)> onInput;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const forms::Key key = modelKey(event->key());
        const bool arrow = key == forms::Key::Left || key == forms::Key::Right ||
                           key == forms::Key::Up || key == forms::Key::Down;
        if (!arrow || !onInput || event->modifiers() != Qt::NoModifier) {
            QRadioButton::keyPressEvent(event);
            return;
        }
        event->accept();
        onInput(forms::Input::keyDown(key, event->isAutoRepeat()));
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
    if (plan_.back != forms::kDefaultColour) {
        setAutoFillBackground(true);
        setColours(this, plan_.back, forms::kDefaultColour, QPalette::Window, QPalette::WindowText);
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
    // Each control the plan makes, in the container it resolved, containers first.
    for (const std::size_t i : plan_.creationOrder) {
        ControlState& c = controls[i];
        const std::size_t in = plan_.controls[i].container;
        QWidget* parent = in == forms::kOnForm ? this : control(controls[in].desc->name);
        if (c.desc->kind == Kind::Timer)
            create(c, this);
        else if (parent && plan_.controls[i].made)
            widgets_[c.desc->name] = create(c, parent);
    }
    // The labels that head controls with no name of their own: a control that has one is called
    // by it, not by the letter beside it.
    for (const forms::Plan::Control& p : plan_.controls)
        if (p.labelledBy && p.spoken.empty())
            if (auto* label = qobject_cast<QLabel*>(control(controls[*p.labelledBy].desc->name)))
                if (QWidget* w = control(controls[p.index].desc->name)) label->setBuddy(w);

    // Raised back to front, as the plan stacks them.
    for (auto it = plan_.frontToBack.rbegin(); it != plan_.frontToBack.rend(); ++it)
        if (QWidget* w = control(controls[*it].desc->name)) w->raise();

    // Esc is the model's wherever the focus is in the window.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this,
            [this] { hand(at(focusWidget()), forms::Input::keyDown(forms::Key::Escape)); });
}

std::size_t FormWindow::at(const QWidget* w) const {
    for (; w && w != this; w = w->parentWidget())
        for (const auto& [name, widget] : widgets_)
            if (widget == w)
                if (const ControlState* state = form_.find(name))
                    return std::size_t(state - form_.controls().data());
    return forms::kOnForm;
}

bool FormWindow::hand(std::size_t at, const forms::Input& input) {
    const auto handled = host_.input(form_, plan_, at, input);
    if (handled.response.focus && !unloaded_)
        if (QWidget* w = control(form_.controls()[*handled.response.focus].desc->name))
            w->setFocus(input.key == forms::Key::Access ? Qt::ShortcutFocusReason
                                                        : Qt::TabFocusReason);
    syncOptions();
    return handled.response.taken;
}

namespace {

// The letter typed with Alt (and neither Ctrl nor Meta), or 0.
char32_t accessLetter(const QKeyEvent& event) {
    const Qt::KeyboardModifiers held = event.modifiers() & ~Qt::KeypadModifier;
    if (!(held & Qt::AltModifier) || (held & (Qt::ControlModifier | Qt::MetaModifier))) return 0;
    const QList<uint> text = event.text().toUcs4();
    if (!text.isEmpty() && QChar::isPrint(text.front())) return text.front();
    return event.key() > 0x20 && event.key() < 0x100 ? char32_t(event.key()) : 0;
}

}  // namespace

bool FormWindow::event(QEvent* event) {
    // A letter with Alt is the model's access key, not one of Qt's mnemonics: the window takes
    // it as a key press (keyPressEvent), before any shortcut of Qt's can.
    if (event->type() == QEvent::ShortcutOverride &&
        accessLetter(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    const char32_t letter = accessLetter(*event);
    if (letter && hand(at(focusWidget()), forms::Input::keyDown(forms::Key::Access, false, letter)))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

bool FormWindow::focusNextPrevChild(bool next) {
    // Tab and Shift+Tab walk the model's tab order, round from the last to the first.
    const forms::Input tab = forms::Input::keyDown(next ? forms::Key::Tab : forms::Key::BackTab);
    if (!forms::respond(form_, plan_, at(focusWidget()), tab).focus)
        return QWidget::focusNextPrevChild(next);
    hand(at(focusWidget()), tab);
    return true;
}

QWidget* FormWindow::create(ControlState& state, QWidget* parent) {
    const ControlDesc& d = *state.desc;
    const forms::Plan::Control& plan = planned(d);
    const QRect box(plan.box.left, plan.box.top, plan.box.width, plan.box.height);
    QWidget* w = nullptr;
    switch (d.kind) {
        case Kind::Slider: {
            const std::size_t index = plan.index;
            w = new SliderBar(
                host_, state, parent, [this, index](const forms::Input& in) { hand(index, in); },
                [this, index](int towardsUser, int perNotch) {
                    host_.wheel(form_, plan_, index, towardsUser, perNotch);
                });
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
            setColours(edit, state.back, plan.fore, QPalette::Base, QPalette::Text);
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
            if (!d.transparent && plan.back != forms::kDefaultColour)
                setColours(label, plan.back, plan.fore, QPalette::Window, QPalette::WindowText);
            else if (plan.fore != forms::kDefaultColour)
                setColour(label, QPalette::WindowText, plan.fore);
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
            if (plan.back != forms::kDefaultColour)
                setColours(frame, plan.back, plan.fore, QPalette::Window, QPalette::WindowText);
            else if (inked(form_.description(), plan_,
                           std::size_t(&state - form_.controls().data())))
                frame->setPalette(lightScheme());
            w = frame;
            break;
        }
        case Kind::Button: {
            auto* button = new CaptionButton(host_, qs(d.caption), parent);
            button->setAutoDefault(true);  // Enter presses the focused button
            const QColor back = toQColor(plan.back);
            setColours(button, plan.back, plan.fore, QPalette::Button, QPalette::ButtonText);
            if (back.isValid())
                button->setStyleSheet(
                    QStringLiteral("QPushButton { background-color: %1; color: %2; "
                                   "border: 2px outset %1; }"
                                   "QPushButton:pressed { border-style: inset; }"
                                   "QPushButton:focus { border-color: #202020; }")
                        .arg(back.name(), button->palette().color(QPalette::ButtonText).name()));
            const std::size_t index = plan.index;
            button->onInput = [this, index](const forms::Input& in) { hand(index, in); };
            connect(button, &QPushButton::clicked, this,
                    [this, index] { hand(index, forms::Input::click()); });
            w = button;
            break;
        }
        case Kind::Option: {
            auto* option = new OptionButton(qs(d.caption), parent);
            markControl(option, state);
            option->setChecked(state.selected);
            if (plan.back != forms::kDefaultColour)
                setColours(option, plan.back, plan.fore, QPalette::Window, QPalette::WindowText);
            else if (plan.fore != forms::kDefaultColour)
                setColour(option, QPalette::WindowText, plan.fore);
            // However it is chosen (a click, Space, an assistive tool's action), choosing an
            // option is the model's action; the model keeps the group, and the buttons show it.
            const std::size_t index = plan.index;
            connect(option, &QRadioButton::toggled, this, [this, &state, index](bool on) {
                if (on && !state.selected) hand(index, forms::Input::click());
                syncOptions();
            });
            option->onInput = [this, index](const forms::Input& in) { hand(index, in); };
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
                const QSize natural = picture(d.picture).deviceIndependentSize().toSize();
                const forms::PixelBox fit =
                    forms::fittedPicture(natural.width(), natural.height(), plan.box, dpi_);
                label->setPixmap(picture(d.picture, QSize(fit.width, fit.height)));
                label->setAlignment(Qt::AlignCenter);
                if (plan.back != forms::kDefaultColour) {
                    label->setAutoFillBackground(true);
                    setColours(label, plan.back, plan.fore, QPalette::Window, QPalette::WindowText);
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
    if (!plan.spoken.empty()) w->setAccessibleName(qs(plan.spoken));
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
    while (f.pointSizeF() > forms::kSmallestPoints &&
           QFontMetrics(f).horizontalAdvance(edit->text()) > available)
        f.setPointSizeF(f.pointSizeF() - forms::kShrinkPoints);
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
