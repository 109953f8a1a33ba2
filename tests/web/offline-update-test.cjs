// The pages' offline copies when the server, the host or the browser is unkind, in headless
// chromium driven by puppeteer-core, on small made-up sites: the pages' real script and service
// worker template around a stand-in program that only shows frames (no web build needed).
//   - a host that redirects /index.html to /: the copy still starts, and a kept answer the browser
//     cannot use is replaced by the network's;
//   - a new build served while pages of the old one run: they finish on the old build's files,
//     the new one starts once they are closed; a page of the folder opened before its own worker
//     is there is not given the game's copy of the shared files;
//   - two copies of the site on one origin (/stable/ and /beta/): neither's update nor a failed
//     install in a third folder deletes another's copy;
//   - an update that fails (no room for two copies, a host that rewrites the page) is said on the
//     page, the old copy makes room when the quota says so, and a worker gone from the server
//     takes its copy with it.
//
//   node tests/web/offline-update-test.cjs --modules NODE_MODULES_DIR --source SOURCE_DIR
//        --cmake CMAKE --work WORK_DIR [--chromium PATH]
//
// Exit status: 0 passed, 1 failed (a "FAIL: reason" line says why), 77 skipped (no chromium or
// no puppeteer-core).
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const path = require('path');
const { Failure, check, figure, parseOptions, runTest, browserOrSkip, launch, watch, withProblems, waitWorkerStarted } =
  require('./page-kit.cjs');

// ------------------------------------------------------------------------------ the sites
// A stand-in for a program: it shows a small frame every 50 ms, which is all the page's script
// needs to register its worker.
const kProgram = `function QuorbixProgram(m) {
  const module = { addRunDependency() {}, removeRunDependency() {} };
  for (const f of m.preRun || []) f(module);
  const rgba = new Uint8Array(32 * 24 * 4).fill(255);
  setInterval(() => m.page.present(rgba, 32, 24), 50);
  return Promise.resolve(module);
}
`;

// A site of build MARK in DIR: the game's page (index.html, the folder's scope) and the gallery's
// (its own address), the pages' real scripts marked with the build, and workers written as the
// build writes them. The game packs dataBytes of data (for the quota).
function writeSite(o, dir, mark, dataBytes = 4096) {
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  const template = path.join(o.source, 'platform/web/page');
  const html = fs.readFileSync(path.join(template, 'index.html.in'), 'utf8');
  const pages = [['quorbix', 'index.html', './'], ['quorbix-gallery', 'quorbix-gallery.html', './quorbix-gallery.html']];
  for (const [program, page, scope] of pages) {
    const vars = { QRB_PAGE_TITLE: `${program} ${mark}`, QRB_PAGE_ICON: 'icon.png', QRB_PROGRAM: program,
      QRB_PAGE_MUSIC_SCRIPT: '', QRB_PAGE_MUSIC: 'false', QRB_PAGE_SCOPE: scope,
      QRB_PAGE_PRELOADS: '' };
    fs.writeFileSync(path.join(dir, page), html.replace(/@([A-Z_]+)@/g, (all, name) => name in vars ? vars[name] : all));
    fs.writeFileSync(path.join(dir, `${program}.js`), kProgram);
    fs.writeFileSync(path.join(dir, `${program}.webmanifest`), JSON.stringify({ name: program, start_url: scope, scope }));
  }
  fs.writeFileSync(path.join(dir, 'quorbix.data'), Buffer.alloc(dataBytes, 7));
  fs.writeFileSync(path.join(dir, 'icon.png'), 'icon');
  fs.writeFileSync(path.join(dir, 'quorbix-page.js'),
    fs.readFileSync(path.join(template, 'quorbix-page.js'), 'utf8') + `\nwindow.quorbixBuildMark = '${mark}';\n`);
  fs.writeFileSync(path.join(dir, 'quorbix-audio.js'),
    fs.readFileSync(path.join(template, 'quorbix-audio.js'), 'utf8') + `\n// build ${mark}\n`);
  const r = childProcess.spawnSync(o.cmake, [`-DSITE=${dir}`, `-DPAGES=${pages.map(([p, h]) => `${p}:${h}`).join(',')}`,
    `-DWORKER=${path.join(template, 'service-worker.js.in')}`, '-P', path.join(o.source, 'cmake/web_offline.cmake')],
  { encoding: 'utf8' });
  check(r.status === 0, `writing the workers of ${dir} failed: ${r.stdout}${r.stderr}`);
  return dir;
}

