// What the Node tests share: the WebAssembly build as the page loads it, the
// native build of the same binding (a player of session scripts), and
// tarvo-genera, with random session scripts and rules files to feed them.
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { Action, openCore } from '../../src/core.js';

const here = path.dirname(fileURLToPath(import.meta.url));
export const ROOT = path.resolve(here, '../../..');
export const SITE = path.join(ROOT, 'build/web/site');
// The module the Node tests and benchmarks load: the site's, or another
// build's (TARVO_WASM_DIR, a folder with tarvo-core.js and tarvo-core.wasm).
const MODULE_DIR = process.env.TARVO_WASM_DIR ?? SITE;
const NATIVE = process.env.TARVO_NATIVE_BUILD ?? path.join(ROOT, 'build/debug');
export const SESSION_PLAYER = path.join(NATIVE, 'web/native/tarvo-web-session');
export const COLLATE = path.join(NATIVE, 'web/native/tarvo-web-collate');
export const GENERA = path.join(NATIVE, 'genera/tarvo-genera');
export const BUNDLED_RULES = path.join(ROOT, 'tarvo.rul');

for (const file of [path.join(MODULE_DIR, 'tarvo-core.wasm'), SESSION_PLAYER]) {
  if (!existsSync(file)) throw new Error(`manca ${file}: prima scripts/web.sh --test lo costruisce`);
}

// A fresh instance of the module, as the site's page starts it.
export async function openWasm() {
  const require = createRequire(import.meta.url);
  const factory = require(path.join(MODULE_DIR, 'tarvo-core.js'));
  return openCore(factory, readFileSync(path.join(MODULE_DIR, 'tarvo-core.wasm')));
}

export function tempFolder() {
  const folder = mkdtempSync(path.join(os.tmpdir(), 'tarvo-web-'));
  return { folder, file: (name) => path.join(folder, name), remove: () => rmSync(folder, { recursive: true, force: true }) };
}

// ---- Session scripts: the same text played by both builds ----

// Plays `script` (lines as web/native/SessionScript.cpp reads them) through
// the native build; its standard output as bytes.
export function playNative(script, work) {
  const file = work.file('session.txt');
  writeFileSync(file, script);
  return execFileSync(SESSION_PLAYER, [file], { maxBuffer: 1 << 28 });
}

// Plays `script` through the WebAssembly build, line by line as the native
// player does; what it prints, as bytes. `timed` receives the milliseconds
// between "time begin" and "time end".
export function playWasm(core, script, timed = () => {}) {
  const out = [];
  const print = (what, bytes) => out.push(Buffer.from(`== ${what}\n`), Buffer.from(bytes), Buffer.from('\n'));
  const link = {};
  let began = 0;
  for (const line of script.split('\n')) {
    const blank = line.indexOf(' ');
    const command = blank < 0 ? line : line.slice(0, blank);
    const rest = blank < 0 ? '' : line.slice(blank + 1);
    const [a, b] = rest.split(' ');
    switch (command) {
      case 'rules': {
        let loaded;
        if (rest === 'bundled') {
          loaded = core.loadBundledRules();
        } else {
          const name = rest.slice(a.length + 1);
          loaded = core.loadRules(readFileSync(a), name);
        }
        print(loaded.ok ? 'rules 1' : 'rules 0', core.bytes());
        break;
      }
      case 'open': {
        const opened = core.openSheet(readFileSync(a), rest.slice(a.length + 1));
        print(opened.ok ? 'open 1' : 'open 0', core.bytes());
        break;
      }
      case 'start':
        core.start(Number(a), Number(b));
        break;
      case 'linkclear':
        for (const key of Object.keys(link)) delete link[key];
        break;
      case 'linkset': {
        const value = rest.slice(a.length + 1);
        const key = ['race', 'archetypes', 'sex', 'hand', 'name'][Number(a)];
        if (key === 'archetypes') (link.archetypes ??= []).push(value);
        else link[key] = value;
        break;
      }
      case 'link':
        print('link', Buffer.from(JSON.stringify(core.startFromLink(Number(a), Number(b), link))));
        break;
      case 'act':
        core.act(Number(a), Number(b));
        break;
      case 'name':
        core.takeName(rest);
        break;
      case 'view':
        core.view();
        print(command, core.bytes());
        break;
      case 'sheet':
        print(command, core.sheet());
        break;
      case 'foundry':
        print(command, core.foundry());
        break;
      case 'print':
        core.printable();
        print(command, core.bytes());
        break;
      case 'rulesjson':
        core.rules();
        print(command, core.bytes());
        break;
      case 'filename':
        core.fileName(rest);
        print(command, core.bytes());
        break;
      case 'time':
        if (rest === 'begin') began = performance.now();
        else timed(performance.now() - began);
        break;
      case '':
        break;
      default:
        throw new Error(`comando sconosciuto: ${command}`);
    }
  }
  return Buffer.concat(out);
}

// A small seeded generator of numbers, so that a failing case comes back.
export function random(seed) {
  let state = seed >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const int = (low, high) => low + Math.floor(next() * (high - low + 1));
  const pick = (list) => list[int(0, list.length - 1)];
  return { next, int, pick };
}

const NAME_PIECES = ['Aldo', 'Ænea', 'Ünïcödé', 'Zoë', 'O\'Brien', '"Tre"', '☃ neve', '𝄞 chiave', ' spazi ', '<b>x</b>', 'È', 'lunghissimo nome di prova oltre', '\\', ''];

