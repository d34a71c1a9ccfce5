// Harness.h -- the deterministic driver: the real game on the headless backend, advanced
// frame by frame (16 ms each) by a script of input events, checks and screenshots.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "platform/headless/HeadlessPlatform.h"

class TmainForm;
struct HarnessJson;

class THarness {
  public:
    struct Options {
        uint32_t seed = 1;
        std::string workdir; // created when missing; "" = the current directory
        bool audio = true;   // false: as on a machine without a sound device
        bool focused = true; // false: the window opens while another one keeps the focus
    };
    explicit THarness(const Options& options);
    ~THarness();
    THarness(const THarness&) = delete;
    THarness& operator=(const THarness&) = delete;

    // Runs one script line; false (with Error()) on a bad line or a failed expect.
    bool RunLine(const std::string& line);
    // Runs every line; stops at the first failure. State lines go to `out`.
    bool RunScript(std::istream& script, std::ostream& out);
    void Frames(int count);

    // The state as one line of JSON. `consume` empties the since-last-state lists.
    std::string StateJson(bool consume);
    // The value of a dotted field path as it prints in the JSON ("null" when absent).
    std::string Field(const std::string& path);
    bool WriteShot(const std::string& pngPath);

    platform::HeadlessPlatform& Platform() { return platform_; }
    TmainForm& Form() { return *form_; }
    const std::string& Error() const { return error_; }
    bool Ended() const; // the window has closed, or an error ended the run
    // The message of the error that ended the run (also shown in a message box), "" if none.
    const std::string& FatalError() const { return fatal_; }

  private:
    HarnessJson State(bool consume); // the state as a tree; StateJson prints it
    void Fatal(const std::string& message);
    platform::HeadlessPlatform platform_;
    std::unique_ptr<TmainForm> form_;
    std::string error_;
    std::string fatal_;
    std::string oldCwd_;
    std::ostream* out_ = nullptr;
    size_t messagesSeen_ = 0, urlsSeen_ = 0;
    int mouseX_ = 0, mouseY_ = 0;
    bool exitLinkOpened_ = false;
};
