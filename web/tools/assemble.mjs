// Puts the page together around the WebAssembly module:
//   OUT/site/      the page's files for any web host, with a service worker
//                  and a web app manifest (offline and installable over
//                  HTTPS or on this machine);
//   OUT/tarvo.html one file holding everything, the module included, as
//                  classic scripts: it runs from file:// with no server.
// Both carry a Content-Security-Policy that lets the page ask for nothing
// but its own files (the single file: for nothing at all).
//
//   node assemble.mjs --glue tarvo-core.js --wasm tarvo-core.wasm --src web/src
//                     --icons data/icons --version 1.2.0 --out build/web
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { parseArgs } from 'node:util';

import { bundle } from './bundle.mjs';

const { values: args } = parseArgs({
  options: {
    glue: { type: 'string' },
    wasm: { type: 'string' },
    src: { type: 'string' },
    icons: { type: 'string' },
    version: { type: 'string' },
    out: { type: 'string' },
  },
});
for (const key of ['glue', 'wasm', 'src', 'icons', 'version', 'out']) {
  if (!args[key]) throw new Error(`manca --${key}`);
}

const src = (name) => path.join(args.src, name);
const read = (file) => readFileSync(file, 'utf8');
const sha256 = (text) => `'sha256-${createHash('sha256').update(text).digest('base64')}'`;

const template = read(src('index.html'));
const style = read(src('style.css'));
const glue = read(args.glue);
const wasm = readFileSync(args.wasm);
const ICONS = [
  'tarvo.svg',
  'tarvo-512.png',
  'tarvo-maskable-512.png',
  'tarvo-256.png',
  'tarvo-192.png',
  'tarvo-128.png',
  'tarvo-64.png',
  'tarvo-32.png',
];

function page(head, scripts) {
  return template.replace('<!-- TARVO:HEAD -->', head).replace('<!-- TARVO:SCRIPTS -->', scripts);
}

// ---- The site ----
const site = path.join(args.out, 'site');
rmSync(site, { recursive: true, force: true });
mkdirSync(site, { recursive: true });

const modules = readdirSync(args.src).filter((name) => name.endsWith('.js') && name !== 'sw.js');
for (const name of [...modules, 'style.css', 'manifest.webmanifest']) copyFileSync(src(name), path.join(site, name));
for (const icon of ICONS) copyFileSync(path.join(args.icons, icon), path.join(site, icon));
copyFileSync(args.glue, path.join(site, 'tarvo-core.js'));
copyFileSync(args.wasm, path.join(site, 'tarvo-core.wasm'));

const sitePolicy = [
  "default-src 'self'",
  "script-src 'self' 'wasm-unsafe-eval'",
  "style-src 'self'",
  "img-src 'self'",
  "connect-src 'self'",
  "worker-src 'self'",
  "manifest-src 'self'",
  "object-src 'none'",
  "base-uri 'none'",
  "form-action 'none'",
].join('; ');
// The module and every script are asked for at once, not one import after
// the other.
const siteHead = [
  `<meta http-equiv="Content-Security-Policy" content="${sitePolicy}">`,
  '<meta name="theme-color" content="#1f5fa8">',
  '<link rel="manifest" href="manifest.webmanifest">',
  '<link rel="icon" href="tarvo.svg" type="image/svg+xml">',
  // iOS shows a touch icon's transparent ground as black and rounds the
  // corners itself: the opaque square with the shield well inside suits it.
  '<link rel="apple-touch-icon" href="tarvo-maskable-512.png">',
  '<link rel="stylesheet" href="style.css">',
  '<link rel="preload" href="tarvo-core.wasm" as="fetch" type="application/wasm" crossorigin>',
  ...modules.sort().map((name) => `<link rel="modulepreload" href="${name}">`),
].join('\n');
const siteScripts = [
  '<script src="tarvo-core.js"></script>',
  '<script type="module" src="app.js"></script>',
].join('\n');
writeFileSync(path.join(site, 'index.html'), page(siteHead, siteScripts));

// The service worker keeps every file of the site; its cache is named after
// their content, so a new build replaces the old files at once.
const files = readdirSync(site).sort();
const digest = createHash('sha256');
for (const name of files) digest.update(name).update(readFileSync(path.join(site, name)));
const cached = ['./', ...files.filter((name) => name !== 'index.html')];
const worker = read(src('sw.js'))
  .replace("'TARVO_VERSION'", JSON.stringify(`${args.version}-${digest.digest('hex').slice(0, 12)}`))
  .replace('TARVO_FILES', JSON.stringify(cached));
writeFileSync(path.join(site, 'sw.js'), worker);

// ---- The single file ----
const wasmScript = `var TARVO_WASM = "${wasm.toString('base64')}";`;
const appScript = bundle(src('app.js'));
const icon = readFileSync(path.join(args.icons, 'tarvo-32.png')).toString('base64');
// A script's text must not close its own element.
for (const [name, text] of [['glue', glue], ['app', appScript]]) {
  if (/<\/script/i.test(text)) throw new Error(`lo script ${name} contiene </script`);
}
const singlePolicy = [
  "default-src 'none'",
  `script-src ${sha256(wasmScript)} ${sha256(glue)} ${sha256(appScript)} 'wasm-unsafe-eval'`,
  `style-src ${sha256(style)}`,
  'img-src data:',
  "base-uri 'none'",
  "form-action 'none'",
].join('; ');
const singleHead = [
  `<meta http-equiv="Content-Security-Policy" content="${singlePolicy}">`,
  `<link rel="icon" href="data:image/png;base64,${icon}" type="image/png">`,
  `<style>${style}</style>`,
].join('\n');
const singleScripts = [`<script>${wasmScript}</script>`, `<script>${glue}</script>`, `<script>${appScript}</script>`].join('\n');
writeFileSync(path.join(args.out, 'tarvo.html'), page(singleHead, singleScripts));
