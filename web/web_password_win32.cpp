// rcpweb's password file and the system's random source, through Windows CNG.
#include "web/web_password_win32.h"

#include <windows.h>
#include <bcrypt.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "web/web_gate.h"

namespace {

constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;

std::string Hex(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

bool FromHex(const std::string& text, std::vector<unsigned char>& out) {
  if (text.size() % 2) return false;
  out.clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    if (std::sscanf(text.c_str() + i, "%2x", &value) != 1) return false;
    out.push_back(static_cast<unsigned char>(value));
  }
  return true;
}

bool Derive(const std::string& password, const std::vector<unsigned char>& salt, unsigned long rounds,
            std::vector<unsigned char>& hash) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                  BCRYPT_ALG_HANDLE_HMAC_FLAG)))
    return false;
  hash.assign(kHashBytes, 0);
  const NTSTATUS status = BCryptDeriveKeyPBKDF2(
      algorithm, reinterpret_cast<PUCHAR>(const_cast<char*>(password.data())), static_cast<ULONG>(password.size()),
      const_cast<PUCHAR>(salt.data()), static_cast<ULONG>(salt.size()), rounds, hash.data(),
      static_cast<ULONG>(hash.size()), 0);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return BCRYPT_SUCCESS(status);
}

}  // namespace

bool SystemRandom(unsigned char* bytes, size_t count) {
  return BCRYPT_SUCCESS(
      BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

std::string PasswordFilePath() {
  char base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return {};
  std::string folder = std::string(base) + "\\Dalvenor";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\rcpweb-password.txt";
}

bool PasswordStored() {
  std::ifstream in(PasswordFilePath());
  std::string kind;
  return in >> kind && kind == "pbkdf2-sha256";
}

bool StorePassword(const std::string& password) {
  std::vector<unsigned char> salt(kSaltBytes), hash;
  if (!SystemRandom(salt.data(), salt.size()) || !Derive(password, salt, kPasswordRounds, hash)) return false;
  const std::string path = PasswordFilePath();
  if (path.empty()) return false;
  const std::string fresh = path + ".new";
  {
    std::ofstream out(fresh, std::ios::trunc);
    out << "pbkdf2-sha256 " << kPasswordRounds << ' ' << Hex(salt) << ' ' << Hex(hash) << '\n';
    if (!out.good()) return false;
  }
  return MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool CheckPassword(const std::string& password) {
  std::ifstream in(PasswordFilePath());
  std::string kind, saltHex, hashHex;
  unsigned long rounds = 0;
  if (!(in >> kind >> rounds >> saltHex >> hashHex) || kind != "pbkdf2-sha256" || rounds < 100000) return false;
  std::vector<unsigned char> salt, stored, hash;
  if (!FromHex(saltHex, salt) || !FromHex(hashHex, stored) || !Derive(password, salt, rounds, hash)) return false;
  return SameSecret(std::string(hash.begin(), hash.end()), std::string(stored.begin(), stored.end()));
}
