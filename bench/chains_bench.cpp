// What the handler chains cost: the deepest cascade, the longest 90-degree search of each
// calculator and one full sweep of the two-leg form, each as time per nested handler run.
//
// Beside each chain, a flat loop does the same arithmetic and text conversions that its handler
// runs do, run by run with the values each run saw, but without sliders, nesting or the forms
// model; the ratio of the two is the model's own overhead. The stack one nested run takes is
// measured on a thread whose stack is painted before the deepest chain runs on it.
//
// After the benchmarks, a summary sets the figures against the targets.
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"
#include "tests/program.h"

using namespace calculators;
using namespace forms;
using testing_support::Program;

namespace {

Int I(int v) {
    return Int(static_cast<std::int16_t>(v));
}

// --- Recording the nested runs of a chain ----------------------------------------------------

// One change-handler run: which slider's handler, how deep, and the values it started from.
struct Run {
    std::uint8_t slot = 0;
    bool outermost = false;  // run directly by the user action (in a search: one pass's step)
    bool diameterMode = false;
    std::int16_t p = 0, h = 0, l = 0, c = 0, a = 0;
};

struct Trace {
    std::vector<Run> runs;
    int maxDepth = 0;
    std::string form;
    std::vector<std::string> slots;  // the slider of each slot
};

// Wraps every slider's change handler of a form, on a copy of the form's table, with one that
// records the run and then calls the original. Only for counting: the timed runs are not
// wrapped.
class Recorder {
  public:
    explicit Recorder(Form& form) : form_(form) {
        trace_.form = std::string(form.name());
        auto& controls = form.controls();
        table_.reserve(controls.size());
        for (const ControlState& c : controls) {
            original_.push_back(c.desc);
            table_.push_back(*c.desc);
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const ControlDesc& d = table_[i];
            if (d.name == "hsbperna") p_ = i;
            if (d.name == "hsbaltura") h_ = i;
            if (d.name == "hsblcarga") l_ = i;
            if (d.name == "hsbccarga") c_ = i;
            if (d.name == "hsbangsup") a_ = i;
            if (d.name == calculators::frmtrespernas::kDiameterOption) option1_ = i;
            if (d.kind == Kind::Slider && d.handler) {
                const std::size_t slot = trace_.slots.size();
                handlers_[slot] = d.handler;
                table_[i].handler = kWrappers[slot];
                trace_.slots.emplace_back(d.name);
            }
            controls[i].desc = &table_[i];
        }
        active_ = this;
    }
    ~Recorder() {
        for (std::size_t i = 0; i < original_.size(); ++i) form_.controls()[i].desc = original_[i];
        active_ = nullptr;
    }
    Trace take() { return std::move(trace_); }

  private:
    template <int Slot>
    static void wrapped(Form& form) {
        Recorder& r = *active_;
        const auto& c = form.controls();
        Run run;
        run.slot = Slot;
        run.outermost = r.depth_ == 0;
        run.diameterMode = r.option1_ != kNone && c[r.option1_].selected;
        run.p = c[r.p_].value;
        run.h = c[r.h_].value;
        run.l = r.l_ != kNone ? c[r.l_].value : 0;
        run.c = r.c_ != kNone ? c[r.c_].value : 0;
        run.a = c[r.a_].value;
        r.trace_.runs.push_back(run);
        r.trace_.maxDepth = std::max(r.trace_.maxDepth, ++r.depth_);
        handlers_[Slot](form);
        --r.depth_;
    }

    static constexpr std::size_t kNone = ~std::size_t{0};
    static constexpr Handler kWrappers[] = {wrapped<0>, wrapped<1>, wrapped<2>,
                                            wrapped<3>, wrapped<4>, wrapped<5>};
    static inline Handler handlers_[std::size(kWrappers)] = {};
    static inline Recorder* active_ = nullptr;

