// A small static server for the site, on this machine only (127.0.0.1):
// scripts/web.sh serves build/web/site with it, and the browser tests too.
//
//   node serve.mjs FOLDER [PORT]   (default 8000; 0 takes a free port)
//
// It serves only the files whose real path lies inside the folder's: a link
// that leads out of the folder is not followed. One bad request (a file it
// may not read, one that vanishes, a folder where a file should be) gets its
// own answer and never stops the server.
import { constants } from 'node:fs';
import { open, realpath } from 'node:fs/promises';
import http from 'node:http';
import path from 'node:path';
import { pipeline } from 'node:stream';
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

const TEXTS = {
  400: 'Richiesta non valida\n',
  403: 'Accesso negato\n',
  404: 'Non trovato\n',
  500: 'Errore del server\n',
};

// The answer for a file that could not be opened.
function statusOf(error) {
  switch (error?.code) {
    case 'EACCES':
    case 'EPERM':
      return 403;
    case 'ENOENT': // missing, or gone since the path was resolved
    case 'ENOTDIR':
    case 'EISDIR': // a folder where a file should be
    case 'ELOOP': // a link put in place since the path was resolved
    case 'ENAMETOOLONG':
    case 'OUTSIDE':
      return 404;
    default:
      return 500;
  }
}

function fail(response, status) {
  if (response.headersSent) {
    response.destroy();
    return;
  }
  response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8' }).end(TEXTS[status]);
}

// Opens the file at `file` (the folder's index.html for a folder) if its real
// path lies inside `root`; the open handle, and the name it answers to. A
// link that leads out of the folder answers as a missing file does: 404
// whether or not its target exists, so the answers tell nothing about what
// lies outside.
async function openInside(root, file) {
  for (let folder = false; ; folder = true) {
    const real = await realpath(file);
    if (real !== root && !real.startsWith(root + path.sep)) {
      throw Object.assign(new Error(`${file} porta fuori dalla cartella`), { code: 'OUTSIDE' });
    }
    // No link put at the end since may take the place of the path just
    // resolved, and a named pipe must not hold the open up (either flag is 0
    // where the system has none).
    const flags = constants.O_RDONLY | (constants.O_NOFOLLOW ?? 0) | (constants.O_NONBLOCK ?? 0);
    const handle = await open(real, flags);
    try {
      const stats = await handle.stat();
      if (stats.isFile()) return { handle, name: file };
      if (!stats.isDirectory() || folder) {
        throw Object.assign(new Error(`${file} non è un file`), { code: 'ENOENT' });
      }
    } catch (error) {
      await handle.close();
      throw error;
    }
    await handle.close();
    file = path.join(real, 'index.html');
  }
}

async function answer(root, request, response) {
  let file;
  try {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    if (name.includes('\0')) throw new URIError(name);
    file = path.join(root, name);
  } catch {
    fail(response, 400);
    return;
  }
  // Only the folder's own files: not one beside it whose name begins alike.
  if (file !== root && !file.startsWith(root + path.sep)) {
    fail(response, 403);
    return;
  }
  let opened;
  try {
    opened = await openInside(root, file);
  } catch (error) {
    fail(response, statusOf(error));
    return;
  }
  // The type goes by the name asked for (index.html for a folder), not by
  // where a link inside the folder leads.
  const { handle, name } = opened;
  response.writeHead(200, {
    'Content-Type': TYPES[path.extname(name)] ?? 'application/octet-stream',
    'Cache-Control': 'no-cache',
    'X-Content-Type-Options': 'nosniff',
  });
  if (request.method === 'HEAD') {
    response.end();
    await handle.close();
    return;
  }
  // A read that fails after the headers went out cuts the answer short: the
  // stream's end closes the handle, and the response is destroyed.
  pipeline(handle.createReadStream(), response, () => {});
}

// `error` told in a sentence of ours, with its code kept.
function because(sentence, error) {
  return Object.assign(new Error(`${sentence}: ${error.message}`), { code: error.code, cause: error });
}

// Starts serving `folder`; resolves to the server once it listens.
export async function serve(folder, port = 8000) {
  let root;
  try {
    root = await realpath(folder);
  } catch (error) {
    throw because(`la cartella ${folder} non si apre`, error);
  }
  const server = http.createServer((request, response) => {
    // A client gone away is no fault of the server's.
    response.on('error', () => {});
    answer(root, request, response).catch(() => fail(response, 500));
  });
  return new Promise((resolve, reject) => {
    server.once('error', (error) => reject(because(`impossibile ascoltare su 127.0.0.1:${port}`, error)));
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
    console.error(`serve.mjs: ${error.message}`);
    process.exit(1);
  }
}
