// DXTimer.cpp -- the frame timer's firing rule and its start, stop and activation handling.
#include "timer/DXTimer.h"

#include "platform/Platform.h"
#include "timer/Application.h"

TCustomDXTimer::TCustomDXTimer() {
    hookId_ = Application().AddActivationHook([this](bool active) { AppActivation(active); });
}

TCustomDXTimer::~TCustomDXTimer() {
    Stop();
    Application().RemoveActivationHook(hookId_);
}

void TCustomDXTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    if (loading_) return;
    if (value)
        Start();
    else
        Stop();
}

void TCustomDXTimer::SetInterval(int value) {
    if (value == interval_) return;
    interval_ = value < 0 ? 0 : value;
    intervalDivisor_ = value < 1 ? 1 : value;
}

void TCustomDXTimer::Loaded() {
    loading_ = false;
    if (enabled_) Start();
}

bool TCustomDXTimer::Hooked() const {
    return running_ && Application().IdleOwner() == this;
}

void TCustomDXTimer::Install() {
    lastTick_ = platform::Current().Ticks();
    Application().SetOnIdle([this] { return OnIdle(); }, this);
}

void TCustomDXTimer::Start() {
    Stop();
    if (!ActiveOnly || Application().Active()) Install();
    running_ = true;
}

void TCustomDXTimer::Stop() {
    // There is one idle handler per application: stopping any timer clears it.
    if (running_) Application().ClearOnIdle();
    running_ = false;
}

int TCustomDXTimer::OnIdle() {
    uint32_t now = platform::Current().Ticks();
    uint32_t elapsed = now - lastTick_; // unsigned: the tick's wrap-around is harmless
    if (elapsed < uint32_t(interval_)) return int(uint32_t(interval_) - elapsed);
    int lagCount = int(elapsed / uint32_t(intervalDivisor_));
    if (lagCount < 1) lagCount = 1;
    lastTick_ = now;
    if (OnTimer) OnTimer(*this, lagCount);
    // The frame itself took time: the next one is due Interval after this one started.
    uint32_t spent = platform::Current().Ticks() - now;
    return spent >= uint32_t(interval_) ? 0 : int(uint32_t(interval_) - spent);
}

void TCustomDXTimer::AppActivation(bool active) {
    if (active) {
        if (OnActivate) OnActivate(*this);
        if (running_ && ActiveOnly) Install();
    } else {
        if (OnDeactivate) OnDeactivate(*this);
        if (running_ && ActiveOnly) Application().ClearOnIdle();
    }
}
