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
// character unless `current` is false. A list the storage refuses takes the
// entry back, so that no character is kept out of the list.
export function keepEntry(entry, summary, current = true) {
  return keepEntries([{ entry, summary }], current ? entry.id : undefined) === 1;
}

// Keeps each {entry, summary} of `kept` in order, each at the head of the
// list, and writes the list once; `current` (an id) becomes the current
// character. Returns how many were kept: those before the first the storage
// refused.
export function keepEntries(kept, current) {
  const key = (entry) => entryKey(entry.id);
  const before = [];
  for (const { entry } of kept) {
    let old = null;
    try {
      old = localStorage.getItem(key(entry));
    } catch {
      // Nothing to put back.
    }
    if (!write(key(entry), { ...entry, v: VERSION })) break;
    before.push(old);
  }
  const taken = kept.slice(0, before.length);
  if (taken.length === 0) return 0;
  const list = loadList();
  const ids = new Set(taken.map(({ entry }) => entry.id));
  const order = [...taken.map(({ summary }) => summary).reverse(), ...list.order.filter((other) => !ids.has(other.id))];
  const chosen = current !== undefined && ids.has(current) ? current : list.current;
  if (write(LIST, { v: VERSION, current: chosen, order })) return taken.length;
  taken.forEach(({ entry }, i) => {
    if (before[i] === null) remove(key(entry));
    else {
      try {
        localStorage.setItem(key(entry), before[i]);
      } catch {
        // The storage holds the newer one, still in the list.
      }
    }
  });
  return 0;
}

export function setCurrent(id) {
  const list = loadList();
  return write(LIST, { v: VERSION, current: id, order: list.order });
}

// Forgets character `id`, and rules that no character kept uses any more,
// but for the rules of `inUse` (a hash).
export function forgetEntry(id, inUse) {
  const list = loadList();
  const gone = list.order.find((summary) => summary.id === id);
  const order = list.order.filter((summary) => summary.id !== id);
  if (!write(LIST, { v: VERSION, current: list.current === id ? null : list.current, order })) return false;
  remove(entryKey(id));
  const rules = gone?.rules;
  if (rules && rules !== inUse && !order.some((summary) => summary.rules === rules)) remove(rulesKey(rules));
  return true;
}

// Whether `key` (of a storage event) is character `id`'s.
export function isEntryKey(key, id) {
  return key === entryKey(id);
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
