// From navigation to a usable form, in headless Chromium, against a static
// page of the same bytes:
//
//   node web/bench/startup.mjs [RUNS]   (default 9)
//
// Each run opens a fresh browser context (nothing cached) and loads, from a
// server on this machine: the site, and a static HTML page as large as the
// site's files together; from file://: the single file, and a static page as
// large as it. The form counts as usable when the page has marked itself
// ready (its lists filled and the first character shown); a static page when
// its load event has ended. Medians, in milliseconds from the navigation's
// start.
import { mkdtempSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

import { CHROMIUM } from '../tests/browser/chromium.mjs';
import { serve } from '../tools/serve.mjs';

const runs = Number(process.argv[2] ?? 9);
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const site = path.join(root, 'build/web/site');
const single = path.join(root, 'build/web/tarvo.html');
const work = mkdtempSync(path.join(os.tmpdir(), 'tarvo-startup-'));

// A page of plain text as large as `bytes`.
function staticPage(name, bytes) {
  const head = '<!DOCTYPE html><html lang="it"><head><meta charset="utf-8"><title>statica</title></head><body><pre>';
  const tail = '</pre></body></html>\n';
  const line = 'Generatore personaggi per Velmor: una pagina di solo testo.\n';
  const file = path.join(work, name);
  writeFileSync(file, head + line.repeat(Math.ceil(bytes / line.length)).slice(0, bytes - head.length - tail.length) + tail);
  return file;
}

const siteBytes = readdirSync(site).reduce((sum, name) => sum + statSync(path.join(site, name)).size, 0);
const staticForSite = staticPage('statica-sito.html', siteBytes);
const staticForSingle = staticPage('statica-file.html', statSync(single).size);
const server = await serve(site, 0);
const staticServer = await serve(work, 0);
const args = ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'];
if (process.getuid?.() === 0) args.push('--no-sandbox');
const browser = await chromium.launch({ executablePath: CHROMIUM, headless: true, args });

const cases = [
  ['sito (http://127.0.0.1)', `http://127.0.0.1:${server.address().port}/`, 'ready'],
  ['pagina statica di pari byte', `http://127.0.0.1:${staticServer.address().port}/statica-sito.html`, 'load'],
  ['file unico (file://)', pathToFileURL(single).href, 'ready'],
  ['pagina statica di pari byte', pathToFileURL(staticForSingle).href, 'load'],
];
const times = cases.map(() => []);
try {
  for (let run = 0; run < runs; ++run) {
    for (const [i, [, address, until]] of cases.entries()) {
      const context = await browser.newContext();
      const page = await context.newPage();
      await page.goto(address, { waitUntil: 'load' });
      times[i].push(
        until === 'ready'
          ? await page.evaluate(async () => {
              while (!document.documentElement.dataset.ready) await new Promise((r) => setTimeout(r, 1));
              return performance.getEntriesByName('tarvo-pronto')[0].startTime;
            })
          : await page.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd),
      );
      await context.close();
    }
  }
} finally {
  await browser.close();
  server.close();
  staticServer.close();
  rmSync(work, { recursive: true, force: true });
}
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
console.log(`${runs} aperture ciascuna, mediane dall'inizio della navigazione:`);
cases.forEach(([name, , until], i) =>
  console.log(`  ${name.padEnd(30)} ${median(times[i]).toFixed(0).padStart(5)} ms (${until === 'ready' ? 'modulo pronto' : 'load'})`),
);
void staticForSite;
