#include "display/qt/widgets.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QSvgRenderer>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

#include "display/qt/accessible.h"
#include "display/qt/qthost.h"
#include "forms/plan.h"

namespace formsqt {

using forms::ControlDesc;
using forms::ControlState;

forms::Key modelKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Left:
            return forms::Key::Left;
        case Qt::Key_Right:
            return forms::Key::Right;
        case Qt::Key_Up:
            return forms::Key::Up;
        case Qt::Key_Down:
            return forms::Key::Down;
        case Qt::Key_PageUp:
            return forms::Key::PageUp;
        case Qt::Key_PageDown:
            return forms::Key::PageDown;
        case Qt::Key_Home:
            return forms::Key::Home;
        case Qt::Key_End:
            return forms::Key::End;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return forms::Key::Enter;
        case Qt::Key_Escape:
            return forms::Key::Escape;
        default:
            return forms::Key::Other;
    }
}

QColor toQColor(forms::Colour colour) {
    switch (colour = forms::shownColour(colour)) {
        case forms::kDefaultColour:
            return {};
        case forms::kHighlight:
            return QApplication::palette().color(QPalette::Highlight);
        default:
            return QColor(QRgb(static_cast<unsigned>(colour)));
    }
}

QPalette lightScheme() {
    return QApplication::style()->standardPalette();
}

void setColours(QWidget* w, forms::Colour back, forms::Colour fore, QPalette::ColorRole backRole,
                QPalette::ColorRole textRole) {
    const QColor b = toQColor(back), f = toQColor(fore);
    const QPalette around =
        w->parentWidget() ? w->parentWidget()->palette() : QApplication::palette(w);
    QPalette pal = w->palette();
    if (b.isValid()) {
        pal.setColor(backRole, b);
        pal.setColor(textRole, f.isValid() ? f : QColor(Qt::black));
    } else if (f.isValid()) {
        pal.setColor(backRole, lightScheme().color(backRole));
        pal.setColor(textRole, f);
    } else {
        pal.setColor(backRole, around.color(backRole));
        pal.setColor(textRole, around.color(textRole));
    }
    if (pal != w->palette()) w->setPalette(pal);
}

QFont toQFont(const forms::Font& font, const QFont& inherited) {
    if (font.family.empty()) return inherited;
    const forms::Faces faces = forms::faces(font);
    QStringList families;
    for (const std::string_view family : faces.families)
        families << QString::fromUtf8(family.data(), qsizetype(family.size()));
    families << (faces.serif ? QStringLiteral("serif") : QStringLiteral("sans-serif"));
    QFont f(inherited);
    f.setFamilies(families);
    f.setStyleHint(faces.serif ? QFont::Serif : QFont::SansSerif);
    f.setPointSizeF(font.points);
    f.setBold(font.bold);
    return f;
}

QPixmap picture(std::string_view name, QSize size) {
    const QString path = QStringLiteral(":/pictures/") +
                         QString::fromUtf8(name.data(), qsizetype(name.size())) +
                         QStringLiteral(".svg");
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return {};
    if (size.isEmpty()) size = renderer.defaultSize();
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

void shrinkToFit(QWidget* widget, const QString& text, const QRect& room, int flags) {
    if (text.isEmpty()) return;
    QFont f = widget->font();
    const auto fits = [&](const QFont& font) {
        const QRect need = QFontMetrics(font).boundingRect(room, flags, text);
        return need.width() <= room.width() && need.height() <= room.height();
    };
    while (f.pointSizeF() > forms::kSmallestPoints && !fits(f))
        f.setPointSizeF(f.pointSizeF() - forms::kShrinkPoints);
    if (f != widget->font()) widget->setFont(f);
}

QRect frameTitleRoom(const QWidget* frame) {
    constexpr int kMargin = 8;  // the caption's inset from either side of the frame
    return QRect(kMargin, 0, std::max(frame->width() - 2 * kMargin, 0), frame->height());
}

void FrameBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics metrics(font());
    const int top = title().isEmpty() ? 0 : metrics.height() / 2;
    const QRect border = rect().adjusted(0, top, -2, -2);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(border);
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(border.translated(1, 1));
    if (title().isEmpty()) return;
    const QRect room = frameTitleRoom(this);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic;
    QRect caption = metrics.boundingRect(room, flags, title()).intersected(room);
    caption.setHeight(metrics.height());
    p.fillRect(caption.adjusted(-2, 0, 2, 0), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(caption, flags, title());
}

void TextLine::keyPressEvent(QKeyEvent* event) {
    const bool select = event->matches(QKeySequence::SelectNextWord) ||
                        event->matches(QKeySequence::SelectPreviousWord);
    const bool forward = event->matches(QKeySequence::MoveToNextWord) ||
                         event->matches(QKeySequence::SelectNextWord);
    if (!forward && !select && !event->matches(QKeySequence::MoveToPreviousWord)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QList<int> starts = wordStarts(text());
    const int at = cursorPosition();
    int to = forward ? int(text().size()) : 0;
    if (forward) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), at);
        if (next != starts.end()) to = *next;
    } else {
        const auto next = std::lower_bound(starts.begin(), starts.end(), at);
        if (next != starts.begin()) to = *std::prev(next);
    }
    if (to > at)
        cursorForward(select, to - at);
    else
        cursorBackward(select, at - to);
    event->accept();
}

