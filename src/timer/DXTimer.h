// DXTimer.h -- the frame timer: fires OnTimer at most once per Interval with the number of
// intervals that passed (LagCount), as the application's idle handler; follows the program's
// gain and loss of the foreground. Only one timer can run at a time (one idle handler).
#pragma once

#include <cstdint>
#include <functional>

class TCustomDXTimer {
  public:
    using TDXTimerEvent = std::function<void(TCustomDXTimer& sender, int lagCount)>;
    using TNotifyEvent = std::function<void(TCustomDXTimer& sender)>;

    TCustomDXTimer();
    virtual ~TCustomDXTimer();
    TCustomDXTimer(const TCustomDXTimer&) = delete;
    TCustomDXTimer& operator=(const TCustomDXTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int Interval() const { return interval_; }
    void SetInterval(int value);
    bool ActiveOnly = true;

    TDXTimerEvent OnTimer;
    TNotifyEvent OnActivate, OnDeactivate;

    // Loading from the stored description: while loading only the Enabled flag is kept.
    void BeginLoading() { loading_ = true; }
    void Loaded();

    bool Running() const { return running_; }
    bool Hooked() const; // running and the installed idle handler is ours
    uint32_t LastTick() const { return lastTick_; }

  private:
    void Start();
    void Stop();
    void Install();
    int OnIdle();
    void AppActivation(bool active);

    bool enabled_ = true;
    int interval_ = 1000;
    int intervalDivisor_ = 1000;
    bool running_ = false;
    bool loading_ = false;
    uint32_t lastTick_ = 0;
    int hookId_ = 0;
};

class TDXTimer : public TCustomDXTimer {};
