// The assignment rule of sliders, the event loop's policy, and loading and unloading forms,
// on a small form of three sliders whose handlers a test sets at will.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/displayhost.h"
#include "forms/runtime.h"

using namespace forms;

namespace {

class TestForm;

struct RecordingHost : DisplayHost {
    void syncAll() override {}
    std::vector<Message> boxes;
    std::vector<std::string> events;
    int errors = 0;
    void showBox(const Message& m) override { boxes.push_back(m); }
    void errorBox(const RuntimeError&, const Message& m) override {
        ++errors;
        boxes.push_back(m);
    }
    void formLoaded(Form& f) override { events.push_back("loaded " + std::string(f.name())); }
    void formUnloaded(Form& f) override { events.push_back("unloaded " + std::string(f.name())); }
    void noFormLoaded() override { events.push_back("end"); }
};

class TestForm : public Form {
  public:
    static const FormDesc& describe();
    explicit TestForm(FormsRuntime& rt) : Form(rt, describe()) {}

    Slider A = slider("A");
    Slider B = slider("B");
    Slider C = slider("C");
    Slider D = slider("D");
    ReadoutField txt = readout("txt");
    std::function<void()> onA, onB, onC, onD, onClick;
    std::vector<std::string> trace;

    void A_Change() {
        trace.push_back("A" + std::to_string(A.Value().value()));
        if (onA) onA();
    }
    void B_Change() {
        trace.push_back("B" + std::to_string(B.Value().value()));
        if (onB) onB();
    }
    void C_Change() {
        trace.push_back("C" + std::to_string(C.Value().value()));
        if (onC) onC();
    }
    void D_Change() {
        if (onD) onD();
    }
    void Go_Click() {
        if (onClick) onClick();
    }
    void Opt_Click() { trace.push_back("option"); }
};

constexpr ControlDesc kControls[] = {
    {.name = "A",
     .kind = Kind::Slider,
     .min = 0,
     .max = 100,
     .value = 10,
     .largeChange = 10,
     .handler = handler<&TestForm::A_Change>},
    {.name = "B",
     .kind = Kind::Slider,
     .min = 0,
     .max = 100,
     .value = 20,
     .handler = handler<&TestForm::B_Change>},
    {.name = "C",
     .kind = Kind::Slider,
     .visible = false,
     .min = -5,
     .max = 5,
     .value = 0,
     .handler = handler<&TestForm::C_Change>},
    {.name = "D",
     .kind = Kind::Slider,
     .min = 0,
     .max = 5000,
     .handler = handler<&TestForm::D_Change>},
    {.name = "txt", .kind = Kind::Readout, .back = 0xFFFFFF},
    {.name = "Go", .kind = Kind::Button, .handler = handler<&TestForm::Go_Click>},
    {.name = "Opt1",
     .kind = Kind::Option,
     .selected = true,
     .handler = handler<&TestForm::Opt_Click>},
    {.name = "Opt2", .kind = Kind::Option, .handler = handler<&TestForm::Opt_Click>},
};
constexpr FormDesc kForm{.name = "frmtest", .controls = kControls};
const FormDesc& TestForm::describe() {
    return kForm;
}

class Other : public Form {
  public:
    explicit Other(FormsRuntime& rt) : Form(rt, kOther) {}
    static constexpr FormDesc kOther{.name = "frmother"};
};

struct Cascade : ::testing::Test {
    RecordingHost host;
    FormsRuntime rt{host};
    TestForm& f = rt.add<TestForm>();
    Other& other = rt.add<Other>();
    Cascade() {
        host.attach(rt);
        rt.show(f);
    }
    ControlState& control(const char* name) { return *f.find(name); }
};

}  // namespace

TEST_F(Cascade, EqualValueRunsNothingAndOutOfRangeLeavesTheValue) {
    f.A.setValue(10);
    EXPECT_TRUE(f.trace.empty());
    EXPECT_THROW(f.A.setValue(101), RuntimeError);
    EXPECT_THROW(f.A.setValue(-1), RuntimeError);
    EXPECT_EQ(f.A.Value(), 10);
    EXPECT_TRUE(f.trace.empty());
    try {
        f.A.setValue(101);
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::InvalidPropertyValue);
        EXPECT_EQ(e.number(), 380);
    }
}

TEST_F(Cascade, ReEntryRunsNestedAndTheOuterRunSeesTheNewestValues) {
    // A's handler assigns B; B's handler assigns A a new value: A's handler runs a second time
    // inside B's, and A's first run then reads the newest values.
    std::vector<int> seenAfter;
    f.onA = [&] {
        if (f.A.Value() == 50) {
            f.B.setValue(30);
            seenAfter.push_back(f.A.Value().value());
            seenAfter.push_back(f.B.Value().value());
        }
    };
    f.onB = [&] { f.A.setValue(f.B.Value() + 1); };
    f.A.setValue(50);
    EXPECT_EQ(f.trace, (std::vector<std::string>{"A50", "B30", "A31"}));
    EXPECT_EQ(seenAfter, (std::vector<int>{31, 30}));
}

