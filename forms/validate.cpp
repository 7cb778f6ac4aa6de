#include "forms/validate.h"

#include <map>
#include <set>

namespace forms {

std::vector<std::string> tableFaults(const FormDesc& form,
                                     const std::function<bool(std::string_view)>& pictureExists) {
    std::vector<std::string> faults;
    const std::string formName(form.name);
    auto fault = [&](const ControlDesc& c, const std::string& what) {
        faults.push_back(formName + "." + std::string(c.name) + ": " + what);
    };

    std::map<std::string_view, const ControlDesc*> byName;
    for (const ControlDesc& c : form.controls) {
        if (c.name.empty()) faults.push_back(formName + ": a control without a name");
        if (!byName.emplace(c.name, &c).second) fault(c, "the name is used twice");
    }
    auto kindOf = [&](std::string_view name) -> const ControlDesc* {
        const auto it = byName.find(name);
        return it == byName.end() ? nullptr : it->second;
    };

    std::set<int> tabIndices;
    std::map<std::string_view, int> selectedOptions;  // by container
    for (const ControlDesc& c : form.controls) {
        if (!c.container.empty()) {
            const ControlDesc* frame = kindOf(c.container);
            if (!frame || frame->kind != Kind::Frame)
                fault(c,
                      "its container " + std::string(c.container) + " is not a frame of the form");
            // A frame's chain of containers must end at the form.
            std::set<std::string_view> seen{c.name};
            for (const ControlDesc* f = frame; f && !f->container.empty(); f = kindOf(f->container))
                if (!seen.insert(f->name).second) {
                    fault(c, "its containers go round in a circle");
                    break;
                }
        }
        if (c.tabIndex >= 0 && !tabIndices.insert(c.tabIndex).second)
            fault(c, "the tab index " + std::to_string(c.tabIndex) + " is used twice");
        if (c.kind == Kind::Slider) {
            if (c.min > c.max) fault(c, "Min is above Max");
            if (c.value < c.min || c.value > c.max) fault(c, "the initial value is off the track");
            if (c.smallChange < 1 || c.largeChange < 1) fault(c, "a step is not positive");
        }
        if (c.kind == Kind::Option && c.selected && ++selectedOptions[c.container] > 1)
            fault(c, "a second option of its group is selected at load");
        if (c.kind == Kind::Timer && c.interval <= 0) fault(c, "the timer has no interval");
        if ((c.kind == Kind::Image || c.kind == Kind::Picture) &&
            (c.picture.empty() || !pictureExists(c.picture)))
            fault(c, "the picture '" + std::string(c.picture) + "' is missing");
        if (!c.labelledBy.empty()) {
            const ControlDesc* label = kindOf(c.labelledBy);
            if (!label || label->kind != Kind::Label)
                fault(c,
                      "it is headed by " + std::string(c.labelledBy) + ", not a label of the form");
        }
    }
    if (!form.picture.empty() && !pictureExists(form.picture))
        faults.push_back(formName + ": the background picture '" + std::string(form.picture) +
                         "' is missing");
    return faults;
}

}  // namespace forms
