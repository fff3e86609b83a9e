#!/usr/bin/env python3
"""Writes contacts files shaped like the ones address books export, for the
contacts reader tests: Outlook and Google column sets in English and
Portuguese, vCards 2.1 (quoted-printable, charsets), 3.0 (folded lines) and
4.0 (tel URIs), with a BOM, in Windows-1252, and empty and broken files.

    make_contact_samples.py OUTDIR
"""
import os
import sys

OUTLOOK_EN = ["Title", "First Name", "Middle Name", "Last Name", "Suffix", "Company", "Department",
              "Job Title", "Business Street", "Business City", "Business Fax", "Business Phone",
              "Business Phone 2", "Home Fax", "Home Phone", "Mobile Phone", "Other Fax", "Notes",
              "E-mail Address"]

OUTLOOK_PT = ["Tratamento", "Nome", "Segundo nome", "Sobrenome", "Sufixo", "Empresa", "Departamento",
              "Cargo", "Rua comercial", "Cidade comercial", "Fax comercial", "Telefone comercial",
              "Telefone residencial", "Telefone celular", "Anotações", "Endereço de email"]

GOOGLE_OLD = ["Name", "Given Name", "Additional Name", "Family Name", "Nickname", "Notes",
              "Group Membership", "E-mail 1 - Type", "E-mail 1 - Value", "Phone 1 - Type", "Phone 1 - Value",
              "Phone 2 - Type", "Phone 2 - Value", "Organization 1 - Name"]

GOOGLE_NEW = ["First Name", "Middle Name", "Last Name", "Nickname", "Organization Name", "Labels",
              "Phone 1 - Label", "Phone 1 - Value", "Phone 2 - Label", "Phone 2 - Value"]


def csv_line(fields, sep=","):
    out = []
    for f in fields:
        if any(c in f for c in (sep, '"', "\r", "\n")):
            f = '"' + f.replace('"', '""') + '"'
        out.append(f)
    return sep.join(out) + "\r\n"


def row(header, **values):
    return [values.get(h, "") for h in header]


def outlook_en():
    h = OUTLOOK_EN
    lines = [csv_line(h)]
    lines.append(csv_line(row(h, **{"First Name": "João", "Last Name": "Conceição", "Company": "Conceição, Filhos & Cia",
                                    "Business Fax": "+55 (11) 5555-0101", "Business Phone": "+55 11 5555-0100",
                                    "Notes": 'Says "call first"\r\nsecond line'})))
    lines.append(csv_line(row(h, **{"First Name": "Ana", "Middle Name": "Maria", "Last Name": "Souza",
                                    "Business Phone": "(21) 3333-4444"})))
    lines.append(csv_line(row(h, **{"Company": "Padaria Pão Quente", "Home Phone": "3232-1010"})))
    lines.append(csv_line(row(h, **{"First Name": "Sem", "Last Name": "Telefone", "E-mail Address": "a@b.c"})))
    return "".join(lines).encode("cp1252")


def outlook_pt():
    h = OUTLOOK_PT
    lines = [csv_line(h, ";")]
    lines.append(csv_line(row(h, **{"Nome": "Márcia", "Sobrenome": "Götz", "Fax comercial": "011 4444-5555",
                                    "Telefone comercial": "011 4444-5550"}), ";"))
    lines.append(csv_line(row(h, **{"Nome": "Zé", "Sobrenome": "Ninguém", "Telefone celular": "+55 11 9 8888-7777",
                                    "Anotações": "um; dois"}), ";"))
    return b"\xef\xbb\xbf" + "".join(lines).encode("utf-8")


def google_old():
    h = GOOGLE_OLD
    lines = [csv_line(h)]
    lines.append(csv_line(row(h, **{"Name": "Françoise Ørsted-Łukasz", "Phone 1 - Type": "Mobile",
                                    "Phone 1 - Value": "+33 6 12 34 56 78", "Phone 2 - Type": "Work Fax",
                                    "Phone 2 - Value": "+33 1 40 00 00 01 ::: +33 1 40 00 00 02"})))
    lines.append(csv_line(row(h, **{"Name": "Loja 24h", "Phone 1 - Type": "Work",
                                    "Phone 1 - Value": "0800 123 4567,,99#"})))
    return "".join(lines).encode("utf-8")


