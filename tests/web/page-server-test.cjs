// The web test's local server (page-server.cjs) against bad URLs: each gets its answer and the
// server goes on serving. Compressing, it sends what it read, gzipped, to a client that accepts it.
//
//   node tests/web/page-server-test.cjs WORK_DIR
//
// Exit status 0 passed, 1 failed (a "FAIL: reason" line says why).
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');
const { serve } = require('./page-server.cjs');

function get(port, urlPath, headers = {}) {
  return new Promise((resolve, reject) => {
    const req = http.get({ host: '127.0.0.1', port, path: urlPath, headers }, res => {
      const chunks = [];
      res.on('data', d => chunks.push(d));
      res.on('end', () => {
        let bytes = Buffer.concat(chunks);
        if (res.headers['content-encoding'] === 'gzip') bytes = zlib.gunzipSync(bytes);
        resolve({ status: res.statusCode, body: bytes.toString(), encoding: res.headers['content-encoding'] });
      });
    });
    req.on('error', reject);
    req.setTimeout(5000, () => req.destroy(new Error('no answer within 5 s')));
  });
}

async function main() {
  const work = process.argv[2];
  if (!work) throw new Error('usage: node page-server-test.cjs WORK_DIR');
  const pages = path.join(work, 'pages'), frames = path.join(work, 'frames');
  fs.mkdirSync(pages, { recursive: true });
  fs.mkdirSync(frames, { recursive: true });
  fs.writeFileSync(path.join(pages, 'index.html'), 'the page');
  fs.writeFileSync(path.join(frames, 'frame-000001.png'), 'a frame');
  fs.writeFileSync(path.join(work, 'secret.txt'), 'outside');

  const server = await serve(pages, frames);
  const port = server.address().port;
  // [path, expected status, expected body or undefined]
  const cases = [
    ['/%00', 400],
    ['/index.html%00.png', 400],
    ['/headless/%00', 400],
    ['/%E0%A4%A', 400],            // an escape cut short
    ['/%', 400],
    ['/..%2fsecret.txt', 404],     // outside the pages: the same name inside them, not there
    ['/headless/..%2f..%2fsecret.txt', 404],
    ['/', 200, 'the page'],
    ['/index.html?x=%00', 200, 'the page'],
    ['/headless/frame-000001.png', 200, 'a frame'],
  ];
  let failed = 0;
  try {
    for (const [urlPath, status, body] of cases) {
      let got;
      try {
        got = await get(port, urlPath);
      } catch (e) {
        got = { status: `no answer (${e.message})` };
      }
      const ok = got.status === status && (body === undefined || got.body === body);
      if (!ok) ++failed;
      console.log(`${ok ? 'ok' : 'FAIL'}: ${urlPath} -> ${got.status}${ok ? '' : `, expected ${status}`}`);
    }
  } finally {
    server.close();
  }
  const gz = await serve(pages, frames, { gzip: true });
  try {
    const port = gz.address().port;
    for (const [accept, encoding] of [['gzip, deflate', 'gzip'], ['identity', undefined]]) {
      const got = await get(port, '/index.html', { 'Accept-Encoding': accept });
      const ok = got.status === 200 && got.body === 'the page' && got.encoding === encoding;
      if (!ok) ++failed;
      console.log(`${ok ? 'ok' : 'FAIL'}: compressing, Accept-Encoding ${accept} -> ${got.status} ${got.encoding}`);
    }
  } finally {
    gz.close();
  }
  return failed === 0;
}

main().then(ok => process.exit(ok ? 0 : 1), e => {
  console.log('FAIL: ' + ((e && e.stack) || e));
  process.exit(1);
});
