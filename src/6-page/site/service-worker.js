// The page's files, kept so that the page plays without a network.
//
// scripts/web-offline writes this file into the site with two lines before
// this text: Build, the name of this build (from the hashes of its files),
// and Files, each file of the site with its SHA-256. A new build is a new
// worker, which the browser installs beside the old one.
//
// Install fetches every file of the build, checks it against its hash and
// keeps it in the cache named Build; a file that cannot be fetched or is not
// the build's (an update cut off half way, or a site half uploaded) fails the
// install: the cache is dropped, and the previous worker with its whole
// build stays. Only then, on activation, are the older builds' caches
// removed. So the cache always holds one whole build.
//
// A request for a file of the build goes to the network first (asking the
// server whether what the browser holds is still its file), so that a visit
// online sees the site as it is; without an answer (no network, the
// server away or failing) it is answered from the cache. Requests for
// anything else (a replay script the site does not hold) are left alone.

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), function (byte) {
    return byte.toString(16).padStart(2, '0');
  }).join('');
}

// The file's name in Files, or null: the page itself is asked for as the
// folder or as index.html, with or without a query.
function fileOf(request) {
  var url = new URL(request.url);
  var scope = new URL(self.registration.scope);
  if (request.method !== 'GET' || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname))
    return null;
  var name = url.pathname.slice(scope.pathname.length);
  if (request.mode === 'navigate' && (name === '' || name === 'index.html'))
    return 'index.html';
  return url.search === '' && Object.prototype.hasOwnProperty.call(Files, name) ? name : null;
}

function keep(cache, name) {
  return fetch(name, { cache: 'no-cache' }).then(function (response) {
    if (!response.ok)
      throw new Error(name + ': the server answered ' + response.status);
    return response.clone().arrayBuffer().then(function (bytes) {
      return crypto.subtle.digest('SHA-256', bytes);
    }).then(function (digest) {
      if (hex(digest) !== Files[name])
        throw new Error(name + ' is not the file of build ' + Build);
      return cache.put(name, response);
    });
  });
}

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(Build).then(function (cache) {
    return Promise.all(Object.keys(Files).map(function (name) { return keep(cache, name); }));
  }).catch(function (error) {
    return caches.delete(Build).then(function () { throw error; });
  }).then(function () {
    return self.skipWaiting();
  }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.startsWith('corvane-') && name !== Build;
    }).map(function (name) { return caches.delete(name); }));
  }).then(function () {
    return self.clients.claim();
  }));
});

self.addEventListener('fetch', function (event) {
  var name = fileOf(event.request);
  if (name === null)
    return;
  var kept = function (answer) {
    return caches.open(Build).then(function (cache) {
      return cache.match(name);
    }).then(function (copy) {
      return copy || answer || Response.error();
    });
  };
  // no-cache: the browser's own cache may answer only once the server has
  // said the file is unchanged, so an online visit never sees a stale file.
  event.respondWith(fetch(event.request, { cache: 'no-cache' }).then(function (response) {
    return response.ok ? response : kept(response);
  }, function () {
    return kept(null);
  }));
});