// A random session of `actions` user actions on the rules loaded by `rulesLine`.
export function randomSession(seed, rulesLine, actions) {
  if (Object.keys(Action).length === 0) throw new Error('randomSession: open a core first, which names the actions');
  const rng = random(seed);
  const lines = [rulesLine, 'rulesjson', `start ${rng.int(0, 4294967295)} ${rng.int(-1, 8)}`, 'view'];
  for (let i = 0; i < actions; ++i) {
    if (rng.next() < 0.08) {
      lines.push(`name ${rng.pick(NAME_PIECES)}${rng.pick(NAME_PIECES)}`);
    } else {
      // Every action the core has (a core is open by now: it names them).
      const action = rng.int(0, Object.keys(Action).length - 1);
      // Mostly valid indices, now and then one that is not.
      const value = rng.next() < 0.1 ? rng.pick([-1, 40, 99, -2147483648, 2147483647]) : rng.int(0, 12);
      lines.push(`act ${action} ${value}`);
    }
    lines.push('view');
    if (i % 7 === 3) lines.push('sheet', 'print');
    if (i % 21 === 10) lines.push('foundry');
  }
  lines.push('sheet', 'print', 'foundry');
  return `${lines.join('\n')}\n`;
}

// A random rules file: counts up to every capacity (and now and then beyond),
// odd bytes in names, numbers at the 32-bit limits. Bytes, Windows-1252.
export function randomRules(seed) {
  const rng = random(seed);
  const lines = [];
  const name = () => {
    const length = rng.int(0, 14);
    const bytes = [];
    for (let i = 0; i < length; ++i) {
      let byte = rng.next() < 0.7 ? rng.int(0x41, 0x7a) : rng.int(0x01, 0xff);
      if (byte === 0x0a || byte === 0x0d) byte = 0x20;
      bytes.push(byte);
    }
    return Buffer.from(bytes).toString('latin1');
  };
  const number = () =>
    rng.next() < 0.8
      ? String(rng.int(-3, 20))
      : rng.pick(['2147483647', '-2147483648', '99999999999', '-0', ' 12', '7abc', '', '+5', '1000', '1001']);
  const dice = () => {
    lines.push(rng.next() < 0.9 ? String(rng.int(0, 4)) : rng.pick(['0', '-1', '1000', '999']));
    lines.push(rng.next() < 0.85 ? String(rng.int(0, 20)) : rng.pick(['2147483647', '-2147483648', '-6', '65536']));
    lines.push(number());
  };
  const count = (capacity) => (rng.next() < 0.95 ? rng.int(0, capacity) : rng.pick([capacity + 1, -1, 0]));
  const characteristics = count(5);
  lines.push(String(characteristics));
  const keys = ['FOR', 'COS', 'DES', 'MAN', 'LUC'];
  for (let c = 0; c < Math.max(0, characteristics); ++c) lines.push(name(), keys[c] ?? name(), name());
  const skills = count(20);
  lines.push(String(skills));
  const skillKeys = ['heavy', 'shield', 'light', 'craft', 'acrobat', 'sneack', 'music', 'range', 'medium'];
  for (let s = 0; s < Math.max(0, skills); ++s) {
    lines.push(name(), name(), rng.pick(skillKeys), String(rng.int(-1, 5)));
  }
  const races = count(15);
  lines.push(String(races));
  for (let r = 0; r < Math.max(0, races); ++r) {
    lines.push(name());
    for (let c = 0; c < Math.max(0, characteristics); ++c) dice();
  }
  const archetypes = count(25);
  lines.push(String(archetypes));
  for (let a = 0; a < Math.max(0, archetypes); ++a) {
    lines.push(name(), number());
    dice();
    for (let s = 0; s < Math.max(0, skills); ++s) dice();
  }
  const items = count(40);
  lines.push(String(items));
  const types = ['empty', 'armor', 'shield', 'ARMOR', 'heavy', 'light', 'FOR', 'des', 'ignota', ...skillKeys];
  for (let i = 0; i < Math.max(0, items); ++i) {
    lines.push(i === 0 ? '<Nulla>' : name(), i === 0 ? 'empty' : rng.pick(types), number(), number(), number());
    lines.push(rng.next() < 0.8 ? String(rng.int(0, 30)) : number());
  }
  // Now and then the file ends early.
  const kept = rng.next() < 0.1 ? lines.slice(0, rng.int(0, lines.length)) : lines;
  const eol = rng.next() < 0.5 ? '\r\n' : '\n';
  return Buffer.from(kept.join(eol) + eol, 'latin1');
}

// tarvo-genera's sheet for `args` (without --stdout), as bytes.
export function genera(args) {
  const run = spawnSync(GENERA, [...args, '--stdout'], { maxBuffer: 1 << 24 });
  if (run.status !== 0) throw new Error(`tarvo-genera ${args.join(' ')}: ${run.stderr}`);
  return run.stdout;
}

// The characters of the bytes 0x80 to 0x9F in Windows-1252; the five it
// leaves undefined are the control characters of the same value.
const WINDOWS_1252_HIGH = '€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8DŽ\x8F\x90‘’“”•–—˜™š›œ\x9DžŸ';

// The text of Windows-1252 `bytes`.
export function fromWindows1252(bytes) {
  return [...bytes].map((byte) => (byte >= 0x80 && byte < 0xa0 ? WINDOWS_1252_HIGH[byte - 0x80] : String.fromCharCode(byte))).join('');
}

// `text` in Windows-1252, as rules files are written; throws on a character
// the code page cannot hold.
export function windows1252(text) {
  return Buffer.from(
    [...text].map((ch) => {
      const code = ch.codePointAt(0);
      if (code < 0x80 || (code >= 0xa0 && code <= 0xff)) return code;
      const at = WINDOWS_1252_HIGH.indexOf(ch);
      if (at < 0) throw new Error(`${ch} non è in Windows-1252`);
      return 0x80 + at;
    }),
  );
}
