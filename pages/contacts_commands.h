// The main window's contacts commands: "Importar contatos..." and
// "Exportar contatos...". Both do nothing unless the phonebook page is the
// active page. Import asks for a CSV or vCard file, shows what it would do
// and, after OK, fills the table and the list; nothing goes to the machine
// until "Gravação". Export writes the entries as CSV or, for a name ending in
// .vcf, as vCard.
#pragma once

void OnImportContacts();
void OnExportContacts();
