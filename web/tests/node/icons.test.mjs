// The icons a phone installs the site with: each PNG the manifest names is in
// the site at the size it claims, and the maskable one is an opaque square
// whose drawing keeps inside the circle every platform's mask leaves whole.
import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';

const SITE = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../../build/web/site');

// A PNG's header and, for 8-bit RGBA without interlacing, its pixels
// (width * 4 bytes a row, the filters undone).
function readPng(file) {
  const bytes = readFileSync(file);
  assert.equal(bytes.subarray(0, 8).toString('latin1'), '\x89PNG\r\n\x1a\n', `${file} non è un PNG`);
  const data = [];
  let header;
  for (let at = 8; at < bytes.length; ) {
    const length = bytes.readUInt32BE(at);
    const kind = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (kind === 'IHDR') {
      header = { width: body.readUInt32BE(0), height: body.readUInt32BE(4), form: [body[8], body[9], body[12]] };
    }
    if (kind === 'IDAT') data.push(body);
    at += 12 + length;
  }
  const pixels = () => {
    assert.deepEqual(header.form, [8, 6, 0], `${file}: RGBA a 8 bit, non interlacciato`);
    const raw = inflateSync(Buffer.concat(data));
    const stride = header.width * 4;
    const out = Buffer.alloc(stride * header.height);
    for (let y = 0; y < header.height; ++y) {
      const filter = raw[y * (stride + 1)];
      const row = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
      for (let i = 0; i < stride; ++i) {
        const a = i >= 4 ? out[y * stride + i - 4] : 0;
        const b = y > 0 ? out[(y - 1) * stride + i] : 0;
        const c = i >= 4 && y > 0 ? out[(y - 1) * stride + i - 4] : 0;
        const p = a + b - c;
        const [pa, pb, pc] = [Math.abs(p - a), Math.abs(p - b), Math.abs(p - c)];
        const paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        out[y * stride + i] = row[i] + [0, a, b, (a + b) >> 1, paeth][filter];
      }
    }
    return out;
  };
  return { ...header, pixels };
}

test('the manifest names PNG icons of the sizes they are, a maskable one among them', () => {
  const manifest = JSON.parse(readFileSync(path.join(SITE, 'manifest.webmanifest'), 'utf8'));
  const pngs = manifest.icons.filter((icon) => icon.type === 'image/png');
  for (const icon of pngs) {
    const { width, height } = readPng(path.join(SITE, icon.src));
    assert.equal(icon.sizes, `${width}x${height}`, icon.src);
  }
  const has = (sizes, purpose) =>
    pngs.find((icon) => icon.sizes === sizes && (icon.purpose ?? 'any').split(' ').includes(purpose));
  assert.ok(has('192x192', 'any'), 'un\'icona 192x192');
  assert.ok(has('512x512', 'any'), 'un\'icona 512x512');
  const maskable = has('512x512', 'maskable');
  assert.ok(maskable, 'un\'icona 512x512 mascherabile');

  // Outside the central circle of radius 40% (what any mask keeps) there is
  // only the ground: opaque, of one colour, to the corners.
  const { width, height, pixels } = readPng(path.join(SITE, maskable.src));
  const rgba = pixels();
  const ground = rgba.readUInt32BE(0);
  assert.equal(ground & 0xff, 255, 'il fondo è opaco');
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      if (Math.hypot(x + 0.5 - width / 2, y + 0.5 - height / 2) <= 0.4 * width) continue;
      assert.equal(rgba.readUInt32BE((y * width + x) * 4), ground, `pixel ${x},${y} fuori dal cerchio sicuro`);
    }
  }

  const index = readFileSync(path.join(SITE, 'index.html'), 'utf8');
  const touch = /<link rel="apple-touch-icon" href="([^"]+)">/.exec(index);
  assert.ok(touch && existsSync(path.join(SITE, touch[1])), 'l\'icona per iOS è nel sito');
});
