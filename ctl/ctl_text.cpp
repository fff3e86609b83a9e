// rcpctl's message table (see ctl_text.h).
#include "ctl/ctl_text.h"

namespace {

struct Pair {
  const char* pt;
  const char* en;
};

constexpr Pair kTexts[] = {
    // Help
    {"Uso: rcpctl [opções] VERBO\n"
     "\n"
     "Verbos:\n"
     "  info                      identificação, versões, memória livre e contadores\n"
     "  settings get ARQUIVO.STF  grava as configurações da máquina no arquivo\n"
     "  settings set ARQUIVO.STF  envia as configurações do arquivo à máquina\n"
     "  phonebook get ARQUIVO.PBF grava o diretório telefônico da máquina no arquivo\n"
     "  phonebook set ARQUIVO.PBF envia o diretório telefônico do arquivo à máquina\n"
     "  firmware IMAGEM           envia uma imagem de firmware e confere a nova versão\n"
     "  history                   uso por mês nos últimos 12 meses, das leituras guardadas\n"
     "\n"
     "Opções:\n"
     "  --port usb|lpt1|ecp       usa essa porta, sem procurar a máquina\n"
     "  --json                    saída de info ou history em JSON\n"
     "  --csv                     saída de history em CSV\n"
     "  --help, --version\n"
     "\n"
     "Códigos de saída:\n"
     "  0 concluído   1 argumento inválido   2 porta ocupada   3 a máquina não responde\n"
     "  4 erro de arquivo   5 falha na transferência   6 atualização não confirmada\n",
     "Usage: rcpctl [options] VERB\n"
     "\n"
     "Verbs:\n"
     "  info                      identity, versions, free memory and counters\n"
     "  settings get FILE.STF     saves the machine's settings to the file\n"
     "  settings set FILE.STF     sends the file's settings to the machine\n"
     "  phonebook get FILE.PBF    saves the machine's phonebook to the file\n"
     "  phonebook set FILE.PBF    sends the file's phonebook to the machine\n"
     "  firmware IMAGE            sends a firmware image and checks the new version\n"
     "  history                   use per month over the last 12 months, from the readings kept\n"
     "\n"
     "Options:\n"
     "  --port usb|lpt1|ecp       uses that port, without searching for the machine\n"
     "  --json                    info or history output as JSON\n"
     "  --csv                     history output as CSV\n"
     "  --help, --version\n"
     "\n"
     "Exit codes:\n"
     "  0 done   1 bad argument   2 port busy   3 the machine does not answer\n"
     "  4 file error   5 transfer failed   6 update not confirmed\n"},
    {"Falta o verbo.", "No verb given."},
    {"Verbo desconhecido: %s", "Unknown verb: %s"},
    {"Opção desconhecida: %s", "Unknown option: %s"},
    {"Falta o arquivo: %s", "File missing: %s"},
    {"Argumento a mais: %s", "Extra argument: %s"},
    {"Porta inválida: %s (usb, lpt1 ou ecp)", "Bad port: %s (usb, lpt1 or ecp)"},
    {"Formato de arquivo não suportado: %s (use .PBF ou .STF)",
     "File format not supported: %s (use .PBF or .STF)"},
    {"%s só vale para info e history.", "%s applies to info and history only."},
    {"%s só vale para history.", "%s applies to history only."},
    {"Escolha --json ou --csv, não os dois.", "Choose --json or --csv, not both."},
    {"Veja rcpctl --help.", "See rcpctl --help."},
    {"Porta está ocupada.", "The port is busy."},
    {"Não responde.", "The machine does not answer."},
    {"A porta USB não está disponível.", "The USB port is not available."},
    {"Não foi possível ler o arquivo: %s", "Cannot read the file: %s"},
    {"Não foi possível gravar o arquivo: %s", "Cannot write the file: %s"},
    {"Arquivo de diretório telefônico inválido: %s", "Not a phonebook file: %s"},
    {"Arquivo de configurações inválido: %s", "Not a settings file: %s"},
    {"Arquivo de configurações incompleto: falta %s", "Settings file incomplete: %s is missing"},
    {"Valor fora do permitido no arquivo de configurações: %s", "Value out of range in the settings file: %s"},
    {"Arquivo de firmware inválido: %s", "Not a firmware image: %s"},
    {"A máquina não aceitou os dados.", "The machine did not take the data."},
    {"Diretório telefônico gravado em %s.", "Phonebook saved to %s."},
    {"Diretório telefônico enviado à máquina.", "Phonebook sent to the machine."},
    {"Configurações gravadas em %s.", "Settings saved to %s."},
    {"Configurações enviadas à máquina.", "Settings sent to the machine."},
    {"Cópia de segurança do que a máquina tinha: %s", "Backup of what the machine held: %s"},
    {"A máquina guardou de outra forma as posições %s.", "The machine stored positions %s otherwise."},
    {"A máquina não respondeu à verificação do diretório telefônico.",
     "The machine did not answer the phonebook check."},
    {"Enviando %s...", "Sending %s..."},
    {"bytes transferidos", "bytes sent"},
    {"Gravação concluída. Não desligue até que a máquina seja inicializada.",
     "Written. Do not switch the machine off until it has restarted."},
    {"Falha ao gravar os dados.", "Writing the data failed."},
    {"Atualização concluída!", "Update complete!"},
    {"A máquina agora usa o firmware %s.", "The machine now runs firmware %s."},
    {"A máquina informa a mesma versão de firmware de antes: %s.",
     "The machine reports the same firmware version as before: %s."},
    {"Atenção: a máquina não respondeu depois de reiniciar: não foi possível confirmar a atualização.",
     "Warning: the machine did not answer after its restart: the update cannot be confirmed."},
    {"Atenção: a máquina usa o firmware %s, mas a versão anterior não foi lida: não foi possível confirmar a "
     "atualização.",
     "Warning: the machine runs firmware %s, but the version before was not read: the update cannot be "
     "confirmed."},
    {"Modelo", "Model"},
    {"Versão do firmware", "Firmware version"},
    {"Versão do motor de impressão", "Print engine version"},
    {"Versão da emulação 1", "Emulation 1 version"},
    {"Versão da emulação 2", "Emulation 2 version"},
    {"Número de série", "Serial number"},
    {"Identificação do terminal", "Terminal ID"},
    {"Memória livre", "Free memory"},
    {"Digitalizações no vidro", "Platen scans"},
    {"Digitalizações no ADF", "ADF scans"},
    {"Impressões", "Prints"},
    {"Contador do cilindro", "Drum count"},
    {"Atolamentos no ADF", "ADF jams"},
    {"Atolamentos de impressão", "Print jams"},
    {"Porta", "Port"},
    {"Nenhuma leitura guardada ainda: rcpctl info e o painel guardam uma a cada leitura da máquina.",
     "No readings kept yet: rcpctl info and the panel keep one each time they read the machine."},
    {"Número de série %s", "Serial number %s"},
    {"Última leitura: %s", "Last reading: %s"},
    {"Mês", "Month"},
    {"Impressões", "Prints"},
    {"Digitalizações", "Scans"},
    {"Atolamentos", "Jams"},
    {"Cilindro", "Drum"},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<size_t>(CtlMsg::Count), "one text pair per message");

}  // namespace

