// What the windows show, looked at pixel by pixel under the offscreen platform: the focus on a
// slider, letters in front of the drawing's lines, thin lines on whole pixels, texts that fit
// their boxes at any scale, Qt's own texts in Portuguese, and the about dialog's owner.
#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionFrame>
#include <QWindow>
#include <QtTest>
#include <cmath>
#include <memory>

#include "display/qt/formwindow.h"
#include "display/qt/qthost.h"
#include "display/qt/tests/qtprogram.h"
#include "shell/shell.h"

using forms::ControlDesc;
using forms::Kind;
using formsqt::FormWindow;

namespace {

constexpr const char* kCalculators[] = {"frmduaspernas", "frmtrespernas", "frmquatropernas"};
constexpr const char* kAllForms[] = {"frmsplashscreen", "frmmain",         "frmduaspernas",
                                     "frmtrespernas",   "frmquatropernas", "frmacerca"};

QColor colourOf(forms::Colour c) {
    return c < 0 ? QColor(Qt::black) : QColor(QRgb(static_cast<unsigned>(c)));
}

}  // namespace

class DisplayTest : public QtProgramTest {
    Q_OBJECT

    // A widget as drawn, at the device's own pixels.
    static QImage picture(QWidget* w) {
        return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static double ratio(const QImage& image) { return image.devicePixelRatio(); }

    // The contrast of each text of every window with its background, in the colours its kind
    // draws them in, with the sliders half way for the read-outs to show values and bands.
    QMap<QString, double> contrasts() {
        const auto lum = [](QColor c) {
            return 0.2126 * std::pow(c.redF(), 2.2) + 0.7152 * std::pow(c.greenF(), 2.2) +
                   0.0722 * std::pow(c.blueF(), 2.2) + 0.05;
        };
        QMap<QString, double> found;
        for (const char* name : kAllForms) {
            FormWindow* w = open(name);
            for (const auto& slider : w->plan().groups.sliders) {
                forms::ControlState& s = form(name).controls()[slider.slider];
                runtime->drag(forms::Slider(s), std::int16_t((s.desc->min + s.desc->max) / 2));
            }
            for (const ControlDesc& d : form(name).description().controls) {
                using P = QPalette;
                const QWidget* c = w->control(d.name);
                if (!c) continue;
                const auto [text, back] =
                    qobject_cast<const QLineEdit*>(c) ? std::pair{P::Text, P::Base}
                    : d.kind == Kind::Button          ? std::pair{P::ButtonText, P::Button}
                                                      : std::pair{P::WindowText, P::Window};
                const double a = lum(c->palette().color(text)), b = lum(c->palette().color(back));
                found[QStringLiteral("%1: %2").arg(name, d.name.data())] = std::max(a / b, b / a);
            }
            runtime->close(form(name));
        }
        return found;
    }

  private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void aFocusedControlLooksFocused() {
        // The sliders, and the option buttons whose arrow keys change what the load slider
        // means.
        const std::pair<const char*, const char*> controls[] = {
            {"frmduaspernas", "hsbperna"},   {"frmtrespernas", "hsbperna"},
            {"frmquatropernas", "hsbperna"}, {"frmtrespernas", "Option1"},
            {"frmtrespernas", "Option2"},
        };
        for (const auto& [name, control] : controls) {
            FormWindow* w = open(name);
            QWidget* widget = w->control(control);
            QVERIFY(widget);
            const QString what = QStringLiteral("%1: %2").arg(name, control);
            QVERIFY2(!widget->hasFocus(), qPrintable(what));
            const QImage without = picture(widget);
            widget->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(widget->hasFocus());
            QVERIFY2(picture(widget) != without, qPrintable(what));
            runtime->close(form(name));
        }
    }

    void lettersLieInFrontOfTheLinesBehindThem() {
        // Wherever a line listed behind an opaque label crosses it, the label's background
        // hides the line; a transparent label lets it through.
        int hidden = 0;
        for (const char* name : kCalculators) {
            FormWindow* w = open(name);
            const auto& controls = form(name).description().controls;
            for (std::size_t i = 0; i < controls.size(); ++i) {
                const ControlDesc& label = controls[i];
                if (label.kind != Kind::Label || label.container.empty()) continue;
                QWidget* container = w->control(label.container);
                const QImage image = picture(container);
                const double r = ratio(image);
                const QRect box = w->control(label.name)->geometry().adjusted(1, 1, -1, -1);
                for (std::size_t j = i + 1; j < controls.size(); ++j) {
                    const ControlDesc& line = controls[j];
                    if (line.kind != Kind::Line || line.container != label.container) continue;
                    const QColor ink = colourOf(line.fore);
                    if (colourOf(label.fore) == ink) continue;  // the letter itself has that colour
                    const forms::Plan::Control& ends = w->plan().controls[j];
                    const QPointF a(ends.x1, ends.y1), b(ends.x2, ends.y2);
                    int inside = 0, seen = 0;
                    for (int k = 0; k <= 200; ++k) {
                        const QPointF p = a + (b - a) * (k / 200.0);
                        if (!box.contains(p.toPoint())) continue;
                        ++inside;
                        const QPoint device(int(p.x() * r), int(p.y() * r));
                        if (QColor(image.pixel(device)) == ink) ++seen;
                    }
                    if (inside == 0) continue;
                    const QString what = QStringLiteral("%1: %2 over %3")
                                             .arg(name, label.name.data(), line.name.data());
                    if (label.transparent) {
                        QVERIFY2(seen > 0, qPrintable(what));
                    } else {
                        QVERIFY2(seen == 0, qPrintable(what));
                        ++hidden;
                    }
                }
            }
            runtime->close(form(name));
        }
        QVERIFY(hidden >= 5);  // the letters a, h, L, d, p of the drawings
    }

    void thinLinesAreSharpInTheirOwnColour() {
        // Across every line that runs straight along the pixel grid, each device pixel is
        // either the line's own colour or the background: never a blend of the two.
        int lines = 0;
        for (const char* name : kCalculators) {
            FormWindow* w = open(name);
            for (const ControlDesc& line : form(name).description().controls) {
                if (line.kind != Kind::Line || line.dotted || line.container.empty()) continue;
                const bool vertical = line.x1 == line.x2, horizontal = line.y1 == line.y2;
                if (!vertical && !horizontal) continue;
                QWidget* container = w->control(line.container);
                const QImage image = picture(container);
                const double r = ratio(image);
                const QColor ink = colourOf(line.fore);
                const forms::Plan::Control& ends =
                    w->plan()
                        .controls[std::size_t(&line - form(name).description().controls.data())];
                const QPoint a(ends.x1, ends.y1), b(ends.x2, ends.y2);
                // Some point along the line, clear of the labels in front of it and of the
                // lines that cross it, shows a clean cross-section.
                bool clean = false, examined = false;
                for (double t = 0.2; t < 0.85 && !clean; t += 0.05) {
                    const QPointF mid = QPointF(a) + QPointF(b - a) * t;
                    bool covered = false;
                    for (const ControlDesc& other : form(name).description().controls)
                        if (other.kind == Kind::Label && other.container == line.container &&
                            w->control(other.name)
                                ->geometry()
                                .adjusted(-8, -8, 8, 8)
                                .contains(mid.toPoint()))
                            covered = true;
                    if (covered) continue;
                    examined = true;
                    const int cx = int(mid.x() * r), cy = int(mid.y() * r);
                    const int side = int(6 * r);
                    const QColor background(
                        image.pixel(cx + (vertical ? side : 0), cy + (horizontal ? side : 0)));
                    int inked = 0, blended = 0;
                    for (int k = -int(4 * r); k <= int(4 * r); ++k) {
                        const QColor c(
                            image.pixel(cx + (vertical ? k : 0), cy + (horizontal ? k : 0)));
                        if (c == ink)
                            ++inked;
                        else if (c != background)
                            ++blended;
                    }
                    clean = blended == 0 && inked >= int(std::floor(line.lineWidth * r));
                }
                if (!examined) continue;  // a short mark hidden under its letter
                QVERIFY2(clean, qPrintable(QStringLiteral("%1: %2").arg(name, line.name.data())));
                ++lines;
            }
            runtime->close(form(name));
        }
        QVERIFY(lines >= 10);
    }

    void everyTextFitsItsBox() {
        // Measured with the font each control ended up with, at this run's scale factor.
        for (const char* name : kAllForms) {
            FormWindow* w = open(name);
            QVERIFY2(w, name);
            for (const ControlDesc& d : form(name).description().controls) {
                QWidget* widget = w->control(d.name);
                if (!widget || widget->isHidden()) continue;  // nothing of it is seen
                const QFontMetrics metrics(widget->font());
                const QString what = QStringLiteral("%1: %2").arg(name, d.name.data());
                QRect room;
                QString text;
                int flags = Qt::TextShowMnemonic;
                switch (d.kind) {
                    case Kind::Label:
                        // Only the part that the controls in front leave seen.
                        text = qobject_cast<QLabel*>(widget)->text();
                        room = w->room(d.name);
                        flags = Qt::TextWordWrap;
                        break;
                    case Kind::Button:
                        text = qobject_cast<QPushButton*>(widget)->text();
                        room = widget->rect().adjusted(2, 2, -2, -2);
                        flags |= Qt::TextWordWrap;
                        break;
                    case Kind::Option: {
                        text = qobject_cast<QRadioButton*>(widget)->text();
                        const QStyle* style = widget->style();
                        room = widget->rect().adjusted(
                            style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr,
                                               widget) +
                                style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr,
                                                   widget),
                            0, 0, 0);
                        break;
                    }
                    case Kind::Frame:
                        text = qobject_cast<QGroupBox*>(widget)->title();
                        room = QRect(0, 0, widget->width() - 12, metrics.height());
                        break;
                    case Kind::Readout:
                    case Kind::TextBox: {
                        auto* edit = qobject_cast<QLineEdit*>(widget);
                        text = edit->text();
                        QStyleOptionFrame option;
                        option.initFrom(edit);
                        option.rect = edit->rect();
                        option.lineWidth =
                            edit->hasFrame()
                                ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth)
                                : 0;
                        room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option,
                                                             edit);
                        room.setWidth(room.width() - 2);
                        break;
                    }
                    default:
                        continue;
                }
                if (text.isEmpty()) continue;
                const QRect need = metrics.boundingRect(room, flags, text);
                QVERIFY2(need.width() <= room.width() && need.height() <= room.height() + 1,
                         qPrintable(what + QStringLiteral(" needs %1x%2, has %3x%4")
                                               .arg(need.width())
                                               .arg(need.height())
                                               .arg(room.width())
                                               .arg(room.height())));
            }
            runtime->close(form(name));
        }
    }

    void textsKeepTheirContrastUnderADarkThemeAndAnotherStyle() {
        // Under a dark theme's colours, with another style asked for, no text is fainter than in
        // the light scheme (nor under 4.5:1); the program keeps the style that has slider arrows.
        const auto light = contrasts();
        stop();
        const QPalette before = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
        QApplication::setPalette(QPalette(QColor(0x35, 0x35, 0x35), QColor(0x24, 0x24, 0x24)));
        QApplication::setStyle(QStringLiteral("Windows"));
        start();
        const auto seen = contrasts();
        for (const auto& [what, ratio] : light.asKeyValueRange())
            QVERIFY2(seen[what] >= std::min(ratio, 4.5) - 0.05, qPrintable(what));
        QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
    }

    void theAboutDialogsOwnTextsFitAtTheirOwnSize() {
        // Its address, numbers and addresses are this program's own: chosen to fit without
        // being made smaller. (The headings "Telefone", "Fax", ... are the layout's words.)
        FormWindow* w = open("frmacerca");
        const QStringList headings{"Text5", "Text9", "Text10", "Text13"};
        for (const ControlDesc& d : form("frmacerca").description().controls) {
            if (d.kind != Kind::TextBox || d.font.points == 0) continue;
            if (headings.contains(QString::fromUtf8(d.name.data(), qsizetype(d.name.size()))))
                continue;
            QWidget* widget = w->control(d.name);
            if (!QRect(QPoint(0, 0), w->size()).contains(widget->geometry())) continue;
            QVERIFY2(widget->font().pointSizeF() == d.font.points, d.name.data());
        }
    }

    void qtsOwnTextsArePortuguese() {
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
        QVERIFY2(texts.contains(QStringLiteral("Copiar")),
                 qPrintable(texts.join(QLatin1Char('|'))));
    }

    void theAboutDialogIsOwnedByAVisibleWindow() {
        FormWindow* menu = open("frmmain");
        QTest::mouseClick(qobject_cast<QPushButton*>(menu->control(shell::frmmain::kAboutButton)),
                          Qt::LeftButton);
        FormWindow* about = host->window("frmacerca");
        QVERIFY(about && about->windowHandle());
        QCOMPARE(about->windowHandle()->transientParent(), menu->windowHandle());
        QVERIFY(about->windowFlags().testFlag(Qt::Dialog));
        // The menu gives way to a calculator: the dialog passes to it, still open.
        QTest::mouseClick(qobject_cast<QPushButton*>(menu->control(shell::frmmain::kTwoLegsButton)),
                          Qt::LeftButton);
        FormWindow* calculator = host->window("frmduaspernas");
        QVERIFY(calculator);
        QVERIFY(form("frmacerca").loaded());
        QCOMPARE(about->windowHandle()->transientParent(), calculator->windowHandle());
    }
};

QTEST_MAIN(DisplayTest)
#include "display_test.moc"
