// Backup file names (see backup_names.h).
#include "ops/backup_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

const char* Stem(BackupKind kind) { return kind == BackupKind::Phonebook ? "Diretorio-" : "Configuracoes-"; }
const char* Extension(BackupKind kind) { return kind == BackupKind::Phonebook ? ".PBF" : ".STF"; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

bool Digits(const std::string& s, size_t at, size_t n, int& value) {
  if (at + n > s.size()) return false;
  value = 0;
  for (size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

}  // namespace

std::string BackupFileName(BackupKind kind, const BackupStamp& s) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%04d%02d%02d-%02d%02d%02d-%03d%s", Stem(kind), s.year, s.month, s.day,
                s.hour, s.minute, s.second, s.millisecond, Extension(kind));
  return name;
}

bool ParseBackupFileName(const std::string& name, BackupKind kind, BackupStamp* stamp) {
  const std::string stem = Stem(kind);
  // stem, 8 digits, '-', 6 digits, '-', 3 digits, extension
  if (name.size() != stem.size() + 19 + 4) return false;
  if (!SameIgnoringCase(name.substr(0, stem.size()), stem)) return false;
  if (!SameIgnoringCase(name.substr(name.size() - 4), Extension(kind))) return false;
  const size_t at = stem.size();
  BackupStamp s;
  if (!Digits(name, at, 4, s.year) || !Digits(name, at + 4, 2, s.month) || !Digits(name, at + 6, 2, s.day) ||
      name[at + 8] != '-' || !Digits(name, at + 9, 2, s.hour) || !Digits(name, at + 11, 2, s.minute) ||
      !Digits(name, at + 13, 2, s.second) || name[at + 15] != '-' || !Digits(name, at + 16, 3, s.millisecond))
    return false;
  if (s.month < 1 || s.month > 12 || s.day < 1 || s.day > 31 || s.hour > 23 || s.minute > 59 || s.second > 59)
    return false;
  if (stamp) *stamp = s;
  return true;
}

std::vector<std::string> BackupsNewestFirst(const std::vector<std::string>& names, BackupKind kind) {
  std::vector<std::string> ours;
  for (const std::string& n : names)
    if (ParseBackupFileName(n, kind)) ours.push_back(n);
  // Same stem and width: the digits sort by time; case is not part of it.
  std::sort(ours.begin(), ours.end(), [](const std::string& a, const std::string& b) {
    return a.substr(a.find('-')) > b.substr(b.find('-'));
  });
  return ours;
}

std::vector<std::string> BackupsToRemove(const std::vector<std::string>& names, BackupKind kind,
                                         const std::string& justWritten, size_t keep) {
  std::vector<std::string> ours = BackupsNewestFirst(names, kind);
  const auto written = std::find(ours.begin(), ours.end(), justWritten);
  if (written != ours.end()) {
    ours.erase(written);
    if (keep > 0) --keep;
  }
  if (ours.size() <= keep) return {};
  return std::vector<std::string>(ours.begin() + static_cast<std::ptrdiff_t>(keep), ours.end());
}

std::string BackupStampText(const BackupStamp& s) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", s.day, s.month, s.year, s.hour, s.minute,
                s.second);
  return text;
}
