// exhaustive: every state of the two-leg calculator that user actions can reach, and every user
// action from each of them, judged by the independent account of fuzz/reference.h.
//
// Starting from the form as it is shown, a breadth-first walk performs, from each state, every
// action the form accepts: an arrow and a page step either way on each visible slider, a drag
// to every value of each visible slider (its own value included), and a click on each button
// ("Calcular a 90 Graus", "Cancelar"). Each outcome is checked as the fuzzer checks one: the
// sliders, the read-outs' texts and colours, the messages and the refusal against the account,
// the read-outs against the sliders, a refused action put back, a search that ends at 90 degrees
// or says where it stopped. A state whose actions run longer than --timeout seconds all told
// (they take milliseconds), as a search that does not end would, is reported with the action
// under way and ends the run.
//
// A state is the form's sliders (leg, height, load, upper angle) and its read-outs' texts,
// colours and notes. Once an outcome has agreed with the account, its read-outs follow from the
// sliders but for three facts: which read-outs have been written at all, and the height
// read-out's text, which keeps the height of the last leg the height handler saw. So a state
// packs into 56 bits, and the walk keeps a lock-free set of those keys (8 bytes a slot) and,
// per layer, each state's key, its parent and the action that reached it (16 bytes a state),
// from which a disagreement is printed as a scenario for pernadas-replay: the shortest way to
// the state, the action, and a dump.
//
//   exhaustive [--threads N] [--loads MIN..MAX] [--max-states N] [--stop-after N]
//              [--seconds S] [--timeout S] [--capacity LOG2] [--checkpoint FILE [--every S]]
//
// --loads keeps the walk to the states with a load in that range (every action is still
// performed from them); --max-states stops after that many states; --stop-after stops after
// that many disagreements (0: never; 20 by default); --seconds stops after that long; --capacity
// sets the key set to 2^LOG2 slots (26 by default: 512 MiB, for up to 47 million states). With
// --checkpoint the walk writes its progress to FILE every --every seconds (600 by default) and
// when --seconds runs out or it is interrupted (SIGINT, SIGTERM), and a walk started with the same
// FILE and loads takes up from there: the whole walk takes hours, and can be done in several
// sittings. A complete walk removes FILE. Exit status 0 when everything agreed, 1 when something
// disagreed, 2 on bad arguments or a full key set.
#include <sys/resource.h>

#include <csignal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "calculators/duaspernas.h"
#include "forms/actions.h"
#include "forms/runtime.h"
#include "fuzz/invariants.h"
#include "fuzz/reference.h"
#include "shell/shell.h"

