// Real widgets under the offscreen platform: real key and mouse events reach the model as its
// user actions, and every window is laid out as its description says.
#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionFrame>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "about/acerca.h"
#include "calculators/duaspernas.h"
#include "calculators/trespernas.h"
#include "display/qt/formwindow.h"
#include "display/qt/qthost.h"
#include "display/qt/tests/qtprogram.h"
#include "forms/plan.h"
#include "shell/shell.h"

using formsqt::FormWindow;

class QtBindingTest : public QtProgramTest {
    Q_OBJECT

    // The notice that says an action's results, while it shows.
    QWidget* notice(FormWindow* w) {
        for (QWidget* c : w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (QAccessible::queryAccessibleInterface(c)->role() == QAccessible::Notification)
                return c;
        return nullptr;
    }
    QScrollBar* bar(FormWindow* w, const char* name) {
        return qobject_cast<QScrollBar*>(w->control(name));
    }
    int value(const char* formName, const char* control) {
        return form(formName).find(control)->value;
    }
    QRect thumb(QScrollBar* b) {
        QStyleOptionSlider opt;
        opt.initFrom(b);
        opt.orientation = b->orientation();
        opt.minimum = b->minimum();
        opt.maximum = b->maximum();
        opt.sliderPosition = b->sliderPosition();
        opt.sliderValue = b->value();
        opt.singleStep = b->singleStep();
        opt.pageStep = b->pageStep();
        opt.upsideDown = b->invertedAppearance();
        return b->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider,
                                          b);
    }

  private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void arrowKeyOnTheFocusedSliderIsOneStep() {
        FormWindow* w = open("frmduaspernas");
        QScrollBar* leg = bar(w, "hsbperna");
        leg->setFocus();
        QTest::keyClick(leg, Qt::Key_Right);
        QCOMPARE(value("frmduaspernas", "hsbperna"), 102);
        QCOMPARE(leg->value(), 102);
        QCOMPARE(host->shownMessages().size(), std::size_t(1));
        // The key held down: its repeats are the same press, which has met a box.
        for (int i = 0; i < 5; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(leg, &repeat);
        }
        QCOMPARE(value("frmduaspernas", "hsbperna"), 102);
        QCOMPARE(host->shownMessages().size(), std::size_t(1));
        QTest::keyClick(leg, Qt::Key_PageUp);
        QCOMPARE(value("frmduaspernas", "hsbperna"), 92);
        // The chain moved the leg on: the bar shows where the model left it.
        QCOMPARE(leg->value(), value("frmduaspernas", "hsbperna"));
    }

