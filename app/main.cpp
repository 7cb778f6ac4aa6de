// pernadas: the desktop program. Takes no arguments, reads and writes no files.
#include <QApplication>
#include <QIcon>

#include "display/qt/qthost.h"
#include "display/qt/widgets.h"
#include "shell/shell.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(forms::kApplicationTitle.data()));
    QApplication::setDesktopFileName(QStringLiteral("pt.example.ribeira.Pernadas"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/pernadas.svg")));
    // The program ends when no form is loaded after an event, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    formsqt::QtHost host;
    forms::FormsRuntime runtime(host);
    host.attach(runtime);
    QObject::connect(&host, &formsqt::QtHost::allFormsUnloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    forms::Form& start = shell::addProgramForms(runtime);
    runtime.start(start);
    return QApplication::exec();
}