def google_new():
    h = GOOGLE_NEW
    lines = [csv_line(h)]
    lines.append(csv_line(row(h, **{"First Name": "Beatriz", "Last Name": "Araújo", "Phone 1 - Label": "Mobile",
                                    "Phone 1 - Value": "(11) 97777-6666", "Phone 2 - Label": "Home Fax",
                                    "Phone 2 - Value": "(11) 2222-3333"})))
    lines.append(csv_line(row(h, **{"Organization Name": "Cartório Central", "Phone 1 - Label": "Work",
                                    "Phone 1 - Value": "*21#3000"})))
    return "".join(lines).encode("utf-8")


def chosen_column():
    return ("Contato,Linha direta,Fax do escritório\n"
            "Rui,1111-2222,3333-4444\n"
            "Lia,5555-6666,\n").encode("utf-8")


def many():
    lines = ["Name,Business Fax\r\n"] + [f"Contact {n},555{n:04d}\r\n" for n in range(1, 101)]
    return "".join(lines).encode("ascii")


def vcard21():
    return ("BEGIN:VCARD\r\n"
            "VERSION:2.1\r\n"
            "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Concei=E7=E3o;Jo=E3o;;;\r\n"
            "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Jo=E3o Concei=E7=E3o da Silva =\r\n"
            "Ara=FAjo\r\n"
            "TEL;WORK;VOICE:+55 11 5555-0100\r\n"
            "TEL;WORK;FAX:+55 11 5555-0101\r\n"
            "END:VCARD\r\n"
            "BEGIN:VCARD\r\n"
            "VERSION:2.1\r\n"
            "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=81vila;In=C3=AAs\r\n"
            "TEL;CELL;PREF:(11) 9 1234-5678\r\n"
            "TEL;HOME:(11) 3000-0000\r\n"
            "END:VCARD\r\n").encode("ascii")


def vcard30():
    return ("BEGIN:VCARD\r\n"
            "VERSION:3.0\r\n"
            "FN:Escritório Central\\, Matriz\r\n"
            "N:Central;Escritório;;;\r\n"
            "item1.TEL;TYPE=WORK,VOICE:+55 21 2222\r\n"
            " -1111\r\n"
            "TEL;TYPE=WORK;TYPE=FAX:+55 21 2222-1112\r\n"
            "NOTE:a very long note that was folded by the exporting program at seventy-fiv\r\n"
            " e octets\r\n"
            "END:VCARD\r\n"
            "BEGIN:VCARD\r\n"
            "VERSION:3.0\r\n"
            "N:Pereira;Luís;;;\r\n"
            "TEL;TYPE=HOME:2121-2121\r\n"
            "END:VCARD\r\n").encode("utf-8")


def vcard40():
    return ("BEGIN:VCARD\n"
            "VERSION:4.0\n"
            "FN:Øystein Ñúñez\n"
            "TEL;VALUE=uri;TYPE=\"voice,work\":tel:+47-22-00-00-00\n"
            "TEL;VALUE=uri;PREF=1;TYPE=\"fax,work\":tel:+47-22-00-00-01;ext=5\n"
            "END:VCARD\n").encode("utf-8")


SAMPLES = {
    "outlook_en_cp1252.csv": outlook_en,
    "outlook_pt_bom_semicolon.csv": outlook_pt,
    "google_old.csv": google_old,
    "google_new.csv": google_new,
    "chosen_column.csv": chosen_column,
    "hundred.csv": many,
    "vcard21_qp.vcf": vcard21,
    "vcard30_folded.vcf": vcard30,
    "vcard40_uri.vcf": vcard40,
    "empty.csv": lambda: b"",
    "blank.csv": lambda: b"\r\n  \r\n",
    "unterminated_quote.csv": lambda: b'Name,Fax\r\n"Ana,5551234\r\n',
    "header_only.csv": lambda: b"Name,Business Fax\r\n",
    "no_columns.csv": lambda: b"Foo,Bar\r\n1,2\r\n",
    "no_number_column.csv": lambda: b"Name,Ramal\r\nAna,12\r\n",
    "unterminated.vcf": lambda: b"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ana\r\nTEL:5551234\r\n",
    "garbage_before_card.vcf": lambda: b"BEGIN:VCARD\r\nEND:VCARD\r\nhello\r\n",
    "utf16.csv": lambda: "\ufeffName,Fax\r\nÉlise,5550001\r\n".encode("utf-16-le"),
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, make in SAMPLES.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