CtlLanguage CtlLanguageFromLangId(unsigned langId) {
  constexpr unsigned kPrimaryPortuguese = 0x16;
  return (langId & 0x3FF) == kPrimaryPortuguese ? CtlLanguage::Portuguese : CtlLanguage::English;
}

const char* CtlText(CtlMsg msg, CtlLanguage language) {
  const Pair& p = kTexts[static_cast<int>(msg)];
  return language == CtlLanguage::Portuguese ? p.pt : p.en;
}

std::string CtlFormat(CtlMsg msg, CtlLanguage language, const std::string& argument) {
  const std::string format = CtlText(msg, language);
  std::string out;
  const size_t at = format.find("%s");
  if (at == std::string::npos) return format;
  out = format.substr(0, at) + argument + format.substr(at + 2);
  return out;
}

CtlMsg UsageMessage(CtlUsageError error) {
  switch (error) {
    case CtlUsageError::UnknownVerb:
      return CtlMsg::UsageUnknownVerb;
    case CtlUsageError::UnknownOption:
      return CtlMsg::UsageUnknownOption;
    case CtlUsageError::MissingFile:
      return CtlMsg::UsageMissingFile;
    case CtlUsageError::ExtraArgument:
      return CtlMsg::UsageExtraArgument;
    case CtlUsageError::BadPort:
      return CtlMsg::UsageBadPort;
    case CtlUsageError::BadFormat:
      return CtlMsg::UsageBadFormat;
    case CtlUsageError::JsonNotHere:
      return CtlMsg::UsageJsonNotHere;
    case CtlUsageError::CsvNotHere:
      return CtlMsg::UsageCsvNotHere;
    case CtlUsageError::TwoFormats:
      return CtlMsg::UsageTwoFormats;
    default:
      return CtlMsg::UsageNoVerb;
  }
}
