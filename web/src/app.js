// The generator's page: starts the core, opens the form as the desktop
// opens it (or as a link asks), keeps the character in progress across
// reloads, and saves, prints and opens files, all on this device.

import { openCore } from './core.js';
import { Form } from './form.js';
import { linkKey, readLink } from './link.js';
import { drawSheet } from './print.js';
import { chosenTheme, forget, fromBase64, keep, keepTheme, loadSaved, toBase64 } from './store.js';

const $ = (id) => document.getElementById(id);

// The module's bytes when this page carries them (the single file), else
// the address of the module beside the page.
function wasmSource() {
  const carried = globalThis.TARVO_WASM;
  return typeof carried === 'string' ? fromBase64(carried) : 'tarvo-core.wasm';
}

function randomSeed() {
  return crypto.getRandomValues(new Uint32Array(1))[0];
}

// Fills the box `id` (the page's message or question box) with `title`,
// `lines` (texts, never markup) and the `items` as a list under them; returns
// the box.
function fillBox(id, title, lines, items) {
  $(`${id}-title`).textContent = title;
  const text = (tag, content) => {
    const node = document.createElement(tag);
    node.textContent = content;
    return node;
  };
  const parts = lines.map((line) => text('p', line));
  if (items.length > 0) {
    const list = document.createElement('ul');
    list.append(...items.map((item) => text('li', item)));
    parts.push(list);
  }
  $(`${id}-text`).replaceChildren(...parts);
  return $(id);
}

// Tells `lines` and `items` in the page's message box.
function tell(title, lines, items = []) {
  const dialog = fillBox('message', title, lines, items);
  if (!dialog.open) dialog.showModal();
}

// Asks the question of `lines` and `items` in the page's question box: true
// when the player says yes.
function ask(title, lines, items = []) {
  const dialog = fillBox('question', title, lines, items);
  dialog.returnValue = '';
  return new Promise((resolve) => {
    dialog.addEventListener('close', () => resolve(dialog.returnValue === 'yes'), { once: true });
    dialog.showModal();
  });
}

// The page's colours: dark when the system asks for them, unless the player
// chose otherwise with the switch; the choice is kept on this device.
function followTheme() {
  const button = $('theme');
  // A browser that cannot pick between two colours keeps the light ones.
  if (!CSS.supports('color', 'light-dark(#000, #fff)')) {
    button.hidden = true;
    return;
  }
  const system = matchMedia('(prefers-color-scheme: dark)');
  let chosen = chosenTheme();
  const apply = () => {
    const dark = chosen ? chosen === 'dark' : system.matches;
    document.documentElement.dataset.theme = dark ? 'dark' : 'light';
    button.setAttribute('aria-pressed', String(dark));
  };
  button.addEventListener('click', () => {
    chosen = button.getAttribute('aria-pressed') === 'true' ? 'light' : 'dark';
    keepTheme(chosen);
    apply();
  });
  system.addEventListener('change', apply);
  apply();
}

// Says when a new version of the site has taken over from the one this page
// runs, with a button that reloads the page onto it. The first version kept
// for offline use is no news.
function watchUpdates() {
  const worker = navigator.serviceWorker;
  let controlled = worker.controller !== null;
  worker.addEventListener('controllerchange', () => {
    if (controlled) $('update').hidden = false;
    controlled = true;
  });
  $('reload').addEventListener('click', () => location.reload());
}

// A finding of the rules check, as the message box lists it.
function findingText({ line, error, text }) {
  return `${line > 0 ? `riga ${line}: ` : ''}${error ? 'errore' : 'avviso'}: ${text}`;
}

class Page {
  constructor(core) {
    this.core = core;
    this.form = new Form($('form'), core.constants, {
      act: (action, value) => this.act(action, value),
      takeName: (text) => this.takeName(text),
    });
    this.session = null;
  }

  // The rules of `session` (bundled, or a file of the player's own); false
  // when they no longer load.
  loadRulesOf(session) {
    const loaded = session.rules
      ? this.core.loadRules(fromBase64(session.rules.data), session.rules.name)
      : this.core.loadBundledRules();
    if (!loaded.ok) return false;
    session.first = this.form.setRules(this.core.rules());
    // The rules in use, named on the page.
    $('rules-in-use').textContent = session.rules
      ? `Regole in uso: "${session.rules.name}"`
      : 'Regole in uso: le regole di Velmor';
    $('velmor').disabled = !session.rules;
    return true;
  }

  // Opens the form on a session: its rules, its start, its actions again.
  replay(session) {
    if (!this.loadRulesOf(session)) return false;
    const said = session.link
      ? this.core.startFromLink(session.seed, session.first, session.link)
      : (this.core.start(session.seed, session.first), []);
    for (const [kind, value, name] of session.actions) {
      if (kind === 'name') this.core.takeName(value);
      else if (kind === 'open') this.core.openSheet(fromBase64(value), name);
      else this.core.act(kind, value);
    }
    this.session = session;
    this.show(true);
    return said;
  }

  start() {
    const link = readLink(location.search, this.core.constants.maxSeed);
    const saved = loadSaved();
    const key = link ? linkKey(location.search) : '';
    if (saved && saved.linkKey === key) {
      // The character in progress, made from this same address.
      if (this.replay(saved) !== false) return;
      forget();
    }
    const session = {
      linkKey: key,
      rules: null,
      seed: link?.seed ?? randomSeed(),
      link: link?.choices ?? null,
      actions: [],
    };
    const said = this.replay(session);
    keep(this.session);
    const problems = [...(link?.problems ?? []), ...said];
    if (problems.length > 0) tell('Il collegamento', problems);
  }

  show(always = false) {
    this.form.show(this.core.view(), always);
  }

