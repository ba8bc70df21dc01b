// Draws the README's pictures of the page with Debian's Chromium, headless:
// docs/web-phone.png (a phone's screen) and docs/web-desktop.png (a desktop's
// window), the same character in both. Needs the site built and the npm
// packages installed (scripts/web.sh --test does both):
//
//   node web/tools/pictures.mjs
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { launch } from '../tests/browser/chromium.mjs';
import { serve } from './serve.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const server = await serve(path.join(root, 'build/web/site'), 0);
const address = `http://127.0.0.1:${server.address().port}/?seme=20261207&nome=Aldo&razza=Umano&archetipo=Bardo`;

async function picture(file, viewport, scale) {
  const browser = await launch({ viewport, deviceScaleFactor: scale });
  try {
    const page = await browser.context.newPage();
    await page.goto(address);
    await page.waitForSelector('html[data-ready]');
    // An entry is the item's name with its price after it.
    const choose = async (name, item) => {
      const list = page.getByRole('combobox', { name, exact: true });
      await list.selectOption(await list.locator('option', { hasText: `${item} — ` }).first().getAttribute('value'));
    };
    await choose('Destra', 'Pugnale');
    await choose('Addosso', 'Armatura di Cuoio');
    await page.evaluate(() => document.activeElement?.blur());
    await page.screenshot({ path: path.join(root, 'docs', file) });
  } finally {
    await browser.close();
  }
}

try {
  await picture('web-desktop.png', { width: 1280, height: 800 }, 1);
  await picture('web-phone.png', { width: 390, height: 844 }, 1);
} finally {
  server.close();
}
