// Diretório telefônico: the speed-dial entries edited in place with the
// entry editor's rules, group dials read-only, "Excluir", "Excluir tudo",
// "Enviar para a máquina" (refused by the server when the machine changed
// meanwhile: then both are shown), contacts import and export.
import { api, ageText, element } from './api.js';
import { act, status } from './app.js';

const NAME_CHARS = /[^A-Z0-9 +\-,.'/*#&]/g;
const DIAL_CHARS = /[^0-9#*P]/g;
const GROUP_TEXT = '*GROUP DIAL*';

let entries = null;  // [{name, number, group}]
let base = '';       // fingerprint of what the machine held when read
let preview = null;
let importBytes = '';

// The editor's OK rule: more than two characters, at least one a digit.
export function acceptableNumber(number) {
  return number.length > 2 && /[0-9]/.test(number);
}

function entryValid(entry) {
  return entry.group || (entry.name === '' && entry.number === '') || acceptableNumber(entry.number);
}

function cleanField(input, pattern, limit) {
  const caret = input.selectionStart;
  const before = input.value;
  const after = before.toUpperCase().replace(pattern, '').slice(0, limit);
  if (after !== before) {
    input.value = after;
    const moved = Math.max(0, (caret || 0) - (before.length - after.length));
    input.setSelectionRange(moved, moved);
  }
  return after;
}

function markRow(row, entry) {
  const number = row.querySelector('.number');
  if (!number) return;
  const ok = entryValid(entry);
  number.classList.toggle('invalid', !ok);
  number.setAttribute('aria-invalid', ok ? 'false' : 'true');
}

function render() {
  const body = document.getElementById('pb-rows');
  body.replaceChildren();
  if (!entries) return;
  entries.forEach((entry, i) => {
    const slot = i + 1;
    if (entry.group) {
      body.append(element('tr', { class: 'group' }, element('td', { text: String(slot) }),
        element('td', { text: entry.name }), element('td', { text: GROUP_TEXT }), element('td')));
      return;
    }
    const name = element('input', { class: 'name', maxlength: '20', value: entry.name,
      'aria-label': `Nome ${slot}`, autocomplete: 'off', spellcheck: 'false' });
    const number = element('input', { class: 'number', maxlength: '46', value: entry.number,
      'aria-label': `Telefone ${slot}`, autocomplete: 'off', inputmode: 'tel' });
    const remove = element('button', { type: 'button', text: 'Excluir', 'aria-label': `Excluir ${slot}` });
    const row = element('tr', { id: `pb-row-${slot}` }, element('td', { text: String(slot) }),
      element('td', {}, name), element('td', {}, number), element('td', {}, remove));
    name.addEventListener('input', () => { entry.name = cleanField(name, NAME_CHARS, 20); markRow(row, entry); });
    number.addEventListener('input', () => { entry.number = cleanField(number, DIAL_CHARS, 46); markRow(row, entry); });
    remove.addEventListener('click', () => {
      entry.name = '';
      entry.number = '';
      name.value = '';
      number.value = '';
      markRow(row, entry);
      name.focus();
    });
    markRow(row, entry);
    body.append(row);
  });
}

function showAge(age) {
  document.getElementById('phonebook-age').textContent = ageText(age);
}

export function load(data, note) {
  entries = data.entries ? data.entries.map((e) => ({ ...e })) : null;
  base = data.fingerprint || base;
  document.getElementById('pb-conflict').hidden = true;
  render();
  if (note) status(note);
}

async function readFromMachine() {
  status('Lendo da máquina…');
  await api('POST', '/api/machine/read');
  const data = await api('GET', '/api/phonebook');
  load(data, 'Diretório lido da máquina.');
  showAge(data.age);
}

function sent() {
  return entries.map((e) => ({ name: e.name, number: e.number, group: e.group }));
}

async function send(overBase) {
  const bad = entries.findIndex((e) => !entryValid(e));
  if (bad >= 0) {
    document.querySelector(`#pb-row-${bad + 1} .number`).focus();
    throw new Error(`Entrada ${bad + 1}: o número precisa de mais de dois caracteres, ao menos um deles um dígito.`);
  }
  status('Enviando para a máquina…');
  try {
    const data = await api('PUT', '/api/phonebook', { base: overBase || base, entries: sent() });
    load(data, data.message);
    showAge(0);
  } catch (e) {
    status('');
    if (e.status === 409 && e.body && e.body.conflict) showConflict(e.body.current);
    throw e;
  }
}

function showConflict(current) {
  const box = document.getElementById('pb-conflict');
  const rows = [];
  current.entries.forEach((theirs, i) => {
    const mine = entries[i];
    if (mine.name === theirs.name && mine.number === theirs.number && mine.group === theirs.group) return;
    const show = (e) => (e.group ? `${e.name} ${GROUP_TEXT}` : `${e.name} ${e.number}`.trim() || '(vazia)');
    rows.push(element('tr', { class: 'changed' }, element('td', { text: String(i + 1) }),
      element('td', { text: show(mine) }), element('td', { text: show(theirs) })));
  });
  const keepMine = element('button', { type: 'button', id: 'pb-conflict-mine', text: 'Enviar a minha versão mesmo assim' });
  const takeTheirs = element('button', { type: 'button', id: 'pb-conflict-theirs', text: 'Ficar com a da máquina' });
  keepMine.addEventListener('click', () => act('diretorio', () => send(current.fingerprint)));
  takeTheirs.addEventListener('click', () => load(current, 'O formulário mostra agora o que a máquina tem.'));
  box.replaceChildren(
    element('p', { text: 'O diretório mudou na máquina desde a leitura. Nada foi gravado. Posições diferentes:' }),
    element('div', { class: 'scroll' }, element('table', {},
      element('thead', {}, element('tr', {}, element('th', { text: 'N.' }), element('th', { text: 'Neste formulário' }),
        element('th', { text: 'Na máquina agora' }))),
      element('tbody', {}, ...rows))),
    keepMine, takeTheirs);
  box.hidden = false;
  keepMine.focus();
}

async function exportAs(format) {
  const text = await api('POST', '/api/phonebook/export', { format, entries: sent() });
  const blob = new Blob([text], { type: format === 'vcard' ? 'text/vcard' : 'text/csv' });
  const link = element('a', { href: URL.createObjectURL(blob), download: format === 'vcard' ? 'diretorio.vcf' : 'diretorio.csv' });
  document.body.append(link);
  link.click();
  link.remove();
  status(format === 'vcard' ? 'Diretório exportado como vCard.' : 'Diretório exportado como CSV.');
}

async function planImport() {
  const mode = document.querySelector('input[name="pb-import-mode"]:checked').value;
  const column = document.getElementById('pb-import-column');
  preview = await api('POST', '/api/phonebook/import', {
    file: importBytes,
    mode,
    prefix: document.getElementById('pb-import-prefix').value,
    numberColumn: column.value || '',
    entries: sent(),
  });
  const box = document.getElementById('pb-import-column-box');
  if (preview.headers.length && !column.options.length) {
    column.append(element('option', { value: '', text: '(automática)' }),
      ...preview.headers.map((h) => element('option', { value: h, text: h })));
  }
  box.hidden = !preview.headers.length;
  document.getElementById('pb-import-summary').textContent = preview.summary;
  document.getElementById('pb-import-rows').replaceChildren(...preview.rows.map((r) => element('tr', {},
    element('td', { text: r.slot ? String(r.slot) : '' }), element('td', { text: r.contact }),
    element('td', { text: r.name }), element('td', { text: r.number }), element('td', { text: r.notes }))));
  document.getElementById('pb-import-ok').disabled = preview.taken === 0;
  document.getElementById('pb-import').hidden = false;
}

async function chooseImportFile(input) {
  const file = input.files[0];
  input.value = '';
  if (!file) return;
  const bytes = new Uint8Array(await file.arrayBuffer());
  // Each byte as one character: the server decodes the file as the panel does.
  let text = '';
  for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode(...bytes.subarray(i, i + 8192));
  importBytes = text;
  document.getElementById('pb-import-column').replaceChildren();
  await planImport();
}

export function init() {
  const on = (id, handler) => document.getElementById(id).addEventListener('click', () => act('diretorio', handler));
  on('pb-send', () => send());
  on('pb-reload', readFromMachine);
  on('pb-export-csv', () => exportAs('csv'));
  on('pb-export-vcard', () => exportAs('vcard'));
  on('pb-delete-all', async () => {
    if (!entries) return;
    for (const e of entries) if (!e.group) { e.name = ''; e.number = ''; }
    render();
    status('Todas as entradas foram apagadas no formulário (as discagens de grupo ficam). Envie para gravar.');
  });
  document.getElementById('pb-import-file').addEventListener('change', (event) =>
    act('diretorio', () => chooseImportFile(event.target)));
  for (const id of ['pb-import-prefix', 'pb-import-column'])
    document.getElementById(id).addEventListener('change', () => act('diretorio', planImport));
  for (const radio of document.querySelectorAll('input[name="pb-import-mode"]'))
    radio.addEventListener('change', () => act('diretorio', planImport));
  on('pb-import-cancel', async () => { document.getElementById('pb-import').hidden = true; });
  on('pb-import-ok', async () => {
    load({ entries: preview.entries });
    document.getElementById('pb-import').hidden = true;
    status('Contatos no formulário. Nada foi gravado: use "Enviar para a máquina".');
  });
}

export function show() {
  act('diretorio', async () => {
    if (entries) return;
    const data = await api('GET', '/api/phonebook');
    if (!data.entries) return readFromMachine();
    load(data);
    showAge(data.age);
  });
}
