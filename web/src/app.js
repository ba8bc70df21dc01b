// The generator's page: starts the core, opens the form as the desktop
// opens it (or as a link asks), keeps every character made here with its
// steps (undone and done again by playing them anew), shares one in a link,
// follows one in play, and saves, prints and opens files, all on this device.

import { Action, openCore } from './core.js';
import { el } from './dom.js';
import { Form } from './form.js';
import { readLink } from './link.js';
import { PlayView } from './play.js';
import { drawSheet } from './print.js';
import { readShared, shareFragment } from './share.js';
import {
  chosenTheme,
  forgetEntry,
  forgetOld,
  fromBase64,
  isEntryKey,
  keepEntries,
  keepEntry,
  keepRules,
  keepTheme,
  loadEntry,
  loadList,
  loadOld,
  loadRules,
  newId,
  setCurrent,
  storageWorks,
  toBase64,
} from './store.js';
import { isZip, makeZip, readZip } from './zip.js';

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
  const parts = lines.map((line) => el('p', '', line));
  if (items.length > 0) {
    const list = el('ul');
    list.append(...items.map((item) => el('li', '', item)));
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

// Asks the question of `lines` and `items` in the page's question box, whose
// yes says `yes`: true when the player says yes.
function ask(title, lines, items = [], yes = 'Usa queste regole') {
  const dialog = fillBox('question', title, lines, items);
  $('question-yes').textContent = yes;
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

// The user's actions that roll dice again: a character in play is asked
// about before any of them. (Functions: the actions' numbers come with the
// core.)
const rollingActions = () =>
  new Set([
    Action.ChooseRace,
    Action.RerollRace,
    Action.ChooseArchetype1,
    Action.ChooseArchetype2,
    Action.ChooseArchetype3,
    Action.RerollSkills,
    Action.UseArchetype2,
    Action.UseArchetype3,
  ]);
// The changes of play.
const playActions = () => new Set([Action.SetCurrentPF, Action.SetCurrentPM, Action.SetMoney]);

// The largest file Importa reads: a .zip of thousands of sheets fits.
const IMPORT_LIMIT = 64 << 20;

// A new character: made on `rules` (a hash; null for the rules of Velmor)
// from `seed` and a link's choices, or opened from a sheet ({data, name}).
function newEntry(rules, { seed = randomSeed(), link = null, sheet = null } = {}) {
  return { id: newId(), rules, seed, link, sheet, steps: [] };
}

// File names unique within one archive: "Aldo.pg", "Aldo (2).pg", ...
function uniqueName(taken, name) {
  const dot = name.lastIndexOf('.');
  const [base, ending] = dot > 0 ? [name.slice(0, dot), name.slice(dot)] : [name, ''];
  let unique = name;
  for (let n = 2; taken.has(unique.toLowerCase()); ++n) unique = `${base} (${n})${ending}`;
  taken.add(unique.toLowerCase());
  return unique;
}

class Page {
  constructor(core) {
    this.core = core;
    this.rolls = rollingActions();
    this.playActions = playActions();
    this.form = new Form($('form'), core.constants, {
      act: (actions) => this.act(actions),
      takeName: (text) => this.takeName(text),
    });
    this.play = new PlayView($('play'), (actions) => this.act(actions));
    this.entry = null;
    this.redo = [];
    // The rules in the core: a hash, '' for the rules of Velmor, null none.
    this.loaded = null;
    // Rules of the player's own met in this visit, by hash: the page makes
    // their characters even where the storage keeps nothing.
    this.ownRules = new Map();
    this.playing = false;
    this.listed = false;
    // The list's entries as drawn: id -> {shows, item}.
    this.drawnItems = new Map();
    this.storing = storageWorks();
    this.full = false;
  }

  // ---- Rules

  // Puts the rules of `entry` in use, when others are; false when they are
  // no longer kept or no longer load.
  useRulesOf(entry) {
    const key = entry.rules ?? '';
    if (this.loaded === key) return true;
    let loaded;
    if (entry.rules === null) {
      loaded = this.core.loadBundledRules();
    } else {
      const kept = this.keptRules(entry.rules);
      if (!kept) return false;
      loaded = this.core.loadRules(fromBase64(kept.data), kept.name);
    }
    if (!loaded.ok) return false;
    this.tookRules(key);
    return true;
  }

  // The core has rules of `key` in use: the form's lists follow them.
  tookRules(key) {
    this.loaded = key;
    this.rules = this.core.rules();
    this.first = this.form.setRules(this.rules);
    $('rules-in-use').textContent = key ? `Regole in uso: "${this.rules.file}"` : 'Regole in uso: le regole di Velmor';
    $('velmor').disabled = !key;
  }

  // Rules of the player's own, {name, data}: met in this visit, or kept.
  keptRules(hash) {
    return this.ownRules.get(hash) ?? loadRules(hash);
  }

  // Rules of the player's own that the core has just taken: kept with the
  // characters made on them; false when the storage refuses them.
  takeOwnRules(name, data) {
    const hash = this.core.rules().hash;
    this.ownRules.set(hash, { name, data });
    this.tookRules(hash);
    return !this.storing || keepRules(hash, name, data);
  }

  // ---- Characters

  // Makes `entry` on the core again: its rules, its start and its steps.
  // Returns what its link or sheet says ([] for nothing), or {refused} when
  // it cannot be made.
  make(entry) {
    if (!this.useRulesOf(entry)) {
      return { refused: 'Le regole di questo personaggio non sono più su questo dispositivo, o non si leggono più.' };
    }
    let said = [];
    if (entry.link) said = this.core.startFromLink(entry.seed, this.first, entry.link);
    else this.core.start(entry.seed, this.first);
    if (entry.sheet) {
      const opened = this.core.openSheet(fromBase64(entry.sheet.data), entry.sheet.name);
      if (!opened.ok) return { refused: opened.message };
      said = opened.notes;
    }
    for (const step of entry.steps) for (const action of step) this.apply(action);
    return said;
  }

  apply([kind, value, name]) {
    if (kind === 'name') this.core.takeName(value);
    else if (kind === 'open') this.core.openSheet(fromBase64(value), name);
    else return this.core.act(kind, value);
    return true;
  }

  // Shows `entry` as the character in progress, kept as such unless `keep`
  // is false; false (and the one before shown again) when it cannot be made,
  // which is said under `title`.
  open(entry, keep = true, title = 'Personaggi') {
    const before = this.entry;
    const said = this.make(entry);
    if (said.refused !== undefined) {
      if (before) {
        this.make(before);
        this.show(true);
      }
      tell(title, [said.refused]);
      return false;
    }
    this.entry = entry;
    this.redo = [];
    this.show(true);
    if (keep) {
      this.keep();
    } else {
      if (this.storing) setCurrent(entry.id);
      if (this.listed) this.showList();
    }
    // What a link or a sheet says is said once, when its character is new.
    if (keep && entry.steps.length === 0 && said.length > 0) tell(entry.sheet ? 'Apri' : 'Il collegamento', said);
    return true;
  }

  // What the list shows of the character in progress.
  summary() {
    const sheet = this.core.printable();
    return {
      id: this.entry.id,
      name: sheet.name,
      about: [sheet.race, sheet.archetypes.join('/')].filter((text) => text !== '').join(', '),
      rules: this.entry.rules,
      inPlay: this.inPlay(),
      updated: Date.now(),
    };
  }

  // Keeps the character in progress; a storage that refuses it is said once,
  // and what was kept before stays. True when it is kept.
  keep() {
    let kept = false;
    if (this.storing) {
      kept = keepEntry(this.entry, this.summary());
      if (!kept && !this.full) {
        tell('Personaggi', [
          'Il browser non ha più spazio per i personaggi di questa pagina: l\'ultimo cambiamento non è conservato.',
          'I personaggi già conservati restano. Salva o Esporta tutti li scaricano.',
        ]);
      }
      this.full = !kept;
    }
    if (this.listed) this.showList();
    return kept;
  }

  start() {
    const list = loadList();
    const current = list.current ? loadEntry(list.current) : null;
    const link = readLink(location.search, this.core.constants.maxSeed);
    const old = loadOld();
    if (old) this.takeOld(old);
    if (link) {
      // A link adds its character; the address forgets it, so that a
      // reload finds the character as it is by then.
      this.open(newEntry(null, { seed: link.seed ?? randomSeed(), link: link.choices }));
      forgetAddress();
      if (link.problems.length > 0) tell('Il collegamento', link.problems);
      return;
    }
    if (!this.entry && current) this.open(current, false);
    if (!this.entry) this.open(newEntry(null));
  }

  // The one character the page kept before it kept a list goes into it.
  takeOld(old) {
    const entry = newEntry(null, { seed: old.seed, link: old.link });
    if (old.rules) {
      if (!this.core.loadRules(fromBase64(old.rules.data), old.rules.name).ok) return;
      if (!this.takeOwnRules(old.rules.name, old.rules.data)) return;
      entry.rules = this.rules.hash;
    }
    entry.steps = old.actions.map((action) => [action]);
    // The old one goes only once the list holds it.
    if (this.open(entry) && this.storing && !this.full) forgetOld();
  }

  // ---- What the player does

  show(always = false) {
    const view = this.core.view();
    this.form.show(view, always);
    $('undo').disabled = !this.entry || this.entry.steps.length === 0;
    $('redo').disabled = this.redo.length === 0;
    if (this.playing) this.play.show(this.core.printable(), view.play);
  }

  // One gesture's actions ([action, value] each): those the core takes make
  // one step. Rolling again a character in play asks first.
  async act(actions) {
    if (this.inPlay() && actions.some(([action]) => this.rolls.has(action))) {
      const roll = await ask(
        'In gioco',
        ['Il personaggio è in gioco: tirando di nuovo cambiano i suoi valori, e quelli della partita si perdono.'],
        [],
        'Tira di nuovo',
      );
      if (!roll) {
        this.show();
        return;
      }
    }
    const done = actions.filter(([action, value]) => this.core.act(action, value));
    if (done.length > 0) this.step(done);
    this.show();
  }

  // A character is in play from its first change of play on (until that is
  // undone).
  inPlay() {
    return this.entry.steps.some((step) => step.some(([action]) => this.playActions.has(action)));
  }

  step(actions) {
    this.entry.steps.push(actions);
    this.redo = [];
    this.keep();
  }

  takeName(text) {
    const before = this.core.view().name;
    this.core.takeName(text);
    if (this.core.view().name !== before) {
      this.step([['name', text]]);
      this.show();
    }
  }

  // The name field keeps its text until it loses the focus; a command that
  // needs the name takes it first.
  takeFocusedName() {
    const name = $('name');
    if (document.activeElement === name) this.takeName(name.value);
  }

  // Undo makes the character again without its last step: the same draws
  // come back. Redo does that step again.
  undo() {
    this.takeFocusedName();
    if (this.entry.steps.length === 0) return;
    this.redo.push(this.entry.steps.pop());
    this.make(this.entry);
    this.show(true);
    this.keep();
  }

  redoStep() {
    if (this.redo.length === 0) return;
    const step = this.redo.pop();
    for (const action of step) this.apply(action);
    this.entry.steps.push(step);
    this.show(true);
    this.keep();
  }

  // A new character on the rules in use; the one before stays in the list.
  startNew(rules = this.entry.rules) {
    this.takeFocusedName();
    this.open(newEntry(rules));
  }

  duplicate(id) {
    const entry = id === this.entry.id ? this.entry : loadEntry(id);
    if (entry) this.open({ ...structuredClone(entry), id: newId() });
  }

  async remove(id, name) {
    const yes = await ask('Personaggi', [`Eliminare "${name}" da questo dispositivo?`], [], 'Elimina');
    if (!yes) return;
    forgetEntry(id, this.entry.rules);
    if (id === this.entry.id) {
      let next = null;
      for (const summary of loadList().order) {
        next = loadEntry(summary.id);
        if (next) break;
      }
      if (!next || !this.open(next)) this.open(newEntry(this.entry.rules));
    }
    this.showList();
  }

  // Storage `key` changed in another tab of the page.
  changedElsewhere(key) {
    if (isEntryKey(key, this.entry.id)) {
      const there = loadEntry(this.entry.id);
      if (there) {
        this.entry = there;
        this.redo = [];
        this.make(there);
        this.show(true);
      } else {
        // Deleted there: it is not kept again from here.
        this.open(newEntry(this.entry.rules));
        tell('Personaggi', ['Il personaggio in corso è stato eliminato in un\'altra scheda della pagina.']);
      }
    }
    if (this.listed) this.showList();
  }

  choose(id) {
    if (id === this.entry.id) return;
    this.takeFocusedName();
    const entry = loadEntry(id);
    if (entry) this.open(entry, false);
  }

  // The list of characters, the one in progress marked. An entry is drawn
  // anew only when what it shows changed, and the list is put in order only
  // when its order changed: after a step, one entry at most changes.
  showList() {
    const list = $('roster-list');
    if (!this.storing) {
      $('roster-note').hidden = false;
      return;
    }
    const items = loadList().order.map((summary) => {
      const shows = JSON.stringify([summary.name, summary.about, summary.inPlay, summary.id === this.entry?.id]);
      const drawn = this.drawnItems.get(summary.id);
      if (drawn?.shows === shows) return drawn.item;
      const item = this.listItem(summary);
      this.drawnItems.set(summary.id, { shows, item });
      return item;
    });
    const shown = list.children;
    // The focus stays on the same button of an entry drawn anew.
    const focused = document.activeElement;
    const within = list.contains(focused) ? [...focused.parentElement.children].indexOf(focused) : -1;
    const focusedId = within >= 0 ? focused.parentElement.dataset.id : null;
    if (items.length !== shown.length || items.some((item, i) => shown[i] !== item)) list.replaceChildren(...items);
    for (const [id, { item }] of this.drawnItems) if (!item.isConnected) this.drawnItems.delete(id);
    if (focusedId !== null && !focused.isConnected) this.drawnItems.get(focusedId)?.item.children[within]?.focus();
  }

  listItem(summary) {
    const item = el('li');
    item.dataset.id = summary.id;
    const pick = el('button', 'pick');
    pick.type = 'button';
    pick.append(
      el('span', 'who', summary.name),
      el('span', 'about', summary.inPlay ? `${summary.about} · in gioco` : summary.about),
    );
    if (summary.id === this.entry?.id) pick.setAttribute('aria-current', 'true');
    pick.addEventListener('click', () => this.choose(summary.id));
    const command = (text, handler) => {
      const button = el('button', '', text);
      button.type = 'button';
      button.setAttribute('aria-label', `${text} "${summary.name}"`);
      button.addEventListener('click', handler);
      return button;
    };
    item.append(
      pick,
      command('Duplica', () => this.duplicate(summary.id)),
      command('Elimina', () => this.remove(summary.id, summary.name)),
    );
    return item;
  }

  // ---- In play

  setPlaying(playing) {
    this.takeFocusedName();
    this.playing = playing;
    $('play').hidden = !playing;
    $('form').hidden = playing;
    $('to-play').hidden = playing;
    $('to-form').hidden = !playing;
    this.show();
    (playing ? $('to-form') : $('to-play')).focus();
  }

  // ---- Files

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

  // A rules file of the player's own: a new character on it, and what the
  // check of the file finds is said; a refused one changes nothing.
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
    if (!this.takeOwnRules(file.name, toBase64(bytes))) {
      tell('Regole', ['Il browser non ha spazio per conservare queste regole: valgono fino alla chiusura della pagina.']);
    }
    this.startNew(this.rules.hash);
  }

  // A .pg sheet: a new character in the list, as if just made; a refused
  // one changes nothing.
  async openSheet(file) {
    this.takeFocusedName();
    const bytes = new Uint8Array(await file.arrayBuffer());
    const entry = newEntry(this.entry.rules, { sheet: { data: toBase64(bytes), name: file.name } });
    this.open(entry, true, 'Apri');
  }

  // Every character kept here, as one .zip of .pg sheets.
  exportAll() {
    this.takeFocusedName();
    const current = this.entry;
    const taken = new Set();
    const files = [];
    const failed = [];
    // The one in progress too, should the browser have refused to keep it.
    const order = this.storing ? loadList().order : [];
    if (!order.some((summary) => summary.id === current.id)) order.unshift(this.summary());
    for (const summary of order) {
      const entry = summary.id === current.id ? current : loadEntry(summary.id);
      const made = entry ? this.make(entry) : { refused: 'Il browser non lo restituisce.' };
      if (made.refused !== undefined) {
        failed.push(`${summary.name}: ${made.refused}`);
        continue;
      }
      const name = uniqueName(taken, this.core.fileName(this.core.view().name));
      files.push({ name, bytes: this.core.sheet() });
    }
    this.make(current);
    this.show(true);
    this.download(makeZip(files), 'application/zip', 'personaggi.zip');
    if (failed.length > 0) tell('Esporta tutti', ['Questi personaggi non sono nell\'archivio:'], failed);
  }

  // .pg sheets, or .zip archives of them: each a new character in the list.
  async importFiles(files) {
    this.takeFocusedName();
    const sheets = [];
    const refused = [];
    for (const file of files) {
      if (file.size > IMPORT_LIMIT) {
        refused.push(`${file.name}: è troppo grande per una scheda o un archivio di schede.`);
        continue;
      }
      const bytes = new Uint8Array(await file.arrayBuffer());
      if (!isZip(bytes)) {
        sheets.push({ name: file.name, bytes });
        continue;
      }
      try {
        for (const inner of await readZip(bytes)) {
          const name = inner.name.slice(inner.name.lastIndexOf('/') + 1);
          if (/\.pg$/i.test(name)) sheets.push({ name, bytes: inner.bytes });
        }
      } catch (error) {
        refused.push(`${file.name}: ${error.message}`);
      }
    }
    // Each sheet made as a character, then all kept at once.
    const before = this.entry;
    const made = [];
    for (const { name, bytes } of sheets) {
      const entry = newEntry(before.rules, { sheet: { data: toBase64(bytes), name } });
      const said = this.make(entry);
      if (said.refused !== undefined) {
        refused.push(said.refused);
        continue;
      }
      this.entry = entry;
      made.push({ entry, summary: this.summary(), name });
    }
    this.entry = before;
    const lines = [];
    let kept = made.length;
    if (this.storing) {
      kept = keepEntries(made, made.at(-1)?.entry.id);
    } else if (made.length > 1) {
      kept = 1;
      made.splice(0, made.length - 1);
      lines.push('Il browser non conserva i personaggi: si apre solo l\'ultimo.');
    }
    for (const { name } of made.slice(kept)) refused.push(`${name}: il browser non ha più spazio per conservarlo.`);
    const last = kept > 0 ? made[kept - 1].entry : null;
    this.open(last ?? before, false);
    lines.unshift(`Personaggi importati: ${kept}.`);
    if (refused.length > 0) lines.push('Non importati:');
    tell('Importa', lines, refused);
  }

  // ---- Share

  // A link carrying the character in progress, shown, copied and offered to
  // the system's share sheet; from a file on the device, the .pg instead.
  async share() {
    this.takeFocusedName();
    if (!location.protocol.startsWith('http')) {
      const save = await ask(
        'Condividi',
        [
          'Un link ha bisogno della pagina in rete: questa è aperta da un file su questo dispositivo.',
          'Puoi mandare invece la scheda .pg: si apre con Apri.',
        ],
        [],
        'Salva la scheda .pg',
      );
      if (save) this.save();
      return;
    }
    const address = new URL(location.href);
    address.search = '';
    address.hash = shareFragment(this.rules.hash, this.rules.file, this.core.sheet());
    const url = address.href;
    const field = $('link');
    field.value = url;
    $('share-box').hidden = false;
    field.focus();
    field.select();
    let said = 'Il link è nel campo qui sopra: copialo e mandalo.';
    try {
      await navigator.clipboard.writeText(url);
      said = 'Link copiato: incollalo dove vuoi mandarlo.';
    } catch {
      // No clipboard here: the field holds the link.
    }
    $('share-said').textContent = said;
    if (navigator.share) navigator.share({ title: this.summary().name, url }).catch(() => {});
  }

  // A character from a link: added to the list when its rules are here.
  openShared(shared) {
    if (shared.problem) {
      tell('Condividi', [`Il personaggio del link non si apre: ${shared.problem}.`]);
      return;
    }
    let rules = null;
    if (shared.hash !== this.core.constants.bundledRulesHash) {
      if (!this.keptRules(shared.hash)) {
        tell('Condividi', [
          `Il personaggio del link è fatto con le regole "${shared.rulesName}", che su questo dispositivo non ci sono.`,
          'Apri quelle regole con Regole, poi apri di nuovo il link.',
        ]);
        return;
      }
      rules = shared.hash;
    }
    this.open(newEntry(rules, { sheet: { data: toBase64(shared.sheet), name: 'link.pg' } }), true, 'Condividi');
  }
}

// The address without the link's query and fragment: a reload finds the
// character as it is by then, not the link's again.
function forgetAddress() {
  try {
    history.replaceState(null, '', location.pathname);
  } catch {
    // A page from a file may keep its address.
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
  $('toolbar').hidden = false;

  $('form').addEventListener('submit', (event) => {
    event.preventDefault();
    page.save();
  });
  const on = (id, handler) => $(id).addEventListener('click', handler);
  on('foundry', () => page.exportFoundry());
  on('print', () => {
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
  on('rules', () => $('rules-file').click());
  on('velmor', () => page.startNew(null));
  on('open', () => $('sheet-file').click());
  on('undo', () => page.undo());
  on('redo', () => page.redoStep());
  on('new', () => page.startNew());
  on('to-roster', () => {
    $('roster').scrollIntoView();
    $('roster-list').querySelector('[aria-current]')?.focus();
  });
  on('to-play', () => page.setPlaying(true));
  on('to-form', () => page.setPlaying(false));
  on('share', () => page.share());
  on('export-all', () => page.exportAll());
  on('import', () => $('import-file').click());
  const picked = (id, handler) =>
    $(id).addEventListener('change', (event) => {
      const files = [...event.target.files];
      event.target.value = '';
      if (files.length > 0) handler(files);
    });
  picked('sheet-file', ([file]) => page.openSheet(file));
  picked('rules-file', ([file]) => page.openRules(file));
  picked('import-file', (files) => page.importFiles(files));
  addEventListener('keydown', (event) => {
    if (!event.ctrlKey || event.altKey || event.metaKey) return;
    const key = event.key.toLowerCase();
    // In the name field the keys undo and redo the typing, as in any field.
    const typing = document.activeElement === $('name');
    if (key === 's') {
      event.preventDefault();
      page.save();
    } else if (key === 'o') {
      event.preventDefault();
      $('open').click();
    } else if (key === 'z' && !event.shiftKey && !typing) {
      event.preventDefault();
      page.undo();
    } else if ((key === 'y' || (key === 'z' && event.shiftKey)) && !typing) {
      event.preventDefault();
      page.redoStep();
    }
  });
  document.documentElement.dataset.ready = 'true';
  performance.mark('tarvo-pronto');

  // After the form is usable: the list of characters, a character from a
  // link, and the storage kept for good where the browser allows it.
  // A link to a character, at the start or pasted into the address of the
  // open page.
  const takeShared = () => {
    const shared = readShared(location.hash);
    if (!shared) return;
    forgetAddress();
    page.openShared(shared);
  };
  addEventListener('hashchange', takeShared);
  // Another tab of the page kept a character: the list shows it too, and
  // the character in progress, changed there, is taken as it is there.
  addEventListener('storage', (event) => page.changedElsewhere(event.key));
  setTimeout(() => {
    $('roster').hidden = false;
    page.listed = true;
    performance.mark('tarvo-personaggi-inizio');
    page.showList();
    performance.mark('tarvo-personaggi');
    takeShared();
    navigator.storage?.persist?.().catch(() => {});
    document.documentElement.dataset.listed = 'true';
  });

  // The site keeps itself for offline use; the single file needs nothing.
  const site = typeof globalThis.TARVO_WASM !== 'string';
  if (site && 'serviceWorker' in navigator && isSecureContext && location.protocol.startsWith('http')) {
    watchUpdates();
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
}

main();
