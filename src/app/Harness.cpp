// Harness.cpp -- the script driver and the state report.
#include "app/Harness.h"

#include <cairo.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>
#include <variant>
#include <vector>

#include "app/FatalError.h"
#include "app/MainForm.h"
#include "audio/Music.h"
#include "audio/SoundEvents.h"
#include "online/GoToLink.h"
#include "online/ScoreServer.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "timer/Application.h"
#include "world/Hero.h"

// A small JSON value: enough to print the state and to look fields up by path.
struct HarnessJson {
    using Json = HarnessJson;
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool b = false;
    double n = 0;
    std::string s;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> fields;

    static Json Num(double v) {
        Json j;
        j.kind = Number;
        j.n = v;
        return j;
    }
    static Json Str(std::string v) {
        Json j;
        j.kind = String;
        j.s = std::move(v);
        return j;
    }
    static Json Boolean(bool v) {
        Json j;
        j.kind = Bool;
        j.b = v;
        return j;
    }
    static Json Arr() {
        Json j;
        j.kind = Array;
        return j;
    }
    static Json Obj() {
        Json j;
        j.kind = Object;
        return j;
    }
    Json& Add(std::string key, Json v) {
        fields.emplace_back(std::move(key), std::move(v));
        return *this;
    }

    void Write(std::ostream& o) const {
        switch (kind) {
        case Null:
            o << "null";
            break;
        case Bool:
            o << (b ? "true" : "false");
            break;
        case Number:
            if (std::floor(n) == n && std::fabs(n) < 1e15)
                o << (long long)n;
            else
                o << n;
            break;
        case String:
            o << '"';
            for (unsigned char c : s) {
                if (c == '"' || c == '\\')
                    o << '\\' << c;
                else if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    o << buf;
                } else
                    o << c;
            }
            o << '"';
            break;
        case Array:
            o << '[';
            for (size_t i = 0; i < items.size(); ++i) {
                if (i) o << ',';
                items[i].Write(o);
            }
            o << ']';
            break;
        case Object:
            o << '{';
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i) o << ',';
                o << '"' << fields[i].first << "\":";
                fields[i].second.Write(o);
            }
            o << '}';
            break;
        }
    }
    std::string Text() const {
        std::ostringstream o;
        Write(o);
        return o.str();
    }
    const Json* Find(const std::string& key) const {
        if (kind == Object) {
            for (auto& [k, v] : fields)
                if (k == key) return &v;
        } else if (kind == Array) {
            char* end = nullptr;
            long i = std::strtol(key.c_str(), &end, 10);
            if (end && *end == 0 && i >= 0 && size_t(i) < items.size()) return &items[i];
        }
        return nullptr;
    }
};

