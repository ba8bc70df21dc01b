// The page's side of the binding: the WebAssembly module built from the C++
// core, called with numbers, bytes and texts. Every rule of the form is in
// the module; this file only moves values across.

// The user's actions by name (Action.ChooseRace, ...), numbered as the
// binding numbers them: filled when the first core opens, before the page
// reads them.
export const Action = {};

const utf8 = new TextEncoder();
const fromUtf8 = new TextDecoder('utf-8');

// Starts the module. `factory` is the function the module's script defines
// (TarvoCore); `wasm` is the module's bytes, or the address to fetch them
// from. Nothing else is fetched.
export async function openCore(factory, wasm) {
  // Settles only when the module cannot start.
  let failed;
  const instantiated = new Promise((_, reject) => {
    failed = reject;
  });
  const module = factory({
    instantiateWasm(imports, receive) {
      instantiate(wasm, imports).then((result) => receive(result.instance), failed);
      return {};
    },
    onAbort(what) {
      failed(new Error(`il modulo si è fermato: ${what}`));
    },
    print() {},
    printErr() {},
  });
  return new Core(await Promise.race([module, instantiated]));
}

async function instantiate(wasm, imports) {
  if (typeof wasm !== 'string') return WebAssembly.instantiate(wasm, imports);
  const response = fetch(wasm, { credentials: 'same-origin' });
  if (WebAssembly.instantiateStreaming) {
    try {
      return await WebAssembly.instantiateStreaming(response, imports);
    } catch {
      // A host that serves the module with another type: read it whole.
    }
  }
  const bytes = await (await fetch(wasm, { credentials: 'same-origin' })).arrayBuffer();
  return WebAssembly.instantiate(bytes, imports);
}

export class Core {
  constructor(module) {
    this.m = module;
    this.m._tarvo_constants();
    const { actions, linkChoices, ...constants } = this.json();
    // {nameLength, maxSeed, statSlots, skillSlots, sheetWords}: the name
    // field's characters, the largest seed, the form's rows in tab order, the
    // printed sheet's headings and captions.
    this.constants = Object.freeze(constants);
    this.linkChoice = Object.freeze(linkChoices);
    if (!Object.isFrozen(Action)) Object.freeze(Object.assign(Action, actions));
  }

  // Puts `bytes` (a Uint8Array, or a text sent as UTF-8) into input `slot`.
  put(slot, bytes) {
    const data = typeof bytes === 'string' ? utf8.encode(bytes) : bytes;
    const at = this.m._tarvo_input(slot, data.length);
    this.m.HEAPU8.set(data, at);
  }

  // The last output's bytes, in the module's memory until the next call.
  outputView() {
    return new Uint8Array(this.m.HEAPU8.buffer, this.m._tarvo_output(), this.m._tarvo_output_size());
  }

  // A copy of the last output's bytes.
  bytes() {
    return this.outputView().slice();
  }

  text() {
    return fromUtf8.decode(this.outputView());
  }

  json() {
    return JSON.parse(this.text());
  }

  // The bundled rules; {ok, message, findings}.
  loadBundledRules() {
    this.m._tarvo_load_bundled_rules();
    return this.json();
  }

  // A rules file of the player's own: {ok, pending, message, findings,
  // more}, with the refusal in one sentence when it makes no character (then
  // nothing changes), and every other problem the check of the file finds
  // ({line, error, text}). Rules with warnings are `pending` until
  // usePendingRules(), unless `acceptWarnings`.
  loadRules(bytes, name, acceptWarnings = true) {
    this.put(0, bytes);
    this.put(1, name);
    this.m._tarvo_load_rules(acceptWarnings ? 1 : 0);
    return this.json();
  }

  // The rules that waited for the player's word go in use.
  usePendingRules() {
    return this.m._tarvo_use_pending_rules() === 1;
  }

  // The most bytes of a rules file the core reads; a larger file is refused.
  rulesSizeLimit() {
    return this.m._tarvo_rules_size_limit();
  }

  // A .pg sheet opened on the form: {ok, message, notes}; a refused one
  // changes nothing.
  openSheet(bytes, name) {
    this.put(0, bytes);
    this.put(1, name);
    this.m._tarvo_open_sheet();
    return this.json();
  }

  rules() {
    this.m._tarvo_rules_json();
    return this.json();
  }

  start(seed, firstArchetype) {
    this.m._tarvo_start(seed >>> 0, firstArchetype);
  }

  // Starts with a link's choices ({race, archetypes, sex, hand, name}, each
  // optional); returns what the link named wrong, as Italian lines.
  startFromLink(seed, firstArchetype, link) {
    this.m._tarvo_link_clear();
    const set = (kind, value) => {
      this.put(0, value);
      this.m._tarvo_link_set(this.linkChoice[kind]);
    };
    if (link.race !== undefined) set('race', link.race);
    for (const archetype of link.archetypes ?? []) set('archetype', archetype);
    if (link.sex !== undefined) set('sex', link.sex);
    if (link.hand !== undefined) set('hand', link.hand);
    if (link.name !== undefined) set('name', link.name);
    this.m._tarvo_start_link(seed >>> 0, firstArchetype);
    return this.json();
  }

  act(action, value = 0) {
    return this.m._tarvo_act(action, value) === 1;
  }

  takeName(text) {
    this.put(0, text);
    this.m._tarvo_take_name();
  }

  // What every control shows. An equipment list's offer is null when it
  // offers what it offered in the last view: the page shows every view.
  view() {
    this.m._tarvo_view_json();
    return this.json();
  }

  // The .pg sheet's bytes.
  sheet() {
    this.m._tarvo_sheet();
    return this.bytes();
  }

  // The character as a Foundry VTT actor: the JSON file's bytes (UTF-8).
  foundry() {
    this.m._tarvo_foundry_json();
    return this.bytes();
  }

  // The printable sheet's texts, with the sheet's own words.
  printable() {
    this.m._tarvo_print_json();
    return { ...this.json(), words: this.constants.sheetWords };
  }

  fileName(name) {
    this.put(0, name);
    this.m._tarvo_file_name();
    return this.text();
  }
}
