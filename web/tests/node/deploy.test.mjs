// What web/deploy hands to a host: the nginx server block, run by Debian's
// nginx over the built site on a port of its own, and the GitHub Pages
// workflow, read as GitHub reads it (it runs on GitHub only).
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { constants, accessSync, existsSync, readFileSync, writeFileSync } from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import path from 'node:path';
import { test } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';
import { gunzipSync } from 'node:zlib';

import { parse } from 'yaml';

import { ROOT, SITE, tempFolder } from './harness.mjs';

// Debian's nginx: unpacked where scripts/web.sh --test puts it, else the
// installed one.
const NGINX_ROOT = process.env.TARVO_NGINX_ROOT ?? '/';
const NGINX = path.join(NGINX_ROOT, 'usr/sbin/nginx');
const DEPLOY = path.join(ROOT, 'web/deploy');

const freePort = () =>
  new Promise((resolve, reject) => {
    const server = net.createServer().once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });

const get = (port, target, headers = {}) =>
  new Promise((resolve, reject) => {
    http
      .get({ host: '127.0.0.1', port, path: target, headers }, (response) => {
        const chunks = [];
        response.on('data', (chunk) => chunks.push(chunk));
        response.on('end', () => {
          resolve({ status: response.statusCode, headers: response.headers, body: Buffer.concat(chunks) });
        });
      })
      .on('error', reject);
  });

// The site's block as a host includes it, with only its listen and root lines
// changed, inside a main configuration that keeps everything in `work`.
async function startNginx(work, port) {
  const block = readFileSync(path.join(DEPLOY, 'nginx/tarvo.conf'), 'utf8');
  const ours = block
    .replace(/^(\s*)listen\s[^;]*;/gm, `$1listen 127.0.0.1:${port};`)
    .replace(/^(\s*)root\s[^;]*;/gm, `$1root "${SITE}";`);
  assert.equal(block.match(/^\s*listen\s/gm)?.length, 1, 'il blocco di nginx ha una riga listen');
  assert.equal(block.match(/^\s*root\s/gm)?.length, 1, 'il blocco di nginx ha una riga root');
  writeFileSync(work.file('tarvo.conf'), ours);
  // In the foreground and in one process, as whoever runs the tests (as root
  // too: no switch to another user, who might not read the site).
  const main = [
    'daemon off;',
    'master_process off;',
    `pid "${work.file('nginx.pid')}";`,
    `lock_file "${work.file('nginx.lock')}";`,
    `error_log "${work.file('error.log')}" warn;`,
    'events { worker_connections 64; }',
    'http {',
    // As Debian's nginx.conf: the site's block must hold against it.
    `  include ${path.join(NGINX_ROOT, 'etc/nginx/mime.types')};`,
    '  default_type application/octet-stream;',
    '  access_log off;',
    ...['client_body', 'proxy', 'fastcgi', 'uwsgi', 'scgi'].map((kind) => `  ${kind}_temp_path "${work.file(kind)}";`),
    `  include "${work.file('tarvo.conf')}";`,
    '}',
  ];
  writeFileSync(work.file('nginx.conf'), `${main.join('\n')}\n`);
  const args = ['-p', work.folder, '-c', work.file('nginx.conf'), '-e', work.file('error.log')];
  const nginx = spawn(NGINX, args, { stdio: ['ignore', 'ignore', 'pipe'] });
  let stderr = '';
  nginx.stderr.on('data', (chunk) => (stderr += chunk));
  const log = () => (existsSync(work.file('error.log')) ? readFileSync(work.file('error.log'), 'utf8') : '') + stderr;
  for (let tries = 0; !(await get(port, '/').catch(() => null)); ++tries) {
    if (nginx.exitCode !== null || tries === 100) throw new Error(`nginx non ascolta su 127.0.0.1:${port}:\n${log()}`);
    await sleep(50);
  }
  return { nginx, log };
}

