// DXDraw.cpp -- the display: options, initialise and finalise, notices, flip.
#include "graphics/DXDraw.h"

#include <algorithm>
#include <utility>

#include "platform/Platform.h"

void TDXDrawDisplay::SetBitCount(int bits) {
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw EDirectDrawError("It should be either of 8 or 16 or 24 or 32");
    bitCount_ = bits;
}

TDXDraw::TDXDraw() {
    UpdateNowOptions();
}

TDXDraw::~TDXDraw() {
    try {
        Finalize();
    } catch (...) {
    }
    try {
        Notify(dxntDestroying);
    } catch (...) {
    }
}

void TDXDraw::SetOptions(TDXDrawOptions options) {
    if (initialized_) {
        // While up only these take effect at once; the rest wait for the next Initialize.
        const TDXDrawOptions now = Opt(doWaitVBlank) | Opt(doStretch) | Opt(doCenter);
        options_ = options;
        nowOptions_ = (nowOptions_ & ~now) | (options & now);
    } else {
        options_ = options;
        UpdateNowOptions();
    }
}

void TDXDraw::UpdateNowOptions() {
    TDXDrawOptions o = options_;
    if (!Has(o, doFullScreen))
        o &= ~(Opt(doNoWindowChange) | Opt(doAllowReboot) | Opt(doAllowPalette256) | Opt(doFlip));
    if (!Has(o, do3D))
        o &= ~(Opt(doDirectX7Mode) | Opt(doRetainedMode) | Opt(doHardware) | Opt(doSelectDriver) |
               Opt(doZBuffer));
    if (Has(o, doSystemMemory)) o &= ~Opt(doFlip);
    if (Has(o, doDirectX7Mode)) o &= ~Opt(doRetainedMode);
    o &= ~Opt(doHardware);
    nowOptions_ = o;
}

void TDXDraw::SetControlSize(int width, int height) {
    controlWidth_ = width;
    controlHeight_ = height;
    if (!AutoSize) return;
    if (initialized_ && !flipDriver_) {
        Notify(dxntFinalizeSurface);
        surfaceWidth_ = std::max(width, 1);
        surfaceHeight_ = std::max(height, 1);
        backSurface_->SetSize(surfaceWidth_, surfaceHeight_);
        Notify(dxntInitializeSurface);
        Notify(dxntSetSurfaceSize);
    } else if (!initialized_) {
        surfaceWidth_ = width;
        surfaceHeight_ = height;
    }
}

int TDXDraw::SurfaceWidth() const {
    return backSurface_ && backSurface_->Exists() ? backSurface_->Width() : surfaceWidth_;
}
int TDXDraw::SurfaceHeight() const {
    return backSurface_ && backSurface_->Exists() ? backSurface_->Height() : surfaceHeight_;
}

void TDXDraw::NotifyOne(size_t index, TDXDrawNotifyType type) {
    TDXDrawNotifyEvent cb = clients_[index].callback;
    if (cb) cb(*this, type);
}

void TDXDraw::Notify(TDXDrawNotifyType type) {
    // Last registered first; a client may unregister itself from its callback.
    for (size_t i = clients_.size(); i-- > 0;)
        if (i < clients_.size()) NotifyOne(i, type);
}

void TDXDraw::RegisterClient(void* client, TDXDrawNotifyEvent callback) {
    std::erase_if(clients_, [client](const Client& c) { return c.client == client; });
    clients_.push_back({client, std::move(callback)});
    size_t i = clients_.size() - 1;
    NotifyOne(i, dxntSetSurfaceSize);
    if (initialized_) {
        NotifyOne(i, dxntInitialize);
        if (surfacesInitialized_) NotifyOne(i, dxntInitializeSurface);
        if (!sendingInitialize_) NotifyOne(i, dxntRestore);
    }
}

void TDXDraw::UnregisterClient(void* client) {
    auto it = std::find_if(clients_.begin(), clients_.end(),
                           [client](const Client& c) { return c.client == client; });
    if (it == clients_.end()) return;
    Client c = *it;
    clients_.erase(it);
    if (initialized_ && c.callback) {
        if (surfacesInitialized_) c.callback(*this, dxntFinalizeSurface);
        c.callback(*this, dxntFinalize);
    }
}

