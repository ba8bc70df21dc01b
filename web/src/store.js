// The character in progress, kept on this device only (the browser's local
// storage of this page) so that a reload finds it again: the rules it was
// made with, the seed and every action since, played again on the next start.

const KEY = 'tarvo.personaggio';
const VERSION = 1;

export function loadSaved() {
  try {
    const saved = JSON.parse(localStorage.getItem(KEY));
    return saved && saved.v === VERSION && Array.isArray(saved.actions) ? saved : null;
  } catch {
    return null;
  }
}

// Keeps `session`; a storage that is full or refused keeps nothing, and the
// page goes on without it.
export function keep(session) {
  try {
    localStorage.setItem(KEY, JSON.stringify({ ...session, v: VERSION }));
    return true;
  } catch {
    return false;
  }
}

export function forget() {
  try {
    localStorage.removeItem(KEY);
  } catch {
    // Nothing was kept.
  }
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
  for (let i = 0; i < bytes.length; i += 0x8000)
    text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(text);
}

export function fromBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}
