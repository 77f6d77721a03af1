#pragma once
// The host software: the socket server and the outputs that show its keyboard state, wired
// together, started together, and stopped server first so that no client drives a device
// while the outputs hand it back. corvane-host and the tests build it the same way; main()
// only reads the command line.
#include "HostServer.h"
#include "Output.h"
#include "StatusServer.h"

#include <memory>
#include <string>
#include <vector>

namespace hostsim {

class Host {
  public:
    // Listens at `socketPath` once started; `log` gets the lines a player may need (a
    // connection dropped for a malformed message, keys ignored, clients kept waiting), from
    // the server's threads.
    Host(std::string socketPath, LogSink log);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Before start(): every message, change and client count reaches the output.
    void addOutput(std::unique_ptr<Output> output);
    // Listens, opens the status channel beside the socket (the host goes on without it,
    // saying why in the log), then starts every output. False, with the reason in *error, when the
    // socket cannot be had (another host listens there, the folder or socket is not the user's);
    // nothing is started then.
    bool start(std::string* error = nullptr);
    // Safe to repeat, and after a start that failed.
    void stop();

    HostServer& server() { return server_; }
    // One JSON line: {"connections":N} with each output's own figures as further members.
    std::string statsJson() const;
    // The status channel's reply: the socket, the clients connected, and each output's part.
    std::string statusJson() const;
    const hoststatus::StatusServer& status() const { return status_; }
    const std::string& statusPath() const { return status_.path(); }

  private:
    HostServer server_;
    LogSink log_;
    std::vector<std::unique_ptr<Output>> outputs_;
    hoststatus::StatusServer status_;
};

// `text` as a JSON string, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string jsonString(const std::string& text);
// `text` for a JSON document; bytes that are not UTF-8 become U+FFFD.
std::wstring wideText(const std::string& text);

} // namespace hostsim
