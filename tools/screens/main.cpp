// pernadas-screens [--dark] [DIR]: writes a PNG of every window of the program, as it opens and,
// for the calculators, after a load has been set and the 90-degree search has run. Runs without
// a display under QT_QPA_PLATFORM=offscreen. --dark sets the colours of a dark desktop theme
// first, and Qt's own -style option or QT_STYLE_OVERRIDE names a widget style, to see that
// neither changes what the windows show.
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPixmap>

#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"
#include "display/qt/formwindow.h"
#include "display/qt/qthost.h"
#include "shell/shell.h"

namespace {

bool save(formsqt::QtHost& host, std::string_view form, const QString& dir, const QString& name) {
    formsqt::FormWindow* window = host.window(form);
    if (!window) return false;
    QApplication::processEvents();
    return window->grab().save(dir + "/" + name + ".png");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    if (args.removeAll(QStringLiteral("--dark")) > 0) {
        // A dark GTK theme's colours, as a desktop hands them to Qt.
        QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x24, 0x24, 0x24));
        for (const auto role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
            dark.setColor(role, Qt::white);
        dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
        QApplication::setPalette(dark);
    }
    const QString dir = args.isEmpty() ? QStringLiteral("screens") : args.first();
    QDir().mkpath(dir);

    formsqt::QtHost host;
    host.setAutoAnswer(true);
    forms::FormsRuntime runtime(host);
    host.attach(runtime);
    shell::addProgramForms(runtime);

    int failures = 0;
    auto shot = [&](std::string_view form, const char* name) {
        if (!save(host, form, dir, QString::fromUtf8(name))) ++failures;
    };
    auto control = [&](std::string_view form, std::string_view name) -> forms::ControlState& {
        return *runtime.find(form)->find(name);
    };

    runtime.showForm(*runtime.find("frmsplashscreen"));
    shot("frmsplashscreen", "splash");
    runtime.tick(control("frmsplashscreen", shell::frmsplashscreen::kTimer));
    shot("frmmain", "main-menu");

    using calculators::frmduaspernas;
    using calculators::frmquatropernas;
    using calculators::frmtrespernas;
    using shell::frmmain;
    struct Calculator {
        std::string_view form;
        std::string_view button;  // on the main menu
        const char* name;
        std::string_view load;
        int loadValue;
        std::string_view search, cancel;
    };
    for (const Calculator& c :
         {Calculator{"frmduaspernas", frmmain::kTwoLegsButton, "duas-pernadas",
                     frmduaspernas::kLoadSlider, 200, frmduaspernas::kSearchButton,
                     frmduaspernas::kCancelButton},
          Calculator{"frmtrespernas", frmmain::kThreeLegsButton, "tres-pernadas",
                     frmtrespernas::kLoadSlider, 200, frmtrespernas::kSearchButton,
                     frmtrespernas::kCancelButton},
          Calculator{"frmquatropernas", frmmain::kFourLegsButton, "quatro-pernadas",
                     frmquatropernas::kLengthSlider, 300, frmquatropernas::kSearchButton,
                     frmquatropernas::kCancelButton}}) {
        runtime.click(control("frmmain", c.button));
        host.syncAll();
        shot(c.form, (std::string(c.name) + "-open").c_str());
        runtime.drag(forms::Slider(control(c.form, c.load)),
                     forms::Int(static_cast<std::int16_t>(c.loadValue)));
        host.syncAll();
        shot(c.form, (std::string(c.name) + "-load").c_str());
        runtime.click(control(c.form, c.search));
        host.syncAll();
        shot(c.form, c.name);
        runtime.click(control(c.form, c.cancel));
    }
    if (runtime.find("frmacerca")) {
        runtime.click(control("frmmain", shell::frmmain::kAboutButton));
        shot("frmacerca", "acerca");
    }
    return failures == 0 ? 0 : 1;
}