    Form& form_;
    std::vector<const ControlDesc*> original_;
    std::vector<ControlDesc> table_;
    std::size_t p_ = kNone, h_ = kNone, l_ = kNone, c_ = kNone, a_ = kNone, option1_ = kNone;
    int depth_ = 0;
    Trace trace_;
};

// --- The chains measured ---------------------------------------------------------------------

struct Scenario {
    const char* name;
    bool search;  // the action is a 90-degree search
    // Opens the form and brings it to the state the action starts from.
    std::function<Form&(Program&)> prepare;
    // The user action whose chain is measured.
    std::function<void(Program&, Form&)> act;
    // How many times the action puts the form back to a state of its own (the sweep's fresh
    // forms): the harness's part of the time, measured apart.
    long resets = 0;
};

template <class F>
F& opened(Program& program) {
    return program.open<F>();
}

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> all = {
        {"DeepestChain/three legs, diameter, load 50, leg 101 to 2000", false,
         [](Program& pr) -> Form& {
             auto& f = opened<frmtrespernas>(pr);
             pr.rt.drag(f.hsblcarga, I(50));
             return f;
         },
         [](Program& pr, Form& form) {
             pr.rt.drag(static_cast<frmtrespernas&>(form).hsbperna, I(2000));
         }},
        {"LongestSearch/two legs, load 200, from leg 2000", true,
         [](Program& pr) -> Form& {
             auto& f = opened<frmduaspernas>(pr);
             pr.rt.drag(f.hsblcarga, I(200));
             pr.rt.drag(f.hsbperna, I(2000));
             return f;
         },
         [](Program& pr, Form& form) {
             pr.click(form, calculators::frmduaspernas::kSearchButton);
         }},
        // Of every load in either mode, the one whose search from the longest leg walks the
        // furthest to 90 degrees (1944 cm, down to the leg 56).
        {"LongestSearch/three legs, distance, load 79, from leg 2000", true,
         [](Program& pr) -> Form& {
             auto& f = opened<frmtrespernas>(pr);
             pr.select(f, calculators::frmtrespernas::kDistanceOption);
             pr.rt.drag(f.hsblcarga, I(79));
             pr.rt.drag(f.hsbperna, I(2000));
             return f;
         },
         [](Program& pr, Form& form) {
             pr.click(form, calculators::frmtrespernas::kSearchButton);
         }},
        {"LongestSearch/four legs, load 100 x 100, from leg 2000", true,
         [](Program& pr) -> Form& {
             auto& f = opened<frmquatropernas>(pr);
             pr.rt.drag(f.hsbccarga, I(101));  // off the design load and back: the load is set
             pr.rt.drag(f.hsbccarga, I(100));
             pr.rt.drag(f.hsbperna, I(2000));
             return f;
         },
         [](Program& pr, Form& form) {
             pr.click(form, calculators::frmquatropernas::kSearchButton);
         }},
        // The sweep of the tests: every load from a fresh form, its search, then every leg, each
        // from the state the load left (the reset is part of the figure).
        {"FullSweep/two legs, every load, its search, every leg", false,
         [](Program& pr) -> Form& { return opened<frmduaspernas>(pr); },
         [](Program& pr, Form& form) {
             auto& f = static_cast<frmduaspernas&>(form);
             const auto fresh = f.snapshot();
             for (int load = 100; load <= 1200; ++load) {
                 f.restore(fresh);
                 if (load == 100) pr.rt.drag(f.hsblcarga, I(101));
                 pr.rt.drag(f.hsblcarga, I(load));
                 const auto loaded = f.snapshot();
                 pr.click(f, calculators::frmduaspernas::kSearchButton);
                 for (int leg = 50; leg <= 2000; ++leg) {
                     f.restore(loaded);
                     pr.rt.drag(f.hsbperna, I(leg));
                 }
             }
         },
         1101L * (1 + 1951)},
    };
    return all;
}