namespace {

using Json = HarnessJson;

Json StrList(const std::vector<std::string>& v, size_t from = 0) {
    Json a = Json::Arr();
    for (size_t i = from; i < v.size(); ++i)
        a.items.push_back(Json::Str(v[i]));
    return a;
}

double Ms(double days) {
    return std::round(days * 86400000.0);
}

std::vector<std::string> Split(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

} // namespace

THarness::THarness(const Options& options) {
    oldCwd_ = std::filesystem::current_path().string();
    if (!options.workdir.empty()) {
        std::filesystem::create_directories(options.workdir);
        std::filesystem::current_path(options.workdir);
    }
    platform_.hasAudio = options.audio;
    if (!options.focused) platform_.SetFocus(false);
    platform::SetCurrent(&platform_);
    Application().Reset();
    ResetGameState();
    OverrideClockSeed(options.seed);
    try {
        form_ = std::make_unique<TmainForm>();
    } catch (const std::exception& e) {
        Fatal(e.what());
    }
}

void THarness::Fatal(const std::string& message) {
    fatal_ = message;
    ReportFatalError("skyvern-harness", message);
}

THarness::~THarness() {
    form_.reset();
    Application().Reset();
    ClearClockSeedOverride();
    platform::SetCurrent(nullptr);
    std::error_code ec;
    std::filesystem::current_path(oldCwd_, ec);
}

bool THarness::Ended() const {
    return Application().Terminated() || !fatal_.empty();
}

void THarness::Frames(int count) {
    try {
        for (int i = 0; i < count && !Ended(); ++i) {
            platform_.Advance(16);
            Application().ProcessMessages();
            if (Ended()) break;
            Application().Idle();
        }
    } catch (const std::exception& e) {
        // As in the real program: the error ends the run, and the exit link is not opened.
        Fatal(e.what());
        return;
    }
    if (!fatal_.empty()) return;
    // The program's last act after its window closed.
    if (Ended() && !exitLinkOpened_) {
        exitLinkOpened_ = true;
        OpenExitLink();
    }
}

std::string THarness::StateJson(bool consume) {
    return State(consume).Text();
}

HarnessJson THarness::State(bool consume) {
    Json j = Json::Obj();
    j.Add("GameState", Json::Str(GameStateName(GameState)));
    j.Add("MenuScreen", Json::Num(MenuScreen));
    j.Add("SelectedItem", Json::Num(SelectedItem));
    j.Add("TextEditing", Json::Boolean(TextEditing));
    j.Add("Level", Json::Num(Level));
    j.Add("Score", Json::Num(Score));
    j.Add("Lives", Json::Num(Lives));
    j.Add("LevelTimeMs", Json::Num(Ms(LevelTime)));
    j.Add("LevelLengthMs", Json::Num(Ms(LevelLength)));
    j.Add("BannerTime", Json::Num(BannerTime));
    j.Add("DeathDelay", Json::Num(DeathDelay));
    j.Add("WeaponTime", Json::Num(WeaponTime));
    j.Add("ShieldTime", Json::Num(ShieldTime));
    j.Add("BonusNoticeTime", Json::Num(BonusNoticeTime));
    j.Add("Windowed", Json::Num(Windowed));
    j.Add("MusicOn", Json::Num(MusicOn));
    j.Add("SoundOn", Json::Num(SoundOn));
    j.Add("BossKey", Json::Num(BossKey));
    j.Add("BossKeyName", Json::Str(BossKeyName));
    j.Add("Country", Json::Str(Country.Str()));
    j.Add("PlayerName", Json::Str(PlayerName.Str()));
    Json scores = Json::Arr();
    for (const HighScoreEntry& e : HighScores) {
        Json row = Json::Arr();
        row.items.push_back(Json::Str(e.Name.Str()));
        row.items.push_back(Json::Num(e.Score));
        scores.items.push_back(row);
    }
    j.Add("HighScores", scores);
    j.Add("HelpPage", Json::Num(HelpPage));
    if (Hero) {
        Json hero = Json::Obj();
        hero.Add("X", Json::Num(Hero->X));
        hero.Add("Y", Json::Num(Hero->Y));
        hero.Add("Health", Json::Num(Hero->Health));
        hero.Add("Weapon", Json::Num(Hero->Weapon));
        hero.Add("FireRate", Json::Num(Hero->FireRate));
        hero.Add("Shown", Json::Boolean(Hero->Shown));
        j.Add("Hero", hero);
    } else {
        j.Add("Hero", Json()); // no game field
    }
    TSpriteEngine* engine = form_->DXSpriteEngine1.Engine();
    j.Add("SpriteCount", Json::Num(engine->SpriteCount()));
    std::map<std::string, int> classes;
    std::vector<TSprite*> todo{engine};
    while (!todo.empty()) {
        TSprite* s = todo.back();
        todo.pop_back();
        for (int32_t i = 0; i < s->ChildCount(); ++i) {
            TSprite* c = s->Child(i);
            ++classes[c->ClassName()];
            todo.push_back(c);
        }
    }
    Json sprites = Json::Obj();
    for (auto& [name, count] : classes)
        sprites.Add(name, Json::Num(count));
    j.Add("Sprites", sprites);
    std::string song = PlayingSongPath();
    j.Add("Song", song.empty() ? Json() : Json::Str(song));
    j.Add("Sounds", StrList(consume ? TakeSoundsPlayed() : SoundsPlayed()));
    j.Add("MessageBoxes", StrList(platform_.messages, messagesSeen_));
    j.Add("CursorVisible", Json::Boolean(platform_.cursorCount >= 0));
    j.Add("LinksOpened", StrList(platform_.urls, urlsSeen_));
    j.Add("Minimized", Json::Boolean(platform_.Minimized()));
    j.Add("Fullscreen", Json::Boolean(platform_.Fullscreen()));
    if (consume) {
        messagesSeen_ = platform_.messages.size();
        urlsSeen_ = platform_.urls.size();
    }
    return j;
}

std::string THarness::Field(const std::string& path) {
    const Json root = State(false);
    const Json* node = &root;
    std::istringstream in(path);
    std::string key;
    while (std::getline(in, key, '.')) {
        node = node->Find(key);
        if (!node) return "null";
    }
    return node->kind == Json::String ? node->s : node->Text();
}

bool THarness::WriteShot(const std::string& pngPath) {
    if (platform_.lastFrame.empty()) {
        error_ = "shot: no frame has been presented yet";
        return false;
    }
    const int w = platform_.frameWidth, h = platform_.frameHeight;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        std::memcpy(data + size_t(y) * stride, &platform_.lastFrame[size_t(y) * w], size_t(w) * 4);
    cairo_surface_mark_dirty(s);
    bool ok = cairo_surface_write_to_png(s, pngPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    if (!ok) error_ = "shot: cannot write " + pngPath;
    return ok;
}

bool THarness::RunLine(const std::string& rawLine) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return true;
    // The start failed: there is no game to drive or to look at.
    if (!form_) {
        error_ = fatal_;
        return false;
    }
    std::vector<std::string> w = Split(line);
    const std::string& cmd = w[0];
    auto bad = [&] {
        error_ = "bad line: " + line;
        return false;
    };
    auto num = [&](size_t i, int& out) {
        if (i >= w.size()) return false;
        char* end = nullptr;
        long v = std::strtol(w[i].c_str(), &end, 10);
        if (!end || *end) return false;
        out = int(v);
        return true;
    };
    using platform::Event;
    using platform::EventKind;
    if (cmd == "frames") {
        int n;
        if (!num(1, n) || n < 0) return bad();
        Frames(n);
        if (!fatal_.empty()) {
            error_ = fatal_;
            return false;
        }
    } else if (cmd == "key") {
        int vk;
        if (w.size() < 3 || !num(2, vk) || vk < 0 || vk > 255) return bad();
        Event e;
        e.key = vk;
        for (size_t i = 3; i < w.size(); ++i) {
            if (w[i] == "alt")
                e.alt = true;
            else if (w[i] == "shift")
                e.shift = true;
            else if (w[i] == "ctrl")
                e.ctrl = true;
            else
                return bad();
        }
        auto send = [&](bool down) {
            e.kind = down ? EventKind::KeyDown : EventKind::KeyUp;
            platform_.SetKey(vk, down);
            platform_.Push(e);
        };
        if (w[1] == "down")
            send(true);
        else if (w[1] == "up")
            send(false);
        else if (w[1] == "press") {
            send(true);
            send(false);
        } else
            return bad();
    } else if (cmd == "type") {
        size_t at = line.find("type") + 5;
        for (size_t i = at; i < line.size(); ++i) {
            Event e;
            e.kind = EventKind::Char;
            e.ch = static_cast<unsigned char>(line[i]);
            platform_.Push(e);
        }
    } else if (cmd == "mouse" || cmd == "click") {
        Event e;
        if (cmd == "click" || (w.size() > 1 && w[1] == "move")) {
            size_t at = cmd == "click" ? 1 : 2;
            int x, y;
            if (!num(at, x) || !num(at + 1, y)) return bad();
            mouseX_ = x;
            mouseY_ = y;
            e.kind = EventKind::MouseMove;
            e.x = x;
            e.y = y;
            platform_.Push(e);
            if (cmd == "mouse") return true;
            e.button = 1;
            e.kind = EventKind::MouseDown;
            platform_.Push(e);
            e.kind = EventKind::MouseUp;
            platform_.Push(e);
        } else if (w.size() == 3 && (w[1] == "down" || w[1] == "up") && w[2] == "left") {
            e.kind = w[1] == "down" ? EventKind::MouseDown : EventKind::MouseUp;
            e.button = 1;
            e.x = mouseX_;
            e.y = mouseY_;
            platform_.Push(e);
        } else if (w.size() == 4 && w[1] == "rel") {
            if (!num(2, e.dx) || !num(3, e.dy)) return bad();
            e.kind = EventKind::MouseRelative;
            platform_.Push(e);
        } else
            return bad();
    } else if (cmd == "focus") {
        if (w.size() != 2 || (w[1] != "lost" && w[1] != "gained")) return bad();
        platform_.SetFocus(w[1] == "gained");
    } else if (cmd == "close" || cmd == "maximize") {
        Event e;
        e.kind = cmd == "close" ? EventKind::CloseRequest : EventKind::MaximizeRequest;
        platform_.Push(e);
    } else if (cmd == "minimize") {
        platform_.MinimizeWindow();
    } else if (cmd == "server") {
        if (w.size() != 2) return bad();
        ScoreServerOverride = w[1];
    } else if (cmd == "shot") {
        if (w.size() != 2) return bad();
        return WriteShot(w[1]);
    } else if (cmd == "state") {
        if (out_) *out_ << StateJson(true) << '\n';
    } else if (cmd == "expect") {
        if (w.size() < 3) return bad();
        std::string want = line.substr(line.find(w[1], line.find("expect") + 6) + w[1].size());
        want = want.substr(want.find_first_not_of(" \t"));
        while (!want.empty() && (want.back() == ' ' || want.back() == '\t'))
            want.pop_back();
        if (want.size() >= 2 && want.front() == '"' && want.back() == '"')
            want = want.substr(1, want.size() - 2);
        std::string got = Field(w[1]);
        if (got != want) {
            error_ = "expect " + w[1] + ": wanted " + want + ", got " + got;
            return false;
        }
    } else {
        return bad();
    }
    return true;
}

bool THarness::RunScript(std::istream& script, std::ostream& out) {
    out_ = &out;
    std::string line;
    int number = 0;
    while (std::getline(script, line)) {
        ++number;
        if (!RunLine(line)) {
            error_ = "line " + std::to_string(number) + ": " + error_;
            out_ = nullptr;
            return false;
        }
    }
    out_ = nullptr;
    // A run that an error ended fails even when no later line ran the game.
    if (!fatal_.empty()) {
        error_ = fatal_;
        return false;
    }
    return true;
}
