// rcpweb's command line (see web_args.h).
#include "web/web_args.h"

#include <cstdlib>

const char kWebHelp[] =
    "rcpweb - painel da Quillmark K40 no navegador\n"
    "\n"
    "  rcpweb [--port usb|lpt1|ecp] [--listen ENDEREÇO:PORTA] [--lan]\n"
    "  rcpweb --set-password\n"
    "\n"
    "  --listen   onde atender (padrão 127.0.0.1:8640; só este PC)\n"
    "  --lan      atende a rede do escritório, com senha (padrão 0.0.0.0:8640).\n"
    "             A senha é definida antes com --set-password. O tráfego é HTTP\n"
    "             sem criptografia: use só em uma rede em que você confia.\n"
    "  --port     usa esta porta da máquina, sem procurar\n";

bool ParseListen(const std::string& text, std::string& address, int& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size() || colon + 6 < text.size()) return false;
  const std::string host = text.substr(0, colon), digits = text.substr(colon + 1);
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  const int p = std::atoi(digits.c_str());
  if (p < 1 || p > 65535) return false;
  // Four dotted numbers of 0..255.
  int parts = 0;
  size_t at = 0;
  while (at <= host.size()) {
    size_t dot = host.find('.', at);
    if (dot == std::string::npos) dot = host.size();
    const std::string part = host.substr(at, dot - at);
    if (part.empty() || part.size() > 3) return false;
    for (char c : part)
      if (c < '0' || c > '9') return false;
    if (std::atoi(part.c_str()) > 255) return false;
    ++parts;
    at = dot + 1;
  }
  if (parts != 4) return false;
  address = host;
  port = p;
  return true;
}

bool ParseWebArgs(const std::vector<std::string>& args, WebArgs& out, std::string& error) {
  bool listenGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--help" || a == "-h" || a == "/?") {
      out.help = true;
    } else if (a == "--version") {
      out.version = true;
    } else if (a == "--set-password") {
      out.setPassword = true;
    } else if (a == "--lan") {
      out.lan = true;
    } else if (a == "--listen") {
      if (!hasValue || !ParseListen(args[++i], out.address, out.port)) {
        error = "--listen espera ENDEREÇO:PORTA, por exemplo 127.0.0.1:8640";
        return false;
      }
      listenGiven = true;
    } else if (a == "--port") {
      const std::string v = hasValue ? args[++i] : "";
      if (v == "usb") out.machinePort = PortKind::Usb;
      else if (v == "lpt1") out.machinePort = PortKind::Lpt1;
      else if (v == "ecp" || v == "ecp1") out.machinePort = PortKind::Ecp1;
      else {
        error = "--port espera usb, lpt1 ou ecp";
        return false;
      }
    } else {
      error = "opção desconhecida: " + a;
      return false;
    }
  }
  if (out.lan && !listenGiven) out.address = "0.0.0.0";
  // Without --lan only this PC may connect.
  if (!out.lan && out.address.rfind("127.", 0) != 0) {
    error = "para atender a rede use --lan (com senha); sem ele só 127.x.x.x";
    return false;
  }
  return true;
}

std::vector<std::string> AllowedHosts(const std::string& address, int port, const std::vector<std::string>& extra) {
  const std::string p = ":" + std::to_string(port);
  std::vector<std::string> hosts;
  if (address != "0.0.0.0") hosts.push_back(address + p);
  if (address.rfind("127.", 0) == 0 || address == "0.0.0.0") {
    hosts.push_back("localhost" + p);
    hosts.push_back("127.0.0.1" + p);
  }
  for (const std::string& e : extra) hosts.push_back(e + p);
  return hosts;
}
