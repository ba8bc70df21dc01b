// The characters made on this device, kept in the browser's local storage of
// this page so that reloads, days offline and the next visit find them again.
// A character is kept as what makes it again: its rules (by their hash; the
// rules of a player's own are kept once, beside the characters), its seed or
// the sheet it was opened from, and the player's steps since, each one
// gesture of a few actions, played again in order.
//
//   tarvo.personaggi         the list: {v, current, order: [summary...]}
//   tarvo.pg.ID              a character: {v, id, rules, seed, link, sheet, steps}
//   tarvo.regole.HASH        rules of a player's own: {name, data}
//   tarvo.colori             the colours chosen with the page's switch
//
// Every write says whether the storage took it; a refused one (a full or
// closed storage) leaves what was kept before as it was.

const VERSION = 2;
const LIST = 'tarvo.personaggi';
const entryKey = (id) => `tarvo.pg.${id}`;
const rulesKey = (hash) => `tarvo.regole.${hash}`;
// The one character the page kept before it kept a list.
const OLD = 'tarvo.personaggio';

function read(key) {
  try {
    return JSON.parse(localStorage.getItem(key));
  } catch {
    return null;
  }
}

function write(key, value) {
  try {
    localStorage.setItem(key, JSON.stringify(value));
    return true;
  } catch {
    return false;
  }
}

function remove(key) {
  try {
    localStorage.removeItem(key);
  } catch {
    // Nothing was kept.
  }
}

// A new character's id: unique on this device.
export function newId() {
  const random = crypto.getRandomValues(new Uint32Array(2));
  return `${Date.now().toString(36)}${random[0].toString(36)}${random[1].toString(36)}`;
}

// Whether this browser keeps anything for the page at all (a private window
// may refuse, or forget at its end).
export function storageWorks() {
  const probe = 'tarvo.prova';
  try {
    localStorage.setItem(probe, '1');
    localStorage.removeItem(probe);
    return true;
  } catch {
    return false;
  }
}

// The list: the current character's id and each character's summary ({id,
// name, about, rules, updated}), the most recent first.
export function loadList() {
  const list = read(LIST);
  if (!list || list.v !== VERSION || !Array.isArray(list.order)) return { current: null, order: [] };
  return { current: typeof list.current === 'string' ? list.current : null, order: list.order };
}

export function loadEntry(id) {
  const entry = read(entryKey(id));
  return entry && entry.v === VERSION && Array.isArray(entry.steps) ? entry : null;
}

// Keeps `entry` with its `summary` at the head of the list, as the current
// character unless `current` is false.
export function keepEntry(entry, summary, current = true) {
  if (!write(entryKey(entry.id), { ...entry, v: VERSION })) return false;
  const list = loadList();
  const order = [summary, ...list.order.filter((other) => other.id !== entry.id)];
  return write(LIST, { v: VERSION, current: current ? entry.id : list.current, order });
}

export function setCurrent(id) {
  const list = loadList();
  return write(LIST, { v: VERSION, current: id, order: list.order });
}

// Forgets character `id`, and rules that no character kept uses any more.
export function forgetEntry(id) {
  const list = loadList();
  const gone = list.order.find((summary) => summary.id === id);
  const order = list.order.filter((summary) => summary.id !== id);
  if (!write(LIST, { v: VERSION, current: list.current === id ? null : list.current, order })) return false;
  remove(entryKey(id));
  if (gone?.rules && !order.some((summary) => summary.rules === gone.rules)) remove(rulesKey(gone.rules));
  return true;
}

export function keepRules(hash, name, data) {
  if (read(rulesKey(hash))) return true;
  return write(rulesKey(hash), { name, data });
}

// Rules of a player's own kept here: {name, data}, or null.
export function loadRules(hash) {
  const rules = read(rulesKey(hash));
  return rules && typeof rules.data === 'string' ? rules : null;
}

// The character the page kept before the list ({rules: {name, data}|null,
// seed, link, actions}), or null; forgetOld() once it is in the list.
export function loadOld() {
  const old = read(OLD);
  return old && old.v === 1 && Array.isArray(old.actions) ? old : null;
}

export function forgetOld() {
  remove(OLD);
}

// The colours the player chose with the page's switch ('dark' or 'light'),
// or null: the system's.
const THEME_KEY = 'tarvo.colori';

export function chosenTheme() {
  try {
    const theme = localStorage.getItem(THEME_KEY);
    return theme === 'dark' || theme === 'light' ? theme : null;
  } catch {
    return null;
  }
}

export function keepTheme(theme) {
  try {
    localStorage.setItem(THEME_KEY, theme);
  } catch {
    // The switch still works until the page is closed.
  }
}

export function toBase64(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(text);
}

export function fromBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}