TEST_F(Cascade, HandlerSeesItsOwnValueStoredBeforeItRuns) {
    int seen = -1;
    f.onB = [&] { seen = f.B.Value().value(); };
    f.B.setValue(77);
    EXPECT_EQ(seen, 77);
}

TEST_F(Cascade, DeepChainsNestWithoutLimit) {
    // Each run steps the slider one further: 3,000 nested runs of the same handler, each one
    // returning into the run that assigned it.
    int depth = 0, deepest = 0, returned = 0;
    f.onD = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        if (f.D.Value() > 0) f.D.setValue(f.D.Value() - 1);
        ++returned;
        --depth;
    };
    f.D.setValue(3000);
    EXPECT_EQ(f.D.Value(), 0);
    EXPECT_EQ(deepest, 3001);
    EXPECT_EQ(returned, 3001);
}

TEST_F(Cascade, ErrorThreeLevelsDeepKeepsEarlierAssignmentsAndStopsEveryHandler) {
    std::vector<std::string> after;
    f.onA = [&] {
        f.B.setValue(40);
        after.push_back("A went on");
    };
    f.onB = [&] {
        f.txt.setText("written");
        f.C.setValue(3);
        after.push_back("B went on");
    };
    f.onC = [&] {
        f.C.setValue(9);  // outside -5..5
        after.push_back("C went on");
    };
    EXPECT_THROW(f.A.setValue(60), RuntimeError);
    EXPECT_TRUE(after.empty());
    EXPECT_EQ(f.A.Value(), 60);
    EXPECT_EQ(f.B.Value(), 40);
    EXPECT_EQ(f.C.Value(), 3);
    EXPECT_EQ(f.txt.Text(), "written");
}

TEST_F(Cascade, EventLoopRestoresTheFormsAndReportsARefusedAction) {
    f.onA = [&] {
        f.txt.setText("half");
        f.txt.setBackColor(0xFF0000);
        f.B.setValue(1);
        f.C.setValue(99);
    };
    f.onB = [&] { rt.showInfo("before the failure"); };
    auto outcome = rt.arrow(f.A, +1);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind(), ErrorKind::InvalidPropertyValue);
    EXPECT_EQ(f.A.Value(), 10);
    EXPECT_EQ(f.B.Value(), 20);
    EXPECT_EQ(f.txt.Text(), "");
    EXPECT_EQ(f.txt.BackColor(), 0xFFFFFF);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text, "before the failure");
    EXPECT_EQ(host.boxes[1].style, 16);
    EXPECT_EQ(host.boxes[1].title, "Cálculo de Comprimento");
    EXPECT_EQ(
        host.boxes[1].text,
        "Não foi possível fazer esta operação com os valores atuais. Foi anulada e os valores "
        "anteriores foram repostos. (Erro de execução 380: valor de propriedade inválido.)");
    EXPECT_EQ(host.errors, 1);
    // The next action is taken as usual.
    f.onA = nullptr;
    EXPECT_FALSE(rt.arrow(f.A, +1));
    EXPECT_EQ(f.A.Value(), 11);
}

TEST_F(Cascade, AnActionShowsEachBoxOnceAndTheNextActionStartsAfresh) {
    // A chain that reaches the same prompt at every level of its nesting.
    f.onB = [&] {
        rt.showInfo("same");
        if (f.B.Value().value() < 25) f.B.setValue(Int(f.B.Value().value() + 1));
        rt.plainBox("same");  // another style: another box
        rt.showInfo("other");
    };
    EXPECT_FALSE(rt.drag(f.B, 21));
    EXPECT_EQ(f.B.Value(), 25);  // five nested runs, every one of them to the end
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_EQ(host.boxes[0].text, "same");
    EXPECT_EQ(host.boxes[0].style, 64);
    EXPECT_EQ(host.boxes[1].text, "same");
    EXPECT_EQ(host.boxes[1].style, 0);
    EXPECT_EQ(host.boxes[2].text, "other");

    host.boxes.clear();
    EXPECT_FALSE(rt.arrow(f.B, +1));
    EXPECT_EQ(host.boxes.size(), 3u);

    // A refused action shows its boxes once too, and its report after them.
    host.boxes.clear();
    f.onB = [&] {
        rt.showInfo("same");
        rt.showInfo("same");
        f.C.setValue(99);
    };
    EXPECT_TRUE(rt.arrow(f.B, +1));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].text, "same");
    EXPECT_EQ(host.boxes[1].style, 16);
    host.boxes.clear();
    EXPECT_TRUE(rt.arrow(f.B, +1));
    EXPECT_EQ(host.boxes.size(), 2u);

    // Outside any user action the model shows every box it is asked to.
    host.boxes.clear();
    rt.showInfo("same");
    rt.showInfo("same");
    EXPECT_EQ(host.boxes.size(), 2u);
}

