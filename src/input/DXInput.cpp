// DXInput.cpp -- input states from the keyboard and joystick through the platform layer.
#include "input/DXInput.h"

#include <cstring>

#include "platform/Platform.h"

bool TInputStates::Empty() const {
    for (uint8_t b : Bits)
        if (b) return false;
    return true;
}

TInputStates& TInputStates::operator+=(const TInputStates& other) {
    for (int i = 0; i < 5; ++i)
        Bits[i] |= other.Bits[i];
    return *this;
}

// ---- TCustomInput

void TCustomInput::SetEnabled(bool value) {
    enabled_ = value;
    Initialize();
}

void TCustomInput::SetForceFeedback(bool value) {
    forceFeedback_ = value;
    Initialize();
}

void TCustomInput::Initialize() {
    Finalize();
    if (enabled_) ready_ = Open();
}

void TCustomInput::Finalize() {
    ready_ = false;
    DeviceStates.Clear();
}

bool TCustomInput::MayRead() const {
    return !dxInput_.ActiveOnly() || platform::Current().Active();
}

// ---- TKeyboard

namespace {

using AssignTable = int32_t[kInputStateCount][3];

// The table every new keyboard starts with.
void FillDefaultAssigns(AssignTable& a) {
    std::memset(a, 0, sizeof a);
    auto set = [&a](TInputState s, int32_t k1, int32_t k2, int32_t k3) {
        a[s][0] = k1;
        a[s][1] = k2;
        a[s][2] = k3;
    };
    set(stUp, 75, 38, 104);    // K, Up, keypad 8
    set(stDown, 74, 40, 98);   // J, Down, keypad 2
    set(stLeft, 72, 37, 100);  // H, Left, keypad 4
    set(stRight, 76, 39, 102); // L, Right, keypad 6
    set(stButton1, 90, 32, 0); // Z, Space
    set(stButton2, 88, 13, 0); // X, Return
    set(stButton9, 113, 0, 0); // F2
}

TKeyAssignBytes EncodeAssigns(const AssignTable& a) {
    TKeyAssignBytes bytes{};
    uint8_t* p = bytes.data();
    for (const auto& row : a)
        for (int32_t slot : row)
            for (int i = 0; i < 4; ++i)
                *p++ = uint8_t(uint32_t(slot) >> (8 * i));
    return bytes;
}

} // namespace

TKeyboard::TKeyboard(TDXInput& dxInput) : TCustomInput(dxInput) {
    SetDefaultAssigns();
}

void TKeyboard::SetDefaultAssigns() {
    FillDefaultAssigns(Assigns);
}

void TKeyboard::LoadAssigns(const TKeyAssignBytes& bytes) {
    const uint8_t* p = bytes.data();
    for (auto& row : Assigns)
        for (int32_t& slot : row) {
            slot = int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                           uint32_t(p[3]) << 24);
            p += 4;
        }
}

TKeyAssignBytes TKeyboard::SaveAssigns() const {
    return EncodeAssigns(Assigns);
}

void TKeyboard::Update() {
    std::memset(KeyStates, 0, sizeof KeyStates);
    DeviceStates.Clear();
    if (!ready_ || !MayRead()) return;
    platform::Current().GetKeyboardState(KeyStates);
    for (int n = 0; n < kInputStateCount; ++n)
        for (int32_t key : Assigns[n])
            if (key >= 1 && key <= 255 && (KeyStates[key] & 0x80)) {
                DeviceStates.Insert(TInputState(n));
                break;
            }
}

// ---- TJoystick

void TJoystick::SetID(int value) {
    id_ = value;
    Initialize();
}

int TJoystick::FindDevice() const {
    // Probe device numbers like the multimedia interface does and take the ID-th that answers.
    platform::JoystickState probe;
    int found = 0;
    for (int index = 0; index < 256; ++index)
        if (platform::Current().GetJoystick(index, probe) && found++ == id_) return index;
    return -1;
}

bool TJoystick::Open() {
    generation_ = platform::Current().JoystickGeneration();
    deviceIndex_ = FindDevice();
    return deviceIndex_ >= 0;
}

void TJoystick::Acquire() {
    if (enabled_ && !ready_) ready_ = Open();
}

