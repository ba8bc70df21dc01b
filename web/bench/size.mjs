// How much the site weighs compressed, as a host sends it and as one zip:
//
//   node web/bench/size.mjs
//
// Each file of build/web/site compressed alone with gzip -9 (what a web
// server sends), their sum, and the site as one zip -9; then the single file
// the same two ways. The goal is at most 400 KB for the site.
import { execFileSync } from 'node:child_process';
import { readFileSync, readdirSync, statSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const site = path.join(root, 'build/web/site');
const single = path.join(root, 'build/web/tarvo.html');
const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const gzip = (file) => zlib.gzipSync(readFileSync(file), { level: 9 }).length;

let raw = 0;
let gzipped = 0;
for (const name of readdirSync(site).sort()) {
  const file = path.join(site, name);
  raw += statSync(file).size;
  gzipped += gzip(file);
  console.log(`  ${name.padEnd(22)} ${kb(statSync(file).size).padStart(10)} -> ${kb(gzip(file)).padStart(9)}`);
}
const zip = (args, cwd) => execFileSync('zip', ['-q', '-X', '-r', '-9', '-', ...args], { cwd, maxBuffer: 1 << 26 }).length;
console.log(`sito: ${kb(raw)}; gzip -9 file per file ${kb(gzipped)}; zip -9 ${kb(zip(['.'], site))} (al massimo 400 KB)`);
console.log(`file unico: ${kb(statSync(single).size)}; gzip -9 ${kb(gzip(single))}; zip -9 ${kb(zip(['tarvo.html'], path.dirname(single)))}`);