  record(action) {
    this.session.actions.push(action);
    keep(this.session);
  }

  act(action, value) {
    if (this.core.act(action, value)) this.record([action, value]);
    this.show();
  }

  takeName(text) {
    this.core.takeName(text);
    this.record(['name', text]);
  }

  // The name field keeps its text until it loses the focus; a command that
  // needs the name takes it first.
  takeFocusedName() {
    const name = $('name');
    if (document.activeElement === name) this.takeName(name.value);
  }

  save() {
    this.takeFocusedName();
    this.download(this.core.sheet(), 'application/octet-stream', this.core.fileName($('name').value));
  }

  // The character for Foundry VTT, named as its sheet with .json for .pg.
  exportFoundry() {
    this.takeFocusedName();
    const name = this.core.fileName($('name').value).replace(/\.pg$/i, '') + '.json';
    this.download(this.core.foundry(), 'application/json', name);
  }

  download(bytes, type, name) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60_000);
  }

  preparePrint() {
    this.takeFocusedName();
    drawSheet($('sheet'), this.core.printable());
  }

  // A rules file of the player's own: the form opens anew on it, and what
  // the check of the file finds is said; a refused one changes nothing.
  async openRules(file) {
    // A file larger than any rules is read no further than the core needs to
    // refuse it.
    const bytes = new Uint8Array(await file.slice(0, this.core.rulesSizeLimit() + 1).arrayBuffer());
    const loaded = this.core.loadRules(bytes, file.name, false);
    const findings = loaded.findings.map(findingText);
    if (loaded.more) findings.push('e altri problemi ancora: il controllo si ferma qui');
    if (loaded.pending) {
      // Rules that load with warnings are used only when the player says so.
      const use = await ask(
        'Regole',
        [`Le regole "${file.name}" si possono usare, ma il controllo del file trova:`],
        findings,
      );
      if (!use || !this.core.usePendingRules()) return;
    } else if (!loaded.ok) {
      tell('Regole', [loaded.message, ...(findings.length > 0 ? ['I primi problemi del file:'] : [])], findings);
      return;
    }
    this.useRules({ name: file.name, data: toBase64(bytes) });
  }

  // A new character on `rules` (null: the rules of Velmor), kept as the one
  // in progress.
  useRules(rules) {
    const session = {
      linkKey: this.session.linkKey,
      rules,
      seed: randomSeed(),
      link: null,
      actions: [],
    };
    this.replay(session);
    const said = [];
    if (!keep(session)) {
      // Nor the character of the rules before: a reload starts afresh.
      forget();
      said.push('Il browser non conserva queste regole: ricaricando la pagina si torna alle regole di Velmor.');
    }
    if (said.length > 0) tell('Regole', said);
  }

  // A .pg sheet: the form shows that character as if just made; a refused
  // one changes nothing.
  async openSheet(file) {
    this.takeFocusedName();
    const bytes = new Uint8Array(await file.arrayBuffer());
    const opened = this.core.openSheet(bytes, file.name);
    if (!opened.ok) {
      tell('Apri', [opened.message]);
      return;
    }
    this.record(['open', toBase64(bytes), file.name]);
    this.show(true);
    if (opened.notes.length > 0) tell('Apri', opened.notes);
  }
}

async function main() {
  followTheme();
  let core;
  try {
    core = await openCore(globalThis.TarvoCore, wasmSource());
  } catch (error) {
    $('loading').textContent = `Il generatore non si avvia in questo browser: ${error.message ?? error}`;
    return;
  }
  // A fault inside the module leaves it unusable: say so rather than fail
  // silently on the next click.
  const stopped = (error) =>
    tell('TARVO', [
      `Il generatore si è fermato per un errore interno (${error?.message ?? error}).`,
      'Ricarica la pagina: il personaggio fin qui fatto torna com\'era.',
    ]);
  addEventListener('error', (event) => stopped(event.error ?? event.message));
  addEventListener('unhandledrejection', (event) => stopped(event.reason));

  const page = new Page(core);
  page.start();
  $('loading').hidden = true;
  $('form').hidden = false;

  $('form').addEventListener('submit', (event) => {
    event.preventDefault();
    page.save();
  });
  $('foundry').addEventListener('click', () => page.exportFoundry());
  $('print').addEventListener('click', () => {
    page.preparePrint();
    print();
  });
  addEventListener('beforeprint', () => page.preparePrint());
  // A name being typed is kept when the page goes away or out of sight (a
  // reload, a closed tab, another app on a phone), as it is when the field
  // loses the focus.
  addEventListener('pagehide', () => page.takeFocusedName());
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') page.takeFocusedName();
  });
  $('rules').addEventListener('click', () => $('rules-file').click());
  $('velmor').addEventListener('click', () => page.useRules(null));
  $('open').addEventListener('click', () => $('sheet-file').click());
  $('sheet-file').addEventListener('change', (event) => {
    const [file] = event.target.files;
    event.target.value = '';
    if (file) page.openSheet(file);
  });
  $('rules-file').addEventListener('change', (event) => {
    const [file] = event.target.files;
    event.target.value = '';
    if (file) page.openRules(file);
  });
  addEventListener('keydown', (event) => {
    if (!event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.key === 's' || event.key === 'S') {
      event.preventDefault();
      page.save();
    } else if (event.key === 'o' || event.key === 'O') {
      event.preventDefault();
      $('open').click();
    }
  });
  document.documentElement.dataset.ready = 'true';
  performance.mark('tarvo-pronto');

  // The site keeps itself for offline use; the single file needs nothing.
  const site = typeof globalThis.TARVO_WASM !== 'string';
  if (site && 'serviceWorker' in navigator && isSecureContext && location.protocol.startsWith('http')) {
    watchUpdates();
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
}

main();