const Trace& traceOf(const Scenario& sc) {
    static std::map<std::string, Trace> traces;
    auto it = traces.find(sc.name);
    if (it == traces.end()) {
        Program pr;
        Form& f = sc.prepare(pr);
        Recorder recorder(f);
        sc.act(pr, f);
        it = traces.emplace(sc.name, recorder.take()).first;
    }
    return it->second;
}

// --- The flat baseline: each run's arithmetic and text conversions, and nothing else ---------

// Where the flat loop writes what the handlers would write to read-outs.
struct Sink {
    std::string text[4];
    Colour back[3] = {};
    std::string_view note[3];
};

template <class T>
void keep(T&& value) {
    benchmark::DoNotOptimize(value);
}

void metresText(std::string& out, Real centimetres) {
    out = RealText(centimetres / 100);
    out = FixedTwo(out);
}

void angleRun(const Run& r, Sink& s) {
    const Int a = r.a;
    s.text[0] = IntegerText(a);
    s.text[1] = RealText(90 - a / 2);
    const Band band = bandOf(TextToReal(s.text[0]));
    for (Colour& c : s.back) c = band.colour;
    s.note[0] = s.note[1] = s.note[2] = band.name;
}

// Each follows its handler's steps with the values the run started from, taking over the
// values its guards assign, as the handler reads them afterwards.
void twoLegsLeg(const Run& r, Sink& s) {
    Int p = r.p;
    const Int h = r.h, l = r.l;
    keep(s.text[3].empty() && l == 100);
    if (l >= p * 2)
        p = ToInteger(l / 2 + 1);
    else if (h >= p)
        keep(p - 1);
    keep(Height(l / 2, p));
    metresText(s.text[2], p);
}
void twoLegsHeight(const Run& r, Sink& s) {
    Int p = r.p;
    const Int h = r.h, l = r.l;
    if (l >= p * 2)
        keep(ToInteger(l / 2 + 1));
    else if (h >= p)
        keep(h + 1);
    p = Leg(l / 2, h);
    keep(UpperAngle(l / 2, p));
    metresText(s.text[2], Sqrt(Sqr(p) - Sqr(l / 2)));
}
void twoLegsLoad(const Run& r, Sink& s) {
    Int p = r.p;
    const Int h = r.h, l = r.l;
    if (l / 2 >= p) p = ToInteger(l / 2 + 1);
    if (TextToReal(s.text[0]) >= 150) keep(h + 1);
    keep(Height(l / 2, p));
    metresText(s.text[3], l);
}
void twoLegsPass(const Run& r, Sink&) {
    const Int p = r.p, h = r.h, l = r.l;
    keep(Leg(l / 2, h));
    keep(UpperAngle(l / 2, p));
    keep(Height(l / 2, p));
    keep(p + 1);
}

Real threeLegsR(const Run& r) {
    const Int l = r.l;
    if (r.diameterMode) return l / 2.0;
    return Sqrt(Sqr(l) - Sqr(l / 2.0)) / 3.0 * 2;
}
Real halfSpacing(Real r) {
    return Sqrt(Sqr(r) - Sqr(r / 2));
}
void threeLegsLeg(const Run& r, Sink& s) {
    Int p = r.p;
    const Int h = r.h;
    keep(s.text[3].empty() && r.l == 100);
    const Real x = threeLegsR(r);
    if (x >= p)
        p = ToInteger(x + 1);
    else if (h >= p)
        keep(p - 1);
    keep(ToInteger(Sqrt(Sqr(p) - Sqr(x))));
    metresText(s.text[2], p);
}
void threeLegsHeight(const Run& r, Sink& s) {
    Int p = r.p;
    const Int h = r.h;
    keep(s.text[3].empty() && r.l == 50);
    const Real x = threeLegsR(r);
    if (x >= p)
        keep(ToInteger(x + 1));
    else if (h >= p)
        keep(p - 1);
    const Real hs = halfSpacing(x);
    p = ToInteger(Sqrt(Sqr(h) + Sqr(x)));
    keep(UpperAngle(hs, p));
    metresText(s.text[2], Sqrt(Sqr(p) - Sqr(x)));
}
void threeLegsLoad(const Run& r, Sink& s) {
    Int p = r.p;
    const Int l = r.l;
    const Real x = threeLegsR(r);
    if (p <= x) p = ToInteger(x + 1);
    const Real hs = halfSpacing(x);
    keep(ToInteger(Sqrt(Sqr(p) - Sqr(x))));
    s.text[3] = PlainRealText(hs * 2 / 100);
    s.text[2] = r.diameterMode ? RealText(l / 100.0) : PlainRealText(x * 2 / 100);
    s.text[3] = FixedTwo(s.text[3]);
    s.text[2] = FixedTwo(s.text[2]);
}
void threeLegsPass(const Run& r, Sink&) {
    const Int p = r.p, h = r.h;
    const Real x = threeLegsR(r);
    const Real hs = halfSpacing(x);
    keep(ToInteger(Sqrt(Sqr(h) + Sqr(x))));
    keep(UpperAngle(hs, p));
    keep(ToInteger(Sqrt(Sqr(p) - Sqr(x))));
    keep(p + 1);
}

