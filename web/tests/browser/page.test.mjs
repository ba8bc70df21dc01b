// The page in Debian's Chromium, driven as a player drives it: by the
// controls' accessible names, with the mouse or the keyboard alone, from the
// site on this machine and from the single file.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { appendFileSync, cpSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import { serve } from '../../tools/serve.mjs';
import { BUNDLED_RULES, COLLATE, genera, playNative, ROOT, SITE, tempFolder, windows1252 } from '../node/harness.mjs';
import { launch } from './chromium.mjs';
import { button, DESKTOP, download, field, list, open as openPage, optionValue, PHONE, ready } from './driver.mjs';

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
  browser = await launch({ viewport: DESKTOP });
  browser.context.on('request', (request) => requests.push(request.url()));
  work = tempFolder();
});
after(async () => {
  await browser?.close();
  server?.closeAllConnections();
  server?.close();
  work?.remove();
});

const open = (address, size) => openPage(browser, address, size);

test('a session by accessible names on a phone saves the sheet the native core makes for the same draws', async () => {
  const page = await open(`${site}?seme=20261207`, PHONE);
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
  await button(page, 'Tira di nuovo').first().click();
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
  // A pocket's own list selects its pocket first, when it is not the
  // selected one already.
  let pocket = 0;
  const buyInPocket = async (chosen, value) => {
    await list(page, `Tasca ${chosen}`).selectOption(String(value));
    if (chosen !== pocket) act(15, chosen);
    pocket = chosen;
    act(16, value);
  };
  const last = async (name) => Number(await list(page, name).locator('option').last().getAttribute('value'));
  await buyInPocket(3, await optionValue(page, 'Tasca 3', 'Corda'));
  await buyInPocket(3, await last('Tasca 3'));
  await buyInPocket(0, await last('Tasca 0'));
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

test('every control has the name the desktop gives it; the rolls, pockets and columns say what they are', async () => {
  const page = await open(site, DESKTOP);
  for (const size of [DESKTOP, PHONE]) {
    await page.setViewportSize(size);
    for (const name of ['Nome', 'Forza', 'Costituzione', 'Destrezza', 'Mana', 'PF', 'PM', 'Onore', 'C.d.B.', 'Protez.', 'Monete', 'Armi Pesanti', 'Individuare']) {
      assert.equal(await field(page, name).isVisible(), true, name);
    }
    const pockets = Array.from({ length: 10 }, (_, p) => `Tasca ${p}`);
    for (const name of ['Razza', 'Archetipo #1', 'Archetipo #2', 'Archetipo #3', 'Destra', 'Sinistra', 'Addosso', ...pockets]) {
      assert.equal(await list(page, name).count(), 1, name);
    }
    for (const name of ['Uomo', 'Donna']) assert.equal(await page.getByRole('radio', { name, exact: true }).count(), 1);
    for (const name of ['Destro', 'Mancino', 'Archetipo #2', 'Archetipo #3'])
      assert.equal(await page.getByRole('checkbox', { name, exact: true }).count(), 1, name);
    for (const name of ['Salva', 'Esporta per Foundry', 'Stampa', 'Apri', 'Regole']) assert.equal(await button(page, name).isVisible(), true, name);
  }
  // What Chromium tells a screen reader of a control.
  const client = await browser.context.newCDPSession(page);
  const { root } = await client.send('DOM.getDocument');
  const described = async (selector) => {
    const { nodeId } = await client.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    const { nodes } = await client.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: false });
    return [nodes[0].name?.value, nodes[0].description?.value];
  };
  // The rolls say in words what they do, on the screen and to a screen reader.
  assert.equal(await button(page, 'Tira di nuovo').count(), 2);
  assert.deepEqual(await described('#reroll-race'), ['Tira di nuovo', 'Tira di nuovo le caratteristiche']);
  assert.deepEqual(await described('#reroll-skills'), ['Tira di nuovo', 'Tira di nuovo abilità, monete e onore']);
  // The value columns have the printed sheet's headings; a value names its column.
  for (const heading of ['Caratteristiche', 'Abilità', 'Punteggi', 'Equipaggiamento', 'Tasche'])
    assert.equal(await page.getByRole('heading', { name: heading, exact: true }).count(), 1, heading);
  assert.equal(await page.getByText('Valore + Mod. = Totale (+ Car.)', { exact: true }).isVisible(), true);
  assert.deepEqual(await described('#stat1'), ['Forza', 'Valore']);
  assert.deepEqual(await described('#skill1'), ['Armi Pesanti', 'Valore + Mod. = Totale (+ Car.)']);
  // Each item with its price after its name; the lists sort by the name.
  const right = await list(page, 'Destra').locator('option').allTextContents();
  assert.ok(right.every((text) => /^.+ — \d+$/.test(text)), right.join(', '));
  assert.deepEqual(await list(page, 'Tasca 9').locator('option').allTextContents(), right);
  // The form's status line is the desktop's, in English: the page has none.
  assert.equal(await page.getByText('Support for', { exact: false }).count(), 0);
  assert.equal(await field(page, 'Nome').getAttribute('maxlength'), '25');
  await page.close();
});

