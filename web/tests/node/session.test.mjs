// The WebAssembly build against the native build of the same binding: the
// same session scripts must give the same bytes (every view, sheet and
// printable text) wherever the two builds could part: 64-bit sums brought
// back to 32 bits, the rounded means, the Mersenne twister, the conversion
// of texts, the reader's refusals.
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { BUNDLED_RULES, fromWindows1252, openWasm, playNative, playWasm, randomRules, randomSession, ROOT, tempFolder } from './harness.mjs';

let core;
let work;
before(async () => {
  core = await openWasm();
  work = tempFolder();
});
after(() => work.remove());

// The first place where two outputs part, readable in a failure.
function assertSameBytes(wasm, native, what) {
  if (Buffer.compare(wasm, native) === 0) return;
  let at = 0;
  while (at < wasm.length && wasm[at] === native[at]) ++at;
  const around = (bytes) => bytes.subarray(Math.max(0, at - 120), at + 80).toString('latin1');
  assert.fail(`${what}: i byte si separano a ${at}\nwasm:   ${around(wasm)}\nnativo: ${around(native)}`);
}

function same(script, what) {
  assertSameBytes(playWasm(core, script), playNative(script, work), what);
}

test('random sessions on the bundled rules and the test rules give the same bytes', () => {
  const files = [
    'rules bundled',
    ...['form.rul', 'small.rul', 'wide.rul'].map((name) => `rules ${path.join(ROOT, 'tests/ui/data', name)} ${name}`),
    // Rules with no race make no character: refused, the bundled ones stay.
    `rules bundled\nrules ${path.join(ROOT, 'tests/ui/data/barren.rul')} barren.rul`,
    `rules ${path.join(ROOT, 'tests/genera/data/genera.rul')} genera.rul`,
  ];
  files.forEach((rules, i) => {
    for (let seed = 1; seed <= 4; ++seed) same(randomSession(1000 * i + seed, rules, 150), `${rules}, seme ${seed}`);
  });
});

test('random rules files at the edges of every number give the same bytes', () => {
  for (let seed = 1; seed <= 60; ++seed) {
    const file = work.file(`random-${seed}.rul`);
    writeFileSync(file, randomRules(seed));
    // From the bundled rules, which a refused file leaves in use.
    same(randomSession(seed, `rules bundled\nrules ${file} casuali ${seed}.rul`, 40), `regole casuali ${seed}`);
  }
});

test('a refused rules file keeps the rules in use, and both builds say the same line', () => {
  const cases = [
    ['1\nForza\nFOR\nF\n21\n', 5, 'il numero di abilità è 21, al massimo 20'],
    ['0\n0\n1\nUmano\n1\nBardo\n3\n2000000000\n6\n0\n', 8, 'il numero di dadi è 2000000000, al massimo 1000'],
    [`${'0\n'.repeat(4)}57\n`, 5, 'il numero di oggetti è 57, al massimo 40'],
  ];
  for (const [text, line, reason] of cases) {
    const file = work.file('rifiutate.rul');
    writeFileSync(file, text);
    const script = `rules bundled\nstart 7 3\nact 12 3\nrules ${file} mie regole.rul\nview\nsheet\n`;
    same(script, reason);
    playWasm(core, 'rules bundled\nstart 7 3\nact 12 3\n');
    const refused = core.loadRules(Buffer.from(text, 'latin1'), 'mie regole.rul');
    assert.equal(refused.ok, false);
    assert.equal(refused.message, `Il file delle regole "mie regole.rul" non è valido: riga ${line}: ${reason}.`);
    // The character made before stays, with the bundled rules' sheet.
    assert.match(Buffer.from(core.sheet()).toString('latin1'), /^Destra\.NOME Spada Lunga\r$/m);
  }
  // Something that is not rules at all: a thousand problems shown, and the
  // word that there are more, at once.
  const junk = core.loadRules(Buffer.from(`0\n2147483647\n${'a\n'.repeat(100000)}`), 'non-regole.rul');
  assert.equal(junk.ok, false);
  assert.equal(junk.findings.length, 1000);
  assert.equal(junk.more, true);
  assert.equal(core.loadRules(readFileSync(BUNDLED_RULES), 'tarvo.rul').more, false);
  // One byte more than any rules may have: refused unread, the size said.
  const limit = core.rulesSizeLimit();
  const huge = core.loadRules(Buffer.alloc(limit + 1, '0\n'), 'enorme.rul');
  assert.deepEqual([huge.ok, huge.findings], [false, []]);
  assert.equal(
    huge.message,
    `Il file delle regole "enorme.rul" è troppo grande: più di ${limit} byte, e un file delle regole ne ha al massimo ${limit}.`,
  );
});

test('the links of tarvo-genera\'s choices and the file names agree in both builds', () => {
  const lines = ['rules bundled'];
  const links = [
    [['0 nano', '1 guerriero', '1 LADRO', '2 F', '3 entrambe', '4 Bruna']],
    [['0  ElFo ', '1 Mago', '1 bardo', '1 mago', '1 ranger', '3 sinistra']],
    [['0 Troll', '1 Nessuno', '2 x', '3 piedi', '4 un nome molto più lungo di venticinque']],
  ];
  links.forEach(([sets], i) => {
    lines.push('linkclear', ...sets.map((set) => `linkset ${set}`), `link ${4242 + i} 3`, 'view', 'sheet');
  });
  for (const name of ['Aldo', ' .nascosto', '-opzione', 'a/b\\c:d*e?f"g<h>i|j', 'fine. . ', '', '☃', 'à'.repeat(150)])
    lines.push(`filename ${name}`);
  same(`${lines.join('\n')}\n`, 'collegamenti e nomi di file');
});

test('every byte of a game text and every character of a link reach the page as they are', () => {
  // A race named with every byte a line of text can hold, five times over:
  // longer than the piece the JSON writer makes room for at once. A NUL byte
  // is no text: a file with one is no rules.
  const bytes = [];
  for (let round = 0; round < 5; ++round) {
    for (let byte = 1; byte < 256; ++byte) if (byte !== 0x0a && byte !== 0x0d) bytes.push(byte);
  }
  const name = Buffer.from(bytes);
  const rules = Buffer.concat([Buffer.from('0\n0\n1\n'), name, Buffer.from('\n1\nBardo\n0\n0\n0\n0\n1\n<Nulla>\nempty\n0\n0\n0\n0\n')]);
  assert.equal(core.loadRules(rules, 'byte.rul').ok, true);
  const decoded = fromWindows1252(name);
  assert.equal(core.rules().races[0], decoded);
  core.start(1, 0);
  // The printed sheet shows control characters as blanks.
  assert.equal(core.printable().race, decoded.replace(/\p{Cc}/gu, ' '));

  const typed = 'a"b\\c\u0001d\u001f\u007fé☃𝄞'.repeat(80);
  const said = core.startFromLink(1, 0, { race: typed });
  // A message escapes the control characters of what was typed, and shows
  // those of the rules' names as blanks, as tarvo-genera does: none steers a
  // terminal or breaks a line.
  const escaped = typed.replace(/\p{Cc}/gu, (c) => `\\x${c.charCodeAt(0).toString(16).toUpperCase().padStart(2, '0')}`);
  assert.equal(said[0], `razza sconosciuta: "${escaped}"; le razze sono: ${decoded.replace(/\p{Cc}/gu, ' ')}`);
  assert.equal(core.loadRules(readFileSync(BUNDLED_RULES), 'tarvo.rul').ok, true);
});