namespace {

using namespace forms;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kCalc = "frmduaspernas";
constexpr std::string_view kStalled =
    "Não foi possível chegar a exatamente 90 graus: o cálculo parou no comprimento mostrado.";

// Set by SIGINT or SIGTERM: a walk that keeps its progress saves it and ends.
volatile std::sig_atomic_t interrupted = 0;
extern "C" void onInterrupt(int) {
    interrupted = 1;
}

struct Options {
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    int loadMin = 100, loadMax = 1200;
    std::uint64_t maxStates = 0, stopAfter = 20;
    double timeout = 20, seconds = 0;
    int capacityLog2 = 26;
    std::string checkpoint;  // where the walk keeps its progress; empty: nowhere
    double every = 600;      // seconds between checkpoints
};

// --- States as keys --------------------------------------------------------------------------

// Leg 50..2000 (11 bits), height 1..2000 (11), load 100..1200 (11), angle 1..180 (8), whether
// the leg, load and angle read-outs have been written (3), and the height read-out: 0 while
// empty, else its centimetres plus one (12).
struct Packed {
    int p, h, l, a;
    bool leg, load, angle;
    int altura;  // -1: empty
};

std::uint64_t keyOf(const Packed& s) {
    std::uint64_t k = std::uint64_t(s.p - 50);
    k = (k << 11) | std::uint64_t(s.h - 1);
    k = (k << 11) | std::uint64_t(s.l - 100);
    k = (k << 8) | std::uint64_t(s.a - 1);
    k = (k << 3) | (s.leg ? 4u : 0u) | (s.load ? 2u : 0u) | (s.angle ? 1u : 0u);
    return (k << 12) | std::uint64_t(s.altura + 1);
}

Packed unkey(std::uint64_t k) {
    Packed s{};
    s.altura = int(k & 0xFFF) - 1;
    k >>= 12;
    s.angle = k & 1, s.load = k & 2, s.leg = k & 4;
    k >>= 3;
    s.a = int(k & 0xFF) + 1;
    k >>= 8;
    s.l = int(k & 0x7FF) + 100;
    k >>= 11;
    s.h = int(k & 0x7FF) + 1;
    k >>= 11;
    s.p = int(k & 0x7FF) + 50;
    return s;
}

// A type action of the walk types the value its slider holds in the state it is taken from: a
// typed value that differs from it is a drag, which the walk makes anyway.
UserAction typedIn(UserAction action, std::uint64_t key) {
    if (action.verb != Verb::Type) return action;
    const Packed s = unkey(key);
    action.value = action.control == "hsbperna"    ? s.p
                   : action.control == "hsbaltura" ? s.h
                   : action.control == "hsblcarga" ? s.l
                                                   : s.a;
    return action;
}

// What each read-out's band says in words for a screen reader: the program's own wording,
// learnt from the first state of each read-out in each band and then held to. Each text is set
// once and never freed.
class Notes {
  public:
    std::optional<std::string> check(int readout, Colour band, std::string_view note) {
        std::atomic<const std::string*>& slot = slots_[index(readout, band)];
        const std::string* text = slot.load(std::memory_order_acquire);
        if (!text) {
            const std::string* mine = new std::string(note);
            if (slot.compare_exchange_strong(text, mine)) return std::nullopt;
            delete mine;
        }
        if (*text == note) return std::nullopt;
        return "a band's note changed to \"" + std::string(note) + "\"";
    }
    // The notes learnt so far, one text a slot ("" for one not yet learnt), and back again.
    std::vector<std::string> all() const {
        std::vector<std::string> texts;
        for (const auto& slot : slots_) {
            const std::string* text = slot.load(std::memory_order_acquire);
            texts.push_back(text ? *text : std::string());
        }
        return texts;
    }
    void learn(const std::vector<std::string>& texts) {
        for (std::size_t i = 0; i < texts.size() && i < std::size(slots_); ++i)
            if (!texts[i].empty()) slots_[i].store(new std::string(texts[i]));
    }
    std::string_view of(int readout, Colour band) const {
        const std::string* text = slots_[index(readout, band)].load(std::memory_order_acquire);
        return text ? std::string_view(*text) : std::string_view{};
    }