const versionOf = (dir, program = 'quorbix') =>
  /const kVersion = '([0-9a-f]+)'/.exec(fs.readFileSync(path.join(dir, `${program}.service-worker.js`), 'utf8'))[1];

// ------------------------------------------------------------------------------ the server
// Serves folders under prefixes (mounts: { '/': dir } or { '/stable/': dir, ... }), changeable
// while it runs: redirects (path -> location), paths gone (404), and HTML rewritten by the host.
async function serveSites(mounts) {
  const site = { mounts, redirects: new Map(), gone: new Set(), rewriteHtml: false, down: false };
  const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.webmanifest': 'application/manifest+json' };
  site.server = http.createServer((req, res) => {
    // Down: every connection cut (the page's own offline mode does not reach its worker's fetches).
    if (site.down) {
      req.socket.destroy();
      return;
    }
    const urlPath = new URL(req.url, 'http://localhost').pathname;
    if (site.redirects.has(urlPath)) {
      res.writeHead(302, { Location: site.redirects.get(urlPath), 'Cache-Control': 'no-store' }).end();
      return;
    }
    const prefix = Object.keys(site.mounts).filter(p => urlPath.startsWith(p)).sort((a, b) => b.length - a.length)[0];
    let rel = prefix === undefined ? null : urlPath.slice(prefix.length);
    if (rel === '' || (rel && rel.endsWith('/'))) rel += 'index.html';
    if (rel === null || site.gone.has(urlPath) || rel.includes('..') || !fs.existsSync(path.join(site.mounts[prefix], rel))) {
      res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
      return;
    }
    let body = fs.readFileSync(path.join(site.mounts[prefix], rel));
    if (site.rewriteHtml && rel.endsWith('.html')) body = Buffer.concat([body, Buffer.from('<!-- the host was here -->\n')]);
    res.writeHead(200, { 'Content-Type': types[path.extname(rel)] || 'application/octet-stream',
      'Cache-Control': 'no-store', 'Content-Length': body.length });
    res.end(body);
  });
  await new Promise((resolve, reject) => {
    site.server.once('error', reject);
    site.server.listen(0, '127.0.0.1', resolve);
  });
  site.base = `http://127.0.0.1:${site.server.address().port}`;
  return site;
}

// ------------------------------------------------------------------------------ in the page
async function newTab(browser, problems) {
  const page = await browser.newPage();
  if (problems) watch(page, { problems, http: false });
  return page;
}

// Opens a page and waits for its frames; the build it runs (its script's mark).
async function visit(page, url) {
  const response = await page.goto(url).catch(e => { throw new Failure(`${url} did not load: ${e.message}`); });
  check(response && response.ok(), `${url}: ${response ? 'HTTP ' + response.status() : 'no answer'}`);
  await page.waitForFunction(() => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.presents >= 1,
    { timeout: 10000, polling: 50 }).catch(() => { throw new Failure(`${url} showed no frames within 10 s`); });
  return page.evaluate(() => window.quorbixBuildMark);
}

// Waits until the page's offline copy is settled as one of states; page.offline.
async function settled(page, what, states = ['ready', 'updated', 'failed', 'removed']) {
  await page.waitForFunction(states => states.includes(QuorbixPage.page.offline.state),
    { timeout: 20000, polling: 50 }, states).catch(() => {});
  const offline = await page.evaluate(() => QuorbixPage.page.offline);
  check(states.includes(offline.state), `${what}: the page's offline copy is '${offline.state}' (${offline.error}), not ${states.join(' or ')}`);
  return offline;
}

async function ready(page, what) {
  const offline = await settled(page, what);
  check(offline.state === 'ready', `${what}: the page was not kept: '${offline.state}' (${offline.error})`);
}

const cacheNames = page => page.evaluate(async () => (await caches.keys()).sort());
const fetchText = (page, file) => page.evaluate(f => fetch(f).then(r => r.ok ? r.text() : `HTTP ${r.status}`, e => String(e)), file);
const buildOf = text => { const m = /\/\/ build (\w+)\n$/.exec(text); return m ? m[1] : `(not a build's file: '${text.slice(-40)}')`; };

