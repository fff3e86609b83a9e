// Configurações and Avançado: forms built from the server's lists and
// limits (the same as the panel's pages), with "Aplicar". A machine that
// changed since the read is shown beside the form before anything is sent.
import { api, ageText, element } from './api.js';
import { act, status } from './app.js';

const labels = {
  tray1Size: 'Tamanho da bandeja do papel:',
  bypassSize: 'Tamanho da bandeja manual:',
  paperType: 'Tipo de papel:',
  sendConfirmation: 'Env. info:',
  remoteCode: 'Código de recepção remota:',
  clockMode: 'Modo do relógio :',
  discard: ['Tamanho de descarte:', 'mm'],
  rings: ['Toques para responder:', 'vezes'],
  redialInterval: ['Intervalo de rediscagem:', 'minutos'],
  redialCount: ['Cont. de rediscagens:', 'vezes'],
  powerSaveMinutes: ['Economia de energia após:', 'minutos'],
  autoJournal: 'Relatório auto',
  localId: 'ID local',
  rxReduction: 'Redução Rx',
  horizontalReduction: 'Redução horizontal',
  ecmMode: 'Modo ECM',
  memoryTransmission: 'Transmissão de memória',
  terminalIdName: 'ID do terminal — Nome:',
  terminalIdNumber: 'ID do terminal — Número:',
  customerName: 'Cliente — Nome:',
  customerNumber: 'Cliente — Número:',
  serviceNumber: 'Número do serviço:',
  serialNumber: 'Número de série:',
  prefixDial: 'Discagem de prefixo:',
  receiveMode: 'Modo de recepção:',
  speaker: 'Alto-falante:',
  ringerVolume: ['Volume do toque:', 'Nível'],
  usbMode: 'Modo USB:',
  faxDuplex: 'Fax em frente e verso:',
  language: 'Idioma:',
  imageQuality: 'Qualidade de imagem:',
  alarmSound: 'Sinal sonoro',
  keySound: 'Tom de tecla',
  tonerSave: 'Economia de toner',
  notifyTonerLow: 'Notificação de pouco toner',
};
const allowed = {
  name: /[^A-Za-z0-9 +\-,.'/*#&]/g,
  digitsPlus: /[^0-9 +]/g,
  dialSpaced: /[^0-9 #*Pp]/g,
  dial: /[^0-9#*Pp]/g,
};

function labelOf(key) { return Array.isArray(labels[key]) ? labels[key] : [labels[key] || key, '']; }

function buildForm(page, fields) {
  const form = document.getElementById(`${page}-form`);
  form.replaceChildren();
  const checks = [];
  for (const field of fields) {
    if (field.hidden || field.key === 'powerSaveOn') continue;
    const id = `${page}-${field.key}`;
    const [label, unit] = labelOf(field.key);
    if (field.kind === 'check') {
      checks.push(element('label', { class: 'check' }, element('input', { type: 'checkbox', id, name: field.key }), ` ${label}`));
      continue;
    }
    let control;
    if (field.kind === 'list') {
      control = element('select', { id, name: field.key }, ...field.texts.map((t, i) => element('option', { value: String(i), text: t })));
    } else if (field.kind === 'number') {
      control = element('input', { id, name: field.key, type: 'number', min: String(field.min), max: String(field.max), required: true, inputmode: 'numeric' });
    } else {
      control = element('input', { id, name: field.key, maxlength: String(field.limit), autocomplete: 'off' });
      control.addEventListener('input', () => { control.value = control.value.replace(allowed[field.chars], ''); });
    }
    const row = element('div', { class: 'field' }, element('label', { for: id, text: label }), element('span', {}, control, unit ? ` ${unit}` : ''));
    if (field.key === 'powerSaveMinutes') {
      const off = element('input', { type: 'radio', name: 'powerSaveOn', value: '0', id: `${page}-powerSaveOff` });
      const on = element('input', { type: 'radio', name: 'powerSaveOn', value: '1', id: `${page}-powerSaveOnRadio` });
      const enable = () => { control.disabled = !on.checked; };
      off.addEventListener('change', enable);
      on.addEventListener('change', enable);
      form.append(element('fieldset', {}, element('legend', { text: 'Economia de energia:' }),
        element('label', {}, off, ' Desligado'), ' ', element('label', {}, on, ' Ligado'), row));
      continue;
    }
    form.append(row);
  }
  if (checks.length) form.append(element('fieldset', {}, ...checks));
  form.append(element('div', { class: 'actions' },
    element('button', { type: 'submit', id: `${page}-apply`, text: 'Aplicar' }),
    element('button', { type: 'button', id: `${page}-read`, text: 'Ler da máquina' })));
}

function fill(page, values) {
  const form = document.getElementById(`${page}-form`);
  for (const [key, value] of Object.entries(values)) {
    if (key === 'powerSaveOn') {
      document.getElementById(`${page}-powerSaveOff`).checked = value === 0;
      document.getElementById(`${page}-powerSaveOnRadio`).checked = value !== 0;
      form.elements.powerSaveMinutes.disabled = value === 0;
      continue;
    }
    const control = form.elements[key];
    if (!control) continue;
    if (control.type === 'checkbox') control.checked = value !== 0;
    else control.value = String(value);
  }
}

function collect(page, fields, read) {
  const form = document.getElementById(`${page}-form`);
  const values = {};
  for (const field of fields) {
    if (field.hidden) { values[field.key] = read[field.key]; continue; }
    if (field.key === 'powerSaveOn') {
      values.powerSaveOn = document.getElementById(`${page}-powerSaveOnRadio`).checked ? 1 : 0;
      continue;
    }
    const control = form.elements[field.key];
    if (field.kind === 'check') values[field.key] = control.checked ? 1 : 0;
    else if (field.kind === 'text') values[field.key] = control.value;
    else {
      const n = Number(control.value);
      if (!Number.isInteger(n) || (field.kind === 'number' && (n < field.min || n > field.max))) {
        control.focus();
        throw new Error(`${labelOf(field.key)[0]} deve estar entre ${field.min} e ${field.max}.`);
      }
      values[field.key] = n;
    }
  }
  return values;
}

function makePage(page, section) {
  let data = null;  // this page's last answer of /api/settings: its values and their fingerprint
  const ageLine = () => document.getElementById(`${page}-age`);

  let shown = false;

  function render(answer, note) {
    data = answer;
    shown = true;
    if (!document.getElementById(`${page}-form`).elements.length) buildForm(page, data.forms[page]);
    if (data[page]) fill(page, data[page]);
    ageLine().textContent = ageText(data.age);
    document.getElementById(`${page}-conflict`).hidden = true;
    if (note) status(note);
  }

  async function read() {
    status('Lendo da máquina…');
    await api('POST', '/api/machine/read');
    const answer = await api('GET', '/api/settings');
    render(answer, 'Configurações lidas da máquina.');
  }

  function showConflict(current, mine, retry) {
    const box = document.getElementById(`${page}-conflict`);
    const theirs = current[page];
    const rows = Object.keys(mine).filter((k) => mine[k] !== theirs[k]).map((k) => {
      const field = data.forms[page].find((f) => f.key === k);
      const show = (v) => (field && field.kind === 'list' ? field.texts[v] : field && field.kind === 'check' ? (v ? 'sim' : 'não') : String(v));
      return element('tr', { class: 'changed' }, element('td', { text: labelOf(k)[0] }), element('td', { text: show(mine[k]) }), element('td', { text: show(theirs[k]) }));
    });
    const keepMine = element('button', { type: 'button', id: `${page}-conflict-mine`, text: 'Aplicar a minha versão mesmo assim' });
    const takeTheirs = element('button', { type: 'button', id: `${page}-conflict-theirs`, text: 'Ficar com a da máquina' });
    keepMine.addEventListener('click', () => act(section, () => retry(current.fingerprints[page])));
    takeTheirs.addEventListener('click', () => {
      render({ ...data, ...current, age: 0 }, 'O formulário mostra agora o que a máquina tem.');
    });
    box.replaceChildren(element('p', { text: 'As configurações mudaram na máquina desde a leitura. Nada foi aplicado. Campos diferentes:' }),
      element('div', { class: 'scroll' }, element('table', {},
        element('thead', {}, element('tr', {}, element('th', { text: 'Campo' }), element('th', { text: 'Neste formulário' }), element('th', { text: 'Na máquina agora' }))),
        element('tbody', {}, ...rows))),
      keepMine, takeTheirs);
    box.hidden = false;
    keepMine.focus();
  }

  async function apply(overBase) {
    if (!data || !data[page]) throw new Error('Leia os dados da máquina primeiro.');
    const values = collect(page, data.forms[page], data[page]);
    status('Aplicando…');
    try {
      const answer = await api('PUT', '/api/settings', { base: { [page]: overBase || data.fingerprints[page] }, [page]: values });
      render({ ...answer, forms: data.forms }, answer.message);
    } catch (e) {
      status('');
      if (e.status === 409 && e.body && e.body.conflict) showConflict(e.body.current, values, apply);
      throw e;
    }
  }

  return {
    init() {
      document.getElementById(`${page}-form`).addEventListener('submit', (event) => {
        event.preventDefault();
        act(section, () => apply());
      });
      document.getElementById(`${page}-form`).addEventListener('click', (event) => {
        if (event.target.id === `${page}-read`) act(section, read);
      });
    },
    show() {
      act(section, async () => {
        if (shown) return;
        const answer = await api('GET', '/api/settings');
        if (!answer.settings) return read();
        render(answer);
      });
    },
    // A backup's values into the form; the base stays the machine's.
    load(answer, note) { render(answer, note); },
  };
}

export const settingsPage = makePage('settings', 'configuracoes');
export const advancedPage = makePage('advanced', 'avancado');
