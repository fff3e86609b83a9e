// Cópias de segurança: the backups the server kept before each write, loaded
// into the phonebook or settings form; nothing is sent until the user does.
import { api, element } from './api.js';
import { act, goTo, status } from './app.js';
import * as phonebook from './phonebook.js';
import { advancedPage, settingsPage } from './settings.js';

async function refresh() {
  const data = await api('GET', '/api/backups');
  const body = document.getElementById('backup-rows');
  body.replaceChildren();
  if (!data.backups.length) {
    body.append(element('tr', {}, element('td', { colspan: '3', text: 'Nenhuma cópia de segurança ainda.' })));
    return;
  }
  for (const item of data.backups) {
    const load = element('button', { type: 'button', text: 'Carregar no formulário', 'aria-label': `Carregar a cópia de ${item.when}` });
    load.addEventListener('click', () => act('copias', async () => {
      const backup = await api('GET', `/api/backups/load?name=${encodeURIComponent(item.name)}`);
      const note = `Cópia de ${item.when} carregada no formulário. Confira e envie para gravar.`;
      if (item.kind === 'phonebook') {
        goTo('diretorio');
        phonebook.load(backup.phonebook, note);
      } else {
        const settings = await api('GET', '/api/settings');
        goTo('configuracoes');
        advancedPage.load({ ...settings, ...backup.settings, forms: settings.forms });
        settingsPage.load({ ...settings, ...backup.settings, forms: settings.forms }, note);
      }
    }));
    body.append(element('tr', {}, element('td', { text: item.when }),
      element('td', { text: item.kind === 'phonebook' ? 'Diretório telefônico' : 'Configurações' }), element('td', {}, load)));
  }
}

export function init() {
  document.getElementById('backup-refresh').addEventListener('click', () => act('copias', refresh));
}

export function show() {
  status('');
  act('copias', refresh);
}
