// A small static server for the site, on this machine only (127.0.0.1):
// scripts/web.sh serves build/web/site with it, and the browser tests too.
//
//   node serve.mjs FOLDER [PORT]   (default 8000; 0 takes a free port)
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import http from 'node:http';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.json': 'application/json',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.rul': 'text/plain; charset=windows-1252',
  '.pg': 'text/plain; charset=windows-1252',
};

// Starts serving `folder`; resolves to the server once it listens.
export function serve(folder, port = 8000) {
  const root = path.resolve(folder);
  const server = http.createServer(async (request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let file;
    try {
      file = path.join(root, decodeURIComponent(url.pathname));
    } catch {
      response.writeHead(400).end();
      return;
    }
    // Only the folder's own files: not one beside it whose name begins alike.
    if (file !== root && !file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      if ((await stat(file)).isDirectory()) file = path.join(file, 'index.html');
      await stat(file);
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('Non trovato\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[path.extname(file)] ?? 'application/octet-stream',
      'Cache-Control': 'no-cache',
      'X-Content-Type-Options': 'nosniff',
    });
    if (request.method === 'HEAD') {
      response.end();
      return;
    }
    createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [folder, port = '8000'] = process.argv.slice(2);
  if (!folder) {
    console.error('uso: node serve.mjs CARTELLA [PORTA]');
    process.exit(2);
  }
  try {
    const server = await serve(folder, Number(port));
    console.log(`TARVO è su http://127.0.0.1:${server.address().port}/ (Ctrl+C per fermarlo)`);
  } catch (error) {
    console.error(`serve.mjs: impossibile ascoltare su 127.0.0.1:${port}: ${error.message}`);
    process.exit(1);
  }
}
