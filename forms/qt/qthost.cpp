#include "forms/qt/qthost.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "forms/qt/formwindow.h"

// The pictures are compiled into the library; a static library needs them named to keep them.
static void initPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace formsqt {

QtHost::QtHost() {
    initPictures();
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

void QtHost::messageBox(const forms::Message& message) {
    // The windows behind the box show the current values while it is open.
    syncAll();
    for (auto& [form, window] : windows_)
        if (window) window->stopSliderRepeats();
    shown_.push_back(message);
    if (autoAnswer_) return;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (message.style == forms::kStyleInformation) icon = QMessageBox::Information;
    if (message.style == forms::kStyleCritical) icon = QMessageBox::Critical;
    QMessageBox box(icon, QString::fromStdString(message.title),
                    QString::fromStdString(message.text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
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
    if (FormWindow* window = it->second.data()) {
        window->markUnloaded();
        window->hide();
        window->deleteLater();
    }
    windows_.erase(it);
}

void QtHost::noFormLoaded() {
    emit allFormsUnloaded();
}

}  // namespace formsqt