ShapeWidget::ShapeWidget(const forms::ControlDesc& desc, const forms::Plan::Control& plan,
                         QWidget* parent)
    : QWidget(parent), desc_(desc), width_(plan.lineWidth) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (desc.kind == forms::Kind::Line) {
        const int pad = width_;
        const QPoint a(plan.x1, plan.y1), b(plan.x2, plan.y2);
        const QRect box = QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad);
        setGeometry(box);
        from_ = a - box.topLeft();
        to_ = b - box.topLeft();
    } else {
        setGeometry(plan.box.left, plan.box.top, plan.box.width, plan.box.height);
        outline_ =
            QRectF(plan.outline.left, plan.outline.top, plan.outline.width, plan.outline.height);
    }
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Lines and rectangles fall on whole pixels in their own colour; only ovals are smoothed.
    p.setRenderHint(QPainter::Antialiasing, desc_.kind == forms::Kind::Oval);
    QColor ink = toQColor(desc_.fore);
    if (!ink.isValid()) ink = Qt::black;
    QPen pen(ink, width_);
    pen.setJoinStyle(Qt::MiterJoin);
    if (desc_.dotted) pen.setStyle(Qt::DotLine);
    if (desc_.kind == forms::Kind::Line) {
        p.setPen(pen);
        p.drawLine(from_, to_);
        return;
    }
    p.setPen(desc_.outline ? pen : QPen(Qt::NoPen));
    const QColor fill = toQColor(desc_.back);
    p.setBrush(desc_.filled && fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
    // The outline where the plan runs it, its stroke inside the box; without one, the fill
    // reaches the box's edges.
    const QRectF r = desc_.outline ? outline_ : QRectF(rect());
    if (desc_.kind == forms::Kind::Oval)
        p.drawEllipse(r);
    else
        p.drawRect(r);
}

SliderBar::SliderBar(QtHost& host, ControlState& state, QWidget* parent, Hand hand, Turn turn)
    : QScrollBar(Qt::Horizontal, parent),
      host_(host),
      state_(state),
      hand_(std::move(hand)),
      turn_(std::move(turn)) {
    const ControlDesc& d = *state.desc;
    setRange(d.min, d.max);
    setSingleStep(d.smallChange);
    setPageStep(d.largeChange);
    setTracking(false);
    setValue(state.value);
    connect(this, &QAbstractSlider::actionTriggered, this, &SliderBar::onAction);
    connect(this, &QAbstractSlider::sliderReleased, this, &SliderBar::onReleased);
    // A value set from outside the model's actions (an assistive tool) counts as a thumb
    // released there; the scroll bar's own menu, which would set it so, is not offered.
    connect(this, &QAbstractSlider::valueChanged, this, &SliderBar::onValueSet);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void SliderBar::keyPressEvent(QKeyEvent* event) {
    const forms::Key key = modelKey(event->key());
    if (key == forms::Key::Other || key == forms::Key::Enter || key == forms::Key::Escape) {
        event->ignore();
        return;
    }
    event->accept();
    hand_(forms::Input::keyDown(key, host_.keyRepeats(*event)));
    showValue();
}

void SliderBar::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    QScrollBar::mousePressEvent(event);
    pressed_ = false;
}

void SliderBar::wheelEvent(QWheelEvent* event) {
    QPoint delta = event->angleDelta();
    if (event->inverted()) delta = -delta;
    event->accept();
    // Qt counts a turn away from the user as positive, 120 to a notch.
    turn_(-(delta.y() != 0 ? delta.y() : delta.x()), 120);
    showValue();
}

void SliderBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (!hasFocus()) return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(thumb).adjusted(1, 1, -1, -1));
}

void SliderBar::showValue() {
    if (state_.form->loaded()) setSliderPosition(state_.value);
}

void SliderBar::dragTo(int position) {
    host_.act([&] {
        host_.runtime().drag(forms::Slider(state_),
                             forms::Int(static_cast<std::int16_t>(position)));
    });
    showValue();
}

void SliderBar::onAction(int action) {
    if (action == SliderMove && isSliderDown()) return;  // the thumb follows the mouse
    // A step of a press of an arrow or the track: the first as the button goes down.
    const bool repeat = !pressed_;
    pressed_ = false;
    switch (action) {
        case SliderSingleStepAdd:
            hand_(forms::Input::press(forms::Part::MoreArrow, repeat));
            break;
        case SliderSingleStepSub:
            hand_(forms::Input::press(forms::Part::LessArrow, repeat));
            break;
        case SliderPageStepAdd:
            hand_(forms::Input::press(forms::Part::TrackAfter, repeat));
            break;
        case SliderPageStepSub:
            hand_(forms::Input::press(forms::Part::TrackBefore, repeat));
            break;
        default:
            break;
    }
    // Qt moves the bar by its own step once this returns: it moves to the model's value instead.
    showValue();
}

void SliderBar::onValueSet(int v) {
    if (!state_.form->loaded() || v == state_.value) return;
    host_.act([&] {
        host_.runtime().drag(forms::Slider(state_), forms::Int(static_cast<std::int16_t>(v)));
    });
    if (state_.form->loaded() && value() != state_.value) {
        const QSignalBlocker block(this);
        setValue(state_.value);
    }
}

void SliderBar::stopRepeating() {
    setRepeatAction(SliderNoAction);
    setSliderDown(false);
}

}  // namespace formsqt
