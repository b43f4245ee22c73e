#include "platform/play/play.h"

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/error.h"
#include "platform/play/enet_session.h"

namespace platform {

// --- settings --------------------------------------------------------------------------

NetworkSettings NetworkSettings::Defaults() {
  NetworkSettings n;
  if (const char* text = std::getenv("KWINTA_PORT")) {
    char* end = nullptr;
    const long port = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && port >= 0 && port <= 65535) {
      n.basePort = static_cast<uint16_t>(port);
    }
  }
  if (const char* address = std::getenv("KWINTA_BIND")) n.bindAddress = address;
  return n;
}

NetworkSettings NetworkSettings::Loopback() {
  NetworkSettings n;
  n.basePort = 0;
  n.bindAddress = "127.0.0.1";
  n.localSearchAddress = "127.0.0.1";
  return n;
}

// Never destroyed, as a session closing at the process's end reads it.
NetworkSettings& Network() {
  static auto* settings = new NetworkSettings(NetworkSettings::Defaults());
  return *settings;
}

// --- connection methods ----------------------------------------------------------------

std::string DirectPlayEnumConnections::GetName(int index) const {
  if (index < 1 || index > GetCount()) throw Error("no such connection method");
  return names_[index - 1];
}

std::string DirectPlayEnumConnections::GetAddress(int index) const {
  const std::string name = GetName(index);
  const bool internet =
      name.find("Internet") != std::string::npos || name.find("TCP/IP") != std::string::npos;
  return internet ? kInternetConnection : kLocalNetworkConnection;
}

std::shared_ptr<DirectPlaySessionData> DirectPlayEnumSessions::GetItem(int32_t index) const {
  if (index < 1 || index > GetCount()) throw Error("no such session");
  return items_[index - 1];
}

// --- DirectPlay4 ---------------------------------------------------------------------------

namespace {

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

}  // namespace

DirectPlay4::DirectPlay4() = default;

DirectPlay4::~DirectPlay4() {
  try {
    Close();
  } catch (const Error&) {
  }
}

std::shared_ptr<DirectPlayEnumConnections> DirectPlay4::GetDPEnumConnections(
    const std::string& /*guid*/, int /*flags*/) {
  return std::make_shared<DirectPlayEnumConnections>(backend().ConnectionMethods());
}

void DirectPlay4::InitializeConnection(const std::string& address) {
  if (method_ != Method::None) throw Error("the connection method is set already");
  if (address == kInternetConnection) {
    // The method's own dialog: where the host is; empty for the local network.
    searchAddress_ = Trim(backend().PromptText(kAddressPromptTitle, kAddressPrompt));
    method_ = Method::Internet;
  } else if (address == kLocalNetworkConnection) {
    searchAddress_.clear();
    method_ = Method::LocalNetwork;
  } else {
    throw Error("not a connection address");
  }
}

std::shared_ptr<DirectPlaySessionData> DirectPlay4::CreateSessionData() {
  return std::make_shared<DirectPlaySessionData>();
}

std::shared_ptr<DirectPlayEnumSessions> DirectPlay4::GetDPEnumSessions(
    const std::shared_ptr<DirectPlaySessionData>& desc, int32_t timeout, int flags) {
  if (method_ == Method::None) throw Error("no connection method is set");
  if (!desc) throw Error("no session description");
  const int32_t wait = timeout > 0 ? timeout : Network().searchTimeoutMs;
  std::vector<std::shared_ptr<DirectPlaySessionData>> items;
  for (const net::FoundSession& f : net::Search(searchAddress_, desc->guid_, wait)) {
    const bool full = f.maxPlayers > 0 && f.currentPlayers >= f.maxPlayers;
    if ((flags & DPENUMSESSIONS_ALL) == 0 && (flags & DPENUMSESSIONS_AVAILABLE) != 0 && full) {
      continue;
    }
    auto item = std::make_shared<DirectPlaySessionData>();
    item->guid_ = f.guid;
    item->password_ = desc->password_;
    item->name_ = f.name;
    item->currentPlayers_ = f.currentPlayers;
    item->maxPlayers_ = f.maxPlayers;
    item->flags_ = f.flags;
    item->hostAddress_ = f.address;
    item->hostPort_ = f.port;
    item->instance_ = f.instance;
    items.push_back(item);
  }
  return std::make_shared<DirectPlayEnumSessions>(std::move(items));
}