    void wheelNotchesAreSmallStepsAndHomeEndDragToTheEnds() {
        FormWindow* w = open("frmduaspernas");
        QScrollBar* load = bar(w, "hsblcarga");
        auto turn = [&](int delta) {
            const QPointF at(5, 5);
            QWheelEvent wheel(at, load->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(load, &wheel);
        };
        turn(-120);  // one notch towards the user: towards Max
        QCOMPARE(value("frmduaspernas", "hsblcarga"), 101);
        QCOMPARE(form("frmduaspernas").find("txtlcarga")->text, std::string("1.01"));
        turn(-240);  // two notches: two steps
        QCOMPARE(value("frmduaspernas", "hsblcarga"), 103);
        turn(120);  // away from the user: towards Min
        QCOMPARE(value("frmduaspernas", "hsblcarga"), 102);
        turn(-60);  // half a notch moves nothing until the other half comes
        QCOMPARE(value("frmduaspernas", "hsblcarga"), 102);
        turn(-60);
        QCOMPARE(value("frmduaspernas", "hsblcarga"), 103);
        QCOMPARE(load->value(), 103);

        load->setFocus();
        const auto& d = *form("frmduaspernas").find("hsblcarga")->desc;
        QTest::keyClick(load, Qt::Key_End);
        QCOMPARE(value("frmduaspernas", "hsblcarga"), int(d.max));
        QCOMPARE(load->value(), int(d.max));
        QTest::keyClick(load, Qt::Key_Home);
        QCOMPARE(value("frmduaspernas", "hsblcarga"), int(d.min));

        // Home on the four-leg leg of a fresh form is refused like any other drag there.
        FormWindow* four = open("frmquatropernas");
        QScrollBar* leg = bar(four, "hsbperna");
        const int before = value("frmquatropernas", "hsbperna");
        const auto boxes = host->shownMessages().size();
        leg->setFocus();
        QTest::keyClick(leg, Qt::Key_Home);
        QCOMPARE(value("frmquatropernas", "hsbperna"), before);
        QCOMPARE(leg->value(), before);
        QVERIFY(host->shownMessages().size() > boxes);
    }

    void anActionsResultsAreSaidOnce() {
        // By a notice that shows for a moment, after the slider's own new value, and only the
        // results that changed; an action that changes nothing says nothing.
        FormWindow* w = open("frmduaspernas");
        runtime->drag(forms::Slider(*form("frmduaspernas").find("hsblcarga")), 200);
        QScrollBar* leg = bar(w, "hsbperna");
        leg->setFocus();
        QTest::keyClick(leg, Qt::Key_Right);
        QTRY_VERIFY(notice(w));
        const QString results = notice(w)->accessibleName();
        QVERIFY2(results.startsWith(QStringLiteral("Comprimento da Pernada ")) &&
                     results.contains(QStringLiteral("; Ângulo superior ")) &&
                     !results.contains(QStringLiteral("Comprimento da carga")),
                 qPrintable(results));
        QTRY_VERIFY_WITH_TIMEOUT(!notice(w), 3000);
        QTest::keyClick(leg, Qt::Key_End);
        QTRY_VERIFY(notice(w));
        QTRY_VERIFY_WITH_TIMEOUT(!notice(w), 3000);
        QTest::keyClick(leg, Qt::Key_End);  // already there
        QTest::qWait(50);
        QVERIFY(!notice(w));
    }

    void inputDuringAnEventIsDropped() {
        // What reaches a window while a handler waits on a message box must not run inside it.
        FormWindow* w = open("frmduaspernas");
        QScrollBar* leg = bar(w, "hsbperna");
        bool inner = true;
        QVERIFY(host->act([&] {
            leg->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            inner = host->act([] {});
        }));
        QVERIFY(!inner);
        QCOMPARE(value("frmduaspernas", "hsbperna"), 101);
        QCOMPARE(leg->value(), 101);
        QVERIFY(!host->busy());
    }

    void aValueSetFromOutsideIsOneAssignment() {
        // An assistive tool setting the bar's value is a thumb released there.
        FormWindow* w = open("frmduaspernas");
        QScrollBar* leg = bar(w, "hsbperna");
        QCOMPARE(leg->contextMenuPolicy(), Qt::NoContextMenu);
        leg->setValue(150);
        QCOMPARE(value("frmduaspernas", "hsbperna"), 150);
        QCOMPARE(value("frmduaspernas", "hsbaltura"), 141);
        QCOMPARE(host->shownMessages().size(), std::size_t(1));
    }

    void readoutsNeverCutTheirValueOff() {
        // The narrow lower-angle box must show all of " 88.5" whatever font stands in.
        FormWindow* w = open("frmduaspernas");
        runtime->drag(forms::Slider(*form("frmduaspernas").find("hsblcarga")), 101);
        runtime->drag(forms::Slider(*form("frmduaspernas").find("hsbperna")), 2000);
        host->syncAll();
        auto* lower = qobject_cast<QLineEdit*>(w->control("txtanginf"));
        QCOMPARE(lower->text(), QStringLiteral(" 88.5"));
        QStyleOptionFrame option;
        option.initFrom(lower);
        option.rect = lower->rect();
        option.lineWidth = lower->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        const QRect room =
            lower->style()->subElementRect(QStyle::SE_LineEditContents, &option, lower);
        QVERIFY(QFontMetrics(lower->font()).horizontalAdvance(lower->text()) <= room.width() - 4);
        QCOMPARE(lower->cursorPosition(), 0);
    }

    void trackClickIsALargeStep() {
        FormWindow* w = open("frmduaspernas");
        QScrollBar* load = bar(w, "hsblcarga");
        const QRect t = thumb(load);
        QTest::mouseClick(load, Qt::LeftButton, {}, QPoint(t.right() + 20, load->height() / 2));
        QCOMPARE(value("frmduaspernas", "hsblcarga"), 110);
        auto* txt = qobject_cast<QLineEdit*>(w->control("txtlcarga"));
        QCOMPARE(txt->text(), QStringLiteral("1.10"));
    }

    void thumbDragRunsTheHandlerOnceOnRelease() {
        FormWindow* w = open("frmduaspernas");
        QScrollBar* load = bar(w, "hsblcarga");
        const QRect t = thumb(load);
        QTest::mousePress(load, Qt::LeftButton, {}, t.center());
        QTest::mouseMove(load, t.center() + QPoint(40, 0));
        QTest::mouseMove(load, t.center() + QPoint(80, 0));
        // While the thumb moves nothing has run.
        QCOMPARE(value("frmduaspernas", "hsblcarga"), 100);
        QCOMPARE(form("frmduaspernas").find("txtlcarga")->text, std::string());
        QTest::mouseRelease(load, Qt::LeftButton, {}, t.center() + QPoint(80, 0));
        const int released = value("frmduaspernas", "hsblcarga");
        QVERIFY(released > 100);
        QCOMPARE(load->value(), released);
        QVERIFY(!form("frmduaspernas").find("txtlcarga")->text.empty());
    }

    void enterOnTheFreshMainMenuRunsTerminar() {
        QSignalSpy ended(host.get(), &formsqt::QtHost::allFormsUnloaded);
        FormWindow* w = open("frmmain");
        QCOMPARE(QApplication::focusWidget(), w->control(shell::frmmain::kQuitButton));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!form("frmmain").loaded());
        QCOMPARE(ended.count(), 1);
    }

