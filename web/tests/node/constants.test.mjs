// The numbers the page takes from the core when it starts: the form's rows
// are the desktop dialog's, its name field and its seeds are those the core
// and tarvo-genera take, and every action the page names does what its name
// says.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import path from 'node:path';
import { before, test } from 'node:test';

import { Action } from '../../src/core.js';
import { listOrder } from '../../src/sort.js';
import { BUNDLED_RULES, GENERA, openWasm, ROOT } from './harness.mjs';

let core;
before(async () => {
  core = await openWasm();
  assert.ok(core.loadBundledRules().ok);
});

test("the form's rows, name field and seeds are the desktop's and tarvo-genera's", () => {
  const { nameLength, maxSeed, statSlots, skillSlots } = core.constants;
  // The value fields in the dialog template's order, which is its tab order.
  const template = readFileSync(path.join(ROOT, 'res/GeneratorDialog.cpp'), 'utf8');
  const fields = (kind) =>
    [...template.matchAll(new RegExp(`\\{IDC_${kind}(\\d+), "IDC_${kind}\\1", C::Edit,`, 'g'))].map((m) => Number(m[1]));
  assert.deepEqual(statSlots, fields('STAT'));
  assert.deepEqual(skillSlots, fields('SKILL'));

  // The field holds as many characters as the core keeps of a name.
  core.start(1, 0);
  core.takeName('x'.repeat(nameLength + 1));
  assert.match(Buffer.from(core.sheet()).toString('latin1'), new RegExp(`^NOME x{${nameLength}}\\r$`, 'm'));

  const seeded = (seed) => spawnSync(GENERA, ['--regole', BUNDLED_RULES, '--seme', String(seed), '--stdout']).status;
  assert.equal(seeded(maxSeed), 0);
  assert.notEqual(seeded(maxSeed + 1), 0);
});

test('every action the page names is one of the core and does what its name says', () => {
  const src = path.join(ROOT, 'web/src');
  const named = new Set();
  for (const file of readdirSync(src).filter((name) => name.endsWith('.js'))) {
    for (const [, name] of readFileSync(path.join(src, file), 'utf8').matchAll(/\bAction\.(\w+)/g)) named.add(name);
  }
  assert.deepEqual([...named].sort(), Object.keys(Action).sort());

  const rules = core.rules();
  core.start(99, listOrder(rules.archetypes)[0]);
  let view = core.view();
  // The offer each equipment list last showed.
  const offers = view.lists.map((list) => list.offer);
  const after = (name, value = 0) => {
    assert.equal(core.act(Action[name], value), true, name);
    view = core.view();
    view.lists.forEach((list, k) => (offers[k] = list.offer ?? offers[k]));
    return view;
  };
  assert.equal(after('ChooseRace', 2).race, 2);
  assert.equal(after('ChooseArchetype1', 4).archetypes[0], 4);
  assert.equal(after('UseArchetype2', 1).useArchetype2, true);
  assert.equal(after('ChooseArchetype2', 5).archetypes[1], 5);
  assert.equal(after('UseArchetype3', 1).useArchetype3, true);
  assert.equal(after('ChooseArchetype3', 6).archetypes[2], 6);
  assert.equal(after('ChooseFemale').male, false);
  assert.equal(after('ChooseMale').male, true);
  assert.equal(after('SetLeftHanded', 1).leftHanded, true);
  assert.equal(after('SetRightHanded', 1).rightHanded, true);
  assert.equal(after('SelectPocket', 3).pocket, 3);
  // The lists of the hands, worn, then each pocket's: the selected pocket's
  // list is the fourth after worn.
  ['ChooseRightItem', 'ChooseLeftItem', 'ChooseWornItem', 'ChoosePocketItem'].forEach((name, k) => {
    const list = k < 3 ? k : 3 + view.pocket;
    const item = [...offers[list]].findLastIndex((offered, i) => offered === '1' && i !== view.lists[list].selected);
    assert.ok(item > 0, `${name}: un oggetto da scegliere`);
    assert.equal(after(name, item).lists[list].selected, item, name);
  });
  assert.equal(view.lists.length, 3 + rules.pocketNames.length);
  const before = view;
  const skillsRolled = after('RerollSkills');
  assert.deepEqual(skillsRolled.stats, before.stats);
  assert.notDeepEqual([skillsRolled.skills, skillsRolled.money], [before.skills, before.money]);
  assert.notDeepEqual(after('RerollRace').stats, skillsRolled.stats);
});
