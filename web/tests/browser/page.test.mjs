// The page in Debian's Chromium, driven as a player drives it: by the
// controls' accessible names, with the mouse or the keyboard alone, from the
// site on this machine and from the single file.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import { serve } from '../../tools/serve.mjs';
import { BUNDLED_RULES, COLLATE, genera, playNative, ROOT, SITE, tempFolder, windows1252 } from '../node/harness.mjs';
import { launch } from './chromium.mjs';

const SINGLE_FILE = path.join(ROOT, 'build/web/tarvo.html');
const AXE = readFileSync(path.join(ROOT, 'web/node_modules/axe-core/axe.min.js'), 'utf8');

let server;
let site;
let browser;
let work;
const requests = [];

before(async () => {
  server = await serve(SITE, 0);
  site = `http://127.0.0.1:${server.address().port}/`;
  browser = await launch({ viewport: { width: 1100, height: 700 } });
  browser.context.on('request', (request) => requests.push(request.url()));
  work = tempFolder();
});
after(async () => {
  await browser?.close();
  server?.closeAllConnections();
  server?.close();
  work?.remove();
});

// The page at `address`, with no character kept from an earlier test.
async function open(address) {
  const page = await browser.context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  await page.goto(address);
  await page.waitForSelector('html[data-ready]');
  await page.evaluate(() => localStorage.clear());
  await page.reload();
  await page.waitForSelector('html[data-ready]');
  page.errors = errors;
  return page;
}

const field = (page, name) => page.getByRole('textbox', { name, exact: true });
const list = (page, name) => page.getByRole('combobox', { name, exact: true });
const button = (page, name) => page.getByRole('button', { name, exact: true });

async function download(page, click) {
  const [saved] = await Promise.all([page.waitForEvent('download'), click()]);
  return { name: saved.suggestedFilename(), bytes: readFileSync(await saved.path()) };
}

// The value of list `name`'s option `text`, for the native script.
async function optionValue(page, name, text) {
  return Number(await list(page, name).locator('option', { hasText: text }).first().getAttribute('value'));
}

