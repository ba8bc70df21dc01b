// The page as a player's companion, in Debian's Chromium by accessible names:
// the characters kept on the device, undo, a character shared in a link, and
// a character followed in play.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';

import { serve } from '../../tools/serve.mjs';
import { BUNDLED_RULES, genera, playNative, ROOT, SITE, tempFolder } from '../node/harness.mjs';
import { launch } from './chromium.mjs';
import { button, DESKTOP, download, field, list, open as openPage, PHONE, ready } from './driver.mjs';

let server;
let site;
let browser;
let work;

before(async () => {
  server = await serve(SITE, 0);
  site = `http://127.0.0.1:${server.address().port}/`;
  browser = await launch({ viewport: DESKTOP });
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: site });
  work = tempFolder();
});
after(async () => {
  await browser?.close();
  server?.closeAllConnections();
  server?.close();
  work?.remove();
});

const open = (address, size) => openPage(browser, address, size);
const roster = (page) => page.getByRole('list', { name: 'Personaggi' });
const names = async (page) => roster(page).locator('.who').allTextContents();
// The list shows `expected`, once the page has drawn it again.
async function listed(page, expected) {
  const shown = (expected) =>
    JSON.stringify([...document.querySelectorAll('#roster-list .who')].map((who) => who.textContent)) ===
    JSON.stringify(expected);
  await page.waitForFunction(shown, expected, { timeout: 5000 }).catch(() => {});
  assert.deepEqual(await names(page), expected);
}
const save = async (page) => (await download(page, () => button(page, 'Salva').click())).bytes.toString('latin1');

async function answer(page, yes) {
  const question = page.locator('#question');
  await question.waitFor();
  const said = await question.locator('#question-text').textContent();
  await question.locator(yes ? '#question-yes' : '#question-no').click();
  return said;
}

async function rename(page, name) {
  await field(page, 'Nome').fill(name);
  await field(page, 'Nome').blur();
}