// ------------------------------------------------------------------------------ the cases
// 1. A host that redirects /index.html to /.
async function redirectingHost(o, browser, problems) {
  const site = await serveSites({ '/': writeSite(o, path.join(o.work, 'redirect'), 'A') });
  site.redirects.set('/index.html', '/');
  site.redirects.set('/elsewhere', '/');
  try {
    const page = await newTab(browser, problems);
    await visit(page, `${site.base}/`);
    await ready(page, 'redirecting host, first visit');
    // Kept while redirected: the next visit is answered from the copy, and shows the page.
    check(await visit(page, `${site.base}/?again`) === 'A', 'redirecting host: the kept page did not start');
    check(await page.evaluate(() => !!navigator.serviceWorker.controller), 'redirecting host: the second visit was not the worker\'s');
    // And it is the copy's, which starts offline too.
    site.down = true;
    await page.setOfflineMode(true);
    check(await visit(page, `${site.base}/?offline`) === 'A', 'redirecting host: the kept page did not start offline');
    await page.setOfflineMode(false);
    site.down = false;
    // A kept answer the browser refuses (a redirected one, as older builds kept) is replaced by
    // the network's.
    await page.evaluate(async () => {
      const name = (await caches.keys()).find(n => n.startsWith('quorbix@'));
      const redirected = await fetch('/elsewhere');
      if (!redirected.redirected) throw new Error('the server did not redirect');
      await (await caches.open(name)).put(new URL('/index.html', location.href).href, redirected);
    });
    check(await visit(page, `${site.base}/?third`) === 'A', 'a redirected answer in the copy: the page did not start');
    await page.close();
  } finally {
    site.server.close();
  }
}

// 2. A new build served while pages of the old one run.
async function newBuildWhileRunning(o, browser, problems) {
  const siteA = writeSite(o, path.join(o.work, 'running-a'), 'A');
  const siteB = writeSite(o, path.join(o.work, 'running-b'), 'B');
  const site = await serveSites({ '/': siteA });
  try {
    const first = await newTab(browser, problems);
    await visit(first, `${site.base}/`);
    await ready(first, 'the game\'s first visit');
    site.mounts['/'] = siteB;
    // The gallery opened for the first time, inside the game's folder: it runs the build the
    // server has, not the game's kept copy of the shared script.
    check(await visit(first, `${site.base}/quorbix-gallery.html`) === 'B',
      'the gallery\'s first visit ran the game\'s kept quorbix-page.js (of the old build)');
    await ready(first, 'the gallery\'s first visit');
    // A page of the kept build, open while the new one is fetched: it says a new version is
    // saved, and its late files are still the old build's.
    const running = await newTab(browser, problems);
    check(await visit(running, `${site.base}/`) === 'A', 'the kept build did not start first');
    const offline = await settled(running, 'a new build served');
    check(offline.state === 'updated', `a new build served: the page says '${offline.state}' (${offline.error})`);
    const note = await running.evaluate(() => document.getElementById('status').textContent);
    check(/new version/.test(note) && /open it again/.test(note), `the page's note on the new build: '${note}'`);
    const late = buildOf(await fetchText(running, 'quorbix-audio.js'));
    check(late === 'A', `a page of build A, once build B was fetched, got build ${late}'s quorbix-audio.js`);
    let names = await cacheNames(running);
    const [a, b] = [versionOf(siteA), versionOf(siteB)];
    check(names.some(n => n.startsWith(`quorbix@${a} `)) && names.some(n => n.startsWith(`quorbix@${b} `)),
      `while a page of build A runs, the caches are ${names}`);
    // Every page of the old build closed: the next start is the new build, and the old copy goes.
    await running.close();
    await first.goto('about:blank');
    await waitWorkerStarted(first, `${site.base}/quorbix.service-worker.js`);
    check(await visit(first, `${site.base}/`) === 'B', 'with every page of the old build closed, the old build started');
    check(buildOf(await fetchText(first, 'quorbix-audio.js')) === 'B', 'the new build\'s page got old files');
    names = await cacheNames(first);
    check(!names.some(n => n.startsWith(`quorbix@${a}`)), `the old build's copy outlived its pages: ${names}`);
    // The gallery's second visit is its own worker's.
    await visit(first, `${site.base}/quorbix-gallery.html?again`);
    const controller = await first.evaluate(() => navigator.serviceWorker.controller && navigator.serviceWorker.controller.scriptURL);
    check(String(controller).endsWith('/quorbix-gallery.service-worker.js'), `the gallery's page is controlled by ${controller}`);
    await first.close();
  } finally {
    site.server.close();
  }
}