test('a session by accessible names saves the sheet the native core makes for the same draws', async () => {
  const page = await open(`${site}?seme=20261207`);
  const script = ['rules bundled', 'linkclear'];
  const first = await list(page, 'Archetipo #1').inputValue();
  script.push(`link 20261207 ${first}`);
  const act = (action, value = 0) => script.push(`act ${action} ${value}`);

  await list(page, 'Razza').selectOption({ label: 'Nano' });
  act(0, await optionValue(page, 'Razza', 'Nano'));
  await page.getByRole('checkbox', { name: 'Archetipo #2' }).click();
  act(6, 1);
  await list(page, 'Archetipo #2').selectOption({ label: 'Guerriero' });
  act(3, await optionValue(page, 'Archetipo #2', 'Guerriero'));
  await page.getByRole('radio', { name: 'Donna' }).click();
  act(9);
  await button(page, 'R!').first().click();
  act(1);
  await field(page, 'Nome').fill('Brunilde');
  await page.getByRole('checkbox', { name: 'Mancino' }).click();
  script.push('name Brunilde');
  act(11, 1);
  // Each list's last entry, whatever the money offers: some purchases go
  // through, a refused one leaves the held item.
  const buyLast = async (name, action) => {
    const value = Number(await list(page, name).locator('option').last().getAttribute('value'));
    await list(page, name).selectOption(String(value));
    act(action, value);
  };
  await buyLast('Destra', 12);
  await buyLast('Addosso', 14);
  await buyLast('Sinistra', 13);
  await list(page, 'Tasca').selectOption({ label: 'Tasca 3' });
  act(15, 3);
  const rope = await optionValue(page, 'Oggetto in tasca', 'Corda');
  await list(page, 'Oggetto in tasca').selectOption(String(rope));
  act(16, rope);
  await buyLast('Oggetto in tasca', 16);
  script.push('sheet');

  const saved = await download(page, () => button(page, 'Salva').click());
  assert.equal(saved.name, 'Brunilde.pg');
  const native = playNative(`${script.join('\n')}\n`, work).toString('latin1');
  const sheet = native.slice(native.indexOf('== sheet\n') + 9, -1);
  assert.equal(saved.bytes.toString('latin1'), sheet);
  assert.match(sheet, /^NOME Brunilde\r$/m);
  // What the form shows is what the sheet holds.
  const money = sheet.match(/^Monete (-?\d+)\r$/m)[1];
  assert.equal(await field(page, 'Monete').inputValue(), money);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('Esporta per Foundry, beside Salva, downloads the actor the native core exports for the same character', async () => {
  const page = await open(`${site}?seme=31337`);
  const first = await list(page, 'Archetipo #1').inputValue();
  const typed = 'Zoë "<b>" \\ Ægir';
  await field(page, 'Nome').fill(typed);
  // Salva and then this button, in the order of Tab.
  await button(page, 'Salva').focus();
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Esporta per Foundry');
  const saved = await download(page, () => button(page, 'Esporta per Foundry').click());
  const script = ['rules bundled', 'linkclear', `link 31337 ${first}`, `name ${typed}`, 'foundry', `filename ${typed}`];
  const native = playNative(`${script.join('\n')}\n`, work);
  const at = native.indexOf('== foundry\n') + 11;
  const end = native.indexOf('\n== filename\n');
  assert.equal(saved.bytes.toString('latin1'), native.subarray(at, end).toString('latin1'));
  const sheetName = native.subarray(end + 13, -1).toString('utf8');
  assert.equal(saved.name, sheetName.replace(/\.pg$/, '.json'));
  const actor = JSON.parse(saved.bytes.toString('utf8'));
  assert.equal(actor.name, typed);
  assert.equal(actor.type, 'character');
  // Salva still saves the .pg.
  const sheet = await download(page, () => button(page, 'Salva').click());
  assert.equal(sheet.name, sheetName);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('every control has the name the desktop gives it, the R! buttons their descriptions', async () => {
  const page = await open(site);
  for (const name of ['Nome', 'Forza', 'Costituzione', 'Destrezza', 'Mana', 'PF', 'PM', 'Onore', 'C.d.B.', 'Protez.', 'Monete', 'Stato', 'Armi Pesanti', 'Individuare']) {
    await assert.doesNotReject(field(page, name).waitFor(), name);
  }
  for (const name of ['Razza', 'Archetipo #1', 'Archetipo #2', 'Archetipo #3', 'Destra', 'Sinistra', 'Addosso', 'Tasca', 'Oggetto in tasca']) {
    assert.equal(await list(page, name).count(), 1, name);
  }
  for (const name of ['Uomo', 'Donna']) assert.equal(await page.getByRole('radio', { name, exact: true }).count(), 1);
  for (const name of ['Destro', 'Mancino', 'Archetipo #2', 'Archetipo #3'])
    assert.equal(await page.getByRole('checkbox', { name, exact: true }).count(), 1, name);
  for (const name of ['Salva', 'Esporta per Foundry', 'Stampa', 'Apri', 'Regole']) assert.equal(await button(page, name).count(), 1, name);
  const rerolls = button(page, 'R!');
  assert.equal(await rerolls.count(), 2);
  // What Chromium tells a screen reader of each R! button.
  const client = await browser.context.newCDPSession(page);
  const { root } = await client.send('DOM.getDocument');
  const described = async (selector) => {
    const { nodeId } = await client.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    const { nodes } = await client.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: false });
    return [nodes[0].name?.value, nodes[0].description?.value];
  };
  assert.deepEqual(await described('#reroll-race'), ['R!', 'Tira di nuovo le caratteristiche']);
  assert.deepEqual(await described('#reroll-skills'), ['R!', 'Tira di nuovo abilità, monete e onore']);
  assert.equal(await field(page, 'Stato').inputValue(), 'TARVO v1.2 - Support for Velmor v1.2.x Character');
  assert.equal(await field(page, 'Nome').getAttribute('maxlength'), '25');
  await page.close();
});

test('the keyboard alone reaches Salva and saves', async () => {
  const page = await open(site);
  await page.keyboard.press('Tab');
  await page.keyboard.type('Tastiera');
  let presses = 1;
  while (!(await page.evaluate(() => document.activeElement?.id === 'save'))) {
    await page.keyboard.press('Tab');
    assert.ok(++presses < 80, 'Salva si raggiunge con il tasto Tab');
  }
  // Only what takes an answer is a tab stop: never a value that is only read.
  assert.ok(presses < 25, `Salva alla pressione ${presses} del tasto Tab`);
  const saved = await download(page, () => page.keyboard.press('Enter'));
  assert.equal(saved.name, 'Tastiera.pg');
  assert.match(saved.bytes.toString('latin1'), /^NOME Tastiera\r$/m);
  // Enter in the name field saves too, with the name as typed, and so does Ctrl+S.
  await field(page, 'Nome').fill('Invio');
  const again = await download(page, () => field(page, 'Nome').press('Enter'));
  assert.equal(again.name, 'Invio.pg');
  await field(page, 'Nome').fill('Controllo');
  const third = await download(page, () => page.keyboard.press('Control+s'));
  assert.equal(third.name, 'Controllo.pg');
  await page.close();
});

test('axe-core finds no violation, on a desktop screen and on a phone', async () => {
  const page = await browser.context.newPage();
  // axe is added to the page for the check; the page's own policy would refuse it.
  const client = await browser.context.newCDPSession(page);
  await client.send('Page.setBypassCSP', { enabled: true });
  await page.goto(site);
  await page.waitForSelector('html[data-ready]');
  await page.addScriptTag({ content: AXE });
  for (const size of [{ width: 1100, height: 700 }, { width: 390, height: 844 }]) {
    await page.setViewportSize(size);
    const result = await page.evaluate(() => globalThis.axe.run(document));
    assert.deepEqual(
      result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`),
      [],
      `${size.width}x${size.height}`,
    );
  }
  await page.close();
});

// Rules with warnings are used once the player says so; what the question
// said.
async function useRulesWithWarnings(page) {
  const question = page.locator('#question');
  await question.waitFor();
  const said = await question.locator('#question-text').textContent();
  await question.getByRole('button', { name: 'Usa queste regole' }).click();
  return said;
}

test('only rules that make a character are used: a file of no text is refused, warnings ask, Velmor comes back', async () => {
  const page = await open(site);
  const before = await field(page, 'Forza').inputValue();
  const chooser = async (buffer, name) => {
    const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Regole').click()]);
    await picker.setFiles({ name, mimeType: 'application/octet-stream', buffer });
  };
  const inUse = page.locator('#rules-in-use');
  assert.equal(await inUse.textContent(), 'Regole in uso: le regole di Velmor');
  assert.equal(await button(page, 'Regole di Velmor').isDisabled(), true);

  // A picture is no rules: one sentence, and nothing changes.
  await chooser(Buffer.from('89504e470d0a1a0a0000000d4948445200000001', 'hex'), 'foto.png');
  const message = page.locator('#message');
  await message.waitFor();
  assert.equal(await message.locator('#message-text p').first().textContent(),
    'Il file "foto.png" non è un file di testo: non sono regole.');
  await message.getByRole('button', { name: 'OK' }).click();
  assert.equal(await field(page, 'Forza').inputValue(), before);

  // Rules with a warning ask first; Annulla keeps the rules in use.
  // An item typed "shiled": a slip the check warns of.
  const bundled = readFileSync(BUNDLED_RULES, 'latin1');
  const slip = bundled.lastIndexOf('\r\nshield\r\n');
  assert.ok(slip > 0);
  const warned = `${bundled.slice(0, slip)}\r\nshiled\r\n${bundled.slice(slip + 10)}`;
  await chooser(Buffer.from(warned, 'latin1'), 'mie.rul');
  const question = page.locator('#question');
  await question.waitFor();
  assert.match(await question.locator('li').first().textContent(), /avviso: /);
  await question.getByRole('button', { name: 'Annulla' }).click();
  assert.equal(await inUse.textContent(), 'Regole in uso: le regole di Velmor');
  assert.equal(await field(page, 'Forza').inputValue(), before);

  await chooser(Buffer.from(warned, 'latin1'), 'mie.rul');
  await useRulesWithWarnings(page);
  await page.waitForFunction(() => document.getElementById('rules-in-use').textContent.includes('mie.rul'));
  assert.equal(await inUse.textContent(), 'Regole in uso: "mie.rul"');

  await button(page, 'Regole di Velmor').click();
  assert.equal(await inUse.textContent(), 'Regole in uso: le regole di Velmor');
  assert.equal(await button(page, 'Regole di Velmor').isDisabled(), true);
});

test('a refused rules file shows its line and keeps the character; names from a file stay text', async () => {
  const page = await open(site);
  await field(page, 'Nome').fill('Resto');
  await field(page, 'Nome').blur();
  const before = await field(page, 'Forza').inputValue();
  const chooser = async (bytes, name) => {
    const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Regole').click()]);
    await picker.setFiles({ name, mimeType: 'text/plain', buffer: Buffer.from(bytes, 'latin1') });
  };
  await chooser('1\nForza\nFOR\nF\n21\n', 'rotte.rul');
  const dialog = page.getByRole('dialog');
  await dialog.waitFor();
  assert.equal(
    await dialog.locator('#message-text p').first().textContent(),
    'Il file delle regole "rotte.rul" non è valido: riga 5: il numero di abilità è 21, al massimo 20.',
  );
  // And what else the check of the file finds, each at its line.
  assert.match(await dialog.locator('#message-text li').first().textContent(), /^riga 6: avviso: abilità, /);
  await dialog.getByRole('button', { name: 'OK' }).click();
  assert.equal(await field(page, 'Forza').inputValue(), before);
  assert.equal(await field(page, 'Nome').inputValue(), 'Resto');

  // A file whose names look like markup shows them as they are written.
  const markup = '<img src=x onerror="document.title=1">';
  // An armour typed "amror" is a slip the rules check warns of.
  const rules = ['1', 'Forza<b>', 'FOR', 'F', '0', '1', markup, '1', '6', '0', '1', `${markup}!`, '0', '1', '6', '0',
    '2', '<Nulla>', 'empty', '0', '0', '0', '0', 'Corazza', 'amror', '3', '0', '0', '5', ''].join('\n');
  await chooser(rules, 'segni.rul');
  // The check of the file found what the author may not have meant.
  const said = await useRulesWithWarnings(page);
  assert.match(said, /Le regole "segni\.rul" si possono usare, ma il controllo del file trova:/);
  assert.match(said, /riga 25: avviso: oggetti, oggetto 2 "Corazza", tipo: amror: forse armor\?/);
  await page.waitForFunction(() => document.querySelector('#race option')?.textContent.startsWith('<img'));
  assert.equal(await list(page, 'Razza').locator('option').first().textContent(), markup);
  assert.equal(await list(page, 'Archetipo #1').locator('option').first().textContent(), `${markup}!`);
  assert.equal(await page.locator('img').count(), 0);
  assert.equal(await page.getByText('Forza<b>', { exact: true }).count(), 1);
  assert.equal(await field(page, 'Nome').inputValue(), '', 'nuove regole, nuovo personaggio');
  await page.close();
});

test('a sheet opened with Apri saves as the same bytes; a broken one shows its line', async () => {
  const page = await open(site);
  const pick = async (bytes, name) => {
    const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Apri').click()]);
    await picker.setFiles({ name, mimeType: 'text/plain', buffer: bytes });
  };
  const sheet = genera(['--regole', BUNDLED_RULES, '--seme', '31', '--nome', 'Riaperta', '--razza', 'Gnomo', '--archetipo', 'bardo', '--archetipo', 'mago', '--destra', 'pugnale']);
  // Opened with Ctrl+O while a name is being typed: the sheet's name shows,
  // and stays once the field loses the focus. File choosers are caught from
  // here on: one opened by a key comes at once, before a waitForEvent alone
  // would have asked the browser to hand them over.
  page.on('filechooser', () => {});
  await field(page, 'Nome').fill('Aldo');
  const [picker] = await Promise.all([page.waitForEvent('filechooser'), page.keyboard.press('Control+o')]);
  await picker.setFiles({ name: 'Riaperta.pg', mimeType: 'text/plain', buffer: sheet });
  await page.waitForFunction(() => document.getElementById('name').value === 'Riaperta');
  await page.keyboard.press('Tab');
  assert.equal(await list(page, 'Razza').locator('option:checked').textContent(), 'Gnomo');
  assert.equal(await page.getByRole('checkbox', { name: 'Archetipo #2' }).isChecked(), true);
  const saved = await download(page, () => button(page, 'Salva').click());
  assert.equal(saved.name, 'Riaperta.pg');
  assert.equal(saved.bytes.toString('latin1'), sheet.toString('latin1'));

  const broken = Buffer.from(sheet.toString('latin1').replace('RAZZA Gnomo', 'RAZZA Troll'), 'latin1');
  await pick(broken, 'rotta.pg');
  const dialog = page.getByRole('dialog');
  await dialog.waitFor();
  assert.match(await dialog.locator('#message-text').textContent(), /^La scheda "rotta\.pg" non è valida: riga 7: /);
  await dialog.getByRole('button', { name: 'OK' }).click();
  assert.equal(await field(page, 'Nome').inputValue(), 'Riaperta');
  // A reload finds the opened character again.
  await page.reload();
  await page.waitForSelector('html[data-ready]');
  assert.equal(await field(page, 'Nome').inputValue(), 'Riaperta');
  const again = await download(page, () => button(page, 'Salva').click());
  assert.equal(again.bytes.toString('latin1'), sheet.toString('latin1'));
  // A name still being typed when the page reloads is kept too.
  await field(page, 'Nome').fill('Ancora');
  await page.reload();
  await page.waitForSelector('html[data-ready]');
  assert.equal(await field(page, 'Nome').inputValue(), 'Ancora');
  await page.close();
});

test('the lists sort as the desktop sorts them, on the bundled rules and on names made to tell them apart', async () => {
  const names = [
    'Ladro', 'ladro', 'Àncora', 'ancora', 'Ancora', 'èlfo', 'Elfo', 'elfo', 'Zeta', 'Éowyn', 'e', 'É', 'Œdipo',
    'oe', 'Ñandú', 'nandu', 'Strega-Madre', 'Strega Madre', 'StregaMadre', "D'Artagnan", 'Dartagnan', 'd artagnan',
    '10 Spade', '9 Spade', '_Ombra', '.punto', '(Mago)', 'Mago', 'mäge', 'Mage', 'Æsir', 'Aesir', 'ß', 'ss', 'Ÿ', 'y',
  ];
  const lines = ['0', '0', '1', 'Umano', String(Math.min(names.length, 25))];
  const archetypes = names.slice(0, 25);
  for (const name of archetypes) lines.push(name, '0', '0', '0', '0');
  const items = ['<Nulla>', ...names.slice(0, 39)];
  lines.push(String(items.length));
  for (const name of items) lines.push(name, 'empty', '0', '0', '0', '0');
  const file = windows1252(`${lines.join('\n')}\n`);

  const page = await open(site);
  const desktop = (texts) =>
    execFileSync(COLLATE, { input: `${texts.join('\n')}\n` }).toString().trim().split('\n').map(Number);
  const shown = async (name) => (await list(page, name).locator('option').allTextContents());
  // The bundled rules.
  const bundledArchetypes = await shown('Archetipo #1');
  assert.deepEqual(bundledArchetypes, desktop(bundledArchetypes).map((i) => bundledArchetypes[i]));
  const offered = await shown('Destra');
  assert.deepEqual(offered, desktop(offered).map((i) => offered[i]));

  const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Regole').click()]);
  await picker.setFiles({ name: 'ordine.rul', mimeType: 'text/plain', buffer: file });
  await useRulesWithWarnings(page);
  await page.waitForFunction(() => document.querySelector('#archetype1 option')?.textContent !== 'Bardo');
  const rulesOrder = (texts) => desktop(texts).map((i) => texts[i]);
  assert.deepEqual(await shown('Archetipo #1'), rulesOrder(archetypes));
  assert.deepEqual(await shown('Destra'), rulesOrder(items));
  // Ties keep the rules' order: "Ladro" before "ladro".
  const all = await shown('Destra');
  assert.ok(all.indexOf('Ladro') < all.indexOf('ladro'));
  await page.close();
});

// A printed page, as text laid out as on the paper.
async function printed(page) {
  await page.evaluate(() => dispatchEvent(new Event('beforeprint')));
  await page.emulateMedia({ media: 'print' });
  assert.equal(await page.locator('main').isVisible(), false);
  const pdf = work.file('scheda.pdf');
  writeFileSync(pdf, await page.pdf({ preferCSSPageSize: true, printBackground: true }));
  await page.emulateMedia({ media: 'screen' });
  const info = execFileSync('pdfinfo', [pdf]).toString();
  assert.match(info, /^Pages:\s+1$/m);
  assert.match(info, /^Page size:\s+59[45]\.\d+ x 841\.\d+ pts \(A4\)/m);
  return execFileSync('pdftotext', ['-layout', pdf, '-']).toString();
}

test('printing gives one A4 page with the character on it, as the desktop prints it', async () => {
  const page = await open(`${site}?seme=3&nome=Stampato%20{n}`);
  assert.equal(await field(page, 'Nome').inputValue(), 'Stampato 1', 'il primo personaggio di tarvo-genera');
  const text = await printed(page);
  for (const expected of ['Scheda del personaggio', 'Stampato 1', 'Caratteristiche', 'Abilità', 'Equipaggiamento', 'Tasca 9', 'Note', 'Regole: tarvo.rul'])
    assert.ok(text.includes(expected), expected);

  // Rules of our own: three archetypes with long names; free items that
  // change a skill, a characteristic and the protection.
  const archetypes = ["Cavaliere dell'Ordine Sacro", "Mago della Torre d'Avorio", 'Ladro di Strada e di Porto'];
  const lines = ['3', 'Forza', 'FOR', 'F', 'Costituzione', 'COS', 'C', 'Destrezza', 'DES', 'D',
    '2', 'Furtività', 'Furtivita', 'sneack', '2', 'Scherma', 'Scherma', 'fence', '0',
    '1', 'Umano', '3', '6', '0', '3', '6', '0', '3', '6', '0', '3'];
  for (const name of archetypes) lines.push(name, '0', '1', '6', '0', '1', '6', '0', '1', '6', '0');
  lines.push('4');
  for (const item of [['<Nulla>', 'empty'], ['Corazza', 'armor'], ['Mantello', 'SNEACK'], ['Guanti', 'for']])
    lines.push(...item, item[1] === 'empty' ? '0' : '2', '0', item[1] === 'empty' ? '0' : '1', '0');
  const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Regole').click()]);
  await picker.setFiles({ name: 'lunghe.rul', mimeType: 'text/plain', buffer: windows1252(`${lines.join('\n')}\n`) });
  await page.waitForFunction(() => document.querySelector('#race option')?.textContent === 'Umano');

  await field(page, 'Nome').fill('Stampato');
  await list(page, 'Archetipo #1').selectOption({ label: archetypes[0] });
  await page.getByRole('checkbox', { name: 'Archetipo #2' }).check();
  await list(page, 'Archetipo #2').selectOption({ label: archetypes[1] });
  await page.getByRole('checkbox', { name: 'Archetipo #3' }).check();
  await list(page, 'Archetipo #3').selectOption({ label: archetypes[2] });
  await list(page, 'Destra').selectOption({ label: 'Guanti' });
  await list(page, 'Sinistra').selectOption({ label: 'Mantello' });
  await list(page, 'Addosso').selectOption({ label: 'Corazza' });
  const shown = {};
  for (const label of ['Forza', 'Costituzione', 'Destrezza']) shown[label] = await field(page, label).inputValue();

  const sheet = await printed(page);
  const words = sheet.replace(/\s+/g, ' ');
  // Every archetype in full, none shortened.
  for (const name of archetypes) assert.ok(words.includes(name), name);
  assert.ok(!sheet.includes('…'), sheet);
  // Each characteristic as the form shows it, with its fifth in brackets.
  for (const [label, value] of Object.entries(shown)) {
    assert.match(value, /^\d+ \(\d+\)$/);
    assert.match(sheet, new RegExp(`${label} +${value.replace(/[()]/g, '\\$&')} `), label);
  }
  // The type as it counts for the player: what it changes, or "Armatura".
  assert.match(sheet, /Mano destra +Guanti +Forza /);
  assert.match(sheet, /Mano sinistra +Mantello +Furtività /);
  assert.match(sheet, /Addosso +Corazza +Armatura /);
  assert.ok(!/\b(armor|SNEACK|for)\b/.test(sheet), 'the types as the file writes them');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the single file works from file:// and asks for nothing', async () => {
  const before = requests.length;
  const page = await open(`${pathToFileURL(SINGLE_FILE).href}?seme=9&nome=Posta`);
  await list(page, 'Razza').selectOption({ label: 'Elfo' });
  const saved = await download(page, () => button(page, 'Salva').click());
  assert.equal(saved.name, 'Posta.pg');
  assert.match(saved.bytes.toString('latin1'), /^RAZZA Elfo\r$/m);
  const asked = requests.slice(before).filter((url) => !url.startsWith('file:') && !url.startsWith('data:') && !url.startsWith('blob:'));
  assert.deepEqual(asked, []);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the site asks only for its own files, keeps no cookie, and works offline after a reload', async () => {
  const before = requests.length;
  const page = await open(`${site}?seme=11`);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  await page.waitForSelector('html[data-ready]');
  assert.ok(await page.evaluate(() => navigator.serviceWorker.controller !== null), 'il service worker governa la pagina');
  // Chromium would install it on a home screen: manifest, icons, worker.
  const client = await browser.context.newCDPSession(page);
  const { installabilityErrors } = await client.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, []);
  await field(page, 'Nome').fill('Offline');
  await field(page, 'Nome').blur();
  await list(page, 'Razza').selectOption({ label: 'Orco' });
  const shown = await field(page, 'Forza').inputValue();

  server.closeAllConnections();
  await new Promise((resolve) => server.close(resolve));
  await page.reload();
  await page.waitForSelector('html[data-ready]');
  assert.equal(await field(page, 'Nome').inputValue(), 'Offline');
  assert.equal(await list(page, 'Razza').inputValue(), await list(page, 'Razza').locator('option', { hasText: 'Orco' }).getAttribute('value'));
  assert.equal(await field(page, 'Forza').inputValue(), shown, 'il personaggio in corso torna com\'era');

  const foreign = requests.slice(before).filter((url) => !url.startsWith(site) && !url.startsWith('blob:'));
  assert.deepEqual(foreign, []);
  assert.deepEqual(await browser.context.cookies(), []);
  await page.close();
});
