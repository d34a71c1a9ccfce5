// DXSound.h -- sound effects: the sound output TDXSound, and the wave library TDXWaveList with
// its named waves (TWaveCollection, TWaveCollectionItem), each played in copies of one buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/SoundBuffer.h"
#include "graphics/DxgReader.h" // TWave
#include "graphics/HashCollection.h"

class TDXSound;
class TDXWaveList;
class TWaveCollection;

struct EDXSoundError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The device or its buffers failed ("%s cannot be initialized", "%s cannot be made", ...).
struct EDirectSoundError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct EDirectSoundBufferError : EDirectSoundError {
    using EDirectSoundError::EDirectSoundError;
};
// "Wave '%s' not found"
struct EWaveCollectionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum TDXSoundOption { soGlobalFocus, soStickyFocus, soExclusive };
using TDXSoundOptions = uint32_t;
constexpr TDXSoundOptions SoundOpt(TDXSoundOption o) {
    return 1u << o;
}

enum TDXSoundNotifyType {
    dsntDestroying,
    dsntInitializing,
    dsntInitialize,
    dsntFinalize,
    dsntRestore
};
using TDXSoundNotifyEvent = std::function<void(TDXSound& sender, TDXSoundNotifyType type)>;

// The sound output. It stands on the game's one mixer (already opened by the form): no open
// mixer means no device, and Initialize fails with "DirectSound cannot be initialized".
class TDXSound {
  public:
    TDXSound();
    ~TDXSound(); // sends the destroying notice, then finalises
    TDXSound(const TDXSound&) = delete;
    TDXSound& operator=(const TDXSound&) = delete;

    bool AutoInitialize = true;
    // Focus rules and exclusive access mean nothing to a mixer of our own; kept as stored.
    TDXSoundOptions Options = 0;
    bool HasForm = true; // the component sits on a form (Initialize needs one)

    std::function<void(TDXSound&)> OnInitialize, OnFinalize, OnInitializing, OnRestore;

    bool Initialized() const { return initialized_; }
    // The form has been loaded: initialise if AutoInitialize, running silent without a device
    // (device and buffer errors are swallowed; EDXSoundError goes on).
    void Loaded();
    void Initialize();
    void Finalize();
    // Sends the restore notice (every wave refills its buffer) and fires OnRestore; a restore
    // asked for from inside a restore is dropped.
    void Restore();

    // Clients are told last registered first. Registering with an initialised component sends
    // initialise and restore at once; unregistering sends finalise.
    void RegisterNotifyEvent(void* client, TDXSoundNotifyEvent callback);
    void UnRegisterNotifyEvent(void* client);

    // A buffer of the wave, converted once to the device's format here; its copies share the
    // converted samples. Throws EDirectSoundBufferError "Sound Buffer cannot be made" when the
    // component is not initialised or the format is not plain PCM.
    std::unique_ptr<TSoundBuffer> MakeBuffer(const TWave& wave) const;

  private:
    void Notify(TDXSoundNotifyType type);

    struct Client {
        void* client;
        TDXSoundNotifyEvent callback;
    };
    std::vector<Client> clients_;
    bool initialized_ = false;
    bool restoring_ = false;
};

class TWaveCollectionItem : public THashCollectionItem {
  public:
    explicit TWaveCollectionItem(TWaveCollection& collection) : owner_(&collection) {}
    ~TWaveCollectionItem() override;

    TWave Wave;
    // 0 = the wave's own rate, centre, full volume; the game never changes them.
    int32_t Frequency = 0, Pan = 0, Volume = 0;

    bool Looped() const { return looped_; }
    void SetLooped(bool value); // a change stops the entry's buffer and every copy first
    int32_t MaxPlayingCount() const { return maxPlayingCount_; }
    void SetMaxPlayingCount(int32_t value); // negative stores 0; a change frees every copy

    TWaveCollection& Collection() const { return *owner_; }
    bool Ready() const { return ready_; }
    TSoundBuffer* MasterBuffer() const { return master_.get(); }
    // The copies, in the order Play looks for a free one.
    const std::vector<std::unique_ptr<TSoundBuffer>>& PlayBuffers() const { return copies_; }

    // Starts the effect on a free copy, a new copy, or, with MaxPlayingCount copies all busy,
    // by restarting the oldest. wait: returns only when it has ended (the game never waits).
    void Play(bool wait);
    void StopAll();

    // Lifecycle, driven by the collection and the sound component's notices.
    void Attach();  // frees the buffers; Ready = the sound component is initialised
    void Detach();  // frees the copies and MasterBuffer, clears Ready
    void Restore(); // builds MasterBuffer from the wave (nothing without sample data)

  private:
    void ReleaseMaster(); // frees MasterBuffer and gives its bytes back to the file's budget

    TWaveCollection* owner_;
    uint64_t convertedBytes_ = 0; // MasterBuffer's samples, counted in the collection's budget
    bool looped_ = false;
    int32_t maxPlayingCount_ = 0;
    bool ready_ = false;
    std::unique_ptr<TSoundBuffer> master_;
    std::vector<std::unique_ptr<TSoundBuffer>> copies_;
};

class TWaveCollection : public THashCollection {
  public:
    explicit TWaveCollection(TDXWaveList* owner = nullptr) : owner_(owner) {}
    ~TWaveCollection() override;

    TDXWaveList* Owner() const { return owner_; }
    TDXSound* DXSound() const { return dxsound_; }

    TWaveCollectionItem& Items(int index) const { return ItemAs<TWaveCollectionItem>(index); }
    TWaveCollectionItem& Add(); // a new empty entry at the end (Ready if the sound is up)
    TWaveCollectionItem* Find(std::string_view name) const;
    // Throws EWaveCollectionError "Wave '%s' not found".
    TWaveCollectionItem& FindWave(std::string_view name) const;

    // Replaces every entry with the file's; throws the reader's errors ("Cannot open file ...",
    // "Invalid stream format", "Wave is invalid", ...). With the sound up every buffer is built;
    // "Sound Buffer cannot be made" when the file's waves would convert to more than the
    // file's budget (ConversionBudget) together.
    void LoadFromFile(const std::string& path);
    void LoadFromStream(std::span<const uint8_t> bytes);

    // The sound component's notices.
    void Initialize(TDXSound* sound); // attaches every entry
    void Finalize();                  // detaches every entry, forgets the component
    void Restore();                   // builds every entry's buffer, in order

  private:
    friend class TWaveCollectionItem;
    TDXWaveList* owner_;
    TDXSound* dxsound_ = nullptr;
    // What the entries' buffers may take together once converted (ConversionBudget of the file
    // loaded; no limit for entries added one by one), and what they take now.
    uint64_t budget_ = UINT64_MAX;
    uint64_t convertedBytes_ = 0;
};

class TDXWaveList {
  public:
    TDXWaveList() = default;
    ~TDXWaveList();
    TDXWaveList(const TDXWaveList&) = delete;
    TDXWaveList& operator=(const TDXWaveList&) = delete;

    TWaveCollection Items{this};

    TDXSound* DXSound() const { return dxsound_; }
    // Unregisters from the old component (which sends finalise) and registers with the new one
    // (which sends its present state at once).
    void SetDXSound(TDXSound* sound);

    void SoundNotice(TDXSound& sender, TDXSoundNotifyType type);

  private:
    TDXSound* dxsound_ = nullptr;
};
