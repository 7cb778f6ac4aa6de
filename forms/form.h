// A form: one instance per form class for the whole run, loaded or not, holding the state of its
// controls. Handlers see the controls through small handles (Slider, ReadoutField, ...), which
// stay valid for the life of the form: loading only resets the state in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forms/description.h"
#include "forms/numbers.h"

namespace forms {

class FormsRuntime;

// The state of one control. Only the fields that its kind uses mean anything.
struct ControlState {
    const ControlDesc* desc = nullptr;
    Form* form = nullptr;
    std::int16_t value = 0;  // sliders
    bool selected = false;   // option buttons
    Colour back = kDefaultColour;
    std::string text;       // read-outs and text boxes
    std::string_view note;  // read-outs: what the value means, for tooltips and screen readers
    // When a user last set it (a slider moved, an option selected), as the runtime counts user
    // actions; 0 when not since the form was loaded. A job kept of the form (forms/job.h) sets
    // its controls again in that order where the order matters.
    std::uint64_t setAt = 0;
};

// A horizontal scroll bar holding a 16-bit value within Min..Max.
class Slider {
  public:
    Slider() = default;
    explicit Slider(ControlState& s) : s_(&s) {}

    Int Value() const { return Int(s_->value); }
    // Assigning a value: outside Min..Max raises InvalidPropertyValue and changes nothing; the
    // current value does nothing; any other value is stored and the change handler runs at once,
    // nested inside this call, however deep the handlers already are.
    void setValue(Int v) const {
        ControlState& s = *s_;
        const ControlDesc& d = *s.desc;
        if (v.value() < d.min || v.value() > d.max) raise(ErrorKind::InvalidPropertyValue);
        if (v.value() == s.value) return;
        s.value = v.value();
        if (d.handler) d.handler(*s.form);
    }
    Int Min() const { return Int(s_->desc->min); }
    Int Max() const { return Int(s_->desc->max); }
    bool Visible() const { return s_->desc->visible; }
    ControlState& state() const { return *s_; }

  private:
    ControlState* s_ = nullptr;
};

// A locked, centred, single-line text box that shows one value.
class ReadoutField {
  public:
    ReadoutField() = default;
    explicit ReadoutField(ControlState& s) : s_(&s) {}

    const std::string& Text() const { return s_->text; }
    void setText(std::string text) const { s_->text = std::move(text); }
    Colour BackColor() const { return s_->back; }
    void setBackColor(Colour c) const { s_->back = c; }
    // What the shown value means (a colour band said in words), for tooltips and screen
    // readers; never shown as the text.
    void setNote(std::string_view note) const { s_->note = note; }

  private:
    ControlState* s_ = nullptr;
};

class OptionButton {
  public:
    OptionButton() = default;
    explicit OptionButton(ControlState& s) : s_(&s) {}
    bool Value() const { return s_->selected; }

  private:
    ControlState* s_ = nullptr;
};

// What a phone shows of a sling beyond its window's read-outs (the desktop windows show none of
// it): the angle factor, and the load on each leg for the load's weight that the user typed.
struct LegLoad {
    int legs = 0;            // 0: the window is no sling
    int weight = 0;          // kg as typed; 0: none
    std::string_view after;  // the read-out that the factor follows: the last of the angles
    std::string factor;      // "1,41"; empty while the leg or the height shows no value
    // In kg with their thousands apart ("12 500"), where a weight and a factor are shown: each
    // leg's load if two legs carry the weight, and for three and four legs each one's equal share.
    std::string perLeg, share;
    std::string said;  // all of it as a screen reader says it, with its units
};

// Their names on the phone, in the order it shows them.
inline constexpr std::string_view kFactorName = "Factor de ângulo";
inline constexpr std::string_view kWeightName = "Peso da carga (kg)";
inline constexpr std::string_view kPerLegName = "Em cada perna:";
inline constexpr std::string_view kTwoLegsCarry = "conta com duas pernas a suportar a carga";
inline constexpr std::string_view kShareName = "se todas as pernas partilharem por igual:";

class Form {
  public:
    Form(FormsRuntime& runtime, const FormDesc& desc);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const FormDesc& description() const { return desc_; }
    std::string_view name() const { return desc_.name; }
    bool loaded() const { return loaded_; }
    FormsRuntime& runtime() const { return runtime_; }

    std::vector<ControlState>& controls() { return controls_; }
    const std::vector<ControlState>& controls() const { return controls_; }
    ControlState* find(std::string_view controlName);

    // What an action may have to put back: the state of every control.
    struct Snapshot {
        std::vector<ControlState> controls;
    };
    Snapshot snapshot() const { return Snapshot{controls_}; }
    void restore(const Snapshot& snap);

    // Loading creates every control with its described values; unloading forgets them.
    void load();
    void unload() { loaded_ = false; }

    // The angle factor and the load on each leg as the read-outs now stand (a sling's window
    // works them out; any other has none).
    virtual LegLoad legLoad() const { return {}; }
    // The load's weight typed on a phone, in kg (0: none); loading forgets it.
    int weight() const { return weight_; }
    void setWeight(int kg) { weight_ = kg; }

  protected:
    // Bind a handle to the control of that name; a name the table lacks is a programming error.
    Slider slider(std::string_view controlName);
    ReadoutField readout(std::string_view controlName);
    OptionButton option(std::string_view controlName);

    // What handlers may do besides touching their controls.
    void ShowInfo(std::string_view prompt) const;
    void Show(std::string_view formName) const;
    void Unload();

  private:
    ControlState& bind(std::string_view controlName, Kind kind);

    FormsRuntime& runtime_;
    const FormDesc& desc_;
    bool loaded_ = false;
    int weight_ = 0;
    std::vector<ControlState> controls_;
};

}  // namespace forms
