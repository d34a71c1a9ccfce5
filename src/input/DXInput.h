// DXInput.h -- the input component TDXInput: keyboard and joystick (and a disabled mouse) turned
// into 36 logical input states through the keyboard's binding table, read once per frame.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>

// DO NOT REORDER: the numbering is the bit layout of TInputStates and the row order of Assigns.
// clang-format off
enum TInputState : uint8_t {
    stUp, stDown, stLeft, stRight,
    stButton1, stButton2, stButton3, stButton4, stButton5, stButton6, stButton7, stButton8,
    stButton9, stButton10, stButton11, stButton12, stButton13, stButton14, stButton15, stButton16,
    stButton17, stButton18, stButton19, stButton20, stButton21, stButton22, stButton23, stButton24,
    stButton25, stButton26, stButton27, stButton28, stButton29, stButton30, stButton31, stButton32
};
// clang-format on
constexpr int kInputStateCount = 36;

// A set of states in 5 bytes: state n is bit (n mod 8) of byte (n div 8).
struct TInputStates {
    uint8_t Bits[5] = {};

    bool Contains(TInputState s) const { return Bits[s >> 3] & (1u << (s & 7)); }
    void Insert(TInputState s) { Bits[s >> 3] |= uint8_t(1u << (s & 7)); }
    void Erase(TInputState s) { Bits[s >> 3] &= uint8_t(~(1u << (s & 7))); }
    bool Empty() const;
    void Clear() { *this = TInputStates{}; }
    TInputStates& operator+=(const TInputStates& other);
    bool operator==(const TInputStates&) const = default;
};
static_assert(sizeof(TInputStates) == 5);

struct EDXInputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TDXInput;

// Base of the three devices. Each Update recomputes DeviceStates from scratch.
class TCustomInput {
  public:
    explicit TCustomInput(TDXInput& dxInput) : dxInput_(dxInput) {}
    virtual ~TCustomInput() = default;
    TCustomInput(const TCustomInput&) = delete;
    TCustomInput& operator=(const TCustomInput&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value); // re-initialises the device
    bool ForceFeedback() const { return forceFeedback_; }
    void SetForceFeedback(bool value); // re-initialises; effects are never played by the game
    bool BindInputStates = true;       // DeviceStates count towards TDXInput::States

    bool Ready() const { return ready_; } // opened by Initialize
    TInputStates DeviceStates;

    void Initialize(); // finalises, then opens the device if Enabled (may raise EDXInputError)
    void Finalize();
    virtual void Update() = 0;
    // Window activation: take the device back from the platform.
    virtual void Acquire() {}

  protected:
    virtual bool Open() = 0; // false: the device stays not Ready and gives no states
    // False while ActiveOnly is set and our window is not in the foreground.
    bool MayRead() const;

    TDXInput& dxInput_;
    bool enabled_ = true;
    bool forceFeedback_ = false;
    bool ready_ = false;
};

// The binding table as stored with the form: 36 x 3 little-endian int32 key codes.
using TKeyAssignBytes = std::array<uint8_t, 432>;

class TKeyboard : public TCustomInput {
  public:
    explicit TKeyboard(TDXInput& dxInput);

    uint8_t KeyStates[256] = {}; // by virtual-key code, bit 7 = down
    // Three key slots per state; a slot outside 1..255 is empty and never matches.
    int32_t Assigns[kInputStateCount][3] = {};

    void SetDefaultAssigns(); // the built-in table of a new keyboard
    void LoadAssigns(const TKeyAssignBytes& bytes);
    TKeyAssignBytes SaveAssigns() const;
    // Start-up: Ctrl (17) fires, in slot 1 of stButton1 where the stored table has Z.
    void BindFireToCtrl() { Assigns[stButton1][0] = 17; }

    void Update() override;

  protected:
    bool Open() override { return true; } // the system keyboard is always there
};

class TJoystick : public TCustomInput {
  public:
    using TCustomInput::TCustomInput;

