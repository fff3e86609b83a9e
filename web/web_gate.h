// The one gate every request to rcpweb passes before any handler runs: the
// Host header (against DNS rebinding), a same-origin Origin and the CSRF
// token on every change, the session of a logged-in browser, and the
// lock-out of an address after repeated failed logins. Portable: the clock
// and the random bytes come from outside.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// "Host" must name one of these exactly (a port may be left out when it is 80).
bool HostAllowed(const std::string& host, const std::vector<std::string>& allowed);
// A change must come from a page of this server: its Origin is
// "http://" + the request's own (allowed) Host.
bool SameOrigin(const std::string& origin, const std::string& host);
// Compares without stopping at the first difference.
bool SameSecret(const std::string& a, const std::string& b);

struct GateLimits {
  int64_t idleSeconds = 15 * 60;   // a session unused this long ends
  int failuresBeforeLockout = 5;   // failed logins from one address...
  int64_t failureWindowSeconds = 15 * 60;  // ...within this time...
  int64_t lockoutSeconds = 15 * 60;  // ...lock it out this long
  size_t maxSessions = 256;
};

class SessionStore {
 public:
  using Clock = std::function<int64_t()>;                    // seconds
  using RandomBytes = std::function<bool(uint8_t*, size_t)>;  // the OS's random source

  SessionStore(Clock clock, RandomBytes random, GateLimits limits = {});

  struct Session {
    std::string token;  // the CSRF token the page sends back
    bool loggedIn = false;
    int64_t lastUse = 0;
  };
  // A new session (the cookie's value); empty when no random bytes came.
  std::string Open(bool loggedIn);
  // The session of this cookie value, its idle time renewed; false when
  // there is none or it expired (then it is gone).
  bool Find(const std::string& id, Session& out);
  void Close(const std::string& id);

  // Whether `address` may try a password now; seconds left when not.
  bool MayTry(const std::string& address, int64_t* secondsLeft = nullptr);
  // A failed try; returns true when this one locked the address out.
  bool Failed(const std::string& address);
  void Succeeded(const std::string& address);

 private:
  std::string RandomHex(size_t bytes);
  void DropExpired(int64_t now);

  struct Tries {
    std::vector<int64_t> failures;
    int64_t lockedUntil = 0;
  };
  Clock clock_;
  RandomBytes random_;
  GateLimits limits_;
  std::mutex mutex_;
  std::map<std::string, Session> sessions_;
  std::map<std::string, Tries> tries_;
};
