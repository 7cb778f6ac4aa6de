// "Quatro Pernadas": four equal legs to the corners of a rectangular load of length C and
// width L; the upper angle is taken between two diagonally opposite legs.
#pragma once

#include "calculators/sling.h"

namespace calculators {

class frmquatropernas : public SlingForm {
  public:
    explicit frmquatropernas(forms::FormsRuntime& runtime);
    static const forms::FormDesc& describe();

    // The controls that code outside the form reaches by their role.
    static constexpr std::string_view kLengthSlider = "hsbccarga";
    static constexpr std::string_view kWidthSlider = "hsblcarga";
    static constexpr std::string_view kSearchButton = "Command4";  // "Calcular a 90 Graus"
    static constexpr std::string_view kCancelButton = "Command3";  // "Cancelar"

    forms::Slider hsbccarga = slider("hsbccarga");
    forms::Slider hsblcarga = slider("hsblcarga");
    forms::ReadoutField txtccarga = readout("txtccarga");
    forms::ReadoutField txtlcarga = readout("txtlcarga");

    void hsbperna_Change();   // leg handler
    void hsbaltura_Change();  // height handler
    void hsbccarga_Change();  // length handler
    void hsblcarga_Change();  // width handler
    void Command4_Click();    // "Calcular a 90 Graus"

  private:
    Int C() const { return hsbccarga.Value(); }
    Int L() const { return hsblcarga.Value(); }
    // Half the load's diagonal: the distance from the master link's vertical to each corner.
    Real d() const { return Sqrt(Sqr(C()) + Sqr(L())) / 2; }
    // The same, kept in a single-precision variable, as the height and length handlers do.
    Real e() const { return ToSingle(d()); }
    bool loadNotEntered() const {
        return txtlcarga.Text().empty() && txtccarga.Text().empty() && L() == 100 && C() == 100;
    }
};

}  // namespace calculators
