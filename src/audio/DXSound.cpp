// DXSound.cpp -- the sound output, the wave library and playing an entry in copies.
#include "audio/DXSound.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "audio/Mixer.h"
#include "audio/WaveFormat.h"

// dxgtool checks waves at the rate the game asks for.
static_assert(TAudioMixer::kDefaultFrequency == kDeviceFrequency);

// ---------------------------------------------------------------- sound output

TDXSound::TDXSound() = default;

TDXSound::~TDXSound() {
    Notify(dsntDestroying);
    clients_.clear(); // they have forgotten us
    try {
        Finalize();
    } catch (...) {
        // An OnFinalize handler failing while the form goes away has nobody left to tell.
    }
}

void TDXSound::Loaded() {
    if (!AutoInitialize) return;
    try {
        Initialize();
    } catch (const EDirectSoundError&) {
        // No usable sound output: the game runs silent.
    }
}

void TDXSound::Initialize() {
    Finalize();
    if (!HasForm) throw EDXSoundError("Form not found");
    Notify(dsntInitializing);
    if (OnInitializing) OnInitializing(*this);
    if (!TAudioMixer::Instance().IsOpen()) {
        Finalize();
        throw EDirectSoundError("DirectSound cannot be initialized");
    }
    initialized_ = true;
    // The sharing level and the window hook of a shared device have no counterpart here: the
    // mixer is ours alone.
    Notify(dsntInitialize);
    if (OnInitialize) OnInitialize(*this);
    Restore();
}

void TDXSound::Finalize() {
    if (!initialized_) return;
    try {
        if (OnFinalize) OnFinalize(*this);
    } catch (...) {
        initialized_ = false;
        Notify(dsntFinalize);
        throw;
    }
    initialized_ = false;
    Notify(dsntFinalize);
}

void TDXSound::Restore() {
    if (!initialized_ || restoring_) return;
    restoring_ = true;
    try {
        Notify(dsntRestore);
        if (OnRestore) OnRestore(*this);
    } catch (...) {
        restoring_ = false;
        throw;
    }
    restoring_ = false;
}

void TDXSound::RegisterNotifyEvent(void* client, TDXSoundNotifyEvent callback) {
    UnRegisterNotifyEvent(client);
    clients_.push_back({client, callback});
    if (initialized_) {
        callback(*this, dsntInitialize);
        callback(*this, dsntRestore);
    }
}

void TDXSound::UnRegisterNotifyEvent(void* client) {
    auto it = std::find_if(clients_.begin(), clients_.end(),
                           [&](const Client& c) { return c.client == client; });
    if (it == clients_.end()) return;
    TDXSoundNotifyEvent callback = it->callback;
    clients_.erase(it);
    callback(*this, dsntFinalize);
}

void TDXSound::Notify(TDXSoundNotifyType type) {
    // A copy: a client may unregister while it is told.
    std::vector<Client> clients = clients_;
    for (auto it = clients.rbegin(); it != clients.rend(); ++it)
        it->callback(*this, type);
}

std::unique_ptr<TSoundBuffer> TDXSound::MakeBuffer(const TWave& wave) const {
    const int bits = wave.BitsPerSample(), channels = wave.Channels();
    const int rate = int(wave.SamplesPerSec());
    const int deviceRate = TAudioMixer::Instance().Frequency();
    // Also refused: a rate so low that the conversion would take memory without bound.
    if (!initialized_ || !WaveRefusal(wave, deviceRate).empty())
        throw EDirectSoundBufferError("Sound Buffer cannot be made");
    auto samples = std::make_shared<const std::vector<int16_t>>(
        ConvertToDevice(wave.Data.data(), wave.Data.size(), channels, bits, rate, deviceRate));
    return std::make_unique<TSoundBuffer>(std::move(samples));
}

// ---------------------------------------------------------------- one wave

TWaveCollectionItem::~TWaveCollectionItem() {
    ReleaseMaster();
}

void TWaveCollectionItem::ReleaseMaster() {
    master_.reset();
    owner_->convertedBytes_ -= convertedBytes_;
    convertedBytes_ = 0;
}

void TWaveCollectionItem::SetLooped(bool value) {
    if (value == looped_) return;
    StopAll();
    looped_ = value;
}

void TWaveCollectionItem::SetMaxPlayingCount(int32_t value) {
    if (value < 0) value = 0;
    if (value == maxPlayingCount_) return;
    copies_.clear(); // made again on demand
    maxPlayingCount_ = value;
}