  private:
    static int index(int readout, Colour band) {
        return readout * 4 + (band == 0xFF0000   ? 0
                              : band == 0xFFFF00 ? 1
                              : band == 0x80FF80 ? 2
                                                 : 3);
    }
    std::atomic<const std::string*> slots_[4 * 16] = {};
};
Notes notes;

// "12.34" as 1234, or -1 when the text is not two decimals of 0.00..20.00.
int centimetresOf(const std::string& t) {
    if (t.size() < 4 || t.size() > 5 || t[t.size() - 3] != '.') return -1;
    int v = 0;
    for (char c : t)
        if (c != '.') {
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
    if (invariants::metres(v) != t || v > 2000) return -1;
    return v;
}

// --- The set of keys seen: open addressing, lock-free ----------------------------------------

class KeySet {
  public:
    explicit KeySet(int log2) : shift_(64 - log2), mask_((std::uint64_t(1) << log2) - 1) {
        slots_ = std::make_unique<std::atomic<std::uint64_t>[]>(mask_ + 1);
    }
    // True when the key was not there before. Keys are stored plus one, so that 0 is empty. A
    // set that is full takes no more (the walk then stops): probing a set with no empty slot
    // left would never end.
    bool insert(std::uint64_t key) {
        const std::uint64_t stored = key + 1;
        std::uint64_t i = slot(key);
        for (;;) {
            std::uint64_t seen = slots_[i].load(std::memory_order_relaxed);
            if (seen == stored) return false;
            if (seen == 0) {
                if (full_) return false;
                if (slots_[i].compare_exchange_strong(seen, stored)) {
                    if (++size_ * 10 > (mask_ + 1) * 9) full_ = true;
                    return true;
                }
                if (seen == stored) return false;
            }
            i = (i + 1) & mask_;
        }
    }
    // Brings the key's slot towards the cache: the set is far larger than the cache, and a
    // state's successors are looked up one after the other.
    void prefetch(std::uint64_t key) const { __builtin_prefetch(&slots_[slot(key)]); }
    bool full() const { return full_; }
    std::uint64_t bytes() const { return (mask_ + 1) * 8; }

  private:
    // The top bits of the product depend on every bit of the key.
    std::uint64_t slot(std::uint64_t key) const { return (key * 0x9E3779B97F4A7C15ull) >> shift_; }

    int shift_;
    std::uint64_t mask_;
    std::unique_ptr<std::atomic<std::uint64_t>[]> slots_;
    std::atomic<std::uint64_t> size_{0};
    std::atomic<bool> full_{false};
};

struct Node {
    std::uint64_t key;
    std::uint32_t parent;  // index in the layer before
    std::uint16_t action;  // index in the list of actions
};

// --- One thread's program --------------------------------------------------------------------

class Worker : public Host {
  public:
    Worker() {
        runtime_.add<shell::frmmain>();
        calc_ = &runtime_.add<calculators::frmduaspernas>();
        menu_ = runtime_.find("frmmain");
        for (const char* name : {"hsbperna", "hsbaltura", "hsblcarga", "hsbangsup", "txtperna",
                                 "txtaltura", "txtlcarga", "txtangsup", "txtanginf"})
            c_.push_back(calc_->find(name));
    }

    // The actions the form accepts, from its own table.
    static std::vector<UserAction> actionsOf(const Form& form) {
        std::vector<UserAction> all;
        const std::string f(form.name());
        for (const ControlState& c : form.controls()) {
            const std::string name(c.desc->name);
            if (c.desc->kind == Kind::Button) all.push_back({Verb::Click, f, name, 0});
            if (c.desc->kind != Kind::Slider || !c.desc->visible) continue;
            for (Verb v : {Verb::Arrow, Verb::Page})
                for (int d : {+1, -1}) all.push_back({v, f, name, d});
            all.push_back({Verb::Type, f, name, 0});  // the value it holds: see typedIn
        }
        for (const ControlState& c : form.controls())
            if (c.desc->kind == Kind::Slider && c.desc->visible)
                for (int v = c.desc->min; v <= c.desc->max; ++v)
                    all.push_back({Verb::Drag, f, std::string(c.desc->name), v});
        return all;
    }
    const Form& form() const { return *calc_; }

    // The form as it is shown afresh.
    void showFresh() {
        if (menu_->loaded()) runtime_.unload(*menu_);
        if (calc_->loaded()) runtime_.unload(*calc_);
        runtime_.show(*calc_);
    }

    // The form put back in a state entered before (after "Cancelar", shown first).
    void enter(const Form::Snapshot& state) {
        if (menu_->loaded()) runtime_.unload(*menu_);
        if (!calc_->loaded()) runtime_.show(*calc_);
        calc_->restore(state);
    }

    // The form in the state of the key, as if the user had brought it there.
    void enter(std::uint64_t key) {
        if (menu_->loaded()) runtime_.unload(*menu_);
        if (!calc_->loaded()) runtime_.show(*calc_);
        const Packed s = unkey(key);
        c_[0]->value = std::int16_t(s.p), c_[1]->value = std::int16_t(s.h);
        c_[2]->value = std::int16_t(s.l), c_[3]->value = std::int16_t(s.a);
        c_[4]->text = s.leg ? invariants::metres(s.p) : "";
        c_[5]->text = s.altura < 0 ? "" : invariants::metres(s.altura);
        c_[6]->text = s.load ? invariants::metres(s.l) : "";
        c_[7]->text = s.angle ? invariants::upperAngleText(s.a) : "";
        c_[8]->text = s.angle ? invariants::lowerAngleText(s.a) : "";
        for (int i : {4, 7, 8}) {
            c_[i]->back = s.angle ? invariants::bandColour(s.a) : c_[i]->desc->back;
            c_[i]->note = s.angle ? notes.of(i, c_[i]->back) : std::string_view{};
        }
        for (int i : {5, 6}) c_[i]->back = c_[i]->desc->back, c_[i]->note = {};
    }

    // The key of the form's state, or why it cannot be one (a state no agreeing outcome has).
    std::optional<std::uint64_t> key(std::string& why) const {
        Packed s{c_[0]->value,         c_[1]->value,         c_[2]->value,         c_[3]->value,
                 !c_[4]->text.empty(), !c_[6]->text.empty(), !c_[7]->text.empty(), -1};
        if (!c_[5]->text.empty() && (s.altura = centimetresOf(c_[5]->text)) < 0)
            why = "txtaltura shows \"" + c_[5]->text + "\"";
        if (s.p < 50 || s.p > 2000 || s.h < 1 || s.h > 2000 || s.l < 100 || s.l > 1200 || s.a < 1 ||
            s.a > 180)
            why = "a slider off its track";
        if (!why.empty()) return std::nullopt;
        for (int i : {4, 7, 8}) {
            const Colour want = s.angle ? invariants::bandColour(s.a) : c_[i]->desc->back;
            if (c_[i]->back != want) why = std::string(c_[i]->desc->name) + " is miscoloured";
            if (!s.angle && !c_[i]->note.empty()) why = "a note without an angle";
            if (s.angle)
                if (auto bad = notes.check(i, want, c_[i]->note)) why = *bad;
        }
        for (int i : {5, 6})
            if (c_[i]->back != c_[i]->desc->back || !c_[i]->note.empty())
                why = std::string(c_[i]->desc->name) + " is coloured";
        if (!why.empty()) return std::nullopt;
        const std::uint64_t k = keyOf(s);
        // The read-outs must be what the key gives back.
        if (c_[4]->text != (s.leg ? invariants::metres(s.p) : "") ||
            c_[6]->text != (s.load ? invariants::metres(s.l) : "") ||
            c_[7]->text != (s.angle ? invariants::upperAngleText(s.a) : "") ||
            c_[8]->text != (s.angle ? invariants::lowerAngleText(s.a) : "")) {
            why = "a read-out disagrees with its slider";
            return std::nullopt;
        }
        return k;
    }

    struct Result {
        std::vector<std::string> findings;
        std::optional<std::uint64_t> next;  // the state after the action, when it is the form's
        bool unjudged = false;
    };

    // Performs one action from `before`, the state the form is in, and judges it.
    Result act(const UserAction& action, const Form::Snapshot& before) {
        Result r;
        boxes_.clear(), reports_.clear();
        const auto act = action.verb == Verb::Drag    ? reference::Act::Drag
                         : action.verb == Verb::Type  ? reference::Act::Type
                         : action.verb == Verb::Arrow ? reference::Act::Arrow
                         : action.verb == Verb::Page  ? reference::Act::Page
                                                      : reference::Act::Click;
        const reference::Judge judge(*calc_, act, action.control, action.value);
        r.unjudged = !judge.expected().judged;

        const FormsRuntime::Outcome refused = forms::perform(runtime_, action);

        auto& out = r.findings;
        if (reports_.size() != (refused ? 1u : 0u))
            out.push_back(std::to_string(reports_.size()) + " error reports");
        if (refused && reports_.size() == 1 &&
            (reports_[0].style != kStyleCritical || reports_[0].title != "Cálculo de Comprimento" ||
             reports_[0].text.find("Foi anulada e os valores anteriores foram repostos. (Erro "
                                   "de execução " +
                                   std::to_string(refused->number()) + ": ") == std::string::npos))
            out.push_back("the refusal is reported as \"" + reports_[0].text + "\"");
        if (refused) invariants::checkRestored(*calc_, before, out);
        const bool cancel = action.control == calculators::frmduaspernas::kCancelButton;
        if (calc_->loaded() == (cancel && !refused) || menu_->loaded() != (cancel && !refused))
            out.push_back("the wrong windows are open after the action");
        if (calc_->loaded()) invariants::checkCalculator(*calc_, out);
        std::vector<reference::Judge::Box> shown;
        for (const Message& m : boxes_) shown.push_back({m.style, m.title, m.text});
        std::optional<ErrorKind> error;
        if (refused) error = refused->kind();
        judge.check(*calc_, error, shown, out);

        if (action.control == calculators::frmduaspernas::kSearchButton && !refused) {
            const int angle = calc_->find("hsbangsup")->value;
            const bool stalled = !boxes_.empty() && boxes_.back().text == kStalled;
            const bool prompted = boxes_.size() == 1 && !stalled;
            if (stalled && angle == 90) out.push_back("a search at 90 degrees said it stopped");
            if (angle != 90 && !stalled && !prompted)
                out.push_back("a search ended at " + std::to_string(angle) +
                              " degrees without a word");
            if (prompted) invariants::checkRestored(*calc_, before, out);
        }
        if (out.empty() && calc_->loaded() && !refused) {
            std::string why;
            r.next = key(why);
            if (!r.next) out.push_back(why);
        }
        return r;
    }

  private:
    void messageBox(const Message& m) override { boxes_.push_back(m); }
    void errorBox(const RuntimeError&, const Message& m) override { reports_.push_back(m); }

    FormsRuntime runtime_{*this};
    Form* calc_ = nullptr;
    Form* menu_ = nullptr;
    std::vector<ControlState*> c_;
    std::vector<Message> boxes_, reports_;
};

// --- The walk --------------------------------------------------------------------------------

struct Walk {
    Options opt;
    std::vector<UserAction> actions;
    std::vector<std::vector<Node>> layers;
    KeySet seen;
    std::atomic<std::uint64_t> checked{0}, disagreements{0}, unjudged{0}, states{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> pause{false};  // the threads end at the end of their chunk
    std::mutex printing;

    // The layer being walked, how far (every state before `done` has been walked), and the
    // next layer as far as it has been found.
    std::size_t depth = 0, done = 0;
    std::vector<Node> next;

    const Clock::time_point started = Clock::now();  // this run
    Clock::time_point start = started;               // the walk, earlier runs included
    explicit Walk(const Options& o) : opt(o), seen(o.capacityLog2) {}
    double elapsed() const { return std::chrono::duration<double>(Clock::now() - start).count(); }
    double thisRun() const { return std::chrono::duration<double>(Clock::now() - started).count(); }

    // The walk so far, written whole to a new file that then replaces the old one, so that an
    // interrupted write leaves the checkpoint before it.
    bool save() const {
        const std::string tmp = opt.checkpoint + ".new";
        std::FILE* f = std::fopen(tmp.c_str(), "wb");
        if (!f) return false;
        const std::uint64_t head[] = {kMagic,
                                      actions.size(),
                                      std::uint64_t(opt.loadMin),
                                      std::uint64_t(opt.loadMax),
                                      checked,
                                      disagreements,
                                      unjudged,
                                      std::uint64_t(elapsed() * 1000),
                                      depth,
                                      done,
                                      layers.size()};
        bool ok = std::fwrite(head, sizeof head, 1, f) == 1;
        auto put = [&](const std::vector<Node>& v) {
            const std::uint64_t n = v.size();
            ok = ok && std::fwrite(&n, sizeof n, 1, f) == 1 &&
                 std::fwrite(v.data(), sizeof(Node), n, f) == n;
        };
        for (const auto& layer : layers) put(layer);
        put(next);
        for (const std::string& text : notes.all()) {
            const std::uint64_t n = text.size();
            ok = ok && std::fwrite(&n, sizeof n, 1, f) == 1 &&
                 std::fwrite(text.data(), 1, n, f) == n;
        }
        ok = std::fclose(f) == 0 && ok;
        return ok && std::rename(tmp.c_str(), opt.checkpoint.c_str()) == 0;
    }

    // The walk as a checkpoint left it. A checkpoint of another walk (other loads, another
    // form) or a damaged one is refused, and left as it is: hours of walking are not
    // overwritten by a slip in the command.
    enum class Loaded { None, Resumed, Refused };
    Loaded load() {
        std::FILE* f = std::fopen(opt.checkpoint.c_str(), "rb");
        if (!f) return Loaded::None;
        std::uint64_t head[11];
        bool ok = std::fread(head, sizeof head, 1, f) == 1 && head[0] == kMagic;
        if (ok && (head[1] != actions.size() || head[2] != std::uint64_t(opt.loadMin) ||
                   head[3] != std::uint64_t(opt.loadMax))) {
            std::fclose(f);
            std::printf(
                "%s is the checkpoint of a walk of loads %llu..%llu (%llu actions a "
                "state): give those --loads, or another --checkpoint\n",
                opt.checkpoint.c_str(), static_cast<unsigned long long>(head[2]),
                static_cast<unsigned long long>(head[3]), static_cast<unsigned long long>(head[1]));
            return Loaded::Refused;
        }
        ok = ok && head[10] > 0 && head[10] < 1u << 20;
        // A count, then that many things of `size` bytes, at most `most` of them.
        auto get = [&](auto& v, std::uint64_t most) {
            std::uint64_t n = 0;
            ok = ok && std::fread(&n, sizeof n, 1, f) == 1 && n <= most;
            if (ok) v.resize(n);
            ok = ok && std::fread(v.data(), sizeof v[0], n, f) == n;
        };
        constexpr std::uint64_t kMostNodes = std::uint64_t(1) << 32;
        std::vector<std::vector<Node>> read(ok ? head[10] : 0);
        for (auto& layer : read) get(layer, kMostNodes);
        std::vector<Node> partial;
        get(partial, kMostNodes);
        // The band notes learnt before: a state entered shows them as the program wrote them.
        std::vector<std::string> texts(ok ? notes.all().size() : 0);
        for (std::string& text : texts) get(text, 4096);
        ok = ok && std::fgetc(f) == EOF;
        std::fclose(f);
        if (!ok || head[8] + 1 != read.size() || head[9] > read.back().size()) {
            std::printf("%s is not a whole checkpoint of this walk: move it away to start afresh\n",
                        opt.checkpoint.c_str());
            return Loaded::Refused;
        }
        checked = head[4], disagreements = head[5], unjudged = head[6];
        start = started - std::chrono::milliseconds(head[7]);
        depth = head[8], done = head[9];
        layers = std::move(read), next = std::move(partial);
        notes.learn(texts);
        states = 0;  // the next layer counts once it is whole
        for (const Node& n : next) seen.insert(n.key);
        for (const auto& layer : layers)
            for (const Node& n : layer) seen.insert(n.key), ++states;
        return Loaded::Resumed;
    }
    static constexpr std::uint64_t kMagic = 0x70657264'65786831;  // "perdexh1"

    // The scenario that reaches layer d's state i, then performs `action` and dumps the form.
    std::string scenario(std::size_t d, std::uint32_t i, const UserAction& action) const {
        std::vector<std::string> lines;
        for (; d > 0; --d) {
            const Node& n = layers[d][i];
            lines.push_back(typedIn(actions[n.action], layers[d - 1][n.parent].key).line());
            i = n.parent;
        }
        std::string s = "show " + std::string(kCalc) + "\n";
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) s += *it + "\n";
        return s + action.line() + "\ndump " + std::string(kCalc) + "\n";
    }

    void report(std::size_t d, std::uint32_t i, const UserAction& action,
                const std::vector<std::string>& findings) {
        const std::uint64_t n = ++disagreements;
        if (opt.stopAfter && n >= opt.stopAfter) stop = true;
        if (n > 5) return;  // the first few in full; the rest are counted
        const std::lock_guard lock(printing);
        std::printf("== disagreement %llu, %.1f s into the walk, after the last action of:\n%s",
                    static_cast<unsigned long long>(n), elapsed(), scenario(d, i, action).c_str());
        for (const auto& f : findings) std::printf("   %s\n", f.c_str());
        std::fflush(stdout);
    }
};

struct Watch {                           // what a thread is doing, for the watchdog
    std::atomic<std::int64_t> since{0};  // ns on the steady clock; 0 while between actions
    std::atomic<std::uint32_t> state{0};
    std::atomic<std::uint16_t> action{0};
};

void work(Walk& w, std::size_t d, std::atomic<std::size_t>& next, std::vector<Node>& found,
          Watch& watch) {
    Worker worker;
    const std::vector<Node>& layer = w.layers[d];
    constexpr std::size_t kChunk = 16;
    std::vector<Node> after;  // a state's successors, looked up together
    while (!w.stop && !w.pause && !w.seen.full()) {
        const std::size_t from = next.fetch_add(kChunk);
        if (from >= layer.size()) break;
        for (std::size_t i = from; i < std::min(from + kChunk, layer.size()) && !w.stop; ++i) {
            std::uint64_t unjudged = 0;
            worker.enter(layer[i].key);
            const Form::Snapshot state = worker.form().snapshot();
            after.clear();
            // The watchdog times a state's actions together (a few milliseconds), and names the
            // action under way.
            watch.state = std::uint32_t(i);
            watch.since = Clock::now().time_since_epoch().count();
            for (std::size_t a = 0; a < w.actions.size(); ++a) {
                watch.action = std::uint16_t(a);
                worker.enter(state);
                const UserAction action = typedIn(w.actions[a], layer[i].key);
                Worker::Result r = worker.act(action, state);
                unjudged += r.unjudged;
                if (!r.findings.empty()) {
                    w.report(d, std::uint32_t(i), action, r.findings);
                    continue;
                }
                if (!r.next) continue;
                const Packed s = unkey(*r.next);
                if (s.l < w.opt.loadMin || s.l > w.opt.loadMax) continue;
                after.push_back({*r.next, std::uint32_t(i), std::uint16_t(a)});
            }
            watch.since = 0;
            // Each lookup is a miss in a set of hundreds of MiB: fetched some lookups ahead, the
            // misses overlap.
            constexpr std::size_t kAhead = 8;
            for (std::size_t j = 0; j < std::min(kAhead, after.size()); ++j)
                w.seen.prefetch(after[j].key);
            for (std::size_t j = 0; j < after.size(); ++j) {
                if (j + kAhead < after.size()) w.seen.prefetch(after[j + kAhead].key);
                if (w.seen.insert(after[j].key)) found.push_back(after[j]);
            }
            w.checked += w.actions.size();
            w.unjudged += unjudged;
        }
    }
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!v) return false;
        ++i;
        if (a == "--threads")
            o.threads = unsigned(std::max(1, std::atoi(v)));
        else if (a == "--loads") {
            if (std::sscanf(v, "%d..%d", &o.loadMin, &o.loadMax) != 2) return false;
        } else if (a == "--max-states")
            o.maxStates = std::strtoull(v, nullptr, 10);
        else if (a == "--stop-after")
            o.stopAfter = std::strtoull(v, nullptr, 10);
        else if (a == "--seconds")
            o.seconds = std::atof(v);
        else if (a == "--timeout")
            o.timeout = std::atof(v);
        else if (a == "--capacity")
            o.capacityLog2 = std::clamp(std::atoi(v), 10, 34);
        else if (a == "--checkpoint")
            o.checkpoint = v;
        else if (a == "--every")
            o.every = std::max(1.0, std::atof(v));
        else
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!parse(argc, argv, opt)) {
        std::fprintf(stderr,
                     "usage: exhaustive [--threads N] [--loads MIN..MAX] [--max-states N] "
                     "[--stop-after N] [--seconds S] [--timeout S] [--capacity LOG2] "
                     "[--checkpoint FILE [--every S]]\n");
        return 2;
    }