// 3. Two copies of the site on one origin, and a failed install in a third folder.
async function twoFolders(o, browser, problems) {
  const siteA = writeSite(o, path.join(o.work, 'folders-a'), 'A');
  const siteB = writeSite(o, path.join(o.work, 'folders-b'), 'B');
  // A build caught halfway in place: a file changed, the worker still build A's.
  const half = path.join(o.work, 'folders-half');
  fs.rmSync(half, { recursive: true, force: true });
  fs.cpSync(siteA, half, { recursive: true });
  fs.appendFileSync(path.join(half, 'quorbix-audio.js'), '// halfway\n');
  const site = await serveSites({ '/stable/': siteA, '/beta/': siteA, '/half/': half });
  try {
    let page = await newTab(browser, problems);
    for (const folder of ['stable', 'beta']) {
      await visit(page, `${site.base}/${folder}/`);
      await ready(page, `the /${folder}/ copy`);
    }
    const ownCaches = (names, folder) => names.filter(n => n.startsWith('quorbix@') && n.endsWith(`/${folder}/`));
    let names = await cacheNames(page);
    check(ownCaches(names, 'stable').length === 1 && ownCaches(names, 'beta').length === 1,
      `/stable/ and /beta/ do not each have a cache named for their folder: ${names}`);
    await visit(page, `${site.base}/half/`);
    const failed = await settled(page, 'a half-changed build');
    check(failed.state === 'failed', `a half-changed build was kept: '${failed.state}'`);
    names = await cacheNames(page);
    check(ownCaches(names, 'stable').length === 1 && ownCaches(names, 'beta').length === 1,
      `a failed install in /half/ left the caches ${names}`);
    // /beta/ takes a new build and starts it: /stable/ keeps its copy, and starts offline.
    site.mounts['/beta/'] = siteB;
    await visit(page, `${site.base}/beta/`);
    check((await settled(page, '/beta/\'s new build')).state === 'updated', '/beta/ did not keep its new build');
    await page.close();
    page = await newTab(browser, problems);
    await waitWorkerStarted(page, `${site.base}/beta/quorbix.service-worker.js`);
    check(await visit(page, `${site.base}/beta/`) === 'B', '/beta/ did not start its new build');
    names = await cacheNames(page);
    check(ownCaches(names, 'stable').length === 1, `/beta/'s new build deleted /stable/'s copy: ${names}`);
    site.down = true;
    await page.setOfflineMode(true);
    check(await visit(page, `${site.base}/stable/`) === 'A', 'offline, /stable/ did not start its build');
    await page.setOfflineMode(false);
    site.down = false;
    await page.close();
  } finally {
    site.server.close();
  }
}

