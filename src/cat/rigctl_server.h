// The rigctld-compatible TCP endpoint: station software that speaks
// Hamlib's network protocol (rig model 2, "NET rigctl") connects here.
// Reads are answered at once from the app's snapshot of the radio state;
// sets go to the app as requests for the main loop, never to the radio
// directly, and there is no pass-through of raw radio commands. The server
// runs in the window system's event loop, so it serves clients only while
// the program yields, like every other event handler.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cat/rig_control.h"
#include "cat/rigctl_protocol.h"

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace tolvane::cat {

class RigctlServer {
  public:
    explicit RigctlServer(RigControl& rig);
    ~RigctlServer();
    RigctlServer(const RigctlServer&) = delete;
    RigctlServer& operator=(const RigctlServer&) = delete;

    // Listens on `address` ("127.0.0.1", "::1", "localhost", "0.0.0.0", "::"
    // or a host address of this machine) and `port` (0: any free port, for
    // tests). Clients from a loopback address are always accepted; others
    // only when their address is in `allowedHosts` (an address, or a subnet
    // such as "192.168.1.0/24"). False, with errorString(), when the address
    // is no address or cannot be listened on; a server already listening is
    // closed first.
    bool listen(const std::string& address, int port, std::vector<std::string> allowedHosts = {});
    // Stops listening and closes every client.
    void close();
    bool isListening() const;
    int port() const;
    const std::string& errorString() const { return error_; }

    // True when a client from `peer` (a numeric address) may connect: any
    // loopback address, or one that `allowedHosts` names or covers.
    static bool peerAllowed(const std::string& peer, const std::vector<std::string>& allowedHosts);

    // Connected clients.
    std::size_t clientCount() const { return clients_.size(); }
    // Clients turned away at connection (not allowed, too many) since start.
    std::size_t refusedCount() const { return refused_; }

    // Closes clients that have been silent too long: one that never
    // completed a line within kSilentLimit, one whose unfinished line has
    // waited kSilentLimit, and any that has sent nothing for kIdleLimit.
    // A timer runs it every second; tests call it with their own clock.
    void sweep();
    // Seconds on a steady clock; tests replace it.
    std::function<double()> now;

    // A line longer than this is answered "RPRT -1" and skipped to its end.
    static constexpr std::size_t kMaxLine = 1024;
    // Clients served at once; further connections are closed at once.
    static constexpr std::size_t kMaxClients = 16;
    // A client that leaves more than this unread is closed.
    static constexpr long long kMaxUnread = 64 * 1024;
    static constexpr double kSilentLimit = 30.0;
    static constexpr double kIdleLimit = 3600.0;

  private:
    struct Client;
    void accept();
    bool allowed(QTcpSocket& socket) const;
    void receive(Client& client);
    // False when the client is gone afterwards.
    bool serve(Client& client, const std::string& line);
    bool write(Client& client, const std::string& text);
    void drop(QTcpSocket* socket);

    RigControl& rig_;
    std::unique_ptr<QTcpServer> server_;
    std::unique_ptr<QTimer> sweepTimer_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::vector<std::string> allowedHosts_;
    std::string error_;
    std::size_t refused_ = 0;
};

}  // namespace tolvane::cat
