// A link's first character, saved at once, is tarvo-genera's character of
// the same seed and the same choices, byte for byte; and the sheet is offered
// under the file name tarvo-genera gives it.
import assert from 'node:assert/strict';
import { readdirSync } from 'node:fs';
import { spawnSync } from 'node:child_process';
import { before, test } from 'node:test';

import { listOrder } from '../../src/sort.js';
import { GENERA, genera, openWasm, tempFolder, BUNDLED_RULES } from './harness.mjs';

let core;
let rules;
let first;
before(async () => {
  core = await openWasm();
  assert.ok(core.loadBundledRules().ok);
  rules = core.rules();
  first = listOrder(rules.archetypes)[0];
});

const text = (bytes) => Buffer.from(bytes).toString('latin1');

test('a link names the choices of tarvo-genera and saves its sheet', () => {
  const cases = [
    { seed: 0, link: { name: 'Primo' }, args: [] },
    { seed: 1234567, link: { race: 'nano', archetypes: ['Guerriero'], name: 'Borin' }, args: ['--razza', 'nano', '--archetipo', 'Guerriero'] },
    {
      seed: 4294967295,
      link: { race: ' ELFO ', archetypes: ['mago', 'BARDO', 'ranger'], sex: 'f', hand: 'sinistra', name: 'Lùthien' },
      args: ['--razza', ' ELFO ', '--archetipo', 'mago', '--archetipo', 'BARDO', '--archetipo', 'ranger', '--sesso', 'f', '--mano', 'sinistra'],
    },
    { seed: 77, link: { race: 'Orco', archetypes: ['ladro', 'ladro'], hand: 'entrambe', name: 'Grok' }, args: ['--razza', 'Orco', '--archetipo', 'ladro', '--archetipo', 'ladro', '--mano', 'entrambe'] },
  ];
  // The link without a race or an archetype starts as the form: the first
  // race and the first archetype in list order.
  cases[0].args = ['--razza', rules.races[0], '--archetipo', rules.archetypes[first]];
  for (let seed = 100; seed < 130; ++seed) {
    cases.push({
      seed,
      link: { race: rules.races[seed % rules.races.length], archetypes: [rules.archetypes[seed % 9]], hand: 'entrambe', name: `Eroe ${seed}` },
      args: ['--razza', rules.races[seed % rules.races.length], '--archetipo', rules.archetypes[seed % 9], '--mano', 'entrambe'],
    });
  }
  // A name is a pattern, as tarvo-genera's: its first character is number 1.
  const form = ['--razza', rules.races[0], '--archetipo', rules.archetypes[first]];
  cases.push(
    { seed: 8, link: { name: 'Bandito {n}' }, args: form },
    { seed: 9, link: { name: '{n}{n}° {{n}} {n' }, args: form },
    { seed: 10, link: { name: 'Ser {N} di {n}à', race: 'gnomo' }, args: ['--razza', 'gnomo', '--archetipo', rules.archetypes[first]] },
  );
  for (const { seed, link, args } of cases) {
    core.startFromLink(seed, first, link);
    const expected = genera(['--regole', BUNDLED_RULES, '--seme', String(seed), '--nome', link.name, ...args]);
    assert.equal(text(core.sheet()), text(expected), `seme ${seed}, ${JSON.stringify(link)}`);
  }
  // Without a name the name stays empty, as the form starts. tarvo-genera
  // names every character ("Personaggio {n}" unless told) and takes no empty
  // name: its character differs in the name line alone.
  core.startFromLink(12, first, {});
  const named = text(genera(['--regole', BUNDLED_RULES, '--seme', '12', ...form]));
  assert.equal(named.replace('\r\nNOME Personaggio 1\r\n', '\r\nNOME \r\n'), text(core.sheet()));
  assert.notEqual(named, text(core.sheet()));
  const run = spawnSync(GENERA, ['--regole', BUNDLED_RULES, '--seme', '12', '--nome', '', '--stdout']);
  assert.notEqual(run.status, 0, 'tarvo-genera prende ora un nome vuoto: il README lo dica');
});

test("a link's name longer than the field is cut as the field cuts it, after {n} becomes 1", () => {
  const pattern = 'Cavaliere numero {n} della Rocca del Nord';
  core.startFromLink(21, first, { name: pattern });
  const cut = 'Cavaliere numero 1 della Rocca del Nord'.slice(0, 25);
  assert.equal(cut, 'Cavaliere numero 1 della ');
  const args = ['--regole', BUNDLED_RULES, '--seme', '21', '--razza', rules.races[0], '--archetipo', rules.archetypes[first]];
  assert.equal(text(core.sheet()), text(genera([...args, '--nome', cut])));
  // tarvo-genera itself keeps the whole name: only the name line differs.
  const whole = text(genera([...args, '--nome', pattern]));
  assert.equal(whole.replace('NOME Cavaliere numero 1 della Rocca del Nord\r', `NOME ${cut}\r`), text(core.sheet()));
});

test('a link that names what the rules lack says so and starts as the form', () => {
  const said = core.startFromLink(5, first, { race: 'Troll', archetypes: ['Nessuno'], sex: 'x', hand: 'piedi' });
  assert.deepEqual(said, [
    `razza sconosciuta: "Troll"; le razze sono: ${rules.races.join(', ')}`,
    `archetipo sconosciuto: "Nessuno"; gli archetipi sono: ${rules.archetypes.join(', ')}`,
    'il sesso è m o f, non "x"',
    'la mano è destra, sinistra o entrambe, non "piedi"',
  ]);
  const view = core.view();
  assert.equal(view.race, 0);
  assert.deepEqual(view.archetypes, [first, first, first]);
  assert.equal(view.male, true);
  assert.equal(view.rightHanded && !view.leftHanded, true);
});

test('the sheet is offered under the file name tarvo-genera writes', () => {
  const names = ['Aldo', ' .nascosto', '-opzione', 'a/b\\c:d*e?f"g<h>i|j', 'fine. . ', 'Ünïcödé ☃', `${'à'.repeat(99)}xy`, 'x'.repeat(240)];
  for (const name of names) {
    const work = tempFolder();
    try {
      const run = spawnSync(GENERA, ['--regole', BUNDLED_RULES, '--seme', '1', '--nome', name, '--cartella', work.folder]);
      assert.equal(run.status, 0, String(run.stderr));
      assert.deepEqual(readdirSync(work.folder), [core.fileName(name)], JSON.stringify(name));
    } finally {
      work.remove();
    }
  }
  // A name of blanks alone has no file name of its own.
  assert.equal(core.fileName('   '), 'Senza nome.pg');
});