test('Personaggi: Nuovo keeps the last one, Apri and a link add theirs, and each opens, duplicates and goes', async () => {
  const page = await open(site, PHONE);
  await rename(page, 'Primo');
  const first = await save(page);
  await button(page, 'Nuovo').click();
  assert.equal(await field(page, 'Nome').inputValue(), '');
  await rename(page, 'Secondo');
  await listed(page, ['Secondo', 'Primo']);

  // A sheet opened is one more; so is a link.
  const sheet = genera(['--regole', BUNDLED_RULES, '--seme', '8', '--nome', 'Aperto', '--razza', 'Nano', '--archetipo', 'mago']);
  const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Apri').click()]);
  await picker.setFiles({ name: 'Aperto.pg', mimeType: 'text/plain', buffer: sheet });
  await page.waitForFunction(() => document.getElementById('name').value === 'Aperto');
  await page.goto(`${site}?seme=5&nome=Legato`);
  await ready(page);
  assert.equal(new URL(page.url()).search, '', 'il link lascia l\'indirizzo');
  await listed(page, ['Legato', 'Aperto', 'Secondo', 'Primo']);

  // A reload finds them all, the last one in progress.
  await page.reload();
  await ready(page);
  assert.equal(await field(page, 'Nome').inputValue(), 'Legato');
  await roster(page).getByRole('button', { name: /^Primo/ }).click();
  assert.equal(await field(page, 'Nome').inputValue(), 'Primo');
  assert.equal(await save(page), first);
  await button(page, 'Duplica "Primo"').click();
  await listed(page, ['Primo', 'Legato', 'Aperto', 'Secondo', 'Primo']);
  assert.equal(await save(page), first);

  // Going asks first.
  await button(page, 'Elimina "Secondo"').click();
  assert.match(await answer(page, false), /Eliminare "Secondo"/);
  assert.equal((await names(page)).length, 5);
  await button(page, 'Elimina "Secondo"').click();
  await answer(page, true);
  await listed(page, ['Primo', 'Legato', 'Aperto', 'Primo']);
  await page.reload();
  await ready(page);
  await listed(page, ['Primo', 'Legato', 'Aperto', 'Primo']);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('two tabs of the page show the same list, and a change in one reaches the other', async () => {
  const first = await open(site);
  await rename(first, 'Comune');
  const second = await browser.context.newPage();
  await second.goto(site);
  await ready(second);
  assert.equal(await field(second, 'Nome').inputValue(), 'Comune');
  await rename(second, 'Cambiato');
  await first.waitForFunction(() => document.getElementById('name').value === 'Cambiato');
  await button(second, 'Nuovo').click();
  await listed(first, ['Senza nome', 'Cambiato']);
  // What the first one does next starts from the change made in the second.
  await first.getByRole('radio', { name: 'Donna' }).click();
  await listed(second, ['Cambiato', 'Senza nome']);
  await second.close();
  await first.close();
});

test('the character the page kept before the list moves into it, with its own rules', async () => {
  const page = await open(site);
  // What the page before kept: its rules, seed and actions (a race, the left
  // hand, a name).
  const bundled = readFileSync(BUNDLED_RULES);
  const old = {
    v: 1,
    linkKey: '',
    rules: { name: 'mie.rul', data: bundled.toString('base64') },
    seed: 77,
    link: null,
    actions: [[0, 2], [11, 1], ['name', 'Vecchio']],
  };
  await page.evaluate((old) => {
    localStorage.clear();
    localStorage.setItem('tarvo.personaggio', JSON.stringify(old));
  }, old);
  await page.reload();
  await ready(page);
  await listed(page, ['Vecchio']);
  assert.equal(await page.locator('#rules-in-use').textContent(), 'Regole in uso: "mie.rul"');
  assert.equal(await page.evaluate(() => localStorage.getItem('tarvo.personaggio')), null);
  const first = await list(page, 'Archetipo #1').inputValue();
  const native = playNative(
    ['rules bundled', `start 77 ${first}`, 'act 0 2', 'act 11 1', 'name Vecchio', 'sheet', ''].join('\n'),
    work,
  ).toString('latin1');
  assert.equal(await save(page), native.slice(native.indexOf('== sheet\n') + 9, -1));
  await page.close();
});

test('Esporta tutti gives one .zip of the sheets, and Importa takes it back in another browser', async () => {
  const page = await open(site);
  const sheets = [];
  for (const name of ['Uno', 'Due', 'Uno']) {
    await button(page, 'Nuovo').click();
    await rename(page, name);
    sheets.push(await save(page));
  }
  const exported = await download(page, () => button(page, 'Esporta tutti').click());
  assert.equal(exported.name, 'personaggi.zip');
  const archive = work.file('personaggi.zip');
  writeFileSync(archive, exported.bytes);
  // Python reads the archive.
  const inside = JSON.parse(
    execFileSync('python3', ['-c', 'import json,sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); print(json.dumps({n: z.read(n).decode("latin-1") for n in z.namelist()}))', archive]),
  );
  // The list's order, the most recent first; a name met again is numbered.
  assert.deepEqual(Object.keys(inside), ['Uno.pg', 'Due.pg', 'Uno (2).pg', 'Senza nome.pg']);
  assert.deepEqual([inside['Uno.pg'], inside['Due.pg'], inside['Uno (2).pg']], sheets.reverse());

  // Another profile: the archive and one .pg more.
  const other = await launch({ viewport: DESKTOP });
  try {
    const there = await openPage(other, site);
    const [picker] = await Promise.all([there.waitForEvent('filechooser'), button(there, 'Importa').click()]);
    await picker.setFiles([
      { name: 'personaggi.zip', mimeType: 'application/zip', buffer: exported.bytes },
      { name: 'Sola.pg', mimeType: 'text/plain', buffer: Buffer.from(inside['Due.pg'], 'latin1') },
      { name: 'rotta.pg', mimeType: 'text/plain', buffer: Buffer.from('NOME x\r\n', 'latin1') },
    ]);
    const message = there.locator('#message');
    await message.waitFor();
    assert.match(await message.textContent(), /Personaggi importati: 5\./);
    assert.match(await message.locator('li').first().textContent(), /rotta\.pg/);
    await message.getByRole('button', { name: 'OK' }).click();
    assert.equal((await names(there)).filter((name) => name === 'Uno').length, 2);
    await roster(there).getByRole('button', { name: /^Due/ }).first().click();
    assert.equal(await save(there), inside['Due.pg']);
  } finally {
    await other.close();
  }
  await page.close();
});

test('Annulla and Ripeti go back over every step, rolls too, with the same draws', async () => {
  const page = await open(site, PHONE);
  const states = [await save(page)];
  const stepped = async (gesture) => {
    await gesture();
    states.push(await save(page));
  };
  await stepped(() => list(page, 'Razza').selectOption({ label: 'Nano' }));
  await stepped(() => button(page, 'Tira di nuovo').first().click());
  await stepped(() => page.getByRole('checkbox', { name: 'Archetipo #2' }).click());
  await stepped(() => list(page, 'Archetipo #2').selectOption({ index: 2 }));
  await stepped(() => button(page, 'Tira di nuovo').last().click());
  await stepped(() => list(page, 'Tasca 4').selectOption({ index: 1 }));
  await stepped(() => rename(page, 'Annullato'));
  assert.equal(new Set(states).size, states.length, 'ogni passo cambia la scheda');

  // Back to the start, one step at a time, by button and by key.
  for (let k = states.length - 2; k >= 0; --k) {
    if (k % 2) await button(page, 'Annulla').click();
    else await page.keyboard.press('Control+z');
    assert.equal(await save(page), states[k], `annullato fino al passo ${k}`);
  }
  assert.equal(await button(page, 'Annulla').isDisabled(), true);
  await page.keyboard.press('Control+y');
  assert.equal(await save(page), states[1]);
  await page.keyboard.press('Control+Shift+Z');
  assert.equal(await save(page), states[2]);
  for (let k = 3; k < states.length; ++k) await button(page, 'Ripeti').click();
  assert.equal(await save(page), states.at(-1));
  assert.equal(await button(page, 'Ripeti').isDisabled(), true);

  // Fifty-five steps and more, kept through a reload.
  for (let k = 0; k < 56; ++k) await page.getByRole('radio', { name: k % 2 ? 'Uomo' : 'Donna' }).click();
  await page.reload();
  await ready(page);
  for (let k = 0; k < 56; ++k) await page.keyboard.press('Control+z');
  assert.equal(await save(page), states.at(-1));
  // In the name field the keys are the field's own: no step is undone.
  await field(page, 'Nome').fill('Scritto');
  await field(page, 'Nome').press('Control+z');
  await field(page, 'Nome').blur();
  assert.notEqual(await field(page, 'Nome').inputValue(), '');
  assert.equal(await page.getByRole('radio', { name: 'Uomo' }).isChecked(), true);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The golden link of one character: its format must not change.
const GOLDEN = path.join(ROOT, 'web/tests/browser/data/zoe-link.txt');

test('Condividi puts the whole character in a link that another browser opens to the same bytes', async () => {
  const page = await open(`${site}?seme=4242&nome=Zo%C3%AB&razza=Elfo&archetipo=Mago&mano=sinistra`);
  const sheet = await save(page);
  await button(page, 'Condividi').click();
  const link = await field(page, 'Link').inputValue();
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), link);
  await page.getByText('Link copiato').waitFor();
  const fragment = new URL(link).hash.slice(1);
  // The link: the format, the rules' hash (tarvo.rul's SHA-256), the rules'
  // name and the sheet, byte for byte.
  const sha256 = execFileSync('sha256sum', [BUNDLED_RULES]).toString().slice(0, 64);
  const base64url = (bytes) => Buffer.from(bytes).toString('base64url');
  assert.equal(fragment, `pg=1.${sha256}.${base64url('tarvo.rul')}.${base64url(Buffer.from(sheet, 'latin1'))}`);
  if (process.env.TARVO_WRITE_GOLDEN) writeFileSync(GOLDEN, `${fragment}\n`);
  assert.equal(fragment, readFileSync(GOLDEN, 'utf8').trim(), 'il link d\'oro');

  const other = await launch({ viewport: PHONE });
  try {
    const there = await openPage(other, site);
    await there.goto(`${site}#${readFileSync(GOLDEN, 'utf8').trim()}`);
    await ready(there);
    await there.waitForFunction(() => document.getElementById('name').value === 'Zoë');
    assert.equal(new URL(there.url()).hash, '');
    await listed(there, ['Zoë', 'Senza nome']);
    assert.equal(await save(there), sheet);

    // A link of rules this device does not have names them, and adds nothing.
    const foreign = fragment.replace(sha256, 'f'.repeat(64)).replace(base64url('tarvo.rul'), base64url('mie.rul'));
    await there.goto(`${site}#${foreign}`);
    await ready(there);
    const message = there.locator('#message');
    await message.waitFor();
    assert.match(await message.textContent(), /fatto con le regole "mie\.rul", che su questo dispositivo non ci sono/);
    await message.getByRole('button', { name: 'OK' }).click();
    assert.equal((await names(there)).length, 2);
  } finally {
    await other.close();
  }
  await page.close();
});

test('from a file Condividi offers the .pg, for a link needs the page online', async () => {
  const page = await open(`${pathToFileURL(path.join(ROOT, 'build/web/tarvo.html')).href}?seme=9&nome=Posta`);
  await button(page, 'Condividi').click();
  const question = page.locator('#question');
  await question.waitFor();
  assert.match(await question.textContent(), /Un link ha bisogno della pagina in rete/);
  const saved = await download(page, () => question.getByRole('button', { name: 'Salva la scheda .pg' }).click());
  assert.equal(saved.name, 'Posta.pg');
  await page.close();
});

test('In gioco: PF, PM and Monete change within their limits, are kept and undone, and the .pg holds them', async () => {
  const page = await open(`${site}?seme=31&nome=Giocato&razza=Umano&archetipo=Guerriero`, PHONE);
  await button(page, 'In gioco').click();
  assert.equal(await page.getByRole('heading', { name: 'Giocato' }).isVisible(), true);
  assert.equal(await field(page, 'Nome').isVisible(), false);
  const shown = (name) => page.getByRole('status', { name }).textContent();
  const [pf, pfTotal] = (await shown('PF')).split('/').map(Number);
  assert.equal(pf, pfTotal);
  assert.equal(await button(page, 'PF: più uno').isDisabled(), true, 'non oltre il totale');
  for (let k = 0; k < 3; ++k) await button(page, 'PF: meno uno').click();
  await button(page, 'PM: meno uno').click();
  const money = Number(await shown('Monete'));
  await button(page, 'Monete: meno uno').click();
  await button(page, 'Monete: più uno').click();
  await button(page, 'Monete: più uno').click();
  assert.equal(await shown('PF'), `${pfTotal - 3}/${pfTotal}`);
  assert.equal(Number(await shown('Monete')), money + 1);
  await button(page, 'Annulla').click();
  assert.equal(Number(await shown('Monete')), money);

  // Kept through a reload, marked in the list, and in the sheet.
  await page.reload();
  await ready(page);
  assert.match(await roster(page).textContent(), /in gioco/);
  const sheet = await save(page);
  assert.match(sheet, new RegExp(`^PF.Act ${pfTotal - 3}\\r$`, 'm'));
  assert.match(sheet, new RegExp(`^Monete ${money}\\r$`, 'm'));
  // The same core opens that sheet and writes it back unchanged.
  writeFileSync(work.file('giocato.pg'), sheet, 'latin1');
  const native = playNative(`rules bundled\nstart 1 0\nopen ${work.file('giocato.pg')} giocato.pg\nsheet\n`, work).toString('latin1');
  assert.equal(native.slice(native.indexOf('== sheet\n') + 9, -1), sheet);

  // The form asks before rolling a character in play again.
  const before = await field(page, 'Forza').inputValue();
  await button(page, 'Tira di nuovo').first().click();
  assert.match(await answer(page, false), /in gioco/);
  assert.equal(await field(page, 'Forza').inputValue(), before);
  assert.equal(await save(page), sheet);
  await button(page, 'Tira di nuovo').first().click();
  await answer(page, true);
  assert.notEqual(await save(page), sheet);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a storage that is full or closed is said, and what was kept stays', async () => {
  const page = await open(site);
  await rename(page, 'Conservato');
  const kept = await page.evaluate(() => ({ ...localStorage }));
  await page.evaluate(() => {
    Storage.prototype.setItem = () => {
      throw new DOMException('pieno', 'QuotaExceededError');
    };
  });
  await rename(page, 'Perso');
  const message = page.locator('#message');
  await message.waitFor();
  assert.match(await message.textContent(), /non ha più spazio/);
  await message.getByRole('button', { name: 'OK' }).click();
  assert.deepEqual(await page.evaluate(() => ({ ...localStorage })), kept);
  // Importa counts only what the browser kept.
  const sheet = genera(['--regole', BUNDLED_RULES, '--seme', '4', '--nome', 'Escluso']);
  const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Importa').click()]);
  await picker.setFiles({ name: 'Escluso.pg', mimeType: 'text/plain', buffer: sheet });
  await page.getByText('Personaggi importati: 0.').waitFor();
  assert.match(await message.textContent(), /Escluso\.pg: il browser non ha più spazio/);
  await message.getByRole('button', { name: 'OK' }).click();
  assert.deepEqual(await page.evaluate(() => ({ ...localStorage })), kept);
  await page.close();

  // A browser that keeps nothing at all (a private window may).
  const closed = await browser.context.newPage();
  await closed.addInitScript(() => {
    Storage.prototype.setItem = () => {
      throw new DOMException('chiuso', 'SecurityError');
    };
  });
  await closed.goto(site);
  await ready(closed);
  assert.equal(await closed.getByText('Questo browser non conserva nulla per la pagina').isVisible(), true);
  await rename(closed, 'Senza memoria');
  assert.equal(await closed.locator('#message').isVisible(), false);
  await closed.close();
});
