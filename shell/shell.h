// The splash window that opens the program, and the main menu that leads to the calculators.
#pragma once

#include "forms/form.h"
#include "forms/runtime.h"

namespace shell {

class frmsplashscreen : public forms::Form {
  public:
    explicit frmsplashscreen(forms::FormsRuntime& runtime);
    static const forms::FormDesc& describe();

    static constexpr std::string_view kTimer = "Timer1";  // gives way to the main menu

    void Timer1_Timer();
};

class frmmain : public forms::Form {
  public:
    explicit frmmain(forms::FormsRuntime& runtime);
    static const forms::FormDesc& describe();

    // The menu's buttons, by what they open.
    static constexpr std::string_view kTwoLegsButton = "command1";
    static constexpr std::string_view kThreeLegsButton = "command2";
    static constexpr std::string_view kFourLegsButton = "Command3";
    static constexpr std::string_view kAboutButton = "Command6";
    static constexpr std::string_view kQuitButton = "Command5";

    void command1_Click();  // "2 Pernadas"
    void command2_Click();  // "3 Pernadas"
    void Command3_Click();  // "4 Pernadas"
    void Command6_Click();  // "Acerca"
    void Command5_Click();  // "Terminar"
};

// Every form of the program, added to a runtime; returns the start-up form.
forms::Form& addProgramForms(forms::FormsRuntime& runtime);

}  // namespace shell
