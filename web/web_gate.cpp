// rcpweb's gate (see web_gate.h).
#include "web/web_gate.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool HostAllowed(const std::string& host, const std::vector<std::string>& allowed) {
  const std::string h = Lower(host);
  if (h.empty()) return false;
  for (const std::string& a : allowed) {
    const std::string name = Lower(a);
    if (h == name) return true;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ":80") == 0 && h == name.substr(0, name.size() - 3))
      return true;
  }
  return false;
}

bool SameOrigin(const std::string& origin, const std::string& host) {
  return !origin.empty() && !host.empty() && Lower(origin) == "http://" + Lower(host);
}

bool SameSecret(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

SessionStore::SessionStore(Clock clock, RandomBytes random, GateLimits limits)
    : clock_(std::move(clock)), random_(std::move(random)), limits_(limits) {}

std::string SessionStore::RandomHex(size_t bytes) {
  std::vector<uint8_t> raw(bytes);
  if (!random_(raw.data(), raw.size())) return {};
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : raw) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

void SessionStore::DropExpired(int64_t now) {
  for (auto it = sessions_.begin(); it != sessions_.end();) {
    if (now - it->second.lastUse >= limits_.idleSeconds) it = sessions_.erase(it);
    else ++it;
  }
}

std::string SessionStore::Open(bool loggedIn) {
  Session session;
  const std::string id = RandomHex(32);
  session.token = RandomHex(32);
  if (id.empty() || session.token.empty()) return {};
  std::lock_guard<std::mutex> lock(mutex_);
  const int64_t now = clock_();
  DropExpired(now);
  // Too many open sessions: the one unused longest goes.
  if (sessions_.size() >= limits_.maxSessions) {
    auto oldest = std::min_element(sessions_.begin(), sessions_.end(), [](const auto& a, const auto& b) {
      return a.second.lastUse < b.second.lastUse;
    });
    sessions_.erase(oldest);
  }
  session.loggedIn = loggedIn;
  session.lastUse = now;
  sessions_[id] = session;
  return id;
}

bool SessionStore::Find(const std::string& id, Session& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return false;
  const int64_t now = clock_();
  if (now - it->second.lastUse >= limits_.idleSeconds) {
    sessions_.erase(it);
    return false;
  }
  it->second.lastUse = now;
  out = it->second;
  return true;
}

void SessionStore::Close(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  sessions_.erase(id);
}

bool SessionStore::MayTry(const std::string& address, int64_t* secondsLeft) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = tries_.find(address);
  const int64_t now = clock_();
  if (it == tries_.end() || it->second.lockedUntil <= now) return true;
  if (secondsLeft) *secondsLeft = it->second.lockedUntil - now;
  return false;
}

bool SessionStore::Failed(const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int64_t now = clock_();
  Tries& t = tries_[address];
  auto& f = t.failures;
  f.erase(std::remove_if(f.begin(), f.end(), [&](int64_t at) { return now - at >= limits_.failureWindowSeconds; }),
          f.end());
  f.push_back(now);
  if (static_cast<int>(f.size()) < limits_.failuresBeforeLockout) return false;
  f.clear();
  t.lockedUntil = now + limits_.lockoutSeconds;
  return true;
}

void SessionStore::Succeeded(const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  tries_.erase(address);
}
