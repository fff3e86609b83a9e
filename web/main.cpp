// Entry point of rcpweb.exe: the command line, the LAN password, the pages'
// files from the resources, then the server until the console closes.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/startup_win32.h"
#include "history/history.h"
#include "ops/ops_host.h"
#include "web/web_args.h"
#include "web/web_machine_win32.h"
#include "web/web_password_win32.h"
#include "web/web_resource.h"
#include "web/web_server.h"
#include "web/web_timing_os.h"

namespace {

// rcpweb's messages are UTF-8; a console is switched to show them so.
class Console {
 public:
  Console() { SetConsoleOutputCP(CP_UTF8); }
  void Utf8(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
};

struct AssetEntry {
  const char* name;
  int id;
  const char* type;
};
constexpr AssetEntry kAssets[] = {
    {"index.html", IDR_WEB_INDEX_HTML, "text/html; charset=utf-8"},
    {"style.css", IDR_WEB_STYLE_CSS, "text/css; charset=utf-8"},
    {"app.js", IDR_WEB_APP_JS, "text/javascript; charset=utf-8"},
    {"api.js", IDR_WEB_API_JS, "text/javascript; charset=utf-8"},
    {"phonebook.js", IDR_WEB_PHONEBOOK_JS, "text/javascript; charset=utf-8"},
    {"settings.js", IDR_WEB_SETTINGS_JS, "text/javascript; charset=utf-8"},
    {"machine.js", IDR_WEB_MACHINE_JS, "text/javascript; charset=utf-8"},
    {"backups.js", IDR_WEB_BACKUPS_JS, "text/javascript; charset=utf-8"},
};

bool LoadAsset(const std::string& name, WebAsset& out) {
  for (const AssetEntry& a : kAssets) {
    if (name != a.name) continue;
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(a.id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    out.body.assign(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
    out.type = a.type;
    return true;
  }
  return false;
}

// A line from standard input; on a console without echo.
bool ReadSecretLine(Console& console, const std::string& prompt, std::string& line) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  const bool isConsole = GetConsoleMode(in, &mode) != FALSE;
  console.Utf8(prompt);
  if (isConsole) SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  if (isConsole) {
    SetConsoleMode(in, mode);
    console.Utf8("\n");
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return ok;
}

int SetPassword(Console& console) {
  std::string first, second;
  if (!ReadSecretLine(console, "Nova senha do painel no navegador: ", first) ||
      !ReadSecretLine(console, "Repita a senha: ", second)) {
    console.Utf8("Nenhuma senha foi lida; nada mudou.\n");
    return 1;
  }
  if (first != second) {
    console.Utf8("As duas senhas não são iguais; nada mudou.\n");
    return 1;
  }
  if (first.size() < kMinPasswordChars) {
    console.Utf8("A senha precisa de ao menos " + std::to_string(kMinPasswordChars) + " caracteres; nada mudou.\n");
    return 1;
  }
  if (!StorePassword(first)) {
    console.Utf8("A senha não pôde ser guardada em " + PasswordFilePath() + ".\n");
    return 4;
  }
  console.Utf8("Senha guardada. Inicie com: rcpweb --lan\n");
  return 0;
}

// This PC's name and IPv4 addresses: the names a browser on the LAN may use.
std::vector<std::string> ThisPcNames() {
  std::vector<std::string> names;
  char host[256] = {};
  if (gethostname(host, sizeof host) != 0) return names;
  names.push_back(host);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) == 0) {
    for (addrinfo* a = found; a; a = a->ai_next) {
      auto* in = reinterpret_cast<sockaddr_in*>(a->ai_addr);
      if (const char* text = inet_ntoa(in->sin_addr)) names.push_back(text);
    }
    freeaddrinfo(found);
  }
  return names;
}

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  Console console;
  KeepEveryReading();
  WebArgs args;
  std::string error;
  if (!ParseWebArgs(std::vector<std::string>(argv + 1, argv + argc), args, error)) {
    console.Utf8("rcpweb: " + error + "\nVeja rcpweb --help\n");
    return 1;
  }
  if (args.help) {
    console.Utf8(kWebHelp);
    return 0;
  }
  if (args.version) {
    console.Utf8("rcpweb 1.0\n");
    return 0;
  }
  if (args.setPassword) return SetPassword(console);
  if (args.lan && !PasswordStored()) {
    console.Utf8("rcpweb: o modo de rede precisa de uma senha. Defina-a antes com: rcpweb --set-password\n");
    return 1;
  }

  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  RemoveCurrentDirectoryFromDllSearch();

  static TimingOs timingOs(TheOs());
  InstallOs(&timingOs);
  Win32MachineJobs jobs(args.machinePort);
  WebOptions options;
  options.address = args.address;
  options.port = args.port;
  options.lan = args.lan;
  options.allowedHosts = AllowedHosts(args.address, args.port, args.lan ? ThisPcNames() : std::vector<std::string>{});
  options.checkPassword = CheckPassword;
  options.clock = NowSeconds;
  options.random = [](uint8_t* bytes, size_t count) { return SystemRandom(bytes, count); };
  options.asset = LoadAsset;
  options.fold = [](const std::string& utf8, bool* changed) { return TheOpsHost().FoldAccents(utf8, changed); };
  options.protocolSleeps = [] { return timingOs.SleptMs(); };
  WebServer server(options, jobs);
  if (!server.Bind()) {
    console.Utf8("rcpweb: não foi possível atender em " + args.address + ":" + std::to_string(args.port) +
                 " (o endereço está em uso ou não é deste PC).\n");
    return 2;
  }
  const std::string shown = args.address == "0.0.0.0" ? "localhost" : args.address;
  console.Utf8("rcpweb atende em http://" + shown + ":" + std::to_string(args.port) + "/" +
               (args.lan ? " (rede do escritório, com senha; HTTP sem criptografia)" : "") + "\n");
  server.Serve();
  return 0;
}
