// MainForm.cpp -- start-up, the window/full-screen switch and the focus handlers.
#include "app/MainForm.h"

#include <stdexcept>

#include "app/GameFlow.h"
#include "app/WindowIcon.h"
#include "audio/Mixer.h"
#include "audio/Music.h"
#include "audio/SoundEvents.h"
#include "frontend/FrontEnd.h"
#include "frontend/MenuSprites.h"
#include "frontend/Settings.h"
#include "state/GameState.h"
#include "state/Random.h"
#include "timer/Application.h"

TmainForm* mainForm = nullptr;

namespace {
constexpr TDXDrawOptions kFormOptions = Opt(doAllowReboot) | Opt(doWaitVBlank) | Opt(doCenter) |
                                        Opt(doFlip) | Opt(doDirectX7Mode) | Opt(doHardware) |
                                        Opt(doSelectDriver);
} // namespace

TmainForm::TmainForm() {
    mainForm = this;
    platform::Platform& p = platform::Current();
    if (!p.OpenWindow("Skyvern", 800, 600)) {
        mainForm = nullptr;
        throw std::runtime_error("cannot open a window: " + p.Error());
    }
    p.SetWindowIcon(kWindowIconPixels, kWindowIconSize, kWindowIconSize);

    // The stored form description.
    DXDraw.Display.SetWidth(800);
    DXDraw.Display.SetHeight(600);
    DXDraw.Display.SetBitCount(32);
    DXDraw.Display.FixedBitCount = DXDraw.Display.FixedRatio = DXDraw.Display.FixedSize = true;
    DXDraw.SetOptions(kFormOptions);
    DXDraw.SetControlSize(800, 600);
    DXSpriteEngine1.SetDXDraw(&DXDraw);
    DXImageList1.SetDXDraw(&DXDraw);

    DXTimer1.BeginLoading();
    DXTimer1.SetInterval(16);
    DXTimer1.ActiveOnly = true;
    DXTimer1.SetEnabled(true);
    DXTimer1.OnTimer = [this](TCustomDXTimer& s, int lag) { DXTimer1Timer(s, lag); };
    DXTimer1.OnActivate = [this](TCustomDXTimer& s) { DXTimer1Activate(s); };
    DXTimer1.OnDeactivate = [this](TCustomDXTimer& s) { DXTimer1Deactivate(s); };

    DXTimer2.BeginLoading();
    DXTimer2.SetInterval(16);
    DXTimer2.ActiveOnly = false;
    DXTimer2.SetEnabled(false);
    DXTimer2.OnTimer = [this](TCustomDXTimer& s, int lag) { DXTimer2Timer(s, lag); };
    DXTimer2.OnActivate = [this](TCustomDXTimer& s) { DXTimer2Activate(s); };
    DXTimer2.OnDeactivate = [this](TCustomDXTimer& s) { DXTimer2Deactivate(s); };

    DXInput1.Keyboard.LoadAssigns(FormKeyboardAssigns());
    DXWaveList1.SetDXSound(&DXSound1);

    // End of loading: components finish their own set-up.
    Application().SetActive(p.Active());
    DXTimer1.Loaded();
    DXTimer2.Loaded();
    DXInput1.Loaded();
    TAudioMixer::Instance().Open(); // no device: the game runs silent
    DXSound1.Loaded();
    FillWorldContext();

    Application().OnEvent = [this](const platform::Event& e) { HandleEvent(e); };
    FormCreate();
    DXDraw.WindowShown();
    // Focused or not, the window shows a frame from the start.
    if (!Application().Active()) ShowCurrentFrame();
}

TmainForm::~TmainForm() {
    DXTimer1.SetEnabled(false);
    DXTimer2.SetEnabled(false);
    Application().OnEvent = nullptr;
    World = TWorldContext{}; // nothing may reach the components being destroyed
    DXSound1.Finalize();
    SongFreeAll();
    TAudioMixer::Instance().Close();
    if (mainForm == this) mainForm = nullptr;
}

void TmainForm::FormCreate() {
    DXWaveList1.Items.LoadFromFile(platform::ResolvePath("sound\\gamesound.dxw"));
    Randomize(ClockSeed());
    LoadSettings();
    UpdateBossKeyName();
    ChangeMode();
    DXInput1.Keyboard.BindFireToCtrl();
    DXTimer2.SetEnabled(false);
    DXTimer1.SetEnabled(true);
    ResumeState = 1;
    EnterFrontEnd();
    CreateMenuField();
}