Real fourLegsD(const Run& r) {
    return Sqrt(Sqr(Int(r.c)) + Sqr(Int(r.l))) / 2;
}
void fourLegsLeg(const Run& r, Sink& s) {
    Int p = r.p;
    keep(s.text[3].empty() && s.text[2].empty() && r.l == 100 && r.c == 100);
    const Real x = fourLegsD(r);
    if (x > p) p = ToInteger(x + 10);
    keep(Height(x, p));
    keep(UpperAngle(x, p));
    metresText(s.text[2], p);
}
void fourLegsHeight(const Run& r, Sink& s) {
    const Int h = r.h;
    const Real x = ToSingle(fourLegsD(r));
    const Int p = Leg(x, h);
    keep(Height(x, p));
    keep(UpperAngle(x, p));
    metresText(s.text[2], h);
}
void fourLegsLength(const Run& r, Sink& s) {
    const Int h = r.h;
    const Real x = ToSingle(fourLegsD(r));
    if (x > Int(r.p)) keep(ToInteger(x + 10));
    const Int p = Leg(x, h);
    keep(Height(x, p));
    metresText(s.text[3], Int(r.l));
    metresText(s.text[2], Int(r.c));
}
void fourLegsWidth(const Run& r, Sink& s) {
    const Int h = r.h;
    const Real x = fourLegsD(r);
    const Int p = Leg(x, h);
    keep(Height(x, p));
    metresText(s.text[3], Int(r.l));
}
void fourLegsPass(const Run& r, Sink&) {
    const Int p = r.p, h = r.h;
    const Real x = fourLegsD(r);
    keep(Leg(x, h));
    keep(Height(x, p));
    keep(UpperAngle(x, p));
    keep(p + 1);
}

using Work = void (*)(const Run&, Sink&);

// The flat work of each slot of a trace, and of one search pass.
struct FlatWork {
    std::vector<Work> slot;
    Work pass = nullptr;
};

FlatWork flatWorkOf(const Trace& t) {
    FlatWork w;
    for (const std::string& s : t.slots) {
        if (s == "hsbangsup") {
            w.slot.push_back(angleRun);
        } else if (t.form == "frmduaspernas") {
            w.slot.push_back(s == "hsbperna"    ? twoLegsLeg
                             : s == "hsbaltura" ? twoLegsHeight
                                                : twoLegsLoad);
        } else if (t.form == "frmtrespernas") {
            w.slot.push_back(s == "hsbperna"    ? threeLegsLeg
                             : s == "hsbaltura" ? threeLegsHeight
                                                : threeLegsLoad);
        } else {
            w.slot.push_back(s == "hsbperna"    ? fourLegsLeg
                             : s == "hsbaltura" ? fourLegsHeight
                             : s == "hsbccarga" ? fourLegsLength
                                                : fourLegsWidth);
        }
    }
    w.pass = t.form == "frmduaspernas"   ? twoLegsPass
             : t.form == "frmtrespernas" ? threeLegsPass
                                         : fourLegsPass;
    return w;
}

