#include "tools/replay/replay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <istream>
#include <ostream>

#include "forms/actions.h"
#include "forms/json.h"
#include "shell/shell.h"

namespace replay {

using namespace forms;

namespace {

std::vector<std::string> splitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\r') ++j;
        if (j > i) words.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

std::string joinWords(const std::vector<std::string>& words) {
    std::string s;
    for (const auto& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
}

std::string badLine(const std::string& cmd, std::string_view why) {
    return "{\"cmd\":" + jsonString(cmd) + ",\"bad\":" + jsonString(why) + "}";
}

std::string colourJson(Colour c) {
    if (c < 0) return "null";
    char buf[16];
    std::snprintf(buf, sizeof buf, "\"#%06X\"", static_cast<unsigned>(c));
    return buf;
}

}  // namespace

Runner::Runner() : runtime_(std::make_unique<FormsRuntime>(*this)) {
    shell::addProgramForms(*runtime_);
}

Runner::~Runner() = default;

void Runner::messageBox(const Message& message) {
    messages_.push_back(message);
}

void Runner::errorBox(const RuntimeError&, const Message&) {}

std::string Runner::line(std::string_view text, bool& bad) {
    bad = false;
    if (text.size() > kMaxLine) {
        bad = true;
        return tooLong(text.substr(0, kMaxLine));
    }
    const auto words = splitWords(text);
    if (words.empty() || words[0][0] == '#') return "";
    const std::string cmd = joinWords(words);
    messages_.clear();
    std::string out = perform(cmd, words, bad);
    messages_.clear();
    return out;
}

std::string Runner::perform(const std::string& cmd, const std::vector<std::string>& words,
                            bool& bad) {
    auto refuse = [&](std::string_view why) {
        bad = true;
        return badLine(cmd, why);
    };
    // "dump FORM" asks what a loaded form shows; every other line is a user action.
    if (words[0] == "dump") {
        if (words.size() != 2) return refuse("wrong number of words");
        Form* form = runtime_->find(words[1]);
        if (!form) return refuse("unknown form");
        if (!form->loaded()) return refuse("form not loaded");
        return dump(cmd, *form);
    }
    const auto read = readAction(*runtime_, words);
    if (const auto* why = std::get_if<std::string_view>(&read)) return refuse(*why);
    const FormsRuntime::Outcome outcome = forms::perform(*runtime_, std::get<UserAction>(read));

    std::string out = "{\"cmd\":" + jsonString(cmd) + ",\"messages\":[";
    for (std::size_t i = 0; i < messages_.size(); ++i) {
        const Message& m = messages_[i];
        out += (i ? "," : "");
        out += "{\"style\":" + std::to_string(m.style) + ",\"title\":" + jsonString(m.title) +
               ",\"text\":" + jsonString(m.text) + "}";
    }
    out += "],\"error\":";
    if (outcome)
        out += "{\"number\":" + std::to_string(outcome->number()) +
               ",\"kind\":" + jsonString(errorName(outcome->kind())) + "}";
    else
        out += "null";
    std::vector<std::string> loaded;
    for (Form* f : runtime_->loadedForms()) loaded.emplace_back(f->name());
    std::sort(loaded.begin(), loaded.end());
    out += ",\"loaded\":[";
    for (std::size_t i = 0; i < loaded.size(); ++i)
        out.append(i ? "," : "").append(jsonString(loaded[i]));
    return out + "]}";
}

std::string Runner::dump(const std::string& cmd, Form& form) {
    std::string sliders, readouts, options;
    for (const ControlState& c : form.controls()) {
        const auto name = jsonString(c.desc->name);
        switch (c.desc->kind) {
            case Kind::Slider:
                sliders += (sliders.empty() ? "" : ",") + name + ":" + std::to_string(c.value);
                break;
            case Kind::Readout:
                readouts += (readouts.empty() ? "" : ",") + name +
                            ":{\"text\":" + jsonString(c.text) + ",\"back\":" + colourJson(c.back) +
                            "}";
                break;
            case Kind::Option:
                options +=
                    (options.empty() ? "" : ",") + name + ":" + (c.selected ? "true" : "false");
                break;
            default:
                break;
        }
    }
    return "{\"cmd\":" + jsonString(cmd) + ",\"form\":" + jsonString(form.name()) +
           ",\"sliders\":{" + sliders + "},\"readouts\":{" + readouts + "},\"options\":{" +
           options + "}}";
}

std::string Runner::tooLong(std::string_view prefix) {
    // The line's first words, folded as any command is, and cut short where a character begins.
    constexpr std::size_t kShown = 32;
    std::string shown = joinWords(splitWords(prefix.substr(0, 2 * kShown)));
    if (shown.size() > kShown) {
        std::size_t cut = kShown;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
        shown.resize(cut);
    }
    return badLine(shown + "...", "line too long");
}

int Runner::run(Channel& channel) {
    constexpr std::size_t kChunk = 64 * 1024;
    std::vector<char> chunk(kChunk);
    std::string pending;  // answers not yet written
    pending.reserve(kChunk + 2 * kMaxLine);
    std::string text;  // the line being read, at most kMaxLine bytes of it
    text.reserve(kMaxLine);
    bool overlong = false;
    int status = kAllPerformed;

    const auto answer = [&] {
        bool bad = false;
        const std::string out = overlong ? tooLong(text) : line(text, bad);
        if (bad || overlong) status = kSomeBad;
        if (!out.empty()) pending.append(out).push_back('\n');
        text.clear();
        overlong = false;
    };
    const auto flush = [&] {
        const bool written = pending.empty() || channel.write(pending);
        pending.clear();
        return written;
    };

    for (;;) {
        // Everything answered so far goes out before the runner waits for more of the scenario.
        if (!flush()) return kNotRun;
        const long got = channel.read(chunk.data(), chunk.size());
        if (got < 0) return kNotRun;
        if (got == 0) break;
        std::string_view rest(chunk.data(), static_cast<std::size_t>(got));
        while (!rest.empty()) {
            const void* end = std::memchr(rest.data(), '\n', rest.size());
            const std::size_t length =
                end ? static_cast<std::size_t>(static_cast<const char*>(end) - rest.data())
                    : rest.size();
            // Only the first kMaxLine bytes of a line are kept; one more tells it is too long.
            const std::string_view part = rest.substr(0, length);
            if (text.size() + part.size() > kMaxLine) overlong = true;
            text.append(part.substr(0, kMaxLine - std::min(kMaxLine, text.size())));
            rest.remove_prefix(end ? length + 1 : length);
            if (end) {
                answer();
                if (pending.size() >= kChunk && !flush()) return kNotRun;
            }
        }
    }
    if (!text.empty() || overlong) answer();  // a last line without its line end
    return flush() ? status : kNotRun;
}

namespace {

class StreamChannel : public Channel {
  public:
    StreamChannel(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    long read(char* buffer, std::size_t size) override {
        if (in_.eof()) return 0;
        in_.read(buffer, static_cast<std::streamsize>(size));
        // A scenario that could not be read to its end (a directory, a read error) is not a run.
        if (in_.bad()) return -1;
        return static_cast<long>(in_.gcount());
    }
    bool write(std::string_view bytes) override {
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out_.flush();
        return static_cast<bool>(out_);
    }

  private:
    std::istream& in_;
    std::ostream& out_;
};

}  // namespace

int Runner::run(std::istream& in, std::ostream& out) {
    if (in.fail()) return kNotRun;  // never opened
    StreamChannel channel(in, out);
    return run(channel);
}

}  // namespace replay
