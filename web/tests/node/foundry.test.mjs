// "Esporta per Foundry": the character opened from a sheet of tarvo-genera
// comes out as the Foundry VTT actor that tarvo-genera writes for it, or,
// while tarvo-genera cannot write one, as an actor of the right shape: the
// sheet's values, the rules' hash, every game text escaped.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { after, before, test } from 'node:test';

import { BUNDLED_RULES, GENERA, genera, openWasm, tempFolder, windows1252 } from './harness.mjs';

let core;
let work;
before(async () => {
  core = await openWasm();
  work = tempFolder();
});
after(() => work.remove());

// Names made to be escaped: quotes, a backslash, a control character,
// accented letters and markup.
const RACE = 'Nano "Bò" <b>\\ \u0001fine';
const ARCHETYPE = "Mago & 'Ombra' È";
const SWORD = 'Spada "Lunga" <i>';
const NAME = 'Zoë "<b>" \\ Ægir';

// Four characteristics, three skills, one race and one archetype with fixed
// draws (100 coins), four items.
function oddRules() {
  const lines = ['4', 'Forza', 'FOR', 'F', 'Costituzione', 'COS', 'C', 'Destrezza', 'DES', 'D', 'Mana', 'MAN', 'M'];
  lines.push('3', 'Spade "affilate"', 'Spade', 'heavy', '0', 'Canto <b>', 'Canto', 'music', '1', 'Magia', 'Magia', 'magic', '2');
  lines.push('1', RACE, ...Array(4).fill(['3', '6', '0']).flat());
  lines.push('1', ARCHETYPE, '2', '0', '6', '100', ...Array(3).fill(['1', '6', '0']).flat());
  lines.push('4', '<Nulla>', 'empty', '0', '0', '0', '0');
  lines.push(SWORD, 'heavy', '3', '1', '0', '10');
  lines.push('Corda \\ ☃?', 'light', '0', '0', '1', '5');
  lines.push('Cotta', 'armor', '2', '0', '-1', '20');
  return windows1252(`${lines.join('\r\n')}\r\n`.replace('☃?', 'x'));
}

// The values of a .pg sheet by key: "FOR 13" gives FOR: 13.
function sheetValues(pg) {
  const values = {};
  for (const line of pg.toString('latin1').split('\r\n')) {
    const match = line.match(/^(\S+) (-?\d+)$/);
    if (match) values[match[1]] = Number(match[2]);
  }
  return values;
}

const html = (text) =>
  text.replace(/\p{Cc}/gu, ' ').replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' })[c]);

// tarvo-genera's own export, when it has one.
const generaExports = spawnSync(GENERA, ['--help']).stdout.toString().includes('--foundry');

