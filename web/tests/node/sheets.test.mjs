// Sheets opened on the page: every sheet tarvo-genera writes opens and saves
// again as the same bytes; a sheet that is not one is refused at its line
// and changes nothing; both builds answer alike.
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { BUNDLED_RULES, genera, openWasm, playNative, playWasm, ROOT, tempFolder } from './harness.mjs';

let core;
let work;
before(async () => {
  core = await openWasm();
  work = tempFolder();
});
after(() => work.remove());

const RULES = [
  ['tarvo.rul', BUNDLED_RULES],
  ['form.rul', path.join(ROOT, 'tests/ui/data/form.rul')],
  ['genera.rul', path.join(ROOT, 'tests/genera/data/genera.rul')],
];
const text = (bytes) => Buffer.from(bytes).toString('latin1');

// tarvo-genera's characters with every choice it has, seed by seed.
function generaSheet(rules, seed) {
  const options = ['--regole', rules, '--seme', String(seed), '--nome', `Eroe ${seed}`];
  if (seed % 3 === 0) options.push('--sesso', 'f');
  options.push('--mano', ['destra', 'sinistra', 'entrambe'][seed % 3]);
  if (seed % 2 === 0) options.push('--destra', '<Nulla>');
  return genera(options);
}

test("tarvo-genera's sheets open on the form and save back to the same bytes", () => {
  for (const [name, rules] of RULES) {
    assert.ok(core.loadRules(readFileSync(rules), name).ok, name);
    core.start(1, 0);
    for (let seed = 1; seed <= 25; ++seed) {
      const sheet = generaSheet(rules, seed);
      const opened = core.openSheet(sheet, `eroe ${seed}.pg`);
      assert.ok(opened.ok, `${name} ${seed}: ${opened.message}`);
      assert.equal(text(core.sheet()), text(sheet), `${name}, seme ${seed}`);
      assert.equal(core.view().name, `Eroe ${seed}`);
      // With LF line ends it opens too, and saves with CR LF.
      assert.ok(core.openSheet(Buffer.from(text(sheet).replaceAll('\r\n', '\n'), 'latin1'), 'lf.pg').ok);
      assert.equal(text(core.sheet()), text(sheet));
    }
  }
});

test('a sheet that is not one is refused at its line and the character stays', () => {
  assert.ok(core.loadBundledRules().ok);
  core.start(3, 0);
  core.takeName('Resta');
  const before = text(core.sheet());
  const good = text(generaSheet(BUNDLED_RULES, 5)).split('\r\n');
  // Line `line` (from 1) written as `text` instead.
  const broken = [
    [7, 'RAZZA Troll'],
    [12, 'COS +12'],
    [1, 'Scheda'],
  ];
  for (const [line, written] of broken) {
    const lines = [...good];
    lines[line - 1] = written;
    const opened = core.openSheet(Buffer.from(lines.join('\r\n'), 'latin1'), 'rotta.pg');
    assert.equal(opened.ok, false);
    assert.match(opened.message, new RegExp(`^La scheda "rotta\\.pg" non è valida: riga ${line}: `));
    assert.equal(text(core.sheet()), before);
  }
});

test('a name the form cannot hold opens cut, and the page is told as the desktop tells it', () => {
  assert.ok(core.loadBundledRules().ok);
  core.start(3, 0);
  const long = 'Un nome scritto da tarvo-genera che non entra nel modulo';
  const sheet = genera(['--regole', BUNDLED_RULES, '--seme', '8', '--nome', long]);
  let opened = core.openSheet(sheet, 'lungo.pg');
  assert.ok(opened.ok);
  assert.equal(core.view().name, long.slice(0, 25));
  assert.deepEqual(opened.notes, [
    `Il nome del personaggio nella scheda "lungo.pg" ha ${long.length} caratteri, ma il modulo ne tiene 25: ` +
      `il personaggio ora si chiama "${long.slice(0, 25)}". Il nome nella scheda è "${long}".`,
  ]);
  // A carriage return inside the name line: the field holds one line.
  const twoLines = Buffer.from(Buffer.from(sheet).toString('latin1').replace(`NOME ${long}`, 'NOME Aldo\rBis'), 'latin1');
  opened = core.openSheet(twoLines, 'riga.pg');
  assert.ok(opened.ok);
  assert.equal(core.view().name, 'Aldo');
  assert.match(Buffer.from(core.sheet()).toString('latin1'), /^NOME Aldo\r$/m);
  assert.match(opened.notes[0], /^Il nome del personaggio nella scheda "riga\.pg" va a capo, /);
});

test('both builds open, refuse and go on alike', () => {
  const files = [];
  for (let seed = 1; seed <= 6; ++seed) {
    const file = work.file(`eroe-${seed}.pg`);
    writeFileSync(file, seed === 4 ? Buffer.from('Informazioni Personaggio\r\nrotta\r\n') : generaSheet(BUNDLED_RULES, seed));
    files.push(file);
  }
  const script = ['rules bundled', 'start 9 0'];
  for (const file of files) script.push(`open ${file} ${path.basename(file)}`, 'view', 'act 1 0', 'act 12 3', 'view', 'sheet', 'print');
  const lines = `${script.join('\n')}\n`;
  assert.equal(text(playWasm(core, lines)), text(playNative(lines, work)));
});