void DirectPlay4::Open(const std::shared_ptr<DirectPlaySessionData>& desc, int flags) {
  if (method_ == Method::None) throw Error("no connection method is set");
  if (!desc) throw Error("no session description");
  if (link_) throw Error("a session is open already");
  if (flags == DPOPEN_CREATE) {
    net::HostedDescription hosted;
    hosted.guid = desc->guid_;
    hosted.password = desc->password_;
    hosted.name = desc->name_;
    hosted.maxPlayers = desc->maxPlayers_;
    hosted.flags = desc->flags_;
    session_ = net::EnetSession::Host(hosted);
    desc->instance_ = session_->Instance();
    desc->hostPort_ = session_->Port();
  } else if (flags == DPOPEN_JOIN) {
    if (desc->hostAddress_.empty()) throw Error("the description names no session to join");
    session_ = net::EnetSession::Join(desc->hostAddress_, desc->hostPort_, desc->instance_,
                                      desc->guid_, desc->password_);
  } else {
    throw Error("Open takes DPOPEN_CREATE or DPOPEN_JOIN");
  }
  link_ = session_;
}

int32_t DirectPlay4::CreatePlayer(const std::string& friendlyName, const std::string& formalName,
                                  int64_t /*event*/, int /*flags*/) {
  if (session_) return session_->CreatePlayer(friendlyName, formalName);
  if (!link_) throw Error("no network session is open");
  // A link attached by a test: players are only numbered.
  localPlayers_.push_back(nextLocalId_);
  return nextLocalId_++;
}

void DirectPlay4::Close() {
  if (session_) session_->Close();
  session_.reset();
  link_.reset();
}

std::shared_ptr<DirectPlayMessage> DirectPlay4::CreateMessage() {
  return std::make_shared<DirectPlayMessage>();
}

SessionLink& DirectPlay4::Link() {
  if (!link_) throw Error("no network session is open");
  return *link_;
}

void DirectPlay4::Send(int32_t from, int32_t /*to*/, int /*flags*/,
                       const std::shared_ptr<DirectPlayMessage>& msg) {
  SessionLink& link = Link();
  if (!msg) throw Error("no message to send");
  link.SendFrom(from, msg->Encode());
}

int32_t DirectPlay4::GetMessageCount(int32_t /*player*/) {
  return Link().Waiting();
}

std::shared_ptr<DirectPlayMessage> DirectPlay4::Receive(int32_t& from, int32_t& to, int /*flags*/) {
  SessionLink& link = Link();
  if (link.Waiting() <= 0) throw Error("no message waiting");
  std::vector<uint8_t> bytes = link.Take();
  from = link.TakenFrom();
  to = session_ ? session_->FirstLocalPlayer() : 0;
  try {
    return std::make_shared<DirectPlayMessage>(DirectPlayMessage::Decode(bytes));
  } catch (const Error&) {
    // A malformed message still counts as taken: it reads as an empty one.
    return std::make_shared<DirectPlayMessage>();
  }
}

bool DirectPlay4::PeerGone() {
  return link_ && link_->PeerGone();
}

uint16_t DirectPlay4::SessionPort() const {
  return session_ && session_->IsHost() ? session_->Port() : 0;
}

void DirectPlay4::AttachLink(std::shared_ptr<SessionLink> link) {
  if (session_ && session_ != link) session_->Close();
  session_ = std::dynamic_pointer_cast<net::EnetSession>(link);
  link_ = std::move(link);
}

}  // namespace platform
