// The rigctld endpoint: connections, line framing, limits and replies.
#include "cat/rigctl_server.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace tolvane::cat {

struct RigctlServer::Client {
    QTcpSocket* socket = nullptr;
    rigctl::Session session;
    std::string line;       // the unfinished line
    bool skipping = false;  // inside an over-long line, already answered
    bool spoke = false;     // has completed a line
    double since = 0;       // connected, or the last line completed
    double lineSince = 0;   // the unfinished line began
};

namespace {

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// A line of the protocol is printable ASCII with blanks and tabs; anything
// else is no command of a station program.
bool printable(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char ch) {
        auto c = static_cast<unsigned char>(ch);
        return c == '\t' || (c >= 0x20 && c < 0x7f);
    });
}

QHostAddress addressNamed(const std::string& text) {
    if (text == "localhost") return QHostAddress(QHostAddress::LocalHost);
    return QHostAddress(QString::fromStdString(text));
}

}  // namespace

RigctlServer::RigctlServer(RigControl& rig)
    : now(steadySeconds),
      rig_(rig),
      server_(std::make_unique<QTcpServer>()),
      sweepTimer_(std::make_unique<QTimer>()) {
    QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(),
                     [this] { accept(); });
    sweepTimer_->setInterval(1000);
    QObject::connect(sweepTimer_.get(), &QTimer::timeout, sweepTimer_.get(), [this] { sweep(); });
}

RigctlServer::~RigctlServer() {
    close();
}

bool RigctlServer::listen(const std::string& address, int port,
                          std::vector<std::string> allowedHosts) {
    close();
    error_.clear();
    QHostAddress host = addressNamed(address);
    if (host.isNull()) {
        error_ = "not an address: " + address;
        return false;
    }
    if (port < 0 || port > 65535) {
        error_ = "not a port: " + std::to_string(port);
        return false;
    }
    if (!server_->listen(host, static_cast<quint16>(port))) {
        error_ = server_->errorString().toStdString();
        return false;
    }
    allowedHosts_ = std::move(allowedHosts);
    sweepTimer_->start();
    return true;
}

void RigctlServer::close() {
    sweepTimer_->stop();
    server_->close();
    while (!clients_.empty()) drop(clients_.back()->socket);
}

bool RigctlServer::isListening() const {
    return server_->isListening();
}

int RigctlServer::port() const {
    return server_->serverPort();
}

bool RigctlServer::allowed(QTcpSocket& socket) const {
    return peerAllowed(socket.peerAddress().toString().toStdString(), allowedHosts_);
}

bool RigctlServer::peerAllowed(const std::string& address,
                               const std::vector<std::string>& allowedHosts) {
    QHostAddress peer(QString::fromStdString(address));
    if (peer.isNull()) return false;
    bool v4 = false;
    quint32 ip4 = peer.toIPv4Address(&v4);
    if (v4) peer = QHostAddress(ip4);  // ::ffff:a.b.c.d as a.b.c.d
    if (peer.isLoopback()) return true;
    for (const std::string& entry : allowedHosts) {
        QString text = QString::fromStdString(entry).trimmed();
        if (text.contains('/')) {
            auto subnet = QHostAddress::parseSubnet(text);
            if (!subnet.first.isNull() && peer.isInSubnet(subnet)) return true;
        } else if (QHostAddress(text).isEqual(peer, QHostAddress::ConvertV4MappedToIPv4)) {
            return true;
        }
    }
    return false;
}

void RigctlServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (!allowed(*socket) || clients_.size() >= kMaxClients) {
            // Turned away without a word: a host not on the list learns nothing.
            ++refused_;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto client = std::make_unique<Client>();
        client->socket = socket;
        client->since = now();
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(kMaxUnread);
        Client* c = client.get();
        clients_.push_back(std::move(client));
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, c] { receive(*c); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket,
                         [this, socket] { drop(socket); });
        QObject::connect(socket, &QTcpSocket::errorOccurred, socket,
                         [this, socket](QAbstractSocket::SocketError) { drop(socket); });
        if (socket->bytesAvailable() > 0) receive(*c);
    }
}

void RigctlServer::receive(Client& client) {
    QTcpSocket* socket = client.socket;
    while (socket->bytesAvailable() > 0) {
        char chunk[4096];
        qint64 n = socket->read(chunk, sizeof chunk);
        if (n <= 0) return;
        for (qint64 i = 0; i < n; ++i) {
            char ch = chunk[i];
            if (ch == '\n') {
                if (client.skipping) {
                    client.skipping = false;
                } else {
                    std::string line = std::move(client.line);
                    client.line.clear();
                    if (!serve(client, line)) return;  // the connection is closed
                }
                continue;
            }
            if (client.skipping) continue;
            if (client.line.empty()) client.lineSince = now();
            client.line += ch;
            if (client.line.size() > kMaxLine) {
                client.line.clear();
                client.skipping = true;
                if (!write(client, "RPRT -1\n")) return;
            }
        }
    }
}

bool RigctlServer::serve(Client& client, const std::string& raw) {
    client.spoke = true;
    client.since = now();
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!printable(line)) return write(client, "RPRT -1\n");
    rigctl::LineReply reply = rigctl::serveLine(line, client.session, rig_);
    if (!reply.text.empty() && !write(client, reply.text)) return false;
    if (!reply.close) return true;
    drop(client.socket);
    return false;
}

bool RigctlServer::write(Client& client, const std::string& text) {
    // One write per reply: some clients take a reply with a single read.
    client.socket->write(text.data(), static_cast<qint64>(text.size()));
    // Out now, not when the event loop next runs: a set's reply would
    // otherwise wait for the radio's pause after the command it queued.
    client.socket->flush();
    if (client.socket->bytesToWrite() <= kMaxUnread) return true;
    drop(client.socket);  // it does not read what it asked for
    return false;
}

void RigctlServer::drop(QTcpSocket* socket) {
    auto it = std::find_if(clients_.begin(), clients_.end(),
                           [&](const auto& c) { return c->socket == socket; });
    if (it == clients_.end()) return;
    clients_.erase(it);
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() > 0 &&
        socket->bytesToWrite() <= kMaxUnread) {
        // A goodbye ("q") still goes out before the connection closes.
        socket->flush();
        socket->disconnectFromHost();
    } else {
        socket->abort();
    }
    socket->deleteLater();
}

void RigctlServer::sweep() {
    double t = now();
    std::vector<QTcpSocket*> silent;
    for (const auto& c : clients_) {
        bool neverSpoke = !c->spoke && t - c->since > kSilentLimit;
        bool lineStalled = !c->line.empty() && t - c->lineSince > kSilentLimit;
        bool idle = t - c->since > kIdleLimit;
        if (neverSpoke || lineStalled || idle) silent.push_back(c->socket);
    }
    for (QTcpSocket* socket : silent) drop(socket);
}

}  // namespace tolvane::cat