    void escapeRunsCancelarAndTheMenuComesBack() {
        FormWindow* w = open("frmduaspernas");
        QCOMPARE(QApplication::focusWidget(),
                 w->control(calculators::frmduaspernas::kCancelButton));
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!form("frmduaspernas").loaded());
        QVERIFY(form("frmmain").loaded());
    }

    void menuButtonsOpenFreshCalculators() {
        FormWindow* menu = open("frmmain");
        QTest::mouseClick(
            qobject_cast<QPushButton*>(menu->control(shell::frmmain::kThreeLegsButton)),
            Qt::LeftButton);
        QVERIFY(form("frmtrespernas").loaded());
        QVERIFY(!form("frmmain").loaded());
        FormWindow* w = host->window("frmtrespernas");
        QVERIFY(w);
        // Option buttons: the model keeps the group.
        auto* option2 =
            qobject_cast<QRadioButton*>(w->control(calculators::frmtrespernas::kDistanceOption));
        QTest::mouseClick(option2, Qt::LeftButton);
        QVERIFY(form("frmtrespernas").find(calculators::frmtrespernas::kDistanceOption)->selected);
        QVERIFY(
            !qobject_cast<QRadioButton*>(w->control(calculators::frmtrespernas::kDiameterOption))
                 ->isChecked());
        // The arrow keys move the choice and the focus through the group, round from the end.
        QWidget* at = option2;
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left}) {
            QTest::keyClick(at, key);
            at = w->control(at == option2 ? calculators::frmtrespernas::kDiameterOption
                                          : calculators::frmtrespernas::kDistanceOption);
            QTRY_VERIFY(qobject_cast<QRadioButton*>(at)->isChecked() && at->hasFocus());
            QVERIFY(form("frmtrespernas").find(at->objectName().toStdString())->selected);
        }
    }

    void aKeyHeldOnAButtonClicksItOnce() {
        // On the search before the load is set (a box); repeats marked or, as X may, not.
        QWidget* search = open("frmduaspernas")->control(calculators::frmduaspernas::kSearchButton);
        const auto key = [&](QEvent::Type type, Qt::Key k, bool repeat, quint64 time) {
            QKeyEvent event(type, k, Qt::NoModifier, QString(), repeat);
            event.setTimestamp(time);
            QApplication::sendEvent(search, &event);
        };
        for (const Qt::Key k : {Qt::Key_Return, Qt::Key_Space}) {
            key(QEvent::KeyPress, k, false, 100);
            for (quint64 t = 200; t < 800; t += 100) {
                key(QEvent::KeyRelease, k, t < 500, t);
                key(QEvent::KeyPress, k, t < 500, t);
            }
            key(QEvent::KeyRelease, k, false, 900);
            key(QEvent::KeyPress, k, false, 1000);  // a press of its own clicks again
            key(QEvent::KeyRelease, k, false, 1100);
        }
        QCOMPARE(host->shownMessages().size(), 4u);  // each key: held once, pressed once
    }

    void theSplashGivesWayToTheMenuAfterFourSeconds() {
        QElapsedTimer clock;
        clock.start();
        runtime->start(form("frmsplashscreen"));
        QVERIFY(host->window("frmsplashscreen"));
        QTRY_VERIFY_WITH_TIMEOUT(form("frmmain").loaded(), 7000);
        QVERIFY(clock.elapsed() >= 3900);
        QVERIFY(!form("frmsplashscreen").loaded());
    }

    void searchResultAndColourBandReachTheWidgets() {
        FormWindow* w = open("frmduaspernas");
        QTest::mouseClick(
            qobject_cast<QPushButton*>(w->control(calculators::frmduaspernas::kSearchButton)),
            Qt::LeftButton);
        QCOMPARE(
            host->shownMessages().back().text,
            std::string("Introduza, em primeiro lugar, através do cursor, a medida da carga!"));
        runtime->drag(forms::Slider(*form("frmduaspernas").find("hsblcarga")), 200);
        QTest::mouseClick(
            qobject_cast<QPushButton*>(w->control(calculators::frmduaspernas::kSearchButton)),
            Qt::LeftButton);
        auto* angle = qobject_cast<QLineEdit*>(w->control("txtangsup"));
        QCOMPARE(angle->text(), QStringLiteral(" 90"));
        QCOMPARE(qobject_cast<QLineEdit*>(w->control("txtperna"))->text(), QStringLiteral("1.41"));
        QCOMPARE(angle->palette().color(QPalette::Base), QColor(0x80, 0xFF, 0x80));
        QCOMPARE(angle->toolTip(),
                 QStringLiteral("banda verde-clara: ângulo superior de 61 a 90 graus"));
        QCOMPARE(angle->accessibleDescription(), "graus; " + angle->toolTip());
        QCOMPARE(w->control("hsbperna")->accessibleName(),
                 QStringLiteral("Comprimento da Pernada"));
        // Called as every display calls it: its blanks folded.
        QCOMPARE(w->control("txtaltura")->accessibleName(), QStringLiteral("Altura Argolão/Carga"));
    }

    void aboutDialogIsReachedFromTheKeyboardOnly() {
        // No system-information tool can be found: the launcher ends in its message box.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray("/nonexistent-pernadas-test"));
        FormWindow* menu = open("frmmain");
        QTest::mouseClick(qobject_cast<QPushButton*>(menu->control(shell::frmmain::kAboutButton)),
                          Qt::LeftButton);
        FormWindow* about = host->window("frmacerca");
        QVERIFY(about);
        QVERIFY(form("frmmain").loaded());
        QTRY_COMPARE(QApplication::focusWidget(),
                     about->control(::about::frmacerca::kSysInfoButton));
        // "Acerca" again brings the same dialog forward.
        QTest::mouseClick(qobject_cast<QPushButton*>(menu->control(shell::frmmain::kAboutButton)),
                          Qt::LeftButton);
        QCOMPARE(host->window("frmacerca"), about);
        QTRY_VERIFY(about->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), about->control(::about::frmacerca::kSysInfoButton));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        qputenv("PATH", path);
        QCOMPARE(host->shownMessages().size(), std::size_t(1));
        QCOMPARE(host->shownMessages().back().text,
                 std::string("System Information Is Unavailable At This Time"));
        QCOMPARE(host->shownMessages().back().style, 0);
        // Esc does nothing here; Alt+O, on the button that has the focus, is the model's access
        // key for "&Ok", which unloads the dialog.
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(form("frmacerca").loaded());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!form("frmacerca").loaded());  // an access key presses the button visibly
        QVERIFY(form("frmmain").loaded());
    }

    void aControlInAnUnknownFrameIsRefused() {
        static constexpr forms::ControlDesc kRows[] = {
            {.name = "Label1", .kind = forms::Kind::Label, .container = "Frame9"}};
        static constexpr forms::FormDesc kBroken{.name = "frmbroken", .controls = kRows};
        struct Broken : forms::Form {
            explicit Broken(forms::FormsRuntime& rt) : Form(rt, kBroken) {}
        };
        auto& broken = runtime->add<Broken>();
        QVERIFY_THROWS_EXCEPTION(std::logic_error, FormWindow(*host, broken));
    }

    // Each widget where the model's plan of the window puts it.
    void geometryFollowsThePlan() {
        const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        for (const char* name : {"frmsplashscreen", "frmmain", "frmduaspernas", "frmtrespernas",
                                 "frmquatropernas", "frmacerca"}) {
            FormWindow* w = open(name);
            QVERIFY2(w, name);
            const auto& d = form(name).description();
            const forms::Plan plan = forms::plan(d, dpi);
            QCOMPARE(w->size(), QSize(plan.clientWidth, plan.clientHeight));
            for (const auto& c : d.controls) {
                QWidget* widget = w->control(c.name);
                if (c.kind == forms::Kind::Timer || c.kind == forms::Kind::Line) continue;
                const forms::Plan::Control& planned =
                    plan.controls[std::size_t(&c - d.controls.data())];
                if ((c.kind == forms::Kind::Slider && !c.visible) || planned.hidden) {
                    QVERIFY2(!widget, c.name.data());  // never seen, never reached nor read
                    continue;
                }
                QVERIFY2(widget, c.name.data());
                const forms::PixelBox& b = planned.box;
                QCOMPARE(widget->geometry(), QRect(b.left, b.top, b.width, b.height));
            }
            if (dpi == 96) QCOMPARE(w->size(), QSize(d.clientWidth / 15, d.clientHeight / 15));
            runtime->close(form(name));
        }
    }
};

QTEST_MAIN(QtBindingTest)
#include "qt_test.moc"