    Walk w(opt);
    std::uint64_t fresh = 0;
    {
        Worker first;
        first.showFresh();
        std::vector<std::string> findings;
        reference::checkFresh(first.form(), findings);
        std::string why;
        const auto k = first.key(why);
        if (!findings.empty() || !k) {
            std::printf("the form as shown is not as designed: %s\n",
                        findings.empty() ? why.c_str() : findings.front().c_str());
            return 1;
        }
        fresh = *k;
        w.actions = Worker::actionsOf(first.form());
    }
    std::printf("%zu actions from each state, %u threads, loads %d..%d\n", w.actions.size(),
                opt.threads, opt.loadMin, opt.loadMax);
    const Walk::Loaded loaded = opt.checkpoint.empty() ? Walk::Loaded::None : w.load();
    if (loaded == Walk::Loaded::Refused) return 2;
    if (loaded == Walk::Loaded::Resumed) {
        std::printf(
            "resumed from %s: layer %zu, %zu of its %zu states walked; %llu states, %llu "
            "actions, %llu disagreements, %.0f s before\n",
            opt.checkpoint.c_str(), w.depth + 1, w.done, w.layers.back().size(),
            static_cast<unsigned long long>(w.states.load()),
            static_cast<unsigned long long>(w.checked.load()),
            static_cast<unsigned long long>(w.disagreements.load()), w.elapsed());
    } else {
        w.seen.insert(fresh);
        w.layers.push_back({{fresh, 0, 0}});
        w.states = 1;
    }
    std::fflush(stdout);

