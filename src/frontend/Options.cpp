// Options.cpp -- the options screen, the boss-key dialog and the boss-key name.
#include "audio/Music.h"
#include "frontend/FrontEnd.h"
#include "frontend/Settings.h"
#include "state/GameState.h"

namespace {

struct TMark {
    const char* picture;
    int x, y;
};
// OptionMarks 1..6: of each pair exactly one shows the setting's value.
constexpr TMark kMarks[7] = {{},
                             {"window", 460, 183},
                             {"full", 584, 187},
                             {"muson", 465, 244},
                             {"musoff", 529, 245},
                             {"soundon", 468, 299},
                             {"soundoff", 531, 300}};

void ShowPair(int first, bool on) {
    if (OptionMarks[first]) OptionMarks[first]->Shown = on;
    if (OptionMarks[first + 1]) OptionMarks[first + 1]->Shown = !on;
}

std::string UpperCase(std::string s) {
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
    return s;
}

} // namespace

void ShowOptionMarks() {
    ShowPair(1, Windowed != 0);
    ShowPair(3, MusicOn != 0);
    ShowPair(5, SoundOn != 0);
}

void frontend::CreateOptions() {
    DestroyMenu();
    MenuScreen = SelectedItem;
    MainMenuSelection = SelectedItem;
    SelectedItem = 1;
    CreateSubMenu("optionsback");
    for (int i = 1; i <= 6; ++i)
        OptionMarks[i] = NewPictureSprite<TMenuItem>(Pictures().FindImage(kMarks[i].picture),
                                                     kMarks[i].x, kMarks[i].y, 2, false);
    MenuItems[6] = NewMenuItem(Pictures().FindImage("backactive"), 2, 6, 2, false);
    ShowOptionMarks();
}

void OptionsAction() {
    switch (SelectedItem) {
    case 1:
        Windowed = Windowed ? 0 : 1;
        Host().ChangeMode();
        SaveSettingsAndTell();
        break;
    case 2:
        MusicOn = MusicOn ? 0 : 1;
        if (MusicOn)
            StartMusic("Sound\\1.xm"); // a song that cannot load turns music off again
        else
            SongStop(MusicHandle);
        ShowPair(3, MusicOn != 0);
        SaveSettingsAndTell();
        break;
    case 3:
        SoundOn = SoundOn ? 0 : 1;
        ShowPair(5, SoundOn != 0);
        SaveSettingsAndTell();
        break;
    case 4:
        TextEditing = !TextEditing;
        break;
    case 5:
        ReturnScreen = MenuScreen;
        MenuScreen = 7; // the next key pressed becomes the boss key
        if (DialogWindow) DialogWindow->Shown = true;
        break;
    case 6:
        // Every way out comes here (back, Escape, a main-menu click): typing ends with it.
        TextEditing = false;
        SaveSettingsAndTell(); // the country and the boss key are kept from here
        SubBackground->Kill();
        frontend::DestroyMenu();
        for (int i = 1; i <= 6; ++i)
            if (OptionMarks[i]) OptionMarks[i]->Kill();
        MenuScreen = 1;
        SelectedItem = MainMenuSelection;
        MenuItems = MainMenuItems;
        break;
    default:
        break;
    }
}

void DrawOptions(TDirectDrawSurfaceCanvas& c) {
    c.Font.Color = clRed;
    std::string country = " " + UpperCase(Country.Str());
    if (TextEditing) {
        ++BlinkCounter; // wraps at 256; the caret shows in the second half of every 32 frames
        if (BlinkCounter % 32 >= 16) country += "|";
    }
    c.TextOut(535, 350, country);
    c.Font.Color = clBlack;
    c.TextOut(470, 405, BossKeyName);
    if (SelectedItem >= 1 && SelectedItem <= 5) {
        const TMenuRect& r = MenuLayout[2][SelectedItem];
        c.Pen.Width = 2;
        c.Pen.Color = clRed;
        c.Rectangle(r.X, r.Y, r.X + r.W, r.Y + r.H);
        c.Font.Color = clBlack;
    }
}

void DrawBossKeyDialog(TDirectDrawSurfaceCanvas& c) {
    c.TextOut(265, 250, "PRESS ANY KEY TO SET");
    c.TextOut(300, 270, "NEW BOSS KEY");
}

std::string KeyDisplayName(int key) {
    if (key == 32) return "Space";
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    if (key == 91) return "Window Key";
    if (key >= 112 && key <= 135) return "F" + std::to_string(key - 111); // F1..F24
    if (key >= 96 && key <= 105) return "Num " + std::to_string(key - 96);
    // Every other key the keyboard layer can report gets a name of its own too, so the
    // options screen never shows the previous key's name for a new one.
    switch (key) {
    case 8:
        return "Backspace";
    case 9:
        return "Tab";
    case 12:
        return "Clear";
    case 19:
        return "Pause";
    case 20:
        return "Caps Lock";
    case 33:
        return "Page Up";
    case 34:
        return "Page Down";
    case 35:
        return "End";
    case 36:
        return "Home";
    case 44:
        return "Print Screen";
    case 45:
        return "Insert";
    case 46:
        return "Delete";
    case 92:
        return "Window Key R";
    case 93:
        return "Menu Key";
    case 106:
        return "Num *";
    case 107:
        return "Num +";
    case 109:
        return "Num -";
    case 110:
        return "Num .";
    case 111:
        return "Num /";
    case 144:
        return "Num Lock";
    case 145:
        return "Scroll Lock";
    case 186:
        return ";";
    case 187:
        return "=";
    case 188:
        return ",";
    case 189:
        return "-";
    case 190:
        return ".";
    case 191:
        return "/";
    case 192:
        return "`";
    case 219:
        return "[";
    case 220:
        return "\\";
    case 221:
        return "]";
    case 222:
        return "'";
    case 226:
        return "<>";
    default:
        return "";
    }
}

void UpdateBossKeyName() {
    std::string name = KeyDisplayName(BossKey);
    // A code no keyboard of ours reports (only a hand-edited config.dat holds one).
    BossKeyName = name.empty() ? "Key " + std::to_string(BossKey) : name;
}
