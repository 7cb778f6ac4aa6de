// "Duas Pernadas": a sling of two equal legs over a load of length L.
#pragma once

#include "calculators/sling.h"

namespace calculators {

class frmduaspernas : public SlingForm {
  public:
    explicit frmduaspernas(forms::FormsRuntime& runtime);
    static const forms::FormDesc& describe();

    // The controls that code outside the form reaches by their role.
    static constexpr std::string_view kLoadSlider = "hsblcarga";
    static constexpr std::string_view kSearchButton = "Command4";  // "Calcular a 90 Graus"
    static constexpr std::string_view kCancelButton = "Command3";  // "Cancelar"

    forms::Slider hsblcarga = slider("hsblcarga");
    forms::ReadoutField txtlcarga = readout("txtlcarga");

    void hsblcarga_Change();
    void hsbperna_Change();
    void hsbaltura_Change();
    void Command4_Click();  // "Calcular a 90 Graus"

  private:
    Int L() const { return hsblcarga.Value(); }
    bool loadNotEntered() const { return txtlcarga.Text().empty() && L() == 100; }
};

}  // namespace calculators
