#include "session.h"

#include <cstdio>

#include "fuzz_datarefs.h"
#include "scenario_tokens.h"

namespace plotwright_uifuzz {
namespace {
using plotwright_host::quoteWord;

// SplitMix64: the same numbers from a seed on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool percent(int p) { return below(100) < p; }
    template <class T> const T &pick(const std::vector<T> &items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

private:
    std::uint64_t state_;
};

constexpr int kPrologueFrames = 20; // past the flight loop's first call, 0.1 s after start
constexpr long long kFrameBudget = 4000;
const char *const kWindowCaptions[] = {"Plotwright", "DataRef Setup", "DataRef Scaling"};
const char *const kMenuItems[] = {"Graph Window", "DataRef Setup", "DataRef Scaling"};
const char *const kFieldColumns[] = {"DataRef Name", "Index", "Scaling"};

std::string printable(Random &random, int length) {
    std::string text;
    for (int k = 0; k < length; ++k)
        text += static_cast<char>(0x20 + random.below(0x5F));
    return text;
}

// Any bytes but NUL, the back key often among them.
std::string oddBytes(Random &random, int length) {
    std::string text;
    for (int k = 0; k < length; ++k)
        text += random.percent(15) ? '\b' : static_cast<char>(1 + random.below(255));
    return text;
}

std::string anyLengthText(Random &random) {
    switch (random.below(4)) {
    case 0:
        return printable(random, 1 + random.below(30));
    case 1:
        return printable(random, 200 + random.below(300));
    case 2:
        return oddBytes(random, 1 + random.below(40));
    default:
        return printable(random, 253 + random.below(4));
    }
}

std::string nameText(Random &random) {
    const std::vector<FuzzDataRef> &refs = fuzzDataRefs();
    const std::string name =
        refs[static_cast<std::size_t>(random.below(static_cast<int>(refs.size())))].Name;
    switch (random.below(10)) {
    case 0:
    case 1:
    case 2:
    case 3:
        return name;
    case 4: // a typo, corrected or not
        return random.percent(50) ? name + "x" : name + "x\b";
    case 5:
        return "";
    case 6:
        return "fz/" + printable(random, 1 + random.below(8));
    default:
        return anyLengthText(random);
    }
}

std::string indexText(Random &random) {
    static const std::vector<std::string> texts = {
        "0",  "1",  "2",   "3", "4",  "5",   "7",  "12",         "-1",          "-7",
        " 3", "2x", "abc", "",  "+4", "1e2", "08", "2147483647", "99999999999", "-2147483648"};
    return random.percent(85) ? random.pick(texts) : anyLengthText(random);
}

std::string scalingText(Random &random) {
    static const std::vector<std::string> texts = {
        "1",    "0.5",  "-2",         "2.5e1", "0.1", "3", "-0.125", "1e-7",    "1e20",
        "1e39", "0x10", "inf",        "nan",   "abc", "",  " 7",     "+3.5e-2", "1.",
        "-.5",  "1e",   "12345678.9", "1e-40", "4",   "1", "2"};
    return random.percent(85) ? random.pick(texts) : anyLengthText(random);
}

std::string fraction(Random &random) {
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", random.below(1001) / 1000.0);
    return text;
}

InitialSettings makeSettings(Random &random, std::string *text) {
    static const std::vector<std::string> scalings = {"1",  "0.5",   "-2", "0",
                                                      "10", "0.125", "3",  "1e-7"};
    static const std::vector<std::string> indices = {"0", "1", "2", "3", "4", "7", "12", "-1"};
    const std::vector<FuzzDataRef> &refs = fuzzDataRefs();
    InitialSettings settings;
    settings.FullSizeWindow = random.below(2);
    *text = "[CONFIG]\nFullSizeWindow = " + std::to_string(settings.FullSizeWindow) + "\n";
    for (int s = 0; s < kSets; ++s) {
        *text += "[DATASET" + std::to_string(s + 1) + "]\n";
        for (int c = 0; c < kChannels; ++c) {
            if (random.percent(10)) continue; // keys left out keep their defaults
            ChannelSettings &channel = settings.Channels[s][c];
            const int kind = random.below(10);
            channel.Name = kind < 7   ? std::string(refs[static_cast<std::size_t>(random.below(
                                                             static_cast<int>(refs.size())))]
                                                        .Name)
                           : kind < 9 ? std::string("fz/missing")
                                      : std::string();
            const std::string &scaling = random.pick(scalings);
            const std::string &index = random.pick(indices);
            channel.Scaling = static_cast<float>(std::stod(scaling));
            channel.Index = std::stoll(index);
            const std::string digit = std::to_string(c + 1);
            *text += "Name" + digit + " = " + *channel.Name + "\nScaling" + digit + " = " +
                     scaling + "\nIndex" + digit + " = " + index + "\n";
        }
    }
    return settings;
}

class Builder {
public:
    Builder(std::uint64_t seed, Session *session) : random_(seed), session_(session) {}

    void build() {
        std::string settingsText;
        const InitialSettings settings = makeSettings(random_, &settingsText);
        model_.emplace(settings);
        char header[160];
        std::snprintf(header, sizeof header,
                      "# UI fuzzer session %llu; replay: plotwright-uifuzz --seed %llu\n",
                      static_cast<unsigned long long>(session_->Seed),
                      static_cast<unsigned long long>(session_->Seed));
        session_->Text = header;
        session_->Text += "settings <<END\n" + settingsText + "END\n";
        for (const FuzzDataRef &ref : fuzzDataRefs())
            command(ref.Declaration, false);
        command("start", false);
        wait(kPrologueFrames);
        session_->Actions = 0;
        // Most users open the graph and record first; the rest of the session then has samples
        // to scroll, clear and export.
        if (random_.percent(60)) {
            menu(Window::Graph);
            model().pressGraphButton("Record");
            command("press " + quoteWord(kWindowCaptions[0]) + " \"Record\"", true);
        }

        const int actions = 10 + random_.below(110);
        for (int k = 0; k < actions; ++k)
            action();
    }

private:
    UiModel &model() { return *model_; }
    bool shown(Window window) { return model().state(window) == WindowState::Shown; }

