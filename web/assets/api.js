// The server's JSON API: every change carries the session's CSRF token; a
// refusal becomes an Error with the server's message (and its answer).
let token = '';

export function setToken(value) { token = value || ''; }

export class ApiError extends Error {
  constructor(message, status, body) {
    super(message);
    this.status = status;
    this.body = body;
  }
}

export async function api(method, path, body) {
  const options = { method, headers: {}, credentials: 'same-origin' };
  if (method !== 'GET') {
    options.headers['Content-Type'] = 'application/json';
    options.headers['X-CSRF-Token'] = token;
    options.body = JSON.stringify(body === undefined ? {} : body);
  }
  let response;
  try {
    response = await fetch(path, options);
  } catch (e) {
    throw new ApiError('O servidor não responde. Ele ainda está em execução?', 0, null);
  }
  const type = response.headers.get('Content-Type') || '';
  if (!type.startsWith('application/json')) {
    if (!response.ok) throw new ApiError(`Erro ${response.status}`, response.status, null);
    return response.text();
  }
  const data = await response.json();
  if (!response.ok) throw new ApiError(data.error || `Erro ${response.status}`, response.status, data);
  return data;
}

// "lido há 5 s", "lido há 3 min".
export function ageText(age) {
  if (age === undefined || age === null) return 'Ainda não lido da máquina.';
  if (age < 60) return `Lido da máquina há ${age} s.`;
  if (age < 3600) return `Lido da máquina há ${Math.floor(age / 60)} min.`;
  return `Lido da máquina há ${Math.floor(age / 3600)} h.`;
}

export function element(tag, attributes = {}, ...children) {
  const e = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (key === 'text') e.textContent = value;
    else if (value === true) e.setAttribute(key, '');
    else if (value !== false && value !== undefined && value !== null) e.setAttribute(key, value);
  }
  for (const child of children) e.append(child);
  return e;
}
