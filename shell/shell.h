// The splash window that opens the program, and the main menu that leads to the calculators.
#pragma once

#include "forms/form.h"
#include "forms/runtime.h"

namespace shell {

class frmsplashscreen : public forms::Form {
  public:
    explicit frmsplashscreen(forms::FormsRuntime& runtime);
    static const forms::FormDesc& describe();

    void Timer1_Timer();
};

class frmmain : public forms::Form {
  public:
    explicit frmmain(forms::FormsRuntime& runtime);
    static const forms::FormDesc& describe();

    void command1_Click();  // "2 Pernadas"
    void command2_Click();  // "3 Pernadas"
    void Command3_Click();  // "4 Pernadas"
    void Command6_Click();  // "Acerca"
    void Command5_Click();  // "Terminar"
};

// Every form of the program, added to a runtime; returns the start-up form.
forms::Form& addProgramForms(forms::FormsRuntime& runtime);

}  // namespace shell
