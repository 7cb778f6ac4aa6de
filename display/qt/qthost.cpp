#include "display/qt/qthost.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QTranslator>
#include <QWindow>

#include "display/qt/accessible.h"
#include "display/qt/formwindow.h"

// The pictures are compiled into the library; a static library needs them named to keep them.
static void initPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace formsqt {

namespace {

// Qt's own texts (context menus, the buttons of message boxes) in Portuguese: the European
// catalogue where it has the text, the Brazilian one for what it lacks.
void installTranslations() {
    static bool installed = false;
    if (installed || !QCoreApplication::instance()) return;
    installed = true;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase_pt_BR", "qt_pt_PT"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QString::fromLatin1(catalogue), dir))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

// Drops the repeats of a held key.
class KeyRepeatFilter : public QObject {
  public:
    explicit KeyRepeatFilter(const QtHost& host) : host_(host) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
               host_.keyRepeats(*static_cast<QKeyEvent*>(event));
    }

  private:
    const QtHost& host_;
};

}  // namespace

QtHost::QtHost() {
    // One widget style whatever the desktop's: another may leave a slider without its arrows and
    // track, or draw texts larger than the boxes the layout gives them. It replaces the one that
    // QT_STYLE_OVERRIDE names, which Qt has taken by now.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) &&
        QApplication::style()->name() != QLatin1String("fusion"))
        QApplication::setStyle(QStringLiteral("Fusion"));
    initPictures();
    installTranslations();
    installAccessibility();
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

bool QtHost::eventFilter(QObject*, QEvent* event) {
    // Every key release, seen before any widget takes it.
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        lastRelease_ = {key->key(), key->timestamp()};
    }
    return false;
}

bool QtHost::keyRepeats(const QKeyEvent& event) const {
    // A held key repeats as a release and a press at the same moment. The platform marks them
    // so when it sees both in time; when it does not, the press still comes at its release's
    // time, which no key let go and pressed again by hand does.
    if (event.isAutoRepeat()) return true;
    return event.type() == QEvent::KeyPress && event.key() == lastRelease_.first &&
           event.timestamp() == lastRelease_.second && event.timestamp() != 0;
}

QtHost::~QtHost() {
    for (auto& [form, window] : windows_) delete window.data();
}

FormWindow* QtHost::window(const forms::Form& form) const {
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.data();
}

FormWindow* QtHost::window(std::string_view formName) const {
    for (const auto& [form, window] : windows_)
        if (form->name() == formName) return window.data();
    return nullptr;
}

void QtHost::syncAll() {
    for (auto& [form, window] : windows_)
        if (window) window->sync();
}

// The desktop's windows show no load on each leg.
void QtHost::announce(forms::Form& form, const std::string& results, const std::string&) {
    if (results.empty()) return;
    if (FormWindow* window = this->window(form)) window->announce(QString::fromStdString(results));
}

void QtHost::boxComes(const forms::Message&) {
    for (auto& [form, window] : windows_)
        if (window) window->stopSliderRepeats();
}

void QtHost::showBox(const forms::Message& message) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (message.style == forms::kStyleInformation) icon = QMessageBox::Information;
    if (message.style == forms::kStyleCritical) icon = QMessageBox::Critical;
    QMessageBox box(icon, QString::fromStdString(message.title),
                    QString::fromStdString(message.text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    // The key held on the button that raised the box must not answer it: its repeats are
    // dropped, and the box waits for a press of its own.
    KeyRepeatFilter dropRepeats(*this);
    box.installEventFilter(&dropRepeats);
    for (QWidget* child : box.findChildren<QWidget*>()) child->installEventFilter(&dropRepeats);
    box.exec();
}

void QtHost::formLoaded(forms::Form& form) {
    auto* window = new FormWindow(*this, form);
    windows_[&form] = window;
    window->sync();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - window->rect().center());
    }
    if (form.description().style == forms::WindowStyle::Dialog) ownDialog(*window, nullptr);
    window->show();
    window->raise();
    window->activateWindow();
    window->focusFirst();
    // Lets a check from outside see which windows came up, and in what order.
    if (qEnvironmentVariableIsSet("PERNADAS_TRACE_FORMS"))
        qInfo("pernadas: %.*s shown", int(form.name().size()), form.name().data());
}

void QtHost::formActivated(forms::Form& form) {
    if (FormWindow* window = this->window(form)) {
        window->raise();
        window->activateWindow();
    }
}

void QtHost::formUnloaded(forms::Form& form) {
    const auto it = windows_.find(&form);
    if (it == windows_.end()) return;
    FormWindow* gone = it->second.data();
    windows_.erase(it);
    if (!gone) return;
    gone->markUnloaded();
    gone->hide();
    // A dialog that this window owned passes to another window of the program.
    for (auto& [other, window] : windows_)
        if (window && other->description().style == forms::WindowStyle::Dialog &&
            window->windowHandle() &&
            window->windowHandle()->transientParent() == gone->windowHandle())
            ownDialog(*window, gone);
    gone->deleteLater();
}

void QtHost::ownDialog(FormWindow& dialog, const FormWindow* leaving) {
    // A dialog belongs to a visible window of the program, which keeps it out of the task bar
    // and above its owner.
    FormWindow* owner = nullptr;
    for (auto& [form, window] : windows_) {
        if (!window || window == &dialog || window == leaving || !window->isVisible() ||
            form->description().style == forms::WindowStyle::Dialog)
            continue;
        if (!owner || window->isActiveWindow()) owner = window;
    }
    dialog.winId();  // the native window must exist to be owned
    if (owner) owner->winId();
    dialog.windowHandle()->setTransientParent(owner ? owner->windowHandle() : nullptr);
}

void QtHost::noFormLoaded() {
    emit allFormsUnloaded();
}

}  // namespace formsqt
