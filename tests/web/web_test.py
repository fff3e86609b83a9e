#!/usr/bin/env python3
"""rcpweb.exe under Wine against the emulated machine.

Hostile: plain HTTP requests a browser would not send; each is refused and
the server goes on serving. Browser: the paths a user takes in headless
Chromium (read the phonebook, edit, send and find it in the machine; change
a setting and apply it; a change made with rcpctl between the page's read and
its write). Lan: the password, the login, the lock-out and the logout.
"""
import http.client
import json
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

DEMO = os.environ["RCPWEB_DEMO"]
WORK = os.environ["RCPWEB_WORK"]
STATE = os.path.join(WORK, "k40-state.dat")
PASSWORD = "senha-do-escritorio"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def machine_env():
    env = dict(os.environ)
    # Each program its own machine, kept in step through the state file.
    env["K40_MACHINE"] = "shared=on;state=" + windows_path(STATE)
    return env


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wine(program, args, stdin=None, timeout=120):
    """Runs a program of the demo folder to its end; (exit code, output)."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.call(["timeout", str(timeout), "wine", os.path.join(DEMO, program)] + args,
                               cwd=DEMO, env=machine_env(), stdin=stdin or subprocess.DEVNULL, stdout=out,
                               stderr=subprocess.DEVNULL)
        out.seek(0)
        return code, out.read().decode("utf-8", "replace")


class Server:
    def __init__(self, *args):
        self.port = free_port()
        self.host = f"127.0.0.1:{self.port}"
        self.url = f"http://{self.host}"
        self.log = open(os.path.join(WORK, f"rcpweb-{self.port}.log"), "wb")
        listen = ["--listen", self.host]
        self.process = subprocess.Popen(["wine", os.path.join(DEMO, "rcpweb.exe")] + listen + list(args),
                                        cwd=DEMO, env=machine_env(), stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=self.log)
        for _ in range(300):
            try:
                if self.request("GET", "/api/session")[0] == 200:
                    return
            except OSError:
                pass
            if self.process.poll() is not None:
                break
            time.sleep(0.1)
        self.stop()
        raise RuntimeError(f"rcpweb did not start on {self.host}")

    def stop(self):
        self.process.terminate()
        self.process.wait(30)
        self.log.close()

    def request(self, method, path, body=None, headers=None, host=None):
        """One request with exactly these headers; (status, headers, decoded body)."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=60)
        connection.putrequest(method, path, skip_host=True, skip_accept_encoding=True)
        connection.putheader("Host", host or self.host)
        data = body.encode() if isinstance(body, str) else body
        for name, value in (headers or {}).items():
            connection.putheader(name, value)
        if data is not None:
            connection.putheader("Content-Length", str(len(data)))
        connection.endheaders(data)
        response = connection.getresponse()
        raw = response.read()
        connection.close()
        try:
            decoded = json.loads(raw)
        except ValueError:
            decoded = raw.decode("utf-8", "replace")
        return response.status, response.headers, decoded

    def session(self):
        """A session's cookie and the headers a page of this server sends with a change."""
        status, headers, body = self.request("GET", "/api/session")
        cookie = headers["Set-Cookie"].split(";")[0]
        return {"Cookie": cookie, "Origin": self.url, "X-CSRF-Token": body["token"],
                "Content-Type": "application/json"}


def machine_phonebook():
    """The machine's phonebook entries, as rcpctl reads them: [(name, number)]."""
    path = os.path.join(WORK, "MACHINE.PBF")
    code, out = wine("rcpctl.exe", ["phonebook", "get", windows_path(path)])
    assert code == 0, f"rcpctl: {code} {out}"
    data = open(path, "rb").read()[40:]
    entries = []
    for at in range(0, len(data) - 67, 68):
        name, number = struct.unpack("21s47s", data[at:at + 68])
        entries.append((name.split(b"\0")[0].decode("cp1252"), number.split(b"\0")[0].decode("cp1252")))
    return entries