void TWaveCollectionItem::Play(bool wait) {
    if (!ready_) return;
    if (looped_) {
        // A looped entry plays on its own buffer only: starting it again restarts the loop.
        if (!master_) Restore();
        if (!master_) throw EDirectSoundBufferError("IDirectSoundBuffer not made");
        master_->Stop();
        master_->SetPosition(0);
        master_->Play(true);
        return;
    }
    TSoundBuffer* chosen = nullptr;
    for (auto& copy : copies_)
        if (!copy->IsPlaying()) {
            chosen = copy.get();
            break;
        }
    if (!chosen) {
        if (maxPlayingCount_ == 0 || copies_.size() < size_t(maxPlayingCount_)) {
            if (!master_) Restore();
            if (!master_) return; // no wave data: nothing to copy
            copies_.push_back(master_->Duplicate());
        } else {
            // All copies busy: cut off the oldest start and move it to the end of the line.
            std::rotate(copies_.begin(), copies_.begin() + 1, copies_.end());
        }
        chosen = copies_.back().get();
    }
    chosen->Stop();
    chosen->SetPosition(0);
    chosen->Frequency = Frequency;
    chosen->Pan = Pan;
    chosen->Volume = Volume;
    chosen->Play(false);
    if (wait)
        while (chosen->IsPlaying())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void TWaveCollectionItem::StopAll() {
    if (master_) master_->Stop();
    for (auto& copy : copies_)
        copy->Stop();
}

void TWaveCollectionItem::Attach() {
    copies_.clear();
    ReleaseMaster();
    TDXSound* sound = owner_->DXSound();
    ready_ = sound && sound->Initialized();
}

void TWaveCollectionItem::Detach() {
    copies_.clear();
    ReleaseMaster();
    ready_ = false;
}

void TWaveCollectionItem::Restore() {
    if (Wave.Empty()) return;
    if (!ready_) {
        TDXSound* sound = owner_->DXSound();
        if (sound && sound->Initialized()) Attach();
        if (!ready_) return;
    }
    // Copies made earlier keep the samples they share; only the entry's own buffer is new.
    // The file's conversion budget counts the entry's own buffer only once.
    const uint64_t bytes = ConvertedBytes(Wave, TAudioMixer::Instance().Frequency());
    const uint64_t others = owner_->convertedBytes_ - convertedBytes_;
    if (others + bytes > owner_->budget_)
        throw EDirectSoundBufferError("Sound Buffer cannot be made");
    master_.reset();
    owner_->convertedBytes_ = others;
    convertedBytes_ = 0;
    master_ = owner_->DXSound()->MakeBuffer(Wave);
    convertedBytes_ = bytes;
    owner_->convertedBytes_ = others + bytes;
    master_->Frequency = Frequency;
    master_->Pan = Pan;
    master_->Volume = Volume;
}

// ---------------------------------------------------------------- the collection

TWaveCollection::~TWaveCollection() {
    Clear();
}

TWaveCollectionItem& TWaveCollection::Add() {
    auto& item =
        static_cast<TWaveCollectionItem&>(Insert(std::make_unique<TWaveCollectionItem>(*this)));
    if (dxsound_ && dxsound_->Initialized()) item.Attach();
    return item;
}

TWaveCollectionItem* TWaveCollection::Find(std::string_view name) const {
    return static_cast<TWaveCollectionItem*>(THashCollection::Find(name));
}

TWaveCollectionItem& TWaveCollection::FindWave(std::string_view name) const {
    TWaveCollectionItem* item = Find(name);
    if (!item) throw EWaveCollectionError("Wave '" + std::string(name) + "' not found");
    return *item;
}

void TWaveCollection::LoadFromFile(const std::string& path) {
    TCollectionFile file(path);
    Clear(); // a bad header, like any bad stream, leaves no entries
    LoadFromStream(file.Bytes());
}

void TWaveCollection::LoadFromStream(std::span<const uint8_t> bytes) {
    Clear();
    budget_ = ConversionBudget(bytes.size());
    for (TWaveItemData& from : ReadWaveCollection(bytes)) {
        TWaveCollectionItem& item = Add();
        item.SetName(from.Name);
        item.SetLooped(from.Looped);
        item.SetMaxPlayingCount(from.MaxPlayingCount);
        item.Wave = std::move(from.Wave);
    }
    if (dxsound_ && dxsound_->Initialized())
        for (int i = 0; i < Count(); ++i) {
            Items(i).Attach();
            Items(i).Restore();
        }
}

void TWaveCollection::Initialize(TDXSound* sound) {
    dxsound_ = sound;
    for (int i = 0; i < Count(); ++i)
        Items(i).Attach();
}

void TWaveCollection::Finalize() {
    for (int i = 0; i < Count(); ++i)
        Items(i).Detach();
    dxsound_ = nullptr;
}

void TWaveCollection::Restore() {
    for (int i = 0; i < Count(); ++i)
        Items(i).Restore();
}

// ---------------------------------------------------------------- the component

TDXWaveList::~TDXWaveList() {
    SetDXSound(nullptr);
}

void TDXWaveList::SetDXSound(TDXSound* sound) {
    if (sound == dxsound_) return;
    if (dxsound_) dxsound_->UnRegisterNotifyEvent(this);
    dxsound_ = sound;
    if (dxsound_)
        dxsound_->RegisterNotifyEvent(
            this, [this](TDXSound& sender, TDXSoundNotifyType type) { SoundNotice(sender, type); });
}

void TDXWaveList::SoundNotice(TDXSound& sender, TDXSoundNotifyType type) {
    switch (type) {
    case dsntDestroying:
        Items.Finalize();
        dxsound_ = nullptr;
        break;
    case dsntInitialize:
        Items.Initialize(&sender);
        break;
    case dsntFinalize:
        Items.Finalize();
        break;
    case dsntRestore:
        Items.Restore();
        break;
    case dsntInitializing:
        break;
    }
}
