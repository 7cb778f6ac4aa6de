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

#include "display/qt/accessible.h"
#include "display/qt/qthost.h"
#include "forms/plan.h"

namespace formsqt {

using forms::ControlDesc;
using forms::ControlState;

QColor toQColor(forms::Colour colour) {
    switch (colour) {
        case forms::kDefaultColour:
            return {};
        // The classic scheme's grey for the text of an inactive title bar.
        case forms::kInactiveTitleText:
            return QColor(0xC0, 0xC0, 0xC0);
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
    const QString family = QString::fromUtf8(font.family.data(), qsizetype(font.family.size()));
    // Close equivalents of the same kind where the family is missing.
    QStringList families{family};
    QFont::StyleHint hint = QFont::SansSerif;
    if (family.contains("Times")) {
        families << "Liberation Serif"
                 << "DejaVu Serif"
                 << "serif";
        hint = QFont::Serif;
    } else if (family.contains("Perpetua")) {
        families << "URW Bookman"
                 << "Liberation Serif"
                 << "DejaVu Serif"
                 << "serif";
        hint = QFont::Serif;
    } else {
        families << "Liberation Sans"
                 << "Arial"
                 << "DejaVu Sans"
                 << "sans-serif";
    }
    QFont f(inherited);
    f.setFamilies(families);
    f.setStyleHint(hint);
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
    while (f.pointSizeF() > 5 && !fits(f)) f.setPointSizeF(f.pointSizeF() - 0.25);
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
    : QWidget(parent), desc_(desc) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (desc.kind == forms::Kind::Line) {
        const int pad = std::max(desc.lineWidth, 1);
        const QPoint a(plan.x1, plan.y1), b(plan.x2, plan.y2);
        const QRect box = QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad);
        setGeometry(box);
        from_ = a - box.topLeft();
        to_ = b - box.topLeft();
    } else {
        setGeometry(plan.box.left, plan.box.top, plan.box.width, plan.box.height);
    }
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Lines and rectangles fall on whole pixels in their own colour; only ovals are smoothed.
    p.setRenderHint(QPainter::Antialiasing, desc_.kind == forms::Kind::Oval);
    QColor ink = toQColor(desc_.fore);
    if (!ink.isValid()) ink = Qt::black;
    QPen pen(ink, desc_.lineWidth);
    if (desc_.dotted) pen.setStyle(Qt::DotLine);
    if (desc_.kind == forms::Kind::Line) {
        p.setPen(pen);
        p.drawLine(from_, to_);
        return;
    }
    p.setPen(desc_.outline ? pen : QPen(Qt::NoPen));
    const QColor fill = toQColor(desc_.back);
    p.setBrush(desc_.filled && fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
    const int inset = desc_.outline ? (desc_.lineWidth + 1) / 2 : 0;
    const QRect r = rect().adjusted(inset, inset, -inset, -inset);
    if (desc_.kind == forms::Kind::Oval)
        p.drawEllipse(r);
    else
        p.drawRect(r);
}

SliderBar::SliderBar(QtHost& host, ControlState& state, QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent), host_(host), state_(state) {
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
    // A key going down begins a press; its auto-repeat is the same press.
    if (!event->isAutoRepeat()) host_.pressBegins();
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            triggerAction(SliderSingleStepAdd);
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            triggerAction(SliderSingleStepSub);
            break;
        case Qt::Key_PageDown:
            triggerAction(SliderPageStepAdd);
            break;
        case Qt::Key_PageUp:
            triggerAction(SliderPageStepSub);
            break;
        case Qt::Key_Home:
            dragTo(minimum());
            break;
        case Qt::Key_End:
            dragTo(maximum());
            break;
        default:
            event->ignore();
            return;
    }
    event->accept();
}

void SliderBar::mousePressEvent(QMouseEvent* event) {
    host_.pressBegins();
    QScrollBar::mousePressEvent(event);
}

void SliderBar::wheelEvent(QWheelEvent* event) {
    QPoint delta = event->angleDelta();
    if (event->inverted()) delta = -delta;
    wheel_ += delta.y() != 0 ? delta.y() : delta.x();
    event->accept();
    while (wheel_ <= -120 || wheel_ >= 120) {
        const int direction = wheel_ < 0 ? +1 : -1;
        wheel_ += direction * 120;
        if (!step(direction)) {
            wheel_ = 0;
            break;
        }
    }
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

bool SliderBar::step(int direction) {
    forms::Slider slider(state_);
    const bool taken = host_.act([&] { host_.runtime().arrow(slider, direction); });
    if (state_.form->loaded()) setSliderPosition(state_.value);
    return taken && state_.form->loaded();
}

void SliderBar::dragTo(int position) {
    host_.act([&] {
        host_.runtime().drag(forms::Slider(state_),
                             forms::Int(static_cast<std::int16_t>(position)));
    });
    if (state_.form->loaded()) setSliderPosition(state_.value);
}

void SliderBar::onAction(int action) {
    if (action == SliderMove && isSliderDown()) return;  // the thumb follows the mouse
    forms::Slider slider(state_);
    auto& rt = host_.runtime();
    // A step of a press: once the press has met a message box it goes no further.
    host_.pressStep([&] {
        switch (action) {
            case SliderSingleStepAdd:
                rt.arrow(slider, +1);
                break;
            case SliderSingleStepSub:
                rt.arrow(slider, -1);
                break;
            case SliderPageStepAdd:
                rt.page(slider, +1);
                break;
            case SliderPageStepSub:
                rt.page(slider, -1);
                break;
            default:
                break;  // Home, End and the wheel have handlers of their own
        }
    });
    if (state_.form->loaded()) setSliderPosition(state_.value);
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
