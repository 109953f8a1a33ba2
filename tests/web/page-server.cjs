// The web test's local server: the built pages at /, and a folder of reference frames at
// /headless/. Any request gets an answer; a URL that names no file (a bad escape, a NUL byte)
// gets 400, and the server goes on.
//
//   const { serve } = require('./page-server.cjs');
//   const server = await serve(pagesDir, framesDir);   // listening on 127.0.0.1, a free port
//   const again = await serve(otherDir, framesDir, { port: server.address().port });   // the same origin
//   serve(pagesDir, framesDir, { gzip: true })          // compressed as a web server would send it
//
// With gzip, a client that accepts it gets each file compressed (gzip -9, made once per file and
// kept while the file is unchanged).
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');

const kTypes = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png', '.json': 'application/json',
  '.webmanifest': 'application/manifest+json' };

// The file a request's path names, or an HTTP status when it names none that may be served.
function fileFor(url, pagesDir, framesDir) {
  let urlPath;
  try {
    urlPath = decodeURIComponent(new URL(url, 'http://localhost').pathname);
  } catch (e) {
    return 400;
  }
  // The file system refuses a name with a NUL byte by throwing, not through the callback.
  if (urlPath.includes('\0')) return 400;
  let root = pagesDir, rel = urlPath;
  if (urlPath.startsWith('/headless/')) {
    root = framesDir;
    rel = urlPath.slice('/headless'.length);
  }
  if (rel.endsWith('/')) rel += 'index.html';
  const file = path.join(root, path.normalize(rel));
  return file.startsWith(root + path.sep) ? file : 403;
}

function serve(pagesDir, framesDir, options = {}) {
  pagesDir = path.resolve(pagesDir);
  framesDir = path.resolve(framesDir);
  const compressed = new Map();   // file -> { mtimeMs, body }
  const server = http.createServer((req, res) => {
    const file = fileFor(req.url, pagesDir, framesDir);
    if (typeof file === 'number') {
      res.writeHead(file).end();
      return;
    }
    fs.readFile(file, (err, body) => {
      if (err) {
        res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
        return;
      }
      const headers = { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream', 'Cache-Control': 'no-store' };
      if (options.gzip && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
        let mtimeMs = 0;
        try { mtimeMs = fs.statSync(file).mtimeMs; } catch (e) { /* gone since: sent as read */ }
        let kept = compressed.get(file);
        if (!kept || kept.mtimeMs !== mtimeMs) {
          kept = { mtimeMs, body: zlib.gzipSync(body, { level: 9 }) };
          compressed.set(file, kept);
        }
        body = kept.body;
        headers['Content-Encoding'] = 'gzip';
        headers['Vary'] = 'Accept-Encoding';
      }
      headers['Content-Length'] = body.length;
      res.writeHead(200, headers);
      res.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(options.port || 0, '127.0.0.1', () => resolve(server));
  });
}

module.exports = { serve };