int32_t ConvertJoystickAxis(int64_t position, int64_t min, int64_t max, int deadZonePercent,
                            int range) {
    const int64_t half = (max - min) / 2;
    const int64_t dz = deadZonePercent * half / 100;
    if (half == dz) return 0;
    const int64_t d = position - half;
    if ((d < 0 ? -d : d) <= dz) return 0;
    const int64_t num = (d > 0 ? d - dz : d + dz) * range;
    const int64_t den = half - dz;
    // Round to nearest, halves away from zero.
    const int64_t q = (2 * (num < 0 ? -num : num) + den) / (2 * den);
    return int32_t(num < 0 ? -q : q);
}

void TJoystick::Update() {
    X = Y = Z = 0;
    POV = -1;
    std::memset(Buttons, 0, sizeof Buttons);
    DeviceStates.Clear();
    platform::Platform& p = platform::Current();
    // A pad that arrived (or came back) since we last looked is read from this frame on; an
    // empty port is probed only when the platform has seen a pad come or go.
    if (enabled_ && !ready_ && p.JoystickGeneration() != generation_) ready_ = Open();
    if (!ready_ || !MayRead()) return;

    platform::JoystickState js;
    if (!p.GetJoystick(deviceIndex_, js)) {
        // Lost (unplugged, renumbered): look for it again once. Still gone, it gives no states
        // this frame and is looked for again when a pad next arrives.
        ready_ = Open();
        if (!ready_ || !p.GetJoystick(deviceIndex_, js)) {
            ready_ = false;
            return;
        }
    }

    // The platform reports -32768..32767; as positions 0..65535 the centre and both extremes
    // fall where the multimedia interface's limits put them.
    auto axis = [](int raw, int dz, int range) {
        return ConvertJoystickAxis(int64_t(raw) + 32768, 0, 65535, dz, range);
    };
    X = axis(js.x, deadZone_[0], range_[0]);
    Y = axis(js.y, deadZone_[1], range_[1]);
    Z = axis(js.z, deadZone_[2], range_[2]);

    const int count = js.buttonCount < 32 ? js.buttonCount : 32;
    for (int i = 0; i < count; ++i)
        if (js.buttons & (1u << i)) {
            Buttons[i] = 0x80;
            DeviceStates.Insert(TInputState(stButton1 + i));
        }
    if (X < 0) DeviceStates.Insert(stLeft);
    if (X > 0) DeviceStates.Insert(stRight);
    if (Y < 0) DeviceStates.Insert(stUp);
    if (Y > 0) DeviceStates.Insert(stDown);
}

// ---- TMouse

TMouse::TMouse(TDXInput& dxInput) : TCustomInput(dxInput) {
    enabled_ = false;
    BindInputStates = false;
}

bool TMouse::Open() {
    throw EDXInputError("DirectInput is necessary to use the mouse");
}

void TMouse::Update() {
    X = Y = Z = 0;
    std::memset(Buttons, 0, sizeof Buttons);
    DeviceStates.Clear();
    // Never Ready: Open always refuses.
}

// ---- TDXInput

TDXInput::TDXInput(const void* owner)
    : Joystick(*this), Keyboard(*this), Mouse(*this),
      owner_(owner), devices_{&Joystick, &Keyboard, &Mouse} {
    if (!owner_) throw EDXInputError("Form not found");
}

void TDXInput::SetUseDirectInput(bool value) {
    useDirectInput_ = value;
    for (TCustomInput* device : devices_)
        device->Initialize();
}

void TDXInput::Loaded() {
    for (TCustomInput* device : devices_)
        device->Finalize();
    for (TCustomInput* device : devices_)
        if (device->Enabled()) device->Initialize();
    Update();
}

void TDXInput::Update() {
    TInputStates u;
    for (TCustomInput* device : devices_) {
        device->Update();
        if (device->BindInputStates) u += device->DeviceStates;
    }
    for (int n = 0; n < kInputStateCount; ++n) {
        const auto s = TInputState(n);
        if (u.Contains(s) && !PreviousStates.Contains(s)) States.Insert(s);
        if (!u.Contains(s) && PreviousStates.Contains(s)) States.Erase(s);
    }
    PreviousStates = u;
}

void TDXInput::Activate() {
    if (activeOnly_ && !platform::Current().Active()) return;
    for (TCustomInput* device : devices_)
        device->Acquire();
}

const TKeyAssignBytes& FormKeyboardAssigns() {
    static const TKeyAssignBytes bytes = [] {
        AssignTable a;
        FillDefaultAssigns(a);
        a[stUp][0] = 87;      // W
        a[stDown][0] = 83;    // S
        a[stLeft][0] = 65;    // A
        a[stRight][0] = 68;   // D
        a[stButton2][0] = 16; // Shift
        return EncodeAssigns(a);
    }();
    return bytes;
}
