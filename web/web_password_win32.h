// rcpweb's LAN password: a salted PBKDF2-SHA256 hash (Windows CNG) kept in
// the user's application-data folder; the password itself is never stored.
#pragma once

#include <string>

constexpr unsigned long kPasswordRounds = 200000;
constexpr size_t kMinPasswordChars = 8;

// "<application data>\Dalvenor\rcpweb-password.txt"; empty when unknown.
std::string PasswordFilePath();
bool PasswordStored();
// A fresh salt and the hash of `password`, written over any earlier one.
bool StorePassword(const std::string& password);
// Whether `password` hashes to the stored one.
bool CheckPassword(const std::string& password);
// Random bytes from the system's generator.
bool SystemRandom(unsigned char* bytes, size_t count);