// 4. Updates that fail: no room for two copies, a host that rewrites the page, and the worker
// gone from the server.
async function failingUpdates(o, browser, problems) {
  const kData = 2 << 20;
  const siteA = writeSite(o, path.join(o.work, 'quota-a'), 'A', kData);
  const siteB = writeSite(o, path.join(o.work, 'quota-b'), 'B', kData);
  const site = await serveSites({ '/': siteA });
  try {
    const first = await newTab(browser, problems);
    // Room for one copy of the game and a little more (for the gallery's and the bookkeeping).
    const session = await first.target().createCDPSession();
    await session.send('Storage.overrideQuotaForOrigin', { origin: site.base, quotaSize: Math.round(kData * 1.6) });
    await visit(first, `${site.base}/`);
    await ready(first, 'the quota\'s first visit');
    // Time passes: the browser stops the idle workers (the one that kept the copy holds it open
    // until then, and a copy deleted while open takes its room until it is closed).
    await session.send('ServiceWorker.enable');
    await session.send('ServiceWorker.stopAllWorkers');
    site.mounts['/'] = siteB;
    const running = await newTab(browser, problems);
    check(await visit(running, `${site.base}/`) === 'A', 'under the quota, the kept build did not start first');
    let offline = await settled(running, 'a new build with room for one copy');
    check(offline.state === 'updated', `with room for one copy, the new build was not kept: '${offline.state}' (${offline.error})`);
    const names = await cacheNames(running);
    check(names.filter(n => n.startsWith('quorbix@')).length === 1 && names.some(n => n.startsWith(`quorbix@${versionOf(siteB)} `)),
      `with room for one copy, the caches are ${names}`);
    // The page of the old build, its copy gone, takes its files from the network.
    const late = await fetchText(running, 'quorbix-audio.js');
    check(buildOf(late) === 'B', `a page whose copy made room got '${late.slice(-40)}' for a late file`);
    await running.close();
    await first.goto('about:blank');
    await waitWorkerStarted(first, `${site.base}/quorbix.service-worker.js`);

    // A host that rewrites the page: the new build never matches its sums, and the page says so.
    const siteC = writeSite(o, path.join(o.work, 'quota-c'), 'C', kData);
    site.mounts['/'] = siteC;
    site.rewriteHtml = true;
    check(await visit(first, `${site.base}/`) === 'B', 'the kept build B did not start');
    await settled(first, 'a host rewriting the page');
    // (The worker's word on which file failed may come just after the page saw the install fail.)
    await first.waitForFunction(() => /index\.html/.test(QuorbixPage.page.offline.error), { timeout: 5000, polling: 50 }).catch(() => {});
    offline = await first.evaluate(() => QuorbixPage.page.offline);
    check(offline.state === 'failed' && /index\.html/.test(offline.error),
      `a host rewriting the page: the page says '${offline.state}' (${offline.error})`);
    const status = await first.evaluate(() => document.getElementById('status').hidden ? '' : document.getElementById('status').textContent);
    check(/could not be kept/.test(status), `a failed update is not on the page: '${status}'`);
    site.rewriteHtml = false;

    // The workers gone from the server. The game's page, started from its copy with an address
    // it refuses (so that the page itself registers nothing): its worker switches itself off and
    // deletes its copy. The gallery's page, started from its copy: it says so.
    site.mounts['/'] = siteB;
    await visit(first, `${site.base}/quorbix-gallery.html`);
    await ready(first, 'the gallery before its worker goes');
    site.gone.add('/quorbix.service-worker.js');
    site.gone.add('/quorbix-gallery.service-worker.js');
    await first.goto('about:blank');
    await first.goto(`${site.base}/?time=never`);
    await first.waitForFunction(() => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.refused, { timeout: 10000 });
    check(await first.evaluate(() => !!navigator.serviceWorker.controller), 'the game\'s copy did not answer once more');
    await visit(first, `${site.base}/quorbix-gallery.html`);
    offline = await settled(first, 'the worker gone', ['removed', 'failed']);
    check(offline.state === 'removed', `the worker gone: the gallery's page says '${offline.state}' (${offline.error})`);
    // (A registration goes once no page uses it: seen from an address of the origin that is no page.)
    await first.goto('about:blank');
    await first.goto(`${site.base}/no-page-here`);
    const left = () => first.evaluate(async () => ({
      registrations: (await navigator.serviceWorker.getRegistrations()).map(r => r.scope),
      caches: (await caches.keys()).filter(n => n.startsWith('quorbix')) }));
    await first.waitForFunction(async () => (await navigator.serviceWorker.getRegistrations()).length === 0,
      { timeout: 5000, polling: 100 }).catch(() => {});
    const got = await left();
    check(got.registrations.length === 0 && got.caches.length === 0,
      `the workers gone, left: registrations ${got.registrations}, caches ${got.caches}`);
    await first.close();
  } finally {
    site.server.close();
  }
}

// ------------------------------------------------------------------------------ the test
async function run(o, puppeteer, chromium) {
  const started = Date.now();
  fs.rmSync(o.work, { recursive: true, force: true });
  fs.mkdirSync(o.work, { recursive: true });
  const cases = { redirectingHost, newBuildWhileRunning, twoFolders, failingUpdates };
  const only = process.env.QRB_OFFLINE_CASE;
  const browser = await launch(puppeteer, chromium);
  try {
    for (const [name, body] of Object.entries(cases)) {
      if (only && only !== name) continue;
      const problems = [];
      const t = Date.now();
      try {
        await body(o, browser, problems);
      } catch (e) {
        if (e instanceof Failure) e.message = `${name}: ${e.message}`;
        throw withProblems(e, problems);
      }
      figure(`${name}_ms`, Date.now() - t);
    }
  } finally {
    await browser.close().catch(() => {});
  }
  figure('seconds', ((Date.now() - started) / 1000).toFixed(1));
}

async function main() {
  const o = parseOptions(process.argv.slice(2),
    'usage: node offline-update-test.cjs --modules NODE_MODULES_DIR --source SOURCE_DIR --cmake CMAKE --work WORK_DIR [--chromium PATH]');
  const { chromium, puppeteer } = browserOrSkip(o, []);
  await runTest(100, () => run(o, puppeteer, chromium));
}

main();
