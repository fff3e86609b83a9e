// Máquina: identity, versions and counters as last read, "Ler da máquina",
// and the machine's use per month from the readings kept on the PC.
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

// Each read keeps a reading: the chart is fetched again after it.
async function showHistory() {
  const data = await api('GET', '/api/history');
  const none = document.getElementById('history-none');
  const line = document.getElementById('history-machine');
  const chart = document.getElementById('history-chart');
  none.hidden = !data.none;
  line.hidden = chart.hidden = data.none;
  if (data.none) return;
  // "2026-12-09 21:20:48" as the panel shows it: "09/12/2026 21:20".
  const [date, time] = data.lastReading.split(' ');
  const when = `${date.split('-').reverse().join('/')} ${time.slice(0, 5)}`;
  line.textContent = `${data.model}, número de série ${data.serial}. Última leitura: ${when}.`;
  chart.src = `/api/history.svg?t=${Date.now()}`;
}

export async function read() {
  status('Lendo da máquina…');
  try {
    const data = await api('POST', '/api/machine/read');
    render(data);
    status('Dados lidos da máquina.');
    await showHistory();
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
    else await showHistory();
  });
}