test('the keyboard alone reaches Salva and saves', async () => {
  const page = await open(site);
  const tabTo = async (id) => {
    let presses = 0;
    while (!(await page.evaluate((id) => document.activeElement?.id === id, id))) {
      await page.keyboard.press('Tab');
      assert.ok(++presses < 80, `#${id} si raggiunge con il tasto Tab`);
    }
    return presses;
  };
  // Past Nuovo, Personaggi, In gioco and Condividi (Annulla and Ripeti have
  // nothing to do yet).
  assert.equal(await tabTo('name'), 5);
  await page.keyboard.type('Tastiera');
  // Only what takes an answer is a tab stop, never a value that is only read:
  // race, its roll, sex, hands, archetype, its roll, the second box, three
  // equipment lists, ten pockets, then Salva.
  assert.equal(await tabTo('save'), 22, 'Salva alla pressione 22 del tasto Tab dal nome');
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

test('axe-core finds no violation, on a phone and a desktop, in light and dark colours', async () => {
  const page = await browser.context.newPage();
  // axe is added to the page for the check; the page's own policy would refuse it.
  const client = await browser.context.newCDPSession(page);
  await client.send('Page.setBypassCSP', { enabled: true });
  await page.goto(site);
  await ready(page);
  await page.addScriptTag({ content: AXE });
  for (const colorScheme of ['light', 'dark']) {
    await page.emulateMedia({ colorScheme });
    await page.waitForFunction((theme) => document.documentElement.dataset.theme === theme, colorScheme);
    for (const size of [PHONE, DESKTOP]) {
      await page.setViewportSize(size);
      const result = await page.evaluate(() => globalThis.axe.run(document));
      assert.deepEqual(
        result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`),
        [],
        `${size.width}x${size.height} ${colorScheme}`,
      );
    }
  }
  // The character in play, on a phone.
  await page.setViewportSize(PHONE);
  await page.getByRole('button', { name: 'In gioco', exact: true }).click();
  for (const colorScheme of ['light', 'dark']) {
    await page.emulateMedia({ colorScheme });
    await page.waitForFunction((theme) => document.documentElement.dataset.theme === theme, colorScheme);
    const result = await page.evaluate(() => globalThis.axe.run(document));
    assert.deepEqual(result.violations.map((v) => v.id), [], `In gioco ${colorScheme}`);
  }
  await page.close();
});

// Rules of names longer than any screen holds on one line, for the race,
// the archetypes, the characteristics, the skills and the items.
function longNamesRules() {
  // Without a blank or a hyphen to break at.
  const long = (what) => `${what}DellaMontagnaGrigiaEDelleSetteValliDelNord`;
  const lines = ['3', long('Forza'), 'FOR', 'F', 'Costituzione', 'COS', 'C', 'Destrezza', 'DES', 'D',
    '2', long('Furtività'), 'Furtivita', 'sneack', '2', 'Scherma', 'Scherma', 'fence', '0',
    '1', long('Umano'), '3', '6', '0', '3', '6', '0', '3', '6', '0', '3'];
  for (const name of [long('Cavaliere'), 'Mago', 'Ladro']) lines.push(name, '0', '1', '6', '0', '1', '6', '0', '1', '6', '0');
  lines.push('3');
  for (const item of [['<Nulla>', 'empty'], [long('Corazza'), 'armor'], [long('Mantello'), 'SNEACK']])
    lines.push(...item, item[1] === 'empty' ? '0' : '2', '0', item[1] === 'empty' ? '0' : '1', '0');
  return windows1252(`${lines.join('\n')}\n`);
}

// What of the form is wider than the screen, and which text sits under a
// field: [] when every text wraps in its own place.
function layoutFaults(page) {
  return page.evaluate(() => {
    const faults = [];
    if (document.documentElement.scrollWidth > innerWidth) faults.push(`pagina larga ${document.documentElement.scrollWidth}`);
    const form = document.getElementById('form');
    const shown = (element) => element.getClientRects().length > 0;
    const fields = [...form.querySelectorAll('input, select, button')].filter(shown);
    const texts = [...form.querySelectorAll('label, h2, h3, p, .column-heading')].filter(shown);
    for (const text of texts) {
      if (text.scrollWidth > text.clientWidth + 1) faults.push(`${text.textContent} esce dal suo posto`);
      const box = text.getBoundingClientRect();
      for (const control of fields) {
        if (text.contains(control) || control.closest('label') === text) continue;
        const other = control.getBoundingClientRect();
        const apart = box.right <= other.left || other.right <= box.left || box.bottom <= other.top || other.bottom <= box.top;
        if (!apart) faults.push(`${text.textContent} sotto #${control.id}`);
      }
    }
    return faults;
  });
}

test('from 320 to 1920 px nothing is wider than the screen, names wrap, and Monete and Salva stay in sight while buying', async () => {
  const page = await open(site, PHONE);
  const [picker] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Regole').click()]);
  await picker.setFiles({ name: 'lunghe.rul', mimeType: 'text/plain', buffer: longNamesRules() });
  await page.waitForFunction(() => document.querySelector('#race option')?.textContent.startsWith("UmanoDella"));
  for (const width of [320, 390, 600, 768, 960, 1280, 1920]) {
    await page.setViewportSize({ width, height: width < 600 ? 844 : 800 });
    assert.deepEqual(await layoutFaults(page), [], `${width} px`);
    // While a pocket's item is chosen, the money and Salva are on screen.
    await list(page, 'Tasca 9').scrollIntoViewIfNeeded();
    for (const control of [field(page, 'Monete'), button(page, 'Salva')]) {
      const box = await control.boundingBox();
      const height = page.viewportSize().height;
      assert.ok(box.y >= 0 && box.y + box.height <= height, `${width} px: ${await control.getAttribute('id')} a ${box.y}`);
    }
    const salva = await button(page, 'Salva').boundingBox();
    assert.equal(
      await page.evaluate(([x, y]) => document.elementFromPoint(x, y)?.closest('button')?.id, [salva.x + salva.width / 2, salva.y + salva.height / 2]),
      'save',
      `${width} px: Salva non è coperto`,
    );
  }
  // The message box wraps a name longer than a phone's screen.
  await page.setViewportSize(PHONE);
  const [again] = await Promise.all([page.waitForEvent('filechooser'), button(page, 'Regole').click()]);
  await again.setFiles({ name: `${'regole'.repeat(30)}.png`, mimeType: 'image/png', buffer: Buffer.from('89504e470d0a1a0a', 'hex') });
  const message = page.locator('#message');
  await message.waitFor();
  const box = await message.boundingBox();
  assert.ok(box.x >= 0 && box.x + box.width <= PHONE.width, `il messaggio da ${box.x} a ${box.x + box.width}`);
  assert.equal(await message.evaluate((dialog) => dialog.scrollWidth <= dialog.clientWidth), true);
  await message.getByRole('button', { name: 'OK' }).click();
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('dark colours follow the system until the switch chooses, and the choice is remembered', async () => {
  const page = await open(site, PHONE);
  const colours = () =>
    page.evaluate(() => [document.documentElement.dataset.theme, getComputedStyle(document.documentElement).backgroundColor]);
  const toggle = button(page, 'Colori scuri');
  await page.emulateMedia({ colorScheme: 'dark' });
  await page.waitForFunction(() => document.documentElement.dataset.theme === 'dark');
  assert.deepEqual(await colours(), ['dark', 'rgb(23, 24, 26)']);
  assert.equal(await toggle.getAttribute('aria-pressed'), 'true');
  await toggle.click();
  assert.deepEqual(await colours(), ['light', 'rgb(243, 243, 241)']);
  assert.equal(await toggle.getAttribute('aria-pressed'), 'false');
  await page.reload();
  await ready(page);
  assert.deepEqual(await colours(), ['light', 'rgb(243, 243, 241)'], 'la scelta resta dopo un nuovo caricamento');
  await toggle.click();
  await page.emulateMedia({ colorScheme: 'light' });
  await page.evaluate(() => new Promise(requestAnimationFrame));
  assert.deepEqual(await colours(), ['dark', 'rgb(23, 24, 26)'], 'la scelta vale più del sistema');
  // The printed sheet is white paper in either.
  await page.evaluate(() => dispatchEvent(new Event('beforeprint')));
  await page.emulateMedia({ media: 'print' });
  assert.equal(await page.locator('#sheet').evaluate((sheet) => getComputedStyle(sheet.querySelector('.caption')).color), 'rgb(85, 85, 85)');
  await page.emulateMedia({ media: 'screen' });
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
  await ready(page);
  assert.equal(await field(page, 'Nome').inputValue(), 'Riaperta');
  const again = await download(page, () => button(page, 'Salva').click());
  assert.equal(again.bytes.toString('latin1'), sheet.toString('latin1'));
  // A name still being typed when the page reloads is kept too.
  await field(page, 'Nome').fill('Ancora');
  await page.reload();
  await ready(page);
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
  // The entries' names, without the price after them: the lists sort by the name alone.
  const shown = async (name) =>
    (await list(page, name).locator('option').allTextContents()).map((text) => text.replace(/ — \d+$/, ''));
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
  await list(page, 'Destra').selectOption({ label: 'Guanti — 0' });
  await list(page, 'Sinistra').selectOption({ label: 'Mantello — 0' });
  await list(page, 'Addosso').selectOption({ label: 'Corazza — 0' });
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

test('a new version of the site is said, and "ricarica" opens it', async () => {
  // A site of its own, to publish a new version of.
  const folder = work.file('nuova-versione');
  cpSync(SITE, folder, { recursive: true });
  const own = await serve(folder, 0);
  const page = await browser.context.newPage();
  await page.setViewportSize(PHONE);
  try {
    await page.goto(`http://127.0.0.1:${own.address().port}/?seme=5`);
    await ready(page);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    const notice = page.getByText('È disponibile una versione nuova:');
    // The first version kept for offline use is no news.
    assert.equal(await notice.isVisible(), false);
    appendFileSync(path.join(folder, 'sw.js'), '\n// la versione dopo\n');
    await page.evaluate(async () => (await navigator.serviceWorker.getRegistration()).update());
    await notice.waitFor();
    await Promise.all([page.waitForEvent('load'), button(page, 'ricarica').click()]);
    await ready(page);
    assert.equal(await notice.isVisible(), false);
  } finally {
    await page.close();
    own.closeAllConnections();
    own.close();
  }
});

test('the site asks only for its own files, keeps no cookie, and works offline after a reload', async () => {
  const before = requests.length;
  const page = await open(`${site}?seme=11`);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  await ready(page);
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
  await ready(page);
  assert.equal(await field(page, 'Nome').inputValue(), 'Offline');
  assert.equal(await list(page, 'Razza').inputValue(), await list(page, 'Razza').locator('option', { hasText: 'Orco' }).getAttribute('value'));
  assert.equal(await field(page, 'Forza').inputValue(), shown, 'il personaggio in corso torna com\'era');

  const foreign = requests.slice(before).filter((url) => !url.startsWith(site) && !url.startsWith('blob:'));
  assert.deepEqual(foreign, []);
  assert.deepEqual(await browser.context.cookies(), []);
  await page.close();
});
