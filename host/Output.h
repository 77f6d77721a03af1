#pragma once
// Where the host shows its keyboard state: the virtual keyboard (JSON lines, pictures, a
// window) or real devices. The server calls every output on its own thread, so an output
// only takes note and does any slow work on a thread of its own.
#include "HostMessage.h"
#include "KeyboardState.h"

#include <functional>
#include <string>
#include <utility>

class JSONValue;

namespace hostsim {

class Output {
  public:
    virtual ~Output() = default;
    // The server listens: the output may begin its own work.
    virtual void start() {}
    // Every message, in arrival order, after it was applied to the state.
    virtual void message(const Message&) {}
    // A batch of messages was applied; the state is read through the output's StateSource.
    virtual void changed() {}
    // The number of connected clients changed; 0 means nobody drives the keyboard now.
    virtual void clientsChanged(int /*connected*/) {}
    // Ends the output's work and hands every device back as it was found. Safe to repeat.
    virtual void stop() {}
    // What the output reports on "stats": one JSON member ("name":value), or empty.
    virtual std::string statsMember() const { return {}; }
    // What `corvane-host --status` tells of this output: its name appended to the document's
    // "outputs" and any member of its own. Called on the status channel's thread.
    virtual void status(JSONValue& /*document*/) const {}
};

// The virtual keyboard's record: each lighting message as one JSON line.
class VirtualOutput : public Output {
  public:
    explicit VirtualOutput(std::function<void(const std::string&)> writeLine)
        : writeLine_(std::move(writeLine)) {}
    void message(const Message& m) override { writeLine_(m.toJson()); }
    void status(JSONValue& document) const override;

  private:
    std::function<void(const std::string&)> writeLine_;
};

using StateSource = std::function<KeyboardState()>;
using LogSink = std::function<void(const std::string&)>;

} // namespace hostsim