test('a character opened from a sheet of tarvo-genera exports as tarvo-genera exports it', () => {
  const rules = oddRules();
  const rulesFile = work.file('strane.rul');
  writeFileSync(rulesFile, rules);
  const args = ['--regole', rulesFile, '--seme', '4242', '--nome', NAME, '--razza', RACE, '--archetipo', ARCHETYPE, '--destra', SWORD, '--tasca', 'Corda \\ x'];
  const pg = genera(args);
  assert.ok(core.loadRules(rules, 'strane.rul').ok);
  core.start(1, 0);
  const opened = core.openSheet(pg, 'strane.pg');
  assert.equal(opened.ok, true, opened.message);
  const bytes = Buffer.from(core.foundry());

  if (generaExports) {
    const folder = work.file('foundry');
    const run = spawnSync(GENERA, [...args, '--foundry', '--cartella', folder, '-q']);
    assert.equal(run.status, 0, run.stderr.toString());
    const [json] = readdirSync(folder).filter((file) => file.endsWith('.json'));
    assert.equal(bytes.toString('latin1'), readFileSync(`${folder}/${json}`).toString('latin1'));
  }

  const text = bytes.toString('utf8');
  assert.ok(text.endsWith('}\n'));
  // No raw control character but the last line end; quotes and backslashes
  // escaped, every text readable back.
  assert.doesNotMatch(text.slice(0, -1), /\p{Cc}/u);
  assert.ok(text.includes('Zo\u00eb \\"<b>\\" \\\\ \u00c6gir'), 'il nome, scritto come JSON lo vuole');
  const actor = JSON.parse(text);
  assert.equal(actor.type, 'character');
  assert.equal(actor.name, NAME);
  assert.equal(actor.flags.tarvo.race, RACE.replace('\u0001', ' '));
  assert.deepEqual(actor.flags.tarvo.archetypes, [ARCHETYPE]);
  assert.equal(actor.flags.tarvo.seed, undefined, 'senza seme: gli stessi byte in ogni programma');
  assert.deepEqual(actor.flags.tarvo.rules, { name: 'strane.rul', hash: createHash('sha256').update(rules).digest('hex') });

  // The sheet's values.
  const values = sheetValues(pg);
  const { caratteristiche, abilita } = actor.system.attributes;
  assert.deepEqual(Object.keys(caratteristiche), ['for', 'cos', 'des', 'man']);
  for (const [key, attribute] of Object.entries(caratteristiche)) {
    assert.equal(attribute.dtype, 'Number');
    assert.equal(attribute.value, values[key.toUpperCase()], key);
  }
  assert.deepEqual(Object.keys(abilita), ['spade', 'canto', 'magia']);
  assert.deepEqual(Object.values(abilita).map((a) => a.label), ['Spade "affilate"', 'Canto <b>', 'Magia']);
  for (const attribute of Object.values(abilita)) {
    assert.equal(attribute.dtype, 'Number');
    assert.equal(attribute.value, values[attribute.label.split(' ')[0]]);
  }
  assert.deepEqual(actor.system.health, { value: values['PF.Act'], min: 0, max: values['PF.Tot'] });
  assert.deepEqual(actor.system.power, { value: values['PM.Act'], min: 0, max: values['PM.Tot'] });
  assert.equal(actor.system.attributes.monete.value, values.Monete);

  // Markup of the game texts shows as text.
  const biography = actor.system.biography;
  assert.ok(biography.includes(`<strong>Razza:</strong> ${html(RACE)}</p>`), biography);
  assert.ok(biography.includes(html(ARCHETYPE)), biography);
  assert.ok(biography.includes('<strong>Regole:</strong> strane.rul</p>'), biography);
  assert.doesNotMatch(biography, /<b>|<i>/);

  // Only what is held: the right hand and the first pocket.
  assert.deepEqual(
    actor.items.map((item) => [item.name, item.system.attributes.luogo.value]),
    [
      [SWORD, 'Mano destra'],
      ['Corda \\ x', 'Tasca 0'],
    ],
  );
  const { potenza, bonus, mod } = actor.items[0].system.attributes;
  assert.deepEqual([potenza.value, bonus.value, mod.value], [values['Destra.POTENZA'], values['Destra.BONUS'], values['Destra.MOD']]);
  assert.deepEqual([potenza.value, bonus.value, mod.value], [3, 1, 0]);
});

test('the export waits for the form, and the same character gives the same bytes', async () => {
  const unstarted = await openWasm();
  assert.equal(unstarted.foundry().length, 0);
  assert.ok(core.loadBundledRules().ok);
  core.start(99, 0);
  const first = Buffer.from(core.foundry());
  const again = Buffer.from(core.foundry());
  assert.equal(Buffer.compare(first, again), 0);
  // Another name is another actor; the rules are the bundled ones.
  core.takeName('Altro');
  const other = JSON.parse(Buffer.from(core.foundry()).toString('utf8'));
  assert.equal(other.name, 'Altro');
  assert.equal(other.flags.tarvo.rules.name, 'tarvo.rul');
  const bundledHash = createHash('sha256').update(readFileSync(BUNDLED_RULES)).digest('hex');
  assert.equal(other.flags.tarvo.rules.hash, bundledHash);
  // A refused rules file leaves the rules, and their hash, as they were.
  assert.equal(core.loadRules(Buffer.from('1\nForza\nFOR\nF\n21\n'), 'rotte.rul').ok, false);
  assert.deepEqual(JSON.parse(Buffer.from(core.foundry()).toString('utf8')).flags.tarvo.rules, { name: 'tarvo.rul', hash: bundledHash });
});