    // ID-th attached joystick, counting from 0; re-initialises the device.
    int ID() const { return id_; }
    void SetID(int value);
    bool AutoCenter = true; // force feedback only

    int DeadZoneX() const { return deadZone_[0]; }
    int DeadZoneY() const { return deadZone_[1]; }
    int DeadZoneZ() const { return deadZone_[2]; }
    void SetDeadZoneX(int percent) { deadZone_[0] = ClampDeadZone(percent); }
    void SetDeadZoneY(int percent) { deadZone_[1] = ClampDeadZone(percent); }
    void SetDeadZoneZ(int percent) { deadZone_[2] = ClampDeadZone(percent); }
    int RangeX() const { return range_[0]; }
    int RangeY() const { return range_[1]; }
    int RangeZ() const { return range_[2]; }
    void SetRangeX(int value) { range_[0] = value < 0 ? 0 : value; }
    void SetRangeY(int value) { range_[1] = value < 0 ? 0 : value; }
    void SetRangeZ(int value) { range_[2] = value < 0 ? 0 : value; }

    // Read at each Update: axes after dead zone and range, buttons with bit 7 = pressed.
    int32_t X = 0, Y = 0, Z = 0;
    int32_t POV = -1; // the platform reports no hat: always centred
    uint8_t Buttons[32] = {};

    // Platform index of the device in use, -1 when none is attached.
    int DeviceIndex() const { return deviceIndex_; }

    void Update() override;
    void Acquire() override;

  protected:
    bool Open() override;

  private:
    static int ClampDeadZone(int p) { return p < 0 ? 0 : p > 100 ? 100 : p; }
    int FindDevice() const;

    int id_ = 0;
    uint32_t generation_ = 0; // the platform's joystick generation when last looked for
    int deadZone_[3] = {50, 50, 50};
    int range_[3] = {1000, 1000, 1000};
    int deviceIndex_ = -1;
};

// Needs the direct input layer, which we do not have: enabling it raises EDXInputError.
class TMouse : public TCustomInput {
  public:
    explicit TMouse(TDXInput& dxInput);
    int32_t X = 0, Y = 0, Z = 0;
    uint8_t Buttons[3] = {};
    void Update() override;

  protected:
    bool Open() override;
};

// Converts one raw axis position (min..max) into -range..range with a dead zone given in
// percent of half the travel, as the multimedia joystick interface does.
int32_t ConvertJoystickAxis(int64_t position, int64_t min, int64_t max, int deadZonePercent,
                            int range);

class TDXInput {
  public:
    // owner: the form the component belongs to; nullptr raises "Form not found".
    explicit TDXInput(const void* owner);
    TDXInput(const TDXInput&) = delete;
    TDXInput& operator=(const TDXInput&) = delete;

    // Devices are read only while our window has the focus (the platform's Active()).
    bool ActiveOnly() const { return activeOnly_; }
    void SetActiveOnly(bool value) { activeOnly_ = value; }
    // Kept for the form's sake: every read goes through the platform layer either way.
    bool UseDirectInput() const { return useDirectInput_; }
    void SetUseDirectInput(bool value); // re-initialises every device

    TJoystick Joystick;
    TKeyboard Keyboard;
    TMouse Mouse;
    // Creation order, which is also the order of Update.
    const std::array<TCustomInput*, 3>& Devices() const { return devices_; }

    TInputStates States;         // what callers test (and may clear)
    TInputStates PreviousStates; // the union of device states at the previous Update

    // After the form's values are set: open every enabled device and run one Update.
    void Loaded();
    // Once per frame, before the frame reads States. A state switches on only on a rising edge
    // of the devices' union, so one a caller removed stays off until its input is pressed again.
    void Update();
    // The window was activated: devices are taken back unless ActiveOnly and not in front.
    void Activate();

  private:
    const void* owner_;
    bool activeOnly_ = true;
    bool useDirectInput_ = true;
    std::array<TCustomInput*, 3> devices_;
};

// The binding table the main form stores with DXInput1's keyboard.
const TKeyAssignBytes& FormKeyboardAssigns();