    void command(const std::string &line, bool check, std::optional<ExpectedFile> file = {}) {
        session_->Text += line + "\n";
        if (check)
            session_->Checks.push_back(CommandCheck{model().view(), std::move(file)});
        else
            session_->Checks.push_back(std::nullopt);
        ++session_->Actions;
    }

    void wait(long long frames) {
        for (long long k = 0; k < frames; ++k)
            model().tick(++session_->Frames);
        command("wait " + std::to_string(frames) + " ticks", true);
    }

    void action() {
        const int roll = random_.below(100);
        if (roll < 8) return menu(static_cast<Window>(random_.below(3)));
        if (roll < 12) return close(static_cast<Window>(random_.below(3)));
        if (roll < 30) return graphAction();
        if (roll < 60) return setupAction();
        if (roll < 66) return scalingAction();
        if (roll < 70 && shown(Window::Graph)) return screenshot();
        return waitAction();
    }

    void menu(Window window) {
        model().chooseMenu(window);
        command(std::string("menu ") + quoteWord(kMenuItems[static_cast<int>(window)]), true);
    }

    void close(Window window) {
        if (!shown(window)) return menu(window);
        model().closeWindow(window);
        command(std::string("close ") + quoteWord(kWindowCaptions[static_cast<int>(window)]), true);
    }

    void press(Window window, const std::string &label, const std::string &row = "") {
        command(std::string("press ") + quoteWord(kWindowCaptions[static_cast<int>(window)]) + " " +
                    quoteWord(label) + row,
                true);
    }

    void graphAction() {
        if (!shown(Window::Graph)) return menu(Window::Graph);
        if (random_.percent(20)) return track();
        static const std::vector<std::string> labels = {
            "Record", "Record", "Stop", "Clear", "Export", "Export", "|<",           "<<",
            "<",      "||",     ">",    ">>",    ">|",     "Stop",   "Previous Set", "Next Set"};
        const std::string &label = random_.pick(labels);
        std::optional<ExpectedFile> file = model().pressGraphButton(label);
        command("press " + quoteWord(kWindowCaptions[0]) + " " + quoteWord(label), true, file);
    }

    void track() {
        model().touchTrack();
        const std::string window = quoteWord(kWindowCaptions[0]);
        switch (random_.below(3)) {
        case 0:
            return command("track " + window + " click " + fraction(random_), true);
        case 1:
            return command("track " + window + " drag thumb to " + fraction(random_), true);
        default:
            return command("track " + window + " drag " + fraction(random_) + " to " +
                               fraction(random_),
                           true);
        }
    }

    void setupAction() {
        if (!shown(Window::Setup)) return menu(Window::Setup);
        const int row = random_.below(kChannels);
        const std::string rowWords = " row " + std::to_string(row + 1);
        const int roll = random_.below(100);
        if (roll < 45) {
            const int column = random_.below(3);
            const std::string text = column == 0   ? nameText(random_)
                                     : column == 1 ? indexText(random_)
                                                   : scalingText(random_);
            model().typeIntoField(row, column, text);
            return command("type " + quoteWord(kWindowCaptions[1]) + " " +
                               quoteWord(kFieldColumns[column]) + rowWords + " " + quoteWord(text),
                           true);
        }
        if (roll < 60) {
            model().clickCheckBox(row);
            return command(
                "click " + quoteWord(kWindowCaptions[1]) + " \"DataRef Enabled\"" + rowWords, true);
        }
        if (roll < 75) {
            model().checkDataRef(row);
            return press(Window::Setup, "Check DataRef", rowWords);
        }
        if (roll < 85) {
            model().applyChanges();
            return press(Window::Setup, "Apply Changes");
        }
        if (roll < 92) {
            const ExpectedFile file = model().createIniFile();
            return command("press " + quoteWord(kWindowCaptions[1]) + " \"Create INI File\"", true,
                           file);
        }
        const bool next = random_.percent(50);
        model().switchSet(next ? 1 : -1);
        return press(Window::Setup, next ? "Next Set" : "Previous Set");
    }

    void scalingAction() {
        if (!shown(Window::Scaling)) return menu(Window::Scaling);
        if (random_.percent(30)) return press(Window::Scaling, "Reset Data");
        const bool next = random_.percent(50);
        model().switchSet(next ? 1 : -1);
        return press(Window::Scaling, next ? "Next Set" : "Previous Set");
    }

    void screenshot() {
        command(random_.percent(50) ? "screenshot fuzz-graph.png \"Plotwright\""
                                    : "screenshot fuzz-screen.png",
                true);
    }

    void waitAction() {
        static const std::vector<long long> lengths = {1, 1, 2, 3, 5, 10, 25, 50, 100, 250, 600};
        long long frames = random_.pick(lengths);
        if (session_->Frames + frames > kFrameBudget) frames = 1 + random_.below(3);
        wait(frames);
    }

    Random random_;
    Session *session_;
    std::optional<UiModel> model_;
};

} // namespace

Session makeSession(std::uint64_t seed) {
    Session session;
    session.Seed = seed;
    session.FileName = "uifuzz-seed-" + std::to_string(seed) + ".scn";
    Builder(seed, &session).build();
    return session;
}

} // namespace plotwright_uifuzz
