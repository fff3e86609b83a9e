// Contacts of other programs in and out of the phonebook table, with the
// platform's Unicode services: the main window's "Importar contatos..." and
// "Exportar contatos..." commands.
#pragma once

#include <string>

// A UTF-8 name with its accents taken off through the platform's canonical
// decomposition (the marks it splits off are dropped): "João" -> "Joao".
// Characters that do not decompose to ASCII stay as they are (UTF-8).
// `changed` is set when a mark was dropped.
std::string FoldAccents(const std::string& utf8, bool* changed);

// Both do nothing unless the phonebook page is the active page. Import asks
// for a CSV or vCard file, shows what it would do and, after OK, fills the
// table and the list; nothing goes to the machine until "Gravação". Export
// writes the entries as CSV or, for a name ending in .vcf, as vCard.
void OnImportContacts();
void OnExportContacts();
