// "Três Pernadas": three equal legs to the corners of an equilateral triangle on the load, given
// either by the diameter of a round piece (Option1) or by the distance between two legs
// (Option2).
#pragma once

#include "calculators/sling.h"

namespace calculators {

class frmtrespernas : public SlingForm {
  public:
    explicit frmtrespernas(forms::FormsRuntime& runtime);
    static const forms::FormDesc& describe();

    // The controls that code outside the form reaches by their role.
    static constexpr std::string_view kLoadSlider = "hsblcarga";
    static constexpr std::string_view kDiameterOption = "Option1";
    static constexpr std::string_view kDistanceOption = "Option2";
    static constexpr std::string_view kSearchButton = "Command2";  // "Calcular a 90 Graus"
    static constexpr std::string_view kCancelButton = "Command4";  // "Cancelar"

    forms::Slider hsblcarga = slider("hsblcarga");
    forms::ReadoutField txtlcarga = readout("txtlcarga");
    forms::ReadoutField txtdiam = readout("txtdiam");
    forms::OptionButton Option1 = option("Option1");  // diameter mode
    forms::OptionButton Option2 = option("Option2");  // distance mode

    void hsbperna_Change();   // leg handler
    void hsblcarga_Change();  // load handler
    void hsbaltura_Change();  // height handler
    void Command2_Click();    // "Calcular a 90 Graus"

  private:
    Int L() const { return hsblcarga.Value(); }
    // The distance from the master link's vertical to each attachment point, by mode.
    Real R() const;
    // Half the distance between two adjacent attachment points.
    static Real HalfSpacing(Real r);
    bool loadNotEntered(int atLoad) const { return txtlcarga.Text().empty() && L() == atLoad; }
};

}  // namespace calculators
