// The page's shell: session and login, the tabs, and the status and error
// lines every page writes to.
import { api, setToken } from './api.js';
import * as machine from './machine.js';
import * as phonebook from './phonebook.js';
import * as settings from './settings.js';
import * as backups from './backups.js';

const pages = {
  maquina: machine,
  diretorio: phonebook,
  configuracoes: settings.settingsPage,
  avancado: settings.advancedPage,
  copias: backups,
};

export function status(text) {
  document.getElementById('status').textContent = text || '';
}

export function showError(text) {
  const line = document.getElementById('error');
  line.textContent = text || '';
  line.hidden = !text;
}

// Runs an action with the error line cleared first and the buttons of the
// page disabled meanwhile.
export async function act(section, work) {
  showError('');
  const buttons = [...document.querySelectorAll(`#${section} button`)];
  buttons.forEach((b) => { b.disabled = true; });
  try {
    await work();
  } catch (e) {
    // A page whose session ended asks for the password again; a wrong
    // password is said as it is.
    if (e.status === 401 && section !== 'login') {
      showLogin();
    }
    showError(e.message);
  } finally {
    buttons.forEach((b) => { b.disabled = false; });
  }
}

function showPage(name) {
  if (!pages[name]) name = 'maquina';
  for (const section of document.querySelectorAll('.page')) section.hidden = section.id !== name;
  for (const link of document.querySelectorAll('#tabs a')) {
    if (link.dataset.page === name) link.setAttribute('aria-current', 'page');
    else link.removeAttribute('aria-current');
  }
  pages[name].show();
}

// "#/diretorio": a route, not an anchor, so the browser does not scroll the
// tabs away to reach the section.
function pageOfHash() { return location.hash.replace(/^#\/?/, ''); }

export function goTo(name) {
  if (pageOfHash() === name) showPage(name);
  else location.hash = `/${name}`;
}

function showLogin() {
  document.getElementById('tabs').hidden = true;
  document.getElementById('logout').hidden = true;
  for (const section of document.querySelectorAll('.page')) section.hidden = true;
  document.getElementById('login').hidden = false;
  document.getElementById('password').focus();
}

function showApp(session) {
  document.getElementById('login').hidden = true;
  document.getElementById('tabs').hidden = false;
  document.getElementById('logout').hidden = !session.lan;
  showPage(pageOfHash());
}

async function start() {
  for (const page of Object.values(pages)) page.init();
  window.addEventListener('hashchange', () => showPage(pageOfHash()));
  document.getElementById('login-form').addEventListener('submit', (event) => {
    event.preventDefault();
    act('login', async () => {
      const password = document.getElementById('password');
      const session = await api('POST', '/api/login', { password: password.value });
      password.value = '';
      setToken(session.token);
      status('Sessão iniciada.');
      showApp(session);
    });
  });
  document.getElementById('logout').addEventListener('click', () => act('login', async () => {
    await api('POST', '/api/logout');
    const session = await api('GET', '/api/session');
    setToken(session.token);
    status('Sessão encerrada.');
    showLogin();
  }));
  try {
    const session = await api('GET', '/api/session');
    setToken(session.token);
    if (session.lan && !session.loggedIn) showLogin();
    else showApp(session);
  } catch (e) {
    showError(e.message);
  }
}

start();
