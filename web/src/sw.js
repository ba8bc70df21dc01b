// Keeps the generator's files on this device, so that the page opens and
// works offline once it has been opened. It answers only the page's own
// files and asks no one else for anything.

const VERSION = 'TARVO_VERSION';
const FILES = TARVO_FILES;
const CACHE = `tarvo-${VERSION}`;

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(CACHE)
      // Past the browser's own cache: a host's headers may let it keep the
      // files of the version before for days.
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' }))))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) =>
        Promise.all(names.filter((name) => name.startsWith('tarvo-') && name !== CACHE).map((name) => caches.delete(name))),
      )
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  // The page itself under any query (a link to a character) is the page.
  const key = request.mode === 'navigate' ? new URL('./', self.location).href : url.href.split('?')[0];
  event.respondWith(
    caches.open(CACHE).then((cache) =>
      cache.match(key).then((kept) => kept ?? fetch(request)),
    ),
  );
});