void TmainForm::ChangeMode() {
    DXDraw.Finalize();
    // Any byte but 0 is on, as everywhere else that reads the setting.
    const bool windowed = Windowed != 0;
    if (windowed) {
        RestorePlacement();
        DXDraw.SetOptions(DXDraw.Options() & ~Opt(doFullScreen));
        platform::Current().CenterWindow();
    } else {
        SavePlacement();
        DXDraw.SetOptions(DXDraw.Options() | Opt(doFullScreen));
    }
    // The marks exist while the options screen is open, also under the exit or boss-key
    // dialog: they show the mode in force whenever the screen is seen.
    if (OptionMarks[1]) OptionMarks[1]->Shown = windowed;
    if (OptionMarks[2]) OptionMarks[2]->Shown = !windowed;
    DXDraw.Initialize();
}

void TmainForm::DXTimer1Activate(TCustomDXTimer&) {
    if (GameState == gsMenu && MusicOn) StartMusic("sound\\1.xm");
}

void TmainForm::DXTimer1Deactivate(TCustomDXTimer&) {
    SongStop(MusicHandle);
}

void TmainForm::DXTimer2Activate(TCustomDXTimer&) {
    if (GameState == gsPlaying) {
        ShowMouseCursor(false);
        SetCursorPos(400, 300);
    }
    if (GameState != gsMenu && MusicOn) StartMusic("sound\\2.xm");
}

void TmainForm::DXTimer2Deactivate(TCustomDXTimer&) {
    SongStop(MusicHandle);
    if (PausesOnFocusLoss(GameState)) PauseGame(TPauseReason::Focus);
}

void TmainForm::Close() {
    bool allow = true;
    FormClose(allow);
    if (allow) Application().Terminate();
}

void SavePendingOptions() {
    // The marks live while the screen is open; leaving it kills them (freed with the next frame).
    if (OptionMarks[1] && !OptionMarks[1]->Killed()) SaveSettingsAndTell();
}

void TmainForm::ForgetPointer() {
    MouseOnItem = false;
    MainMenuHover = false;
    leftDown_ = false;
}

void TmainForm::HandleEvent(const platform::Event& e) {
    using platform::EventKind;
    int key = e.key;
    switch (e.kind) {
    case EventKind::KeyDown:
        FormKeyDown(key, e.alt, e.shift, e.ctrl);
        break;
    case EventKind::KeyUp:
        FormKeyUp(key, e.alt, e.shift, e.ctrl);
        break;
    case EventKind::Char: {
        char c = char(e.ch);
        FormKeyPress(c);
        break;
    }
    case EventKind::MouseMove:
        DXDrawMouseMove(e.x, e.y);
        break;
    case EventKind::MouseDown:
        if (e.button == 1) leftDown_ = true;
        DXDrawMouseDown(e.button == 1 ? mbLeft : e.button == 3 ? mbRight : mbMiddle, e.x, e.y);
        break;
    case EventKind::MouseUp:
        DXDrawMouseUp(e.button == 1 ? mbLeft : e.button == 3 ? mbRight : mbMiddle, e.x, e.y);
        // A click is a left press and release on the display.
        if (e.button == 1 && leftDown_) {
            leftDown_ = false;
            if (!PointerOnItem(e.x, e.y)) MouseOnItem = false;
            DXDrawClick();
        }
        break;
    case EventKind::MouseRelative:
        if (GameState == gsPlaying) {
            relativeX_ += e.dx;
            relativeY_ += e.dy;
        }
        break;
    case EventKind::CloseRequest:
        Close();
        break;
    case EventKind::Quit:
        // The session ends without the exit dialog: keep what an open options screen holds.
        SavePendingOptions();
        Application().Terminate();
        break;
    case EventKind::MaximizeRequest:
        WMGetSysCommand(SC_MAXIMIZE);
        break;
    case EventKind::CaptionDoubleClick:
        CptClk(2);
        break;
    case EventKind::Exposed:
        ShowCurrentFrame();
        break;
    case EventKind::FocusGained:
        DXInput1.Activate();
        break;
    default:
        break;
    }
    CapturePointerWhilePlaying();
}
