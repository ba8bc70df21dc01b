// A character carried whole in a link, in the fragment of the page's address,
// which the browser never sends to a server:
//
//   #pg=FORMAT.HASH.RULES.SHEET
//
// FORMAT is 1; HASH is the SHA-256 of the rules file the character was made
// with (the bundled rules too), as the core names rules; RULES is that file's
// name and SHEET the character's .pg sheet, both in base64url.

import { fromBase64, toBase64 } from './store.js';

const FORMAT = '1';
const utf8 = new TextEncoder();
const fromUtf8 = new TextDecoder('utf-8', { fatal: true });

const toBase64Url = (bytes) => toBase64(bytes).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');

function fromBase64Url(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text)) throw new Error('base64url');
  return fromBase64(text.replace(/-/g, '+').replace(/_/g, '/') + '='.repeat((4 - (text.length % 4)) % 4));
}

// The fragment (without '#') that carries `sheet` (the .pg bytes) made with
// the rules of `hash`, named `rulesName`.
export function shareFragment(hash, rulesName, sheet) {
  return `pg=${FORMAT}.${hash}.${toBase64Url(utf8.encode(rulesName))}.${toBase64Url(sheet)}`;
}

// The character in `fragment` (a URL's hash): null when it carries none,
// {problem} when it is broken or of another format, else {hash, rulesName,
// sheet}.
export function readShared(fragment) {
  const text = fragment.replace(/^#/, '');
  if (!text.startsWith('pg=')) return null;
  const fields = text.slice(3).split('.');
  if (fields[0] !== FORMAT) {
    return { problem: 'il link viene da una versione della pagina che questa non conosce: aggiorna la pagina' };
  }
  try {
    if (fields.length !== 4 || !/^[0-9a-f]{64}$/.test(fields[1])) throw new Error('fields');
    const sheet = fromBase64Url(fields[3]);
    if (sheet.length === 0) throw new Error('sheet');
    return { hash: fields[1], rulesName: fromUtf8.decode(fromBase64Url(fields[2])), sheet };
  } catch {
    return { problem: 'il link è incompleto o rovinato: chiedi di mandarlo di nuovo' };
  }
}
