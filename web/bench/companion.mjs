// The list of characters and undo with many of them, in headless Chromium on
// a 1280x800 screen:
//
//   node web/bench/companion.mjs [CHARACTERS] [STEPS] [RUNS]   (200 200 9)
//
// Keeps CHARACTERS characters on the page, the one in progress with STEPS
// steps (choices, rolls, purchases, names), then measures, RUNS times each:
// drawing the list at start (after the form is usable); Annulla (the
// character made again without its last step, shown, kept, the list drawn
// again, the page's layout worked out); Ripeti, the same. Medians and the
// slowest, in milliseconds; one frame of a 60 Hz screen is 16.7 ms.
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

import { CHROMIUM } from '../tests/browser/chromium.mjs';
import { serve } from '../tools/serve.mjs';

const [characters, steps, runs] = [200, 200, 9].map((fallback, i) => Number(process.argv[2 + i] ?? fallback));
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const server = await serve(path.join(root, 'build/web/site'), 0);
const site = `http://127.0.0.1:${server.address().port}/`;
const args = ['--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-dev-shm-usage'];
if (process.getuid?.() === 0) args.push('--no-sandbox');
const browser = await chromium.launch({ executablePath: CHROMIUM, headless: true, args });

try {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const page = await context.newPage();
  await page.goto(site);
  await page.waitForSelector('html[data-listed]');
  // The character in progress with `steps` steps, and `characters` - 1 more.
  await page.evaluate(
    ({ characters, steps }) => {
      const list = JSON.parse(localStorage.getItem('tarvo.personaggi'));
      const key = `tarvo.pg.${list.current}`;
      const entry = JSON.parse(localStorage.getItem(key));
      const gestures = [[[0, 1]], [[1, 0]], [[5, 0]], [[9, 0]], [[8, 0]], [[11, 1]], [[15, 3], [16, 1]], [['name', 'Lungo']]];
      entry.steps = Array.from({ length: steps }, (_, i) => gestures[i % gestures.length]);
      localStorage.setItem(key, JSON.stringify(entry));
      const [summary] = list.order;
      for (let i = 1; i < characters; ++i) {
        const id = `${entry.id}-${i}`;
        localStorage.setItem(`tarvo.pg.${id}`, JSON.stringify({ ...entry, id, steps: [] }));
        list.order.push({ ...summary, id, name: `Personaggio ${i}` });
      }
      localStorage.setItem('tarvo.personaggi', JSON.stringify(list));
    },
    { characters, steps },
  );
  const times = { list: [], undo: [], redo: [] };
  for (let run = 0; run < runs; ++run) {
    await page.reload();
    await page.waitForSelector('html[data-listed]');
    times.list.push(
      await page.evaluate(() => performance.measure('elenco', 'tarvo-personaggi-inizio', 'tarvo-personaggi').duration),
    );
    for (const [what, id] of [
      ['undo', 'undo'],
      ['redo', 'redo'],
    ]) {
      times[what].push(
        await page.evaluate((id) => {
          const began = performance.now();
          document.getElementById(id).click();
          // With the page's styles and layout worked out again.
          document.documentElement.getBoundingClientRect();
          return performance.now() - began;
        }, id),
      );
    }
  }
  const shown = await page.locator('#roster-list li').count();
  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  console.log(`${shown} personaggi, ${steps} passi, ${runs} giri: mediana (il più lento), in ms; un fotogramma a 60 Hz è 16,7 ms`);
  for (const [what, label] of [
    ['list', "l'elenco dei personaggi"],
    ['undo', 'Annulla'],
    ['redo', 'Ripeti'],
  ]) {
    const values = times[what];
    console.log(`  ${label.padEnd(24)} ${median(values).toFixed(1).padStart(6)} (${Math.max(...values).toFixed(1)})`);
  }
} finally {
  await browser.close();
  server.close();
}