// --- Benchmarks ------------------------------------------------------------------------------

// Every timed call of each benchmark; the summary takes the median.
struct Figures {
    std::vector<double> modelNsPerAction, flatNsPerAction;
    long runs = 0;
    int depth = 0;
};

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}
std::map<std::string, Figures> figures;

using Clock = std::chrono::steady_clock;

void setCounters(benchmark::State& state, const Trace& t) {
    state.counters["runs"] = double(t.runs.size());
    state.counters["depth"] = t.maxDepth;
    state.counters["per_run"] =
        benchmark::Counter(double(t.runs.size()), benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

void modelChain(benchmark::State& state, const Scenario* sc) {
    const Trace& t = traceOf(*sc);
    Program pr;
    Form& f = sc->prepare(pr);
    const auto start = f.snapshot();
    const auto t0 = Clock::now();
    for (auto _ : state) {
        f.restore(start);
        sc->act(pr, f);
        pr.boxes.clear();
    }
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() /
                      double(state.iterations());
    Figures& fig = figures[sc->name];
    fig.modelNsPerAction.push_back(ns);
    fig.runs = long(t.runs.size());
    fig.depth = t.maxDepth;
    setCounters(state, t);
}

void flatLoop(benchmark::State& state, const Scenario* sc) {
    const Trace& t = traceOf(*sc);
    const FlatWork work = flatWorkOf(t);
    Sink sink;
    long skipped = 0;
    const auto t0 = Clock::now();
    for (auto _ : state) {
        for (const Run& run : t.runs) {
            // A run whose values its nested runs would have changed before a step can meet a
            // value the handler never computes with; it is counted and its work left off.
            try {
                // In a search, each run started by the loop itself stands for one pass of it.
                if (sc->search && run.outermost) work.pass(run, sink);
                work.slot[run.slot](run, sink);
            } catch (const RuntimeError&) {
                ++skipped;
            }
        }
        benchmark::ClobberMemory();
    }
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() /
                      double(state.iterations());
    figures[sc->name].flatNsPerAction.push_back(ns);
    setCounters(state, t);
    if (skipped) state.counters["skipped"] = double(skipped) / double(state.iterations());
}

// The harness's reset of the two-leg form to a state it saved, alone.
double resetNs = 0;
void resetOnly(benchmark::State& state) {
    Program pr;
    auto& f = pr.open<frmduaspernas>();
    pr.rt.drag(f.hsblcarga, I(200));
    const auto loaded = f.snapshot();
    pr.rt.drag(f.hsbperna, I(300));
    const auto t0 = Clock::now();
    for (auto _ : state) {
        f.restore(loaded);
        benchmark::ClobberMemory();
    }
    resetNs = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() /
              double(state.iterations());
}

// --- Stack per nested run --------------------------------------------------------------------

// The most stack a body used, on a thread whose 8 MiB stack is painted with a pattern first.
std::size_t stackHighWater(void (*body)()) {
    constexpr std::size_t kSize = 8u << 20;
    constexpr unsigned char kPaint = 0xA5;
    void* mem = mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mem == MAP_FAILED) return 0;
    std::memset(mem, kPaint, kSize);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstack(&attr, mem, kSize);
    pthread_t thread;
    struct Call {
        void (*body)();
    } call{body};
    if (pthread_create(
            &thread, &attr,
            [](void* c) -> void* {
                static_cast<Call*>(c)->body();
                return nullptr;
            },
            &call) != 0) {
        munmap(mem, kSize);
        return 0;
    }
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    const auto* bytes = static_cast<const unsigned char*>(mem);
    std::size_t untouched = 0;
    while (untouched < kSize && bytes[untouched] == kPaint) ++untouched;
    munmap(mem, kSize);
    return kSize - untouched;
}

// The deepest chain, and one like it from a shorter leg (the leg walks down from 1300).
void deepChainFrom(int leg) {
    Program pr;
    auto& f = pr.open<frmtrespernas>();
    pr.rt.drag(f.hsblcarga, I(50));
    pr.rt.drag(f.hsbperna, I(leg));
}
void deepChain() {
    deepChainFrom(2000);
}
void shallowerChain() {
    deepChainFrom(1300);
}

int depthOf(int leg) {
    const Scenario sc{"", false,
                      [](Program& pr) -> Form& {
                          auto& f = pr.open<frmtrespernas>();
                          pr.rt.drag(f.hsblcarga, I(50));
                          return f;
                      },
                      [leg](Program& pr, Form& form) {
                          pr.rt.drag(static_cast<frmtrespernas&>(form).hsbperna, I(leg));
                      }};
    Program pr;
    Form& f = sc.prepare(pr);
    Recorder recorder(f);
    sc.act(pr, f);
    return recorder.take().maxDepth;
}

// --- Summary ---------------------------------------------------------------------------------

void summary(double stackPerRun, std::size_t deepStack, int deepDepth) {
    std::printf("\n== Against the targets (medians of the timed calls) ==\n");
    std::printf("%-58s %9s %7s %9s %9s %6s\n", "chain", "ms/action", "runs", "ns/run", "flat ns",
                "ratio");
    bool ok = true;
    for (const Scenario& sc : scenarios()) {
        const auto it = figures.find(sc.name);
        if (it == figures.end()) continue;
        const Figures& f = it->second;
        const double action = median(f.modelNsPerAction), flat = median(f.flatNsPerAction);
        const double ratio = flat > 0 ? action / flat : 0;
        std::printf("%-58s %9.3f %7ld %9.1f %9.1f %6.2f\n", sc.name, action / 1e6, f.runs,
                    action / double(f.runs), flat / double(f.runs), ratio);
        if (flat > 0 && ratio > 2) ok = false;
        const std::string_view name = sc.name;
        if (name.starts_with("DeepestChain") && action >= 1e6) ok = false;
        if (name.starts_with("LongestSearch") && action >= 5e6) ok = false;
        if (sc.resets > 0 && resetNs > 0) {
            const double chain = action - double(sc.resets) * resetNs;
            std::printf("  without its %ld resets of the form (%.1f ns each) %19.1f %9.1f %6.2f\n",
                        sc.resets, resetNs, chain / double(f.runs), flat / double(f.runs),
                        chain / flat);
        }
    }
    std::printf(
        "stack: the deepest chain nests %d runs deep and uses %zu bytes; "
        "%.1f bytes per nested run\n",
        deepDepth, deepStack, stackPerRun);
    if (stackPerRun >= 384) ok = false;
    std::printf("targets: ratio <= 2, deepest chain < 1 ms, search < 5 ms, stack < 384 B/run: %s\n",
                ok ? "all met" : "NOT all met");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    for (const Scenario& sc : scenarios()) {
        traceOf(sc);  // counted once, before anything is timed
        benchmark::RegisterBenchmark((std::string("Model/") + sc.name).c_str(), modelChain, &sc)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark((std::string("Flat/") + sc.name).c_str(), flatLoop, &sc)
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    }

    benchmark::RegisterBenchmark("Reset/two legs form, to a saved state", resetOnly);

    // The stack of one nested run: the difference between two chains of different depth.
    const std::size_t deep = stackHighWater(deepChain);
    const std::size_t shallower = stackHighWater(shallowerChain);
    const int deepDepth = depthOf(2000), shallowerDepth = depthOf(1300);
    const double perRun = double(deep - shallower) / double(deepDepth - shallowerDepth);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary(perRun, deep, deepDepth);
    return 0;
}
