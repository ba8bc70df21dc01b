// The archives of "Esporta tutti" and "Importa" against Python's zipfile: what
// the page writes Python reads, what Python writes the page reads, and a
// damaged or oversized archive is refused with the page's message.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { randomBytes } from 'node:crypto';
import { test } from 'node:test';

import { isZip, makeZip, readZip } from '../../src/zip.js';

function python(script, input) {
  const run = spawnSync('python3', ['-c', script], { input, maxBuffer: 1 << 26 });
  assert.equal(run.status, 0, String(run.stderr));
  return run.stdout;
}

const REFUSED = /^Error: l'archivio \.zip [^\n]+$/;

// Where the central directory's record of `name` starts.
function record(zip, name) {
  const bytes = Buffer.from(zip);
  for (let at = bytes.indexOf('PK\x01\x02', 0, 'latin1'); at >= 0; at = bytes.indexOf('PK\x01\x02', at + 1, 'latin1')) {
    if (bytes.toString('utf8', at + 46, at + 46 + bytes.readUInt16LE(at + 28)) === name) return at;
  }
  throw new Error(`no record of ${name}`);
}

test('an archive the page writes is read back and by Python, stored, dated and named in UTF-8', async () => {
  const date = new Date(2024, 1, 29, 23, 58, 31);
  const files = [
    { name: 'Ælfrida dell’Ombrosa è qui.pg', bytes: new TextEncoder().encode('NOME Ælfrida\r\n'), date },
    { name: 'vuoto.pg', bytes: new Uint8Array(0), date },
    { name: 'grande.pg', bytes: new Uint8Array(randomBytes(100 * 1024)), date },
  ];
  const zip = makeZip(files);
  assert.ok(isZip(zip) && isZip(makeZip([])) && !isZip(files[0].bytes));
  assert.deepEqual(await readZip(zip), files.map(({ name, bytes }) => ({ name, bytes })));
  assert.deepEqual(await readZip(makeZip([])), []);
  // Without the UTF-8 flag: code page 437, or UTF-8 when the name reads as such.
  const unflagged = (name) => {
    const copy = makeZip([{ name, bytes: new Uint8Array(0) }]);
    copy[record(copy, name) + 9] = 0;
    return copy;
  };
  assert.equal((await readZip(unflagged('città.pg')))[0].name, 'città.pg');
  const cp437 = unflagged('xx.pg');
  cp437.set([0x85, 0x8a], record(cp437, 'xx.pg') + 46);
  assert.equal((await readZip(cp437))[0].name, 'àè.pg');

  const read = JSON.parse(python(`
import base64, io, json, sys, zipfile
with zipfile.ZipFile(io.BytesIO(sys.stdin.buffer.read())) as z:
    assert z.testzip() is None
    print(json.dumps([[i.filename, i.date_time, i.flag_bits, i.compress_type,
                       base64.b64encode(z.read(i)).decode()] for i in z.infolist()]))`, zip));
  const when = [2024, 2, 29, 23, 58, 30];
  assert.deepEqual(read, files.map(({ name, bytes }) => [name, when, 0x800, 0, Buffer.from(bytes).toString('base64')]));
});

// Deflated and stored files, a folder and a comment, as an ordinary tool writes them.
const FROM_PYTHON = `
import sys, zipfile
with zipfile.ZipFile(sys.stdout.buffer, 'w') as z:
    z.writestr(zipfile.ZipInfo('Schede/'), b'')
    z.writestr('Schede/Ðrago è qui.pg', b'FORZA 12\\r\\n' * 300, zipfile.ZIP_DEFLATED)
    z.writestr('tabella.bin', bytes(range(256)), zipfile.ZIP_STORED)
    z.writestr('vuoto.pg', b'', zipfile.ZIP_DEFLATED)
    z.writestr('zeri.bin', bytes(1 << 17), zipfile.ZIP_DEFLATED)
    z.comment = b'PK\\x05\\x06 nel commento'
`;

test("Python's archives are read, and damaged or oversized ones are refused", async () => {
  const zip = new Uint8Array(python(FROM_PYTHON));
  const files = await readZip(zip);
  assert.deepEqual(files.map((file) => file.name), ['Schede/Ðrago è qui.pg', 'tabella.bin', 'vuoto.pg', 'zeri.bin']);
  assert.equal(Buffer.from(files[0].bytes).toString(), 'FORZA 12\r\n'.repeat(300));
  assert.deepEqual(files[1].bytes, new Uint8Array(256).map((_, i) => i & 0xff));
  assert.equal(files[2].bytes.length, 0);
  assert.ok(files[3].bytes.length === 1 << 17 && files[3].bytes.every((byte) => byte === 0));

  const refused = (bytes, pattern = REFUSED, limits) => assert.rejects(readZip(bytes, limits), pattern);
  const patched = (at, ...values) => {
    const copy = zip.slice();
    copy.set(values, at);
    return copy;
  };
  const zeros = record(zip, 'zeri.bin');
  await refused(zip, /troppo grande: «zeri\.bin»/, { maxEntry: 1 << 16 });
  await refused(zip, /più dati/, { maxTotal: 1 << 16 });
  // Declaring less than it unpacks to, or a size beyond any limit.
  await refused(patched(zeros + 24, 0, 0, 1, 0), /lunghezza/);
  await refused(patched(zeros + 24, 0, 0, 0, 0x7f), /troppo grande/);
  await refused(patched(zeros + 16, zip[zeros + 16] ^ 1), /codice di controllo/);
  await refused(patched(zeros + 8, zip[zeros + 8] | 1), /password/);
  await refused(patched(zeros + 10, 12), /compressione/);

  // Cuts all along and every byte altered: the right files or a refusal, never
  // another error nor a wait without end.
  for (let length = 0; length < zip.length; length += 7) await refused(zip.subarray(0, length));
  for (let at = 0; at < zip.length; ++at) {
    await readZip(patched(at, zip[at] ^ 0x5a)).catch((error) => assert.match(String(error), REFUSED));
  }
});
