// The static server against a hostile folder: links out of it, a folder named
// like a file, a file it may not read. Each request gets its own answer, and
// the server keeps serving.
import assert from 'node:assert/strict';
import { chmodSync, mkdirSync, mkdtempSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';

import { serve } from '../../tools/serve.mjs';

// The path goes out byte for byte, as a hostile client may send it.
const request = (server, target, method = 'GET') =>
  new Promise((resolve, reject) => {
    const options = { host: '127.0.0.1', port: server.address().port, path: target, method };
    const ask = http.request(options, (response) => {
      let body = '';
      response.on('data', (chunk) => (body += chunk));
      response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, body }));
    });
    ask.on('error', reject).end();
  });

test('hostile paths get their own answer, and the server keeps serving', { timeout: 10000 }, async (t) => {
  const work = mkdtempSync(path.join(os.tmpdir(), 'tarvo-serve-'));
  const [www, outside] = [path.join(work, 'www'), path.join(work, 'fuori')];
  mkdirSync(path.join(www, 'sotto/index.html'), { recursive: true });
  mkdirSync(outside);
  writeFileSync(path.join(outside, 'segreto.txt'), 'segreto\n');
  writeFileSync(path.join(www, 'index.html'), '<p>TARVO</p>\n');
  writeFileSync(path.join(www, 'pagina.txt'), 'pagina\n');
  writeFileSync(path.join(www, 'chiuso.txt'), 'chiuso\n');
  chmodSync(path.join(www, 'chiuso.txt'), 0);
  symlinkSync(path.join(outside, 'segreto.txt'), path.join(www, 'segreto.txt'));
  symlinkSync(outside, path.join(www, 'fuori'));
  symlinkSync(path.join(www, 'pagina.txt'), path.join(www, 'stessa.txt'));
  const server = await serve(www, 0);
  t.after(() => {
    server.closeAllConnections();
    server.close();
    rmSync(work, { recursive: true, force: true });
  });

  const cases = [
    ['/sotto/', 404], // its index.html is a folder
    ['/segreto.txt', 404], // a link to a file outside
    ['/fuori/segreto.txt', 404], // a link to a folder outside
    ['/stessa.txt', 200], // a link that stays inside
    ['/..%2ffuori/segreto.txt', 403],
    ['/%E0%A4%A', 400],
    // Root reads any file, whatever its mode says.
    ['/chiuso.txt', process.getuid?.() === 0 ? 200 : 403],
  ];
  for (const [target, status] of cases) {
    const answer = await request(server, target);
    assert.equal(answer.status, status, target);
    assert.doesNotMatch(answer.body, /segreto/, target);
  }
  assert.equal((await request(server, '/pagina.txt')).body, 'pagina\n');
  const { status, headers, body } = await request(server, '/', 'HEAD');
  assert.deepEqual(
    [status, headers['content-type'], headers['cache-control'], headers['x-content-type-options'], body],
    [200, 'text/html; charset=utf-8', 'no-cache', 'nosniff', ''],
  );
});