void TDXDraw::Initialize() {
    calledInitialize_ = true;
    Finalize();
    if (!HasForm) throw EDXDrawError("Form not found");
    try {
        if (OnInitializing) OnInitializing(*this);
        updating_ = true;
        Notify(dxntInitializing);
        flipDriver_ = Has(nowOptions_, doFlip);
        const bool fullScreen = Has(nowOptions_, doFullScreen);
        if (fullScreen) {
            const int w = Display.Width(), h = Display.Height(), bits = Display.BitCount();
            // The desktop is scaled to, not switched: any valid request can be shown.
            if (w <= 0 || h <= 0)
                throw EDXDrawError("Display mode cannot be changed (" + std::to_string(w) + "x" +
                                   std::to_string(h) + " " + std::to_string(bits) + "bit)");
        }
        platform::Current().SetFullscreen(fullScreen);
        if (AutoSize) {
            surfaceWidth_ = controlWidth_;
            surfaceHeight_ = controlHeight_;
        }
        primarySurface_ = std::make_unique<TDirectDrawSurface>(this);
        primarySurface_->SetSize(controlWidth_, controlHeight_);
        backSurface_ = std::make_unique<TDirectDrawSurface>(this);
        backSurface_->SetSize(std::max(surfaceWidth_, 1), std::max(surfaceHeight_, 1));
        // Frames are composed at the flip, only where they changed.
        recorder_ = std::make_unique<TFrameRecorder>(*backSurface_);
        presentWhole_ = true;
        if (!backSurface_->Exists()) throw EDXDrawError("Surface cannot be made");
        backSurface_->Fill(0);
        updating_ = false;
        initialized_ = true;
    } catch (...) {
        updating_ = false;
        initialized_ = true; // let Finalize take down what was made
        try {
            Finalize();
        } catch (...) {
        }
        throw;
    }
    sendingInitialize_ = true;
    try {
        Notify(dxntSetSurfaceSize);
        if (OnInitialize) OnInitialize(*this);
        Notify(dxntInitialize);
        initializeNotified_ = true;
        if (OnInitializeSurface) OnInitializeSurface(*this);
        surfacesInitialized_ = true;
        Notify(dxntInitializeSurface);
        sendingInitialize_ = false;
        RestoreSurfaces();
    } catch (...) {
        sendingInitialize_ = false;
        throw;
    }
}

void TDXDraw::Finalize() {
    if (!initialized_) return;
    surfaceWidth_ = SurfaceWidth();
    surfaceHeight_ = SurfaceHeight();
    updating_ = true;
    std::exception_ptr failure;
    try {
        if (surfacesInitialized_) {
            surfacesInitialized_ = false;
            try {
                if (OnFinalizeSurface) OnFinalizeSurface(*this);
            } catch (...) {
                failure = std::current_exception();
            }
            Notify(dxntFinalizeSurface);
        }
        if (initializeNotified_) {
            initializeNotified_ = false;
            try {
                if (OnFinalize) OnFinalize(*this);
            } catch (...) {
                if (!failure) failure = std::current_exception();
            }
            Notify(dxntFinalize);
        }
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    initialized_ = false;
    UpdateNowOptions();
    recorder_.reset(); // before the surface it records
    primarySurface_.reset();
    backSurface_.reset();
    updating_ = false;
    if (failure) std::rethrow_exception(failure);
}

bool TDXDraw::RestoreSurfaces() {
    if (!primarySurface_ || !backSurface_) return false;
    bool ok = primarySurface_->Restore() && backSurface_->Restore();
    if (!ok) return false;
    primarySurface_->Fill(0);
    backSurface_->Fill(0);
    presentWhole_ = true;
    Notify(dxntRestore);
    if (OnRestoreSurface) OnRestoreSurface(*this);
    return !primarySurface_->IsLost() && !backSurface_->IsLost();
}

bool TDXDraw::CanDraw() {
    if (!initialized_ || updating_ || !backSurface_ || !backSurface_->Exists()) return false;
    if (primarySurface_->IsLost() || backSurface_->IsLost()) return RestoreSurfaces();
    return true;
}

void TDXDraw::Present(bool whole) {
    TDirectDrawSurface& back = *backSurface_;
    platform::Platform& window = platform::Current();
    const int w = back.Width(), h = back.Height();
    // Composed in the window's own pixels where it lends them, so presenting copies nothing.
    // Before the window replaces them (a size or mode change), the frame moves out whole; while
    // lending holds the window is not asked again.
    const bool holds = back.LentMemory() && window.LendingHolds();
    if (!holds) back.MoveOut();
    uint32_t* const lent = holds ? back.LentMemory() : window.LendFrame(w, h);
    if (lent && back.LentMemory() != lent) {
        back.MoveInto(lent); // the window may have shown another frame there
        presentWhole_ = true;
    }
    recorder_->Commit();
    const std::vector<TRect> changed = recorder_->TakeDamage();
    if (whole || presentWhole_) {
        if (lent)
            window.PresentLent(nullptr, 0);
        else
            window.Present(std::as_const(back).Pixels(), w, h, w * 4);
        presentWhole_ = false;
    } else if (!changed.empty()) {
        // Nothing at all when the frame is the one the window shows.
        rects_.clear();
        for (const TRect& r : changed)
            rects_.push_back({r.Left, r.Top, r.Width(), r.Height()});
        if (lent)
            window.PresentLent(rects_.data(), int(rects_.size()));
        else
            window.PresentRects(std::as_const(back).Pixels(), w, h, w * 4, rects_.data(),
                                int(rects_.size()));
    }
    ++flipCount_;
}

void TDXDraw::Flip() {
    if (!initialized_ || updating_ || !backSurface_) return;
    if (primarySurface_->IsLost() || backSurface_->IsLost()) {
        if (!RestoreSurfaces()) return;
    }
    // Full screen flips only while the form is the active window.
    if (flipDriver_ && !platform::Current().Active()) return;
    Present(false);
}

void TDXDraw::WindowShown() {
    if (AutoInitialize && !calledInitialize_) Initialize();
}

void TDXDraw::Paint() {
    if (initialized_ && !updating_ && backSurface_ && !backSurface_->IsLost()) Present(true);
}
