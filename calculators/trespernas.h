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

    forms::Slider hsblcarga = slider("hsblcarga");
    forms::ReadoutField txtlcarga = readout("txtlcarga");
    forms::ReadoutField txtdiam = readout("txtdiam");
    forms::OptionButton Option1 = option("Option1");  // diameter mode
    forms::OptionButton Option2 = option("Option2");  // distance mode

    void hsbperna_Change();   // leg handler
    void hsblcarga_Change();  // load handler
    void hsbaltura_Change();  // height handler
    void Command2_Click();    // "Calcular a 90 Graus"
    void Command4_Click();    // "Cancelar"

  private:
    Int L() const { return hsblcarga.Value(); }
    // The distance from the master link's vertical to each attachment point, by mode.
    Real R() const;
    // Half the distance between two adjacent attachment points.
    static Real HalfSpacing(Real r);
    bool loadNotEntered(int atLoad) const { return txtlcarga.Text().empty() && L() == atLoad; }
};

}  // namespace calculators
