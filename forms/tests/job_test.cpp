#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "forms/job.h"
#include "tests/program.h"

using namespace forms;

namespace {

// The program as a job finds it: the splash has given way to the menu.
struct Started : testing_support::Program {
    Started() {
        rt.showForm(*rt.find("frmsplashscreen"));
        rt.tick(*rt.find("frmsplashscreen")->find("Timer1"));
    }
};

// The actions' lines joined by "; ", or the refusal.
std::string read(const FormsRuntime& runtime, std::string_view query) {
    const JobRead got = jobActions(runtime, query);
    if (!got.refusal.empty()) return got.refusal;
    std::string lines;
    for (const UserAction& a : got.actions) lines += (lines.empty() ? "" : "; ") + a.line();
    return got.weight ? lines + "; peso " + std::to_string(got.weight) : lines;
}

}  // namespace

TEST(JobQuery, ReadsIntoTheActionsThatSetItAgainOrRefusesItWhole) {
    const Started program;
    const std::string no = "Este endereço não foi aproveitado: ";
    const std::string open = "show frmtrespernas; close frmmain";
    const struct {
        std::string query, actions;
    } rows[] = {
        // The load before the leg, whatever the order written; an option before the sliders,
        // or after them where it is written after one.
        {"janela=frmtrespernas&hsbperna=150&hsblcarga=120",
         open + "; type frmtrespernas hsblcarga 120; type frmtrespernas hsbperna 150"},
        {"janela=frmtrespernas&opcao=Option2&hsblcarga=120",
         open + "; select frmtrespernas Option2; type frmtrespernas hsblcarga 120"},
        {"hsblcarga=120&opcao=Option2&janela=frmtrespernas",
         open + "; type frmtrespernas hsblcarga 120; select frmtrespernas Option2"},
        {"janela=frmquatropernas&hsbperna=300&hsbccarga=400&hsblcarga=200",
         "show frmquatropernas; close frmmain; type frmquatropernas hsbccarga 400; "
         "type frmquatropernas hsblcarga 200; type frmquatropernas hsbperna 300"},
        {"janela=frmduaspernas", "show frmduaspernas; close frmmain"},
        // The load's weight, set once the rest is.
        {"janela=frmduaspernas&peso=999999&hsblcarga=120",
         "show frmduaspernas; close frmmain; type frmduaspernas hsblcarga 120; peso 999999"},
        {"janela=frmduaspernas&hsbperna=50&hsblcarga=1200",
         "show frmduaspernas; close frmmain; type frmduaspernas hsblcarga 1200; "
         "type frmduaspernas hsbperna 50"},
        // What cannot be read.
        {"", no + "não diz que cálculo abrir."},
        {"hsbperna=150", no + "não diz que cálculo abrir."},
        {"janela=frmduaspernas&hsbperna", no + "não se consegue ler."},
        {"janela=frmduaspernas&&hsbperna=150", no + "não se consegue ler."},
        {"janela=frmduaspernas&hsbperna=1%2C5", no + "não se consegue ler."},
        {"janela=%3Cscript%3Ealert(1)%3C%2Fscript%3E", no + "não se consegue ler."},
        {"janela=frmduaspernas&hsbperna=" + std::string(600, '9'), no + "é longo demais."},
        // Windows that are not calculators, or not there.
        {"janela=frmnada", no + "pede uma janela que não existe."},
        {"janela=frmacerca", no + "não pede uma calculadora."},
        {"janela=frmduaspernas&janela=frmduaspernas", no + "repete a janela."},
        // Controls the calculator lacks, cannot be moved by a user, or named twice.
        {"janela=frmduaspernas&hsbdiam=150", no + "fala de um valor que a calculadora não tem."},
        {"janela=frmduaspernas&hsbaltura=150", no + "fala de um valor que a calculadora não tem."},
        {"janela=frmduaspernas&hsbperna=150&hsbperna=160", no + "repete um valor."},
        {"janela=frmduaspernas&opcao=Option1", no + "escolhe uma opção que a calculadora não tem."},
        {"janela=frmtrespernas&opcao=hsbperna",
         no + "escolhe uma opção que a calculadora não tem."},
        {"janela=frmtrespernas&opcao=Option1&opcao=Option2",
         no + "escolhe duas opções do mesmo grupo."},
        // Values that are no whole number, or off the slider's track.
        {"janela=frmduaspernas&hsbperna=abc", no + "tem um valor que não é um número inteiro."},
        {"janela=frmduaspernas&hsbperna=49", no + "tem um valor fora dos limites."},
        {"janela=frmduaspernas&hsbperna=2001", no + "tem um valor fora dos limites."},
        {"janela=frmduaspernas&hsbperna=99999999999999999999",
         no + "tem um valor fora dos limites."},
        {"janela=frmduaspernas&peso=0", no + "tem um valor fora dos limites."},
        {"janela=frmduaspernas&peso=1000000", no + "tem um valor fora dos limites."},
        {"janela=frmduaspernas&peso=12&peso=13", no + "repete um valor."},
    };
    for (const auto& row : rows) EXPECT_EQ(read(program.rt, row.query), row.actions) << row.query;
}

// A leg that the handlers pull back to the height the window opened with is typed once more,
// and reaches what the sender saw; a leg that holds is typed once.
TEST(JobQuery, TypesASliderAgainWhereTheHandlersMovedItAway) {
    for (const auto& [leg, typings] : {std::pair{71, 2}, std::pair{150, 1}}) {
        Started program;
        const auto actions =
            jobActions(program.rt, "janela=frmduaspernas&hsbperna=" + std::to_string(leg));
        JobReplay job(actions.actions);
        int typed = 0;
        while (const auto action = job.next(program.rt)) {
            typed += action->verb == Verb::Type;
            perform(program.rt, *action);
        }
        EXPECT_EQ(typed, typings) << leg;
        Form& form = *program.rt.find("frmduaspernas");
        EXPECT_EQ(form.find("hsbperna")->value, leg);
        EXPECT_EQ(jobQuery(form), "janela=frmduaspernas&hsbperna=" + std::to_string(leg));
        form.setWeight(1200);
        EXPECT_EQ(jobQuery(form),
                  "janela=frmduaspernas&hsbperna=" + std::to_string(leg) + "&peso=1200");
    }
}
