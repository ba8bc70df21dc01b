// Driving the page as a player does, by the controls' accessible names: the
// helpers the Chromium tests share.
import { readFileSync } from 'node:fs';

// The two screens every point is tried on.
export const PHONE = { width: 390, height: 844 };
export const DESKTOP = { width: 1280, height: 800 };

// A new tab of `browser` at `address` on a screen of `size`, with no
// character kept from an earlier test; its errors gather in `page.errors`.
export async function open(browser, address, size = DESKTOP) {
  const page = await browser.context.newPage();
  await page.setViewportSize(size);
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  // The storage is cleared, then the address opened again: a link adds its
  // character and leaves the address at once.
  await page.goto(address);
  await page.waitForSelector('html[data-ready]');
  await page.evaluate(() => localStorage.clear());
  await page.goto(address);
  await ready(page);
  page.errors = errors;
  return page;
}

// Waits until the page's form is usable and its list of characters shown.
export async function ready(page) {
  await page.waitForSelector('html[data-ready][data-listed]');
}

export const field = (page, name) => page.getByRole('textbox', { name, exact: true });
export const list = (page, name) => page.getByRole('combobox', { name, exact: true });
export const button = (page, name) => page.getByRole('button', { name, exact: true });

// What `click` downloads: {name, bytes}.
export async function download(page, click) {
  // Chromium drops a page's downloads beyond ten a second: a test that saves
  // after every step keeps below that.
  const wait = (page.lastDownload ?? 0) + 120 - Date.now();
  if (wait > 0) await new Promise((resolve) => setTimeout(resolve, wait));
  const [saved] = await Promise.all([page.waitForEvent('download'), click()]);
  page.lastDownload = Date.now();
  return { name: saved.suggestedFilename(), bytes: readFileSync(await saved.path()) };
}

// The value of list `name`'s option `text`, for the native script.
export async function optionValue(page, name, text) {
  return Number(await list(page, name).locator('option', { hasText: text }).first().getAttribute('value'));
}