test('nginx serves the site with the page policy, its types, gzip and caching', { timeout: 20000 }, async (t) => {
  assert.ok(existsSync(NGINX), `manca ${NGINX}: scripts/web.sh --test spacchetta il pacchetto nginx in build/nginx`);
  const work = tempFolder();
  let nginx;
  t.after(async () => {
    if (nginx?.exitCode === null) {
      const exited = new Promise((resolve) => nginx.once('exit', resolve));
      nginx.kill();
      await exited;
    }
    work.remove();
  });
  const port = await freePort();
  let log;
  ({ nginx, log } = await startNginx(work, port));
  // A type given twice, a directive that does nothing: nginx says so at start.
  assert.doesNotMatch(log(), /\[(warn|error|crit|alert|emerg)\]/);

  const page = readFileSync(path.join(SITE, 'index.html'));
  const policy = page.toString().match(/<meta http-equiv="Content-Security-Policy" content="([^"]+)">/)?.[1];
  assert.ok(policy, 'index.html porta la sua Content-Security-Policy');

  for (const target of ['/', '/index.html', '/?seme=42&nome=Aldo']) {
    const { status, headers, body } = await get(port, target);
    assert.deepEqual(
      [status, headers['content-type'], headers['cache-control'], headers['content-security-policy']],
      [200, 'text/html; charset=utf-8', 'no-cache', policy],
      target,
    );
    assert.equal(headers['x-content-type-options'], 'nosniff', target);
    assert.equal(headers['referrer-policy'], 'no-referrer', target);
    assert.ok(body.equals(page), target);
  }
  const worker = await get(port, '/sw.js');
  assert.deepEqual([worker.status, worker.headers['cache-control']], [200, 'no-cache']);
  assert.match(worker.headers['content-type'], /^text\/javascript/);

  // The module, compressed when the browser says it can take it.
  const wasm = await get(port, '/tarvo-core.wasm', { 'Accept-Encoding': 'gzip' });
  assert.deepEqual(
    [wasm.status, wasm.headers['content-type'], wasm.headers['content-encoding'], wasm.headers.vary],
    [200, 'application/wasm', 'gzip', 'Accept-Encoding'],
  );
  const module = readFileSync(path.join(SITE, 'tarvo-core.wasm'));
  assert.ok(gunzipSync(wasm.body).equals(module));
  assert.ok(wasm.body.length < module.length);

  // The other files are kept a while, but not for good: their names stay the
  // same from one build to the next.
  for (const [target, type] of [
    ['/style.css', 'text/css; charset=utf-8'],
    ['/manifest.webmanifest', 'application/manifest+json'],
    ['/tarvo-core.js', 'text/javascript; charset=utf-8'],
  ]) {
    const { status, headers } = await get(port, target);
    assert.deepEqual([status, headers['content-type']], [200, type], target);
    const kept = Number(headers['cache-control']?.match(/^max-age=(\d+)$/)?.[1]);
    assert.ok(kept >= 3600, `${target}: Cache-Control ${headers['cache-control']}`);
  }
  const missing = await get(port, '/nessuno.js');
  assert.deepEqual([missing.status, missing.headers['content-security-policy']], [404, policy]);
});

test('the Pages workflow builds with scripts/web.sh on Debian and publishes the built site', () => {
  const workflow = parse(readFileSync(path.join(DEPLOY, 'pages.yml'), 'utf8'));
  const jobs = Object.entries(workflow.jobs);
  const using = (action) => jobs.find(([, job]) => job.steps.some((step) => step.uses?.startsWith(`${action}@`)));

  // On Debian: the checkout, the build with its option, then the site.
  const [buildName, build] = using('actions/upload-pages-artifact');
  assert.match(build.container, /^debian:/);
  const at = (what) => build.steps.findIndex((step) => (step.uses ?? step.run).startsWith(what));
  const [checkout, web, upload] = [at('actions/checkout@'), at('scripts/web.sh --build-only'), at('actions/upload')];
  assert.ok(checkout >= 0 && checkout < web && web < upload, 'checkout, scripts/web.sh --build-only, upload');
  assert.match(readFileSync(path.join(ROOT, 'scripts/web.sh'), 'utf8'), /^\s*--build-only\)/m);
  // Every script a step runs is in the repository, ready to run.
  for (const { run } of build.steps.filter((step) => step.run)) {
    for (const script of run.match(/\bscripts\/\S+/g) ?? []) accessSync(path.join(ROOT, script), constants.X_OK);
  }
  // The folder the web tests serve is the one the workflow publishes.
  assert.equal(build.steps[upload].with.path, path.relative(ROOT, SITE));
  assert.ok(existsSync(path.join(SITE, 'index.html')));

  const [, deploy] = using('actions/deploy-pages');
  assert.equal(deploy.needs, buildName);
  assert.deepEqual([deploy.permissions.pages, deploy.permissions['id-token']], ['write', 'write']);
  assert.equal(deploy.environment.name, 'github-pages');
  // The build job, which runs the project's scripts, may not publish.
  assert.equal(build.permissions, undefined);
  assert.deepEqual(workflow.permissions, { contents: 'read' });
});
