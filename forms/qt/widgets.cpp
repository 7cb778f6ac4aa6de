#include "forms/qt/widgets.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <algorithm>

#include "forms/qt/qthost.h"

namespace formsqt {

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

ShapeWidget::ShapeWidget(const forms::ControlDesc& desc, QWidget* parent, double dpi)
    : QWidget(parent), desc_(desc) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    if (desc.kind == forms::Kind::Line) {
        const int pad = std::max(desc.lineWidth, 1);
        const QPoint a(px(desc.x1), px(desc.y1)), b(px(desc.x2), px(desc.y2));
        const QRect box = QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad);
        setGeometry(box);
        from_ = a - box.topLeft();
        to_ = b - box.topLeft();
    } else {
        setGeometry(px(desc.left), px(desc.top), px(desc.width), px(desc.height));
    }
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, desc_.kind != forms::Kind::Rectangle);
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

}  // namespace formsqt
