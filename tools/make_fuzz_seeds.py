#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora: replies shaped like the machine's
(right frame, sizes and texts) played through each road, so the fuzzers start
from runs that reach the decoders.

    make_fuzz_seeds.py WORKDIR     -> WORKDIR/<target>/seeds/*, WORKDIR/<target>/corpus/

Each target reads its input as a stream (tests/fuzz/fuzz_stream.h): one byte
per write decision (0x80 and above: all accepted), a big-endian count and
that many bytes per read.
"""
import os
import sys

LEADER, CONTROL = 0x1B, 0xA4


def frame(size, command, block=0):
    reply = bytearray(size)
    reply[0:4] = bytes([LEADER, CONTROL, (size - 4) >> 8, (size - 4) & 0xFF])
    reply[4:10] = bytes([0x50, 0xE0, 0x82, command, block, 0])[: size - 4]
    return reply


def text(reply, at, width, value):
    raw = value.encode("ascii")[:width]
    reply[at:at + width] = raw + b" " * (width - len(raw))


def inquiry(mode=2):
    r = frame(43, 0xCD)
    text(r, 10, 32, "VELTRA QUILLMARK K40 SERIES")
    r[42] = mode
    return r


def system_info():
    r = frame(269, 0xC1, 0x40)
    text(r, 10, 32, "QUILLMARK K40")
    text(r, 42, 20, "5551234")
    text(r, 62, 20, "OFFICE")
    text(r, 82, 5, "1.07")
    r[100:104] = bytes([0, 1, 0x86, 0xA0])
    text(r, 222, 46, "08001234567")
    return r


def settings(declared=27):
    r = frame(27, 0xC1, 0x41)
    r[2:4] = bytes([(declared - 4) >> 8, (declared - 4) & 0xFF])
    r[10:27] = bytes([1, 0, 2, 1, 1, 3, 0, 1, 0, 1, 10, 3, 5, 2, 1, 1, 1])
    return r


def phonebook(entries=80, slot_of=lambda i: i + 1):
    r = frame(11 + 67 * entries, 0xC1, 0x42)
    r[10] = entries
    for i in range(entries):
        rec = 11 + 67 * i
        r[rec] = slot_of(i) & 0xFF
        text(r, rec + 1, 20, f"NAME {i}")
        text(r, rec + 21, 46, f"0{i:03d}5550{i:02d}")
    r[11 + 67 * 5 + 21] = 0xE0  # a group-dial entry
    return r


def read(reply, limit=None):
    body = bytes(reply if limit is None else reply[:limit])
    return len(body).to_bytes(2, "big") + body


def commands_seeds():
    replies = [[inquiry()], [inquiry(1)], [system_info()], [settings()], [settings(20)],
               [phonebook()], [phonebook(slot_of=lambda i: (i * 37 + 11) % 80 + 1)],
               [phonebook(slot_of=lambda i: 200 + i)]]
    seeds = {}
    for command, cases in ((0, replies[0:2]), (1, replies[2:3]), (2, replies[3:5]), (3, replies[5:8])):
        for road in range(4):
            for n, case in enumerate(cases):
                body = bytes([command, road])
                for reply in case:
                    body += b"\xff"
                    if road == 3 and len(reply) > 5000:
                        # NT 5 USB: a read of up to 5000, then 2624 and the rest.
                        body += read(reply[:2624]) + read(reply[2624:])
                    else:
                        body += read(reply)
                seeds[f"cmd{command}-road{road}-{n}"] = body
                # The same with the request taken short once (the retry path).
                seeds[f"cmd{command}-road{road}-{n}-short"] = bytes([command, road, 3]) + body[2:]
    return seeds


def direct_port_seeds():
    seeds = {}
    # Raw handshakes: alternating status levels so that waits see both.
    for pattern in (b"\x00\x80", b"\x40\xc0\x78\xf8", bytes(range(256))):
        seeds[f"raw-{len(pattern)}"] = bytes([1, 0, 8, 0, 43]) + pattern * 64
    for selector in (1, 2):
        seeds[f"cmd-{selector}"] = bytes([1, selector]) + bytes(range(256)) * 32
    return seeds


def pbf_seeds():
    # Phonebook files written here from the file layout alone: 40-byte header,
    # then 68-byte entries (name in 21 bytes, number in 47, NUL-padded).
    header = b"QMV FAX-RCP Phonebook".ljust(24, b"\0") + b"1.00".ljust(8, b"\0") + bytes([0x14, 0, 0x50, 0, 0, 0, 0, 0])
    entries = b"".join(f"NAME {i}".encode().ljust(21, b"\0") + f"0{i:03d}5550".encode().ljust(47, b"\0")
                       for i in range(80))
    return {"pbf-whole": header + entries, "pbf-ten": header + entries[:680], "pbf-header": header,
            "pbf-no-nul": header + b"Z" * 5440}


def firmware_seeds():
    seeds = {}
    for road in range(4):
        for words in (1, 1024, 2500):  # images of 4, 4096 and 10000 bytes
            body = bytes([1, road]) + words.to_bytes(2, "big") + b"\x00\x00"
            body += b"\xff"  # the start command accepted
            if road != 1:  # DeviceLink waits for the 9-byte answer
                body += read(bytes([LEADER, 0xA5, 0, 5, 0x50, 0xE0, 0x82, 0x05, 0]))
            body += b"\x3f\xff" * ((words * 4 + 4095) // 4096)
            seeds[f"road{road}-{words * 4}"] = body
        # A first answer that is not the machine's: the pause and one resend.
        seeds[f"road{road}-resend"] = (bytes([0, road, 0, 16, 0, 0, 0xFF]) + read(b"\x1c" * 9) +
                                       b"\xff" + read(b"\x1b" * 9) + b"\x3f\xff")
        # A chunk taken short, then the rest.
        seeds[f"road{road}-short"] = (bytes([1, road, 0, 16, 0, 0, 0xFF]) + read(b"\x1b" * 9) +
                                      b"\x3f\x10\xff")
    seeds["road4-win95"] = bytes([1, 4, 0, 16, 0, 0]) + bytes([0x80, 0x00, 0xC0, 0x40]) * 512
    return seeds


def settings_seeds():
    # The values of a settings file's 36 keys, one line each, in file order.
    saved = ["1", "0", "1", "2", "0", "5", "1", "0", "10", "2", "3", "7", "2", "1", "1", "1", "0", "1", "1",
             "PAPELARIA SAO BENTO", "+55 11 3061 4400", "CLIENTE", "11 3061 4400",
             "ASSISTENCIA VELTRA 0800 771 2040", "K40BR0712345", "2", "2", "5", "1", "0", "3", "0",
             "1", "1", "0", "1"]
    odd = ["300", "-1", "abc", " 7", "99999999999", "", "+4", "-0", "12x"] * 2 + ["X"]
    odd += ["A" * 30, "1\r\n[Settings]", "", "9" * 60, "", "Z" * 25] + ["256", "-129"] * 5 + ["1234567"]
    odd += ["1"] * 4
    return {"stf-saved": "\n".join(saved).encode(), "stf-odd": "\n".join(odd).encode(), "stf-empty": b""}


def contacts_seeds(vcard):
    # The contacts reader tests' samples (tools/make_contact_samples.py).
    sys.dont_write_bytecode = True
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import make_contact_samples
    seeds = {}
    for name, make in make_contact_samples.SAMPLES.items():
        if name.endswith(".vcf") == vcard:
            seeds[name] = make() if vcard else b"\x00" + make()
    if vcard:
        # Hostile cards: a name part folded before its colon, soft line
        # breaks up to a blank line, escaped line breaks, formula starts.
        seeds["folded-name-part"] = (b"BEGIN:VCARD\r\nX-NOTE" + b"\r\n a" * 60 +
                                     b":v\r\nFN:Ana\r\nTEL:1\r\nEND:VCARD\r\n")
        seeds["soft-breaks"] = (b"BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:A=\r\n=\r\n"
                                b"=C3=A9=\r\n\r\nTEL;FAX:1=\r\nEND:VCARD\r\n")
        seeds["escaped-breaks"] = (b"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\\nEND:VCARD\\nBEGIN:VCARD\r\n"
                                   b"TEL;TYPE=FAX:5\\n6\r\nEND:VCARD\r\n")
        seeds["formula-names"] = (b"BEGIN:VCARD\r\nFN:=1+1\r\nTEL:+55 11\r\nEND:VCARD\r\n"
                                  b"BEGIN:VCARD\r\nFN:'@SUM(A1)\r\nTEL:-5\r\nEND:VCARD\r\n")
    else:
        seeds["chosen-business-fax"] = b"\x01Name,Business Fax\r\nAna,555\r\n"
        seeds["formula-fields"] = (b"\x00Name,Number\r\n=HYPERLINK(\"x\"),+55 11 5555\r\n'-2,@3\r\n"
                                   b"\"\t=1\",\"\r=2\"\r\n''+4,'''5\r\n")
        seeds["line-breaks-in-names"] = b"\x00Name,Fax\r\n\"A\r\nEND:VCARD\",1\r\n\"B\nC\",2\n"
    return seeds


def long_contacts_inputs():
    # Longer than the fuzzers take: a card of 6 MB, its name folded 200 000
    # times and a property whose name part is folded a million times before
    # its colon, read once under the fuzzer's time-out (tests/fuzz/CMakeLists.txt).
    name = b"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + b"\r\n Ana" * 200000
    part = b"\r\nX-NOTE" + b"\r\n ;X" * 1000000 + b":v"
    return {"fuzz_contacts_vcard/long/folded.vcf": name + part + b"\r\nTEL;TYPE=FAX:5551234\r\nEND:VCARD\r\n"}

def web_seeds():
    # Request bodies of rcpweb's pages: a phonebook write, settings, an import.
    import json
    entries = [{"name": "", "number": "", "group": False} for _ in range(80)]
    entries[0] = {"name": "ANA", "number": "1133445566", "group": False}
    entries[3] = {"name": "TURMA", "number": "", "group": True}
    entries[5] = {"name": "jose p", "number": "0p11*#", "group": False}
    settings = {"tray1Size": 1, "bypassSize": 0, "paperType": 2, "sendConfirmation": 2, "remoteCode": 5,
                "clockMode": 1, "powerSaveMinutes": 1, "tray2Size": 0, "autoClear": 0, "autoJournal": 1,
                "localId": 1, "rxReduction": 0, "horizontalReduction": 0, "ecmMode": 1,
                "memoryTransmission": 1, "powerSaveOn": 1, "discard": 10, "redialInterval": 3, "rings": 2,
                "redialCount": 7}
    advanced = {"receiveMode": 2, "speaker": 2, "ringerVolume": 5, "usbMode": 1, "faxDuplex": 0, "language": 3,
                "imageQuality": 0, "alarmSound": 1, "keySound": 1, "tonerSave": 0, "notifyTonerLow": 1,
                "terminalIdName": "LOJA", "terminalIdNumber": "+55 11", "customerName": "CLIENTE",
                "customerNumber": "11 3061", "serviceNumber": "0800 771", "serialNumber": "K40BR", "prefixDial": "0"}
    dump = lambda value: json.dumps(value, ensure_ascii=False).encode()
    return {
        "phonebook": dump({"base": "0123456789abcdef", "entries": entries}),
        "settings": dump({"base": {"settings": "x", "advanced": "y"}, "settings": settings, "advanced": advanced}),
        "import-csv": dump({"file": "Nome,Telefone\r\nJo\u00e3o,+55 11 3333-4444\r\n", "mode": "replace",
                            "prefix": "00", "numberColumn": ""}),
        "import-vcard": dump({"file": "BEGIN:VCARD\r\nFN:Ana\r\nTEL:123\r\nEND:VCARD\r\n", "mode": "fill"}),
        "deep": b"{\"a\":[[[[[[[[1]]]]]]]]}",
    }


def history_seeds():
    header = "\ufeffData e hora,N\u00famero de s\u00e9rie,Modelo,a,b,c,d,e,f\r\n".encode()
    lines = [b"2026-01-31 22:00:00,K40BR0712345,QUILLMARK K40 SERIES,10,5,100,50,1,2\r\n",
             b"2026-02-01 02:00:00,K40BR0712345,\"QUILLMARK K40, SERIES\",30,5,140,70,1,3\r\n",
             b"2026-02-20 08:00:00,K40BR0712345,'=1+1,3,0,20,10,0,0\r\n"]
    return {"history-whole": header + b"".join(lines), "history-torn": header + b"".join(lines)[:-9],
            "history-dup": header + lines[0] * 3}


TARGETS = {
    "fuzz_commands": commands_seeds,
    "fuzz_direct_port": direct_port_seeds,
    "fuzz_pbf": pbf_seeds,
    "fuzz_firmware": firmware_seeds,
    "fuzz_settings": settings_seeds,
    "fuzz_contacts_csv": lambda: contacts_seeds(False),
    "fuzz_contacts_vcard": lambda: contacts_seeds(True),
    "fuzz_web_decode": web_seeds,
    "fuzz_history": history_seeds,
}


def main():
    work = sys.argv[1] if len(sys.argv) > 1 else "fuzz-work"
    for target, make in TARGETS.items():
        seeds_dir = os.path.join(work, target, "seeds")
        os.makedirs(seeds_dir, exist_ok=True)
        os.makedirs(os.path.join(work, target, "corpus"), exist_ok=True)
        for name, body in make().items():
            with open(os.path.join(seeds_dir, name), "wb") as f:
                f.write(body)
    for path, body in long_contacts_inputs().items():
        os.makedirs(os.path.dirname(os.path.join(work, path)), exist_ok=True)
        with open(os.path.join(work, path), "wb") as f:
            f.write(body)
    return 0


if __name__ == "__main__":
    sys.exit(main())
