// HeadlessPlatform.cpp -- the in-memory backend.
#include "platform/headless/HeadlessPlatform.h"

#include "platform/text/TtfText.h"

#include <cstring>

namespace platform {

HeadlessPlatform::HeadlessPlatform() {
    error_.clear();
}

void HeadlessPlatform::Push(const Event& event) {
    events_.push_back(event);
}

void HeadlessPlatform::SetFocus(bool active) {
    if (active == active_) return;
    active_ = active;
    if (active) minimized_ = false;
    Event e;
    e.kind = active ? EventKind::FocusGained : EventKind::FocusLost;
    events_.push_back(e);
}

void HeadlessPlatform::RenderAudio(int16_t* out, int frames) {
    if (audio_)
        audio_(out, frames);
    else
        std::memset(out, 0, sizeof(int16_t) * 2 * frames);
}

bool HeadlessPlatform::OpenWindow(const std::string& t, int width, int height) {
    if (!hasDisplay) {
        error_ = "no display available";
        return false;
    }
    windowOpen = true;
    title = t;
    placement_.width = width;
    placement_.height = height;
    return true;
}

void HeadlessPlatform::MinimizeWindow() {
    if (minimized_) return;
    minimized_ = true;
    Event e;
    e.kind = EventKind::Minimized;
    events_.push_back(e);
    // A minimised window has lost the focus, as on a desktop.
    SetFocus(false);
}

bool HeadlessPlatform::GetPlacement(WindowPlacement& out) {
    if (!windowOpen) return false;
    out = placement_;
    return true;
}

void HeadlessPlatform::Present(const uint32_t* pixels, int width, int height, int pitch) {
    frameWidth = width;
    frameHeight = height;
    lastFrame.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(&lastFrame[size_t(y) * width],
                    reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * pitch,
                    sizeof(uint32_t) * width);
    ++presents;
    pixelsPresented += uint64_t(width) * height;
    pixelsCopied += uint64_t(width) * height;
}

void HeadlessPlatform::PresentRects(const uint32_t* pixels, int width, int height, int pitch,
                                    const Rect* rects, int count) {
    if (width != frameWidth || height != frameHeight) return Present(pixels, width, height, pitch);
    for (int i = 0; i < count; ++i) {
        const Rect& r = rects[i];
        for (int y = r.y; y < r.y + r.h; ++y)
            std::memcpy(&lastFrame[size_t(y) * width + r.x],
                        reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * pitch +
                            4 * size_t(r.x),
                        sizeof(uint32_t) * r.w);
        pixelsPresented += uint64_t(r.w) * r.h;
        pixelsCopied += uint64_t(r.w) * r.h;
    }
    ++presents;
}

uint32_t* HeadlessPlatform::LendFrame(int width, int height) {
    if (!lendsPixels || fullscreen_) return nullptr;
    if (replacing_ || width != frameWidth || height != frameHeight) {
        // New memory, the old freed at once: a caller still drawing there is caught.
        lastFrame = std::vector<uint32_t>(size_t(width) * height);
        frameWidth = width;
        frameHeight = height;
        replacing_ = false;
    }
    return lastFrame.data();
}

void HeadlessPlatform::PresentLent(const Rect* rects, int count) {
    if (count == 0) pixelsPresented += uint64_t(frameWidth) * frameHeight;
    for (int i = 0; i < count; ++i)
        pixelsPresented += uint64_t(rects[i].w) * rects[i].h;
    ++presents;
}

bool HeadlessPlatform::PollEvent(Event& event) {
    if (events_.empty()) return false;
    event = events_.front();
    events_.pop_front();
    return true;
}

void HeadlessPlatform::GetKeyboardState(uint8_t keys[256]) {
    std::memcpy(keys, keys_, 256);
}

void HeadlessPlatform::PlugJoystick(bool attached) {
    if (attached == joystickAttached_) return;
    joystickAttached_ = attached;
    ++joystickGeneration_;
}

bool HeadlessPlatform::GetJoystick(int index, JoystickState& out) {
    if (!joystickAttached_ || index != 0) return false;
    out = joystick;
    return true;
}

bool HeadlessPlatform::OpenAudio(int frequency, AudioCallback callback) {
    if (!hasAudio) {
        error_ = "no audio device";
        return false;
    }
    frequency_ = frequency;
    audio_ = std::move(callback);
    return true;
}

void HeadlessPlatform::ShowMessage(const std::string&, const std::string& text) {
    messages.push_back(text);
}

// Screenshots show the real typeface, as the players see it.
TextRenderer& HeadlessPlatform::Text() {
    return SharedTtfText();
}

} // namespace platform