TEST_F(Cascade, ADisplayRunsOneUserActionAtATime) {
    // Input that reaches a window while a handler's message box waits (a held arrow's repeat, a
    // timer) is dropped, not run inside the waiting handler.
    bool inner = true;
    f.onA = [&] {
        rt.showInfo("wait");
        inner = rt.oneAtATime([&] { rt.arrow(f.B, +1); });
    };
    EXPECT_TRUE(rt.oneAtATime([&] { rt.arrow(f.A, +1); }));
    EXPECT_FALSE(inner);
    EXPECT_EQ(f.B.Value(), 20);
    EXPECT_FALSE(rt.displayBusy());
    // A fault that escapes an action does not shut the display out of the next one.
    f.onA = [] { throw std::logic_error("fault"); };
    EXPECT_THROW(rt.oneAtATime([&] { rt.arrow(f.A, +1); }), std::logic_error);
    f.onA = nullptr;
    const auto before = f.A.Value().value();
    EXPECT_TRUE(rt.oneAtATime([&] { rt.arrow(f.A, +1); }));
    EXPECT_EQ(f.A.Value(), before + 1);
}

TEST_F(Cascade, APressThatMetABoxStepsNoMoreUntilTheNextPress) {
    // An arrow held down before the load is set: its first step asks in a box, and then nothing,
    // however long it is held; the next press steps once more. A press that meets no box repeats
    // as long as it is held, and an error's report spends a press as a prompt does.
    const auto hold = [&](Slider s, int repeats) {
        host.pressBegins();
        for (int i = 0; i < repeats; ++i) host.pressStep([&] { rt.arrow(s, +1); });
    };
    f.onA = [&] { rt.showInfo("first the load"); };
    hold(f.A, 40);
    EXPECT_EQ(f.A.Value(), 11);
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.pressSpent());
    EXPECT_TRUE(host.act([&] { rt.arrow(f.B, +1); }));  // other input is not held back
    EXPECT_EQ(f.B.Value(), 21);
    hold(f.A, 1);
    EXPECT_EQ(f.A.Value(), 12);
    EXPECT_EQ(host.boxes.size(), 2u);
    f.onA = nullptr;
    hold(f.A, 5);
    EXPECT_EQ(f.A.Value(), 17);
    f.onA = [&] { f.B.setValue(1000); };
    hold(f.A, 5);
    EXPECT_EQ(f.A.Value(), 17);
    EXPECT_EQ(host.errors, 1);
    EXPECT_TRUE(host.pressSpent());
}

TEST_F(Cascade, UserStepsStopAtTheEnds) {
    f.A.setValue(95);
    f.trace.clear();
    EXPECT_FALSE(rt.page(f.A, +1));  // five positions left: to Max
    EXPECT_EQ(f.A.Value(), 100);
    EXPECT_FALSE(rt.arrow(f.A, +1));  // already at Max: nothing runs
    EXPECT_EQ(f.trace, (std::vector<std::string>{"A100"}));
    EXPECT_FALSE(rt.drag(f.A, 100));  // released where it started
    EXPECT_EQ(f.trace.size(), 1u);
    rt.page(f.A, -1);
    EXPECT_EQ(f.A.Value(), 90);
    rt.arrow(f.B, -1);
    EXPECT_EQ(f.B.Value(), 19);
}

TEST_F(Cascade, OptionGroupSelectsOneAndReselectingRunsNothing) {
    rt.select(control("Opt1"));
    EXPECT_TRUE(f.trace.empty());
    rt.select(control("Opt2"));
    EXPECT_FALSE(control("Opt1").selected);
    EXPECT_TRUE(control("Opt2").selected);
    EXPECT_EQ(f.trace, (std::vector<std::string>{"option"}));
}

TEST_F(Cascade, UnloadAndShowBringBackTheDescribedValues) {
    f.A.setValue(42);
    f.txt.setText("x");
    rt.show(f);  // already loaded: keeps its state
    EXPECT_EQ(f.A.Value(), 42);
    rt.unload(f);
    EXPECT_FALSE(f.loaded());
    rt.show(f);
    EXPECT_EQ(f.A.Value(), 10);
    EXPECT_EQ(f.txt.Text(), "");
    EXPECT_EQ(f.txt.BackColor(), 0xFFFFFF);
    EXPECT_TRUE(control("Opt1").selected);
}

TEST_F(Cascade, TheProgramEndsOnlyWhenNoFormIsLoadedAfterTheEvent) {
    // A handler that unloads its own form and shows another leaves the program running.
    f.onClick = [&] {
        rt.unload(f);
        rt.show(other);
    };
    rt.click(control("Go"));
    EXPECT_TRUE(other.loaded());
    EXPECT_EQ(host.events,
              (std::vector<std::string>{"loaded frmtest", "unloaded frmtest", "loaded frmother"}));
    rt.close(other);
    EXPECT_EQ(host.events.back(), "end");
}
