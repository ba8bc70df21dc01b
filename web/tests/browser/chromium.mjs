// Debian's Chromium driven by Playwright, as the browser tests and the
// pictures of the README use it: headless, on this machine's network only.
import { mkdtempSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export const CHROMIUM = process.env.TARVO_CHROMIUM ?? '/usr/bin/chromium';

// A browser with a fresh profile; `close()` also removes the profile.
export async function launch(options = {}) {
  const profile = mkdtempSync(path.join(os.tmpdir(), 'tarvo-chromium-'));
  const args = [
    '--headless=new',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
    '--disable-dev-shm-usage',
  ];
  if (process.getuid?.() === 0) args.push('--no-sandbox');
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args,
    acceptDownloads: true,
    locale: 'it-IT',
    ...options,
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