def set_machine_entry(index, name, number):
    """Changes one entry in the machine with rcpctl, as another program would."""
    path = os.path.join(WORK, "OTHER.PBF")
    code, out = wine("rcpctl.exe", ["phonebook", "get", windows_path(path)])
    assert code == 0, out
    data = bytearray(open(path, "rb").read())
    at = 40 + 68 * index
    data[at:at + 68] = struct.pack("21s47s", name.encode(), number.encode())
    open(path, "wb").write(data)
    code, out = wine("rcpctl.exe", ["phonebook", "set", windows_path(path)])
    assert code == 0, out


def browser():
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
 "--lang=pt-BR",
                 "--window-size=1000,1400", "--user-data-dir=" + tempfile.mkdtemp(dir=WORK)]:
        options.add_argument(flag)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(driver, condition, what, seconds=90):
    from selenium.webdriver.support.ui import WebDriverWait
    return WebDriverWait(driver, seconds, poll_frequency=0.2).until(condition, what)


def text_of(driver, element_id):
    return driver.find_element("id", element_id).text


class Hostile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def tearDown(self):
        # The server goes on serving after every refusal.
        status, _, body = self.server.request("GET", "/api/session")
        self.assertEqual(200, status)
        self.assertIn("token", body)

    def test_every_answer_carries_the_security_headers(self):
        status, headers, body = self.server.request("GET", "/")
        self.assertEqual(200, status)
        csp = headers["Content-Security-Policy"]
        self.assertIn("script-src 'self'", csp)
        self.assertIn("frame-ancestors 'none'", csp)
        self.assertNotIn("unsafe-inline", csp)
        self.assertEqual("nosniff", headers["X-Content-Type-Options"])
        self.assertNotIn("<script>", body, "no inline script")
        status, headers, _ = self.server.request("GET", "/nada.js")
        self.assertEqual(404, status)
        self.assertEqual("nosniff", headers["X-Content-Type-Options"])

    def test_refusals(self):
        good = self.server.session()
        cases = [
            # (what, host, headers, body, status, words in the message)
            ("foreign Host (DNS rebinding)", "evil.example:" + str(self.server.port), {}, None, 421, "nome"),
            ("foreign Origin", None, {**good, "Origin": "http://evil.example"}, "{}", 403, "não veio"),
            ("no Origin", None, {k: v for k, v in good.items() if k != "Origin"}, "{}", 403, "não veio"),
            ("no token", None, {k: v for k, v in good.items() if k != "X-CSRF-Token"}, "{}", 403, "código"),
            ("another session's token", None, {**good, "X-CSRF-Token": self.server.session()["X-CSRF-Token"]},
             "{}", 403, "código"),
            ("not JSON", None, {**good, "Content-Type": "text/plain"}, "{}", 415, "JSON"),
            ("malformed JSON", None, good, '{"entries": [', 400, "JSON"),
            ("nested too deep", None, good, '{"a":' + "[" * 50 + "]" * 50 + "}", 400, "níveis"),
            ("oversized body", None, good, '{"a":"' + "x" * (4 * 1024 * 1024) + '"}', 413, "grande"),
            ("headers beyond the count", None, {**good, **{f"X-Extra-{i}": "1" for i in range(80)}}, "{}", 431,
             "cabeçalhos"),
            ("unknown method", None, good, "{}", 405, "Método"),
        ]
        for what, host, headers, body, status, words in cases:
            with self.subTest(what):
                method = "DELETE" if what == "unknown method" else "PUT"
                got, _, answer = self.server.request(method, "/api/phonebook", body, headers, host)
                self.assertEqual(status, got, answer)
                self.assertIn(words, answer["error"])

    def test_out_of_range_values_never_reach_the_machine(self):
        # Nothing read yet: a write is refused before any value is looked at.
        good = self.server.session()
        status, _, answer = self.server.request("PUT", "/api/settings", json.dumps({"settings": {}}), good)
        self.assertEqual(409, status)
        self.assertIn("Leia", answer["error"])
        status, _, _ = self.server.request("POST", "/api/machine/read", "{}", good)
        self.assertEqual(200, status)
        before = machine_phonebook()
        status, _, page = self.server.request("GET", "/api/phonebook")
        entries = page["entries"]
        entries[0]["number"] = "12"
        status, _, answer = self.server.request(
            "PUT", "/api/phonebook", json.dumps({"base": page["fingerprint"], "entries": entries}), good)
        self.assertEqual(400, status)
        self.assertIn("Entrada 1", answer["error"])
        status, _, settings = self.server.request("GET", "/api/settings")
        values = dict(settings["settings"], rings=9)
        status, _, answer = self.server.request(
            "PUT", "/api/settings", json.dumps({"base": settings["fingerprints"], "settings": values}), good)
        self.assertEqual(400, status)
        self.assertIn("rings", answer["error"])
        self.assertEqual(before, machine_phonebook())

    def test_z_one_machine_job_at_a_time_while_reads_get_the_last_records(self):
        good = self.server.session()
        self.assertEqual(200, self.server.request("POST", "/api/machine/read", "{}", good)[0])
        answers = []
        jobs = [threading.Thread(target=lambda: answers.append(
            self.server.request("POST", "/api/machine/read", "{}", good))) for _ in range(2)]
        for job in jobs:
            job.start()
        time.sleep(1)  # the first job holds the machine for seconds
        status, _, cached = self.server.request("GET", "/api/phonebook")
        for job in jobs:
            job.join()
        self.assertEqual(200, status)
        self.assertEqual(80, len(cached["entries"]))
        self.assertIn("age", cached)
        self.assertEqual([200, 503], sorted(answer[0] for answer in answers))
        busy = next(answer[2] for answer in answers if answer[0] == 503)
        self.assertTrue(busy["busy"])
        self.assertIn("outro pedido", busy["error"])

    def test_a_slow_client_is_dropped_and_others_are_served_meanwhile(self):
        slow = socket.create_connection(("127.0.0.1", self.server.port))
        slow.sendall(f"GET /api/session HTTP/1.1\r\nHost: {self.server.host}\r\n".encode())
        status, _, _ = self.server.request("GET", "/api/machine")
        self.assertEqual(200, status)
        slow.settimeout(60)
        answer = b""
        while True:
            got = slow.recv(1024)
            if not got:
                break
            answer += got
        slow.close()
        # Closed, at most after a refusal.
        self.assertTrue(answer == b"" or answer.startswith(b"HTTP/1.1 4"), answer)


class Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if os.path.exists(STATE):
            os.remove(STATE)
        cls.server = Server()
        cls.driver = browser()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.stop()

    def open_phonebook(self):
        self.driver.get(self.server.url + "/#/diretorio")
        wait_for(self.driver, lambda d: d.find_elements("css selector", "#pb-row-1 input.name"), "the entries")

    def test_1_edit_an_entry_send_it_and_find_it_in_the_machine(self):
        self.open_phonebook()
        name = self.driver.find_element("css selector", "#pb-row-7 input.name")
        number = self.driver.find_element("css selector", "#pb-row-7 input.number")
        name.clear()
        name.send_keys("escritório central")  # the editor's rules: capitals, no accents
        number.clear()
        number.send_keys("0p1133-4455")
        self.assertEqual("ESCRITRIO CENTRAL", name.get_attribute("value"))
        self.assertEqual("0P11334455", number.get_attribute("value"))
        self.driver.find_element("id", "pb-send").click()
        wait_for(self.driver, lambda d: "gravado" in text_of(d, "status") or text_of(d, "error"), "the answer")
        self.assertEqual("", text_of(self.driver, "error"))
        self.assertEqual(("ESCRITRIO CENTRAL", "0P11334455"), machine_phonebook()[6])

    def test_2_a_change_in_the_machine_since_the_read_is_shown_not_overwritten(self):
        self.open_phonebook()
        set_machine_entry(2, "MUDOU NA MAQUINA", "5550001")
        number = self.driver.find_element("css selector", "#pb-row-1 input.number")
        number.clear()
        number.send_keys("99998888")
        self.driver.find_element("id", "pb-send").click()
        wait_for(self.driver, lambda d: d.find_element("id", "pb-conflict").is_displayed(), "the conflict")
        self.assertIn("mudou", text_of(self.driver, "error"))
        conflict = text_of(self.driver, "pb-conflict")
        self.assertIn("MUDOU NA MAQUINA 5550001", conflict)
        self.assertIn("99998888", conflict)
        self.assertEqual(("MUDOU NA MAQUINA", "5550001"), machine_phonebook()[2], "nothing written")
        self.driver.find_element("id", "pb-conflict-theirs").click()
        name = self.driver.find_element("css selector", "#pb-row-3 input.name")
        self.assertEqual("MUDOU NA MAQUINA", name.get_attribute("value"))

    def test_3_change_a_setting_and_apply_it(self):
        self.driver.get(self.server.url + "/#/configuracoes")
        rings = wait_for(self.driver, lambda d: d.find_elements("id", "settings-rings"), "the form")[0]
        wait_for(self.driver, lambda d: rings.get_attribute("value") != "", "the values")
        new = "5" if rings.get_attribute("value") != "5" else "4"
        rings.clear()
        rings.send_keys(new)
        self.driver.find_element("id", "settings-apply").click()
        wait_for(self.driver, lambda d: "aplicadas" in text_of(d, "status") or text_of(d, "error"), "the answer")
        self.assertEqual("", text_of(self.driver, "error"))
        path = os.path.join(WORK, "MACHINE.STF")
        code, out = wine("rcpctl.exe", ["settings", "get", windows_path(path)])
        self.assertEqual(0, code, out)
        self.assertIn(f"Rings to answer={new}", open(path, encoding="cp1252").read())


    def test_4_imported_contacts_wait_in_the_form_until_sent(self):
        self.open_phonebook()
        before = machine_phonebook()
        contacts = os.path.join(WORK, "contatos.csv")
        with open(contacts, "w", encoding="utf-8") as out:
            out.write("Nome,Telefone\nJosé Araújo,+55 11 3333-4444\nSem Número,\n")
        self.driver.find_element("id", "pb-import-file").send_keys(contacts)
        wait_for(self.driver, lambda d: d.find_element("id", "pb-import").is_displayed(), "the preview")
        self.assertIn("1 de 2 contatos", text_of(self.driver, "pb-import-summary"))
        rows = text_of(self.driver, "pb-import-rows")
        self.assertIn("JOSE ARAUJO", rows)
        self.assertIn("00551133334444", rows)
        self.assertIn("ignorado: sem número", rows)
        self.driver.find_element("id", "pb-import-ok").click()
        names = [e.get_attribute("value") for e in self.driver.find_elements("css selector", "#pb-rows input.name")]
        self.assertIn("JOSE ARAUJO", names)
        self.assertEqual(before, machine_phonebook(), "nothing sent before the user says so")

    def test_5_a_backup_is_loaded_into_the_form_not_sent(self):
        before = machine_phonebook()
        self.driver.get(self.server.url + "/#/copias")
        load = wait_for(self.driver, lambda d: [b for b in d.find_elements("css selector", "#backup-rows button")
                                                if "Carregar" in b.text], "the backups")
        self.assertIn("Diretório telefônico", text_of(self.driver, "backup-rows"))
        load[0].click()
        wait_for(self.driver, lambda d: "carregada" in text_of(d, "status"), "the backup in the form")
        self.assertTrue(self.driver.find_element("id", "diretorio").is_displayed())
        self.assertEqual(before, machine_phonebook())


    def test_6_a_busy_port_is_said_and_the_last_records_stay(self):
        self.driver.get(self.server.url + "/#/maquina")
        wait_for(self.driver, lambda d: d.find_elements("id", "info-modelName"), "the records")
        # Another program holds the port: the scanner driver's lock, kept open
        # by a command's output for a while.
        holder = subprocess.Popen(["wine", "cmd", "/c", "ping -n 25 127.0.0.1 >> portlend-8.lock"], cwd=DEMO,
                                  env=machine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            time.sleep(5)  # the command starts and opens the lock
            self.assertEqual(2, wine("rcpctl.exe", ["info"])[0], "rcpctl finds the port busy too")
            self.driver.find_element("id", "machine-read").click()
            wait_for(self.driver, lambda d: text_of(d, "error"), "the refusal")
        finally:
            holder.wait(60)  # the command ends by itself and lets the port go
        self.assertEqual("Porta está ocupada", text_of(self.driver, "error"))
        self.assertEqual("QUILLMARK K40 SERIES", text_of(self.driver, "info-modelName"))


@unittest.skipUnless(os.environ.get("RCPWEB_SHOTS"), "screenshots only for tools/web-screenshots.sh")
class Screenshots(unittest.TestCase):
    def test_every_page(self):
        if os.path.exists(STATE):
            os.remove(STATE)
        server = Server()
        driver = browser()
        try:
            take_screenshots(driver, server.url, os.environ["RCPWEB_SHOTS"])
        finally:
            driver.quit()
            server.stop()


def take_screenshots(driver, url, folder):
    """Every page at office width, and the phonebook at a phone's."""
    ready = {"maquina": "#machine-info tr", "diretorio": "#pb-rows tr", "configuracoes": "#settings-form select",
             "avancado": "#advanced-form select", "copias": "#backup-rows tr"}
    for page, selector in ready.items():
        driver.set_window_size(1000, 1000)
        driver.get(f"{url}/#/{page}")
        wait_for(driver, lambda d: d.find_elements("css selector", selector), page)
        time.sleep(0.5)
        driver.save_screenshot(os.path.join(folder, f"web-{page}.png"))
    driver.set_window_size(390, 844)
    driver.get(f"{url}/#/diretorio")
    wait_for(driver, lambda d: d.find_elements("css selector", "#pb-rows tr"), "the phone-width page")
    time.sleep(0.5)
    driver.save_screenshot(os.path.join(folder, "web-diretorio-celular.png"))


class Lan(unittest.TestCase):
    def password_file(self):
        prefix = os.environ["WINEPREFIX"]
        users = os.path.join(prefix, "drive_c", "users")
        for user in os.listdir(users):
            path = os.path.join(users, user, "AppData", "Roaming", "Dalvenor", "rcpweb-password.txt")
            if os.path.isdir(os.path.dirname(path)):
                return path
        return None

    def test_password_login_lockout_and_logout(self):
        path = self.password_file()
        if path and os.path.exists(path):
            os.remove(path)
        code, out = wine("rcpweb.exe", ["--lan"])
        self.assertEqual(1, code)
        self.assertIn("--set-password", out)

        answers = os.path.join(WORK, "password.txt")
        with open(answers, "w") as out:
            out.write(f"{PASSWORD}\n{PASSWORD}\n")
        with open(answers) as stdin:
            code, out = wine("rcpweb.exe", ["--set-password"], stdin=stdin)
        self.assertEqual(0, code, out)
        with open(self.password_file()) as stored_file:
            stored = stored_file.read()
        self.assertNotIn(PASSWORD, stored)
        kind, rounds, salt, digest = stored.split()
        self.assertEqual("pbkdf2-sha256", kind)
        self.assertGreaterEqual(int(rounds), 100000)

        server = Server("--lan")
        driver = browser()
        try:
            status, _, answer = server.request("GET", "/api/machine")
            self.assertEqual(401, status, "nothing without a login")
            driver.get(server.url + "/")
            field = wait_for(driver, lambda d: d.find_element("id", "password") if
                             d.find_element("id", "login").is_displayed() else None, "the login")
            field.send_keys(PASSWORD + "\n")
            wait_for(driver, lambda d: d.find_element("id", "logout").is_displayed(), "the pages")
            cookie = driver.get_cookie("rcpweb_session")
            self.assertTrue(cookie["httpOnly"])
            self.assertEqual("Strict", cookie["sameSite"])
            driver.find_element("id", "logout").click()
            wait_for(driver, lambda d: d.find_element("id", "login").is_displayed(), "the login again")

            submit = driver.find_element("css selector", "#login-form button")
            for attempt in range(5):
                # Each try waits for the form to take input again: Enter on a
                # form whose button is still disabled submits nothing.
                wait_for(driver, lambda d: submit.is_enabled(), "the form again")
                driver.execute_script("document.getElementById('error').textContent = ''")
                field = driver.find_element("id", "password")
                field.clear()
                field.send_keys("errada")
                submit.click()
                wait_for(driver, lambda d: text_of(d, "error"), "the refusal")
            wait_for(driver, lambda d: "Tentativas demais" in text_of(d, "error"), "the fifth refusal")
            driver.find_element("id", "password").send_keys(PASSWORD + "\n")
            wait_for(driver, lambda d: "Tentativas demais" in text_of(d, "error"), "the lock-out")
            self.assertFalse(driver.find_element("id", "logout").is_displayed())
        finally:
            driver.quit()
            server.stop()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[1:])
