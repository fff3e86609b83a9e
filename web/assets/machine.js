// Máquina: identity, versions and counters as last read, and "Ler da máquina".
import { api, ageText, element } from './api.js';
import { act, status } from './app.js';

const rows = [
  ['modelName', 'Nome do modelo:'],
  ['firmwareVersion', 'Versão do firmware:'],
  ['engineVersion', 'Versão do mecanismo de impressão:'],
  ['emulation1Version', 'Versão da emulação 1:'],
  ['emulation2Version', 'Versão da emulação 2:'],
  ['freeMemoryPercent', 'Memória livre:', '%'],
  ['platenScanCount', 'Contagem de digitalizações do vidro de originais:'],
  ['adfScanCount', 'Contagem de digitalizações do AAO:'],
  ['printCount', 'Contagem de impressões:'],
  ['drumCount', 'Contagem do fotoreceptor:'],
  ['adfJamCount', 'Contagem de atolamentos do AAO:'],
  ['printJamCount', 'Contagem de atolamentos de impressões:'],
];

function render(data) {
  document.getElementById('machine-age').textContent = ageText(data.age);
  const body = document.getElementById('machine-info');
  body.replaceChildren();
  if (!data.info) return;
  for (const [key, label, unit] of rows) {
    body.append(element('tr', {}, element('th', { scope: 'row', text: label }),
      element('td', { id: `info-${key}`, text: `${data.info[key]}${unit || ''}` })));
  }
}

export async function read() {
  status('Lendo da máquina…');
  try {
    const data = await api('POST', '/api/machine/read');
    render(data);
    status('Dados lidos da máquina.');
  } catch (e) {
    status('');
    if (e.body && e.body.busy) render(await api('GET', '/api/machine'));
    throw e;
  }
}

export function init() {
  document.getElementById('machine-read').addEventListener('click', () => act('maquina', read));
}

export function show() {
  act('maquina', async () => {
    const data = await api('GET', '/api/machine');
    render(data);
    if (!data.info) await read();
  });
}
