// Application.h -- the application object: the message loop, the one idle handler that a
// frame timer installs, and the activation notices the timers hook.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Platform.h"

class TApplication {
  public:
    // An idle handler runs whenever the event queue is empty. It returns how many
    // milliseconds may pass before it wants to run again; the loop waits for events that long
    // instead of spinning.
    using IdleHandler = std::function<int()>;

    void SetOnIdle(IdleHandler handler, const void* owner);
    void ClearOnIdle();
    bool HasIdleHandler() const { return bool(onIdle_); }
    const void* IdleOwner() const { return idleOwner_; }

    // The program has the foreground; changed by the focus events the loop sees.
    bool Active() const { return active_; }
    void SetActive(bool active); // notifies the hooks when it changes

    // Hooks on the main window that see activation and deactivation (never consume them).
    int AddActivationHook(std::function<void(bool active)> hook);
    void RemoveActivationHook(int id);

    // Where window events go (the main form).
    std::function<void(const platform::Event&)> OnEvent;

    // Takes every pending event and dispatches it.
    void ProcessMessages();
    // Runs the idle handler once; returns its wait hint (or -1 when none is installed).
    int Idle();
    // The message loop: events, then idle, then wait; until Terminate.
    void Run();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    void Reset(); // back to the initial state (tests)

  private:
    IdleHandler onIdle_;
    const void* idleOwner_ = nullptr;
    bool active_ = true;
    bool terminated_ = false;
    struct Hook {
        int id;
        std::function<void(bool)> fn;
    };
    std::vector<Hook> hooks_;
    int nextHook_ = 1;
};

TApplication& Application();
