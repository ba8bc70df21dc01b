// The page's side of the binding: the WebAssembly module built from the C++
// core, called with numbers, bytes and texts. Every rule of the form is in
// the module; this file only moves values across.

// The user's actions, numbered as the binding numbers them.
export const Action = Object.freeze({
  ChooseRace: 0,
  RerollRace: 1,
  ChooseArchetype1: 2,
  ChooseArchetype2: 3,
  ChooseArchetype3: 4,
  RerollSkills: 5,
  UseArchetype2: 6, // with the box's new state, 1 or 0
  UseArchetype3: 7, // the same
  ChooseMale: 8,
  ChooseFemale: 9,
  SetRightHanded: 10, // with the box's new state, 1 or 0
  SetLeftHanded: 11, // the same
  ChooseRightItem: 12,
  ChooseLeftItem: 13,
  ChooseWornItem: 14,
  SelectPocket: 15,
  ChoosePocketItem: 16,
});

// The kinds of a link's choices, numbered as the binding numbers them.
const LinkChoice = Object.freeze({ race: 0, archetype: 1, sex: 2, hand: 3, name: 4 });

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

  // A rules file of the player's own: {ok, message, findings}, with the
  // refusal and its line when it is refused (then nothing changes), and every
  // other problem the check of the file finds ({line, error, text}).
  loadRules(bytes, name) {
    this.put(0, bytes);
    this.put(1, name);
    this.m._tarvo_load_rules();
    return this.json();
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
      this.m._tarvo_link_set(kind);
    };
    if (link.race !== undefined) set(LinkChoice.race, link.race);
    for (const archetype of link.archetypes ?? []) set(LinkChoice.archetype, archetype);
    if (link.sex !== undefined) set(LinkChoice.sex, link.sex);
    if (link.hand !== undefined) set(LinkChoice.hand, link.hand);
    if (link.name !== undefined) set(LinkChoice.name, link.name);
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

  printable() {
    this.m._tarvo_print_json();
    return this.json();
  }

  fileName(name) {
    this.put(0, name);
    this.m._tarvo_file_name();
    return this.text();
  }
}
