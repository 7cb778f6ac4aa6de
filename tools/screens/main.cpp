// pernadas-screens [DIR]: writes a PNG of every window of the program, as it opens and, for the
// calculators, after a load has been set and the 90-degree search has run. Runs without a
// display under QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"
#include "forms/qt/formwindow.h"
#include "forms/qt/qthost.h"
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
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screens");
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