    if (!opt.checkpoint.empty()) {
        std::signal(SIGINT, onInterrupt);
        std::signal(SIGTERM, onInterrupt);
    }
    std::vector<Watch> watches(opt.threads);
    std::atomic<bool> done{false}, timeUp{false};
    std::atomic<std::size_t> layerNow{0};
    std::thread dog([&] {  // an action that never ends: a search that walks for ever
        unsigned ticks = 0;
        double saved = 0;
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            // Out of time, a walk that keeps its progress pauses to save it, and ends there.
            if (((opt.seconds > 0 && w.thisRun() > opt.seconds) || interrupted) && !timeUp) {
                timeUp = true;
                (opt.checkpoint.empty() ? w.stop : w.pause) = true;
            }
            if (!opt.checkpoint.empty() && w.thisRun() - saved > opt.every) {
                saved = w.thisRun();
                w.pause = true;
            }
            if (++ticks % 300 == 0) {  // every minute, how far the walk has come
                std::printf("  %.0f s: %llu actions checked, %.0f a second\n", w.elapsed(),
                            static_cast<unsigned long long>(w.checked.load()),
                            double(w.checked) / w.elapsed());
                std::fflush(stdout);
            }
            const auto now = Clock::now().time_since_epoch().count();
            for (Watch& watch : watches) {
                const std::int64_t since = watch.since;
                if (since && double(now - since) / 1e9 > opt.timeout) {
                    const std::lock_guard lock(w.printing);
                    std::printf(
                        "== a state's actions did not end within %g s, %.1f s into the "
                        "walk; the action under way:\n%s",
                        opt.timeout, w.elapsed(),
                        w.scenario(layerNow, watch.state, w.actions[watch.action]).c_str());
                    std::fflush(stdout);
                    std::_Exit(1);
                }
            }
        }
    });

    for (; !w.layers[w.depth].empty() && !w.stop; ++w.depth, w.done = 0) {
        const std::size_t d = w.depth;
        layerNow = d;
        // In a random order, so that a fault that shows in a few states of a large layer is
        // met early rather than after the states of one part of the sliders. A layer taken up
        // from a checkpoint is in its order already.
        if (w.done == 0 && w.next.empty()) {
            std::mt19937_64 shuffle(20261210 + d);
            std::shuffle(w.layers[d].begin(), w.layers[d].end(), shuffle);
        }
        for (;;) {
            std::atomic<std::size_t> next{w.done};
            std::vector<std::vector<Node>> found(opt.threads);
            std::vector<std::thread> threads;
            for (unsigned t = 0; t < opt.threads; ++t)
                threads.emplace_back(work, std::ref(w), d, std::ref(next), std::ref(found[t]),
                                     std::ref(watches[t]));
            for (auto& t : threads) t.join();
            for (auto& f : found) w.next.insert(w.next.end(), f.begin(), f.end());
            // Every chunk a thread took was walked to its end, unless the walk stopped.
            w.done = std::min(next.load(), w.layers[d].size());
            if (w.seen.full()) {
                std::printf("the key set is 90%% full: run again with a larger --capacity\n");
                w.stop = true;
            }
            if (!w.pause || w.stop) break;
            if (!w.save()) {
                std::printf("could not write the checkpoint %s\n", opt.checkpoint.c_str());
                w.stop = true;
                break;
            }
            std::printf("  checkpoint: layer %zu, %zu of its %zu states walked, %.0f s\n", d + 1,
                        w.done, w.layers[d].size(), w.elapsed());
            std::fflush(stdout);
            if (timeUp) w.stop = true;
            if (w.stop || w.done == w.layers[d].size()) break;
            w.pause = false;
        }
        if (w.stop) break;
        w.pause = false;
        w.states += w.next.size();
        w.layers.push_back(std::move(w.next));
        w.next.clear();
        const double s = w.elapsed();
        std::printf("layer %zu: %zu new states, %llu states, %llu actions, %.0f s\n", d + 1,
                    w.layers.back().size(), static_cast<unsigned long long>(w.states.load()),
                    static_cast<unsigned long long>(w.checked.load()), s);
        std::fflush(stdout);
        if (opt.maxStates && w.states >= opt.maxStates) w.stop = true;
    }
    done = true;
    dog.join();

    const double seconds = w.elapsed();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const bool complete = !w.stop;
    std::printf(
        "%s: %llu states, %llu actions checked (%llu unjudged on a rounding boundary), "
        "%llu disagreements; %.1f s on %u threads (%.0f actions/s); peak memory %ld MiB, of "
        "which %llu MiB the key set\n",
        complete ? "every reachable state" : "stopped early",
        static_cast<unsigned long long>(w.states.load()),
        static_cast<unsigned long long>(w.checked.load()),
        static_cast<unsigned long long>(w.unjudged.load()),
        static_cast<unsigned long long>(w.disagreements.load()), seconds, opt.threads,
        double(w.checked) / seconds, usage.ru_maxrss / 1024,
        static_cast<unsigned long long>(w.seen.bytes() >> 20));
    if (complete && !opt.checkpoint.empty()) std::remove(opt.checkpoint.c_str());
    if (w.seen.full()) return 2;
    return w.disagreements ? 1 : 0;
}
