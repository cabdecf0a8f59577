// The page's service worker: it keeps the page, its scripts and the engine
// (bundled in bundle.js) in a cache at the first visit, and serves them from
// there, so that the page opens and runs without a network afterwards.
// scripts/web puts the fingerprint of the page's files into the cache's name:
// a page with other files is a new worker, which replaces the old cache.
'use strict';

const kCacheName = 'pelorin-@FINGERPRINT@';
const kFiles = [
  './', 'index.html', 'page.css', 'page.js', 'graph.js', 'tables.js', 'bundle.js',
  'explanatory-figure.jpg', 'manifest.webmanifest', 'icon.svg', 'icon-192.png', 'icon-512.png',
];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCacheName).then((cache) => cache.addAll(kFiles)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('pelorin-') && n !== kCacheName)
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// The page's own files from the cache; anything else from the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(kCacheName)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((cached) => cached || fetch(event.request)));
});
