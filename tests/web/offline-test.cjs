// The pages installed and played offline, in headless chromium driven by puppeteer-core: the
// manifests, the browser's word that the pages can be installed, a first visit that keeps the
// files, the game started and its music heard with the server stopped and the browser offline,
// a new build served at the same address fetched on the next visit and taking the old one's
// place once the page is closed (the gallery's copy left alone), and a build caught halfway in
// place kept not at all. (tests/web/offline-update-test.cjs tries the copies on unkind servers.)
//
//   node tests/web/offline-test.cjs --pages DIR --modules NODE_MODULES_DIR --source SOURCE_DIR
//        --cmake CMAKE --work WORK_DIR [--chromium PATH]
//
// DIR holds the built pages (make web); SOURCE_DIR/cmake/web_offline.cmake writes the service
// workers of a changed copy of them. Exit status: 0 passed, 1 failed (a "FAIL: reason" line says
// why), 77 skipped (no chromium, no puppeteer-core or no web build).
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const { serve } = require('./page-server.cjs');
const { Failure, check, figure, sleep, parseOptions, runTest, browserOrSkip, launch, openPage, withProblems, waitWorkerStarted } =
  require('./page-kit.cjs');

// ------------------------------------------------------------------------------ the pages
// The pages of a built folder, from their workers and manifests: [{ program, html, manifest }].
function pagesOf(dir) {
  return fs.readdirSync(dir).filter(n => n.endsWith('.service-worker.js')).sort().map(n => {
    const program = n.slice(0, -'.service-worker.js'.length);
    const file = path.join(dir, `${program}.webmanifest`);
    let manifest;
    try {
      manifest = JSON.parse(fs.readFileSync(file, 'utf8'));
    } catch (e) {
      throw new Failure(`${file}: ${e.message}`);
    }
    const html = manifest.start_url === './' ? 'index.html' : String(manifest.start_url).replace(/^\.\//, '');
    return { program, html, manifest };
  });
}

function versionOf(dir, program) {
  const text = fs.readFileSync(path.join(dir, `${program}.service-worker.js`), 'utf8');
  const m = /const kVersion = '([0-9a-f]+)'/.exec(text);
  check(m, `${program}.service-worker.js names no version`);
  return m[1];
}

// The workers of a copied folder, written as the build writes them.
function writeWorkers(o, dir, pages) {
  const r = childProcess.spawnSync(o.cmake, [`-DSITE=${dir}`, `-DPAGES=${pages.map(p => `${p.program}:${p.html}`).join(',')}`,
    `-DWORKER=${path.join(o.source, 'platform/web/page/service-worker.js.in')}`,
    '-P', path.join(o.source, 'cmake/web_offline.cmake')], { encoding: 'utf8' });
  check(r.status === 0, `writing the workers of ${dir} failed: ${r.stdout}${r.stderr}`);
}

// The width and height a PNG file's header gives.
function pngSize(file) {
  const b = fs.readFileSync(file);
  check(b.length > 24 && b.toString('latin1', 1, 4) === 'PNG' && b.toString('latin1', 12, 16) === 'IHDR', `${file} is no PNG`);
  return [b.readUInt32BE(16), b.readUInt32BE(20)];
}

// Each page's manifest: served as one, the fields an installed page needs, icons of the sizes
// stated (192 and 512 pixels among them), and the page linking it.
async function checkManifests(browser, base, dir, pages) {
  // A context of its own, so that these visits keep nothing for the ones that follow.
  const context = await (browser.createBrowserContext || browser.createIncognitoBrowserContext).call(browser);
  const page = await context.newPage();
  try {
    for (const p of pages) {
      const m = p.manifest, where = `${p.program}.webmanifest`;
      check(m.name && m.short_name, `${where} has no name`);
      check(['fullscreen', 'standalone'].includes(m.display), `${where}: display '${m.display}'`);
      check(String(m.orientation).startsWith('landscape'), `${where}: orientation '${m.orientation}'`);
      check(Array.isArray(m.icons) && m.icons.length > 0, `${where} lists no icons`);
      const sizes = new Set();
      for (const icon of m.icons) {
        const [w, h] = pngSize(path.join(dir, icon.src));
        check(icon.sizes === `${w}x${h}` && w === h, `${where}: ${icon.src} is ${w}x${h}, stated as ${icon.sizes}`);
        check(icon.type === 'image/png', `${where}: ${icon.src} has type ${icon.type}`);
        sizes.add(w);
      }
      check(sizes.has(192) && sizes.has(512), `${where}: no 192 and 512 pixel icons among ${[...sizes]}`);
      const response = await page.goto(`${base}/${p.html}`, { waitUntil: 'load' });
      check(response.ok(), `${p.html}: HTTP ${response.status()}`);
      // (The page links it once its first frame is shown.)
      await page.waitForSelector('link[rel=manifest]', { timeout: 20000 }).catch(() => {});
      const got = await page.evaluate(async () => {
        const link = document.querySelector('link[rel=manifest]');
        if (!link) return null;
        const r = await fetch(link.href);
        return { href: link.href, type: r.headers.get('content-type'), text: await r.text() };
      });
      check(got, `${p.html} links no manifest`);
      check(got.href === `${base}/${p.program}.webmanifest`, `${p.html} links ${got.href}`);
      check(got.type === 'application/manifest+json', `${where} is served as ${got.type}`);
      // The browser reads the manifest as the page's, without complaint.
      const read = await (await page.target().createCDPSession()).send('Page.getAppManifest');
      check(read.errors.length === 0, `${where}: ${read.errors.map(e => e.message).join('; ')}`);
    }
  } finally {
    await context.close();
  }
}

// ------------------------------------------------------------------------------ in the page
// Opens a page and waits until it shows frames and its files are kept (the worker active).
async function visit(page, url, frames = 1) {
  await page.goto(url);
  await page.waitForFunction(n => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.presents >= n,
    { timeout: 20000, polling: 50 }, frames).catch(() => { throw new Failure(`${url} showed no frames within 20 s`); });
}

async function waitKept(page, url) {
  await page.waitForFunction(() => ['ready', 'updated', 'failed'].includes(QuorbixPage.page.offline.state),
    { timeout: 60000, polling: 100 }).catch(() => { throw new Failure(`${url}: its files were not kept within 60 s`); });
  const offline = await page.evaluate(() => QuorbixPage.page.offline);
  check(offline.state !== 'failed', `${url}: its files were not kept: ${offline.error}`);
}

const cacheNames = page => page.evaluate(async () => (await caches.keys()).sort());

// What the browser finds missing for installing the page it shows (nothing, once its worker is
// active); a browser without the question is not asked.
async function checkInstallable(page, what) {
  const session = await page.target().createCDPSession();
  try {
    const got = await session.send('Page.getInstallabilityErrors').catch(() => null);
    if (!got) return;
    const errors = got.installabilityErrors.map(e => e.errorId);
    check(errors.length === 0, `${what} cannot be installed: ${errors.join(', ')}`);
  } finally {
    await session.detach();
  }
}

// A game started with a right click (the sound starts) and a left click (the game and its music);
// the loudest the output played after the left click, as soon as it is not silence (the title is
// silent), or after 8 s.
async function playAndListen(page) {
  const [x, y] = await page.evaluate(() => {
    const b = document.getElementById('screen').getBoundingClientRect();
    return [b.left + b.width / 2, b.top + b.height / 2];
  });
  await page.mouse.move(x, y);
  await page.mouse.click(x, y, { button: 'right' });
  await page.waitForFunction(() => QuorbixPage.page.audio.state === 'running', { timeout: 5000, polling: 20 })
    .catch(() => { throw new Failure('the sound output did not start on a click'); });
  await sleep(200);
  const since = await page.evaluate(() => performance.now());
  await page.mouse.click(x, y);
  const loudest = () => page.evaluate(since => Math.max(0, ...QuorbixPage.page.audio.history
    .filter(([t]) => t > since).map(([, p]) => p)), since);
  await page.waitForFunction(since => QuorbixPage.page.audio.history.some(([t, p]) => t > since && p > 0),
    { timeout: 8000, polling: 50 }, since).catch(() => {});
  return loudest();
}

// ------------------------------------------------------------------------------ the test
async function run(o, puppeteer, chromium) {
  const started = Date.now();
  fs.rmSync(o.work, { recursive: true, force: true });
  const siteA = path.join(o.work, 'a'), siteB = path.join(o.work, 'b'), frames = path.join(o.work, 'frames');
  fs.mkdirSync(frames, { recursive: true });
  fs.cpSync(path.resolve(o.pages), siteA, { recursive: true });
  const pages = pagesOf(siteA);
  const game = pages.find(p => p.html === 'index.html');
  const gallery = pages.find(p => p.program === 'quorbix-gallery');
  check(game && gallery, `the pages found: ${pages.map(p => p.html)}; the game's or the gallery's is missing`);

  // The build's workers are the script's: a copy gives the same bytes (an unchanged rebuild is no
  // new version). Build B: one byte more in a file every page shares, the workers written again.
  const builtA = pages.map(p => fs.readFileSync(path.join(siteA, `${p.program}.service-worker.js`), 'utf8'));
  writeWorkers(o, siteA, pages);
  pages.forEach((p, i) => check(fs.readFileSync(path.join(siteA, `${p.program}.service-worker.js`), 'utf8') === builtA[i],
    `${p.program}.service-worker.js differs when written again for the same files`));
  fs.cpSync(siteA, siteB, { recursive: true });
  fs.appendFileSync(path.join(siteB, 'quorbix-page.js'), "\nwindow.quorbixBuildMark = 'B';\n");
  // (Build B's sound output takes no part in build A's page.)
  const audioB = path.join(siteB, 'quorbix-audio.js');
  fs.writeFileSync(audioB, 'registerProcessor = () => {};\n' + fs.readFileSync(audioB, 'utf8'));
  writeWorkers(o, siteB, pages);
  const [versionA, versionB] = [versionOf(siteA, game.program), versionOf(siteB, game.program)];
  check(versionA !== versionB, `a changed file left the game's version at ${versionA}`);
  // (A cache's name is `PROGRAM@VERSION SCOPE`.)
  const cacheA = `${game.program}@${versionA} `, cacheB = `${game.program}@${versionB} `;
  const galleryCacheA = `${gallery.program}@${versionOf(siteA, gallery.program)} `;
  const galleryCacheB = `${gallery.program}@${versionOf(siteB, gallery.program)} `;
  const has = (names, prefix) => names.some(n => n.startsWith(prefix));

  let server = await serve(siteA, frames);
  const port = server.address().port;
  const base = `http://127.0.0.1:${port}`;
  const stop = () => new Promise(resolve => { server.closeAllConnections(); server.close(() => resolve()); });
  const problems = [];
  let browser;
  try {
    browser = await launch(puppeteer, chromium);
    await checkManifests(browser, base, siteA, pages);

    const page = await openPage(browser, problems);

    // 1. The first visits: the game's page and the gallery's keep their files, each in its own cache.
    let t = Date.now();
    await visit(page, `${base}/`);
    await waitKept(page, 'the game');
    figure('game_kept_ms', Date.now() - t);
    await checkInstallable(page, 'the game');
    await visit(page, `${base}/${gallery.html}`, 5);
    await waitKept(page, 'the gallery');
    await checkInstallable(page, 'the gallery');
    let names = await cacheNames(page);
    check(has(names, cacheA) && has(names, galleryCacheA), `the caches after the first visits: ${names}`);

    // 2. The network cut: the server stopped and the browser offline. The game starts from its
    // cache and plays its music; the gallery starts too. Every request was answered from the cache.
    await stop();
    await page.setOfflineMode(true);
    // (The address's query is the program's, and not part of a kept file's name.)
    t = Date.now();
    await visit(page, `${base}/?time=1000000000`);
    figure('offline_first_frame_ms', Date.now() - t);
    const peak = await playAndListen(page);
    figure('offline_music_peak', peak.toFixed(4));
    check(peak > 0, 'offline, the game\'s music was not heard through the sound output');
    const state = await page.evaluate(() => ({ exited: QuorbixPage.page.exited, stderr: QuorbixPage.page.stderr }));
    check(state.exited === null, `offline, the game ended with status ${state.exited}: ${state.stderr.join(' / ')}`);
    await visit(page, `${base}/${gallery.html}`, 5);
    check(problems.length === 0, 'offline: ' + [...new Set(problems)].join('; '));

    // 3. A new build at the same address: the next visit still starts the kept build, fetches the
    // new one beside it and says so; the page, closed and opened again, runs it.
    server = await serve(siteB, frames, { port });
    await page.setOfflineMode(false);
    await visit(page, `${base}/`);
    check(await page.evaluate(() => window.quorbixBuildMark === undefined), 'the kept build did not start first');
    t = Date.now();
    await page.waitForFunction(() => QuorbixPage.page.offline.state === 'updated', { timeout: 60000, polling: 100 })
      .catch(() => { throw new Failure('the page did not take the new build within 60 s'); });
    figure('update_ms', Date.now() - t);
    const noteText = await page.evaluate(() => document.getElementById('status').hidden ? '' : document.getElementById('status').textContent);
    check(/open it again/i.test(noteText), `the page did not say a new version was saved (its status line: '${noteText}')`);
    // The running page's sound output, started after that (its script is fetched on the first
    // click), is still the kept build's: build B's would not work with build A's page.
    const [x, y] = await page.evaluate(() => {
      const b = document.getElementById('screen').getBoundingClientRect();
      return [b.left + b.width / 2, b.top + b.height / 2];
    });
    await page.mouse.click(x, y, { button: 'right' });
    await page.waitForFunction(() => QuorbixPage.page.audio.history.length > 0, { timeout: 5000, polling: 20 })
      .catch(() => { throw new Failure('after the new build was fetched, the running page\'s sound output did not start'); });
    // The running page's build is kept until it is closed.
    names = await cacheNames(page);
    check(has(names, cacheB) && has(names, cacheA), `the caches while the old build runs: ${names} (${cacheA} -> ${cacheB})`);
    // The gallery keeps its copy (the kept build, or the new one if the browser looked for it).
    check(has(names, galleryCacheA) || has(names, galleryCacheB), `the game's new build evicted the gallery's copy: ${names}`);

    // 4. The page closed, and offline again: the new build is what starts, and the old copy is gone.
    await page.goto('about:blank');
    await waitWorkerStarted(page, `${base}/${game.program}.service-worker.js`);
    await stop();
    await page.setOfflineMode(true);
    await visit(page, `${base}/`);
    check(await page.evaluate(() => window.quorbixBuildMark) === 'B', 'offline after the update, the old build started');
    names = await cacheNames(page);
    check(has(names, cacheB) && !has(names, cacheA), `the caches once the new build runs: ${names} (${cacheA} -> ${cacheB})`);
    check(problems.length === 0, [...new Set(problems)].join('; '));

    // 5. A build caught halfway in place (a file changed, the worker still the old build's): a
    // first visit keeps nothing rather than files of two builds, and the page still plays.
    const siteC = path.join(o.work, 'c');
    fs.cpSync(siteA, siteC, { recursive: true });
    fs.appendFileSync(path.join(siteC, 'quorbix-audio.js'), '\n// halfway\n');
    server = await serve(siteC, frames, { port });
    await page.setOfflineMode(false);
    const fresh = await (browser.createBrowserContext || browser.createIncognitoBrowserContext).call(browser);
    try {
      const other = await fresh.newPage();
      await visit(other, `${base}/`);
      await other.waitForFunction(() => ['ready', 'updated', 'failed'].includes(QuorbixPage.page.offline.state),
        { timeout: 60000, polling: 100 }).catch(() => {});
      const got = await other.evaluate(async () => ({ state: QuorbixPage.page.offline.state, names: await caches.keys() }));
      check(got.state === 'failed', `a half-changed build was kept (the page says '${got.state}')`);
      check(!got.names.some(n => n.startsWith(`${game.program}@`)), `a half-changed build left a cache: ${got.names}`);
    } finally {
      await fresh.close();
    }
    figure('seconds', ((Date.now() - started) / 1000).toFixed(1));
  } catch (e) {
    throw withProblems(e, problems);
  } finally {
    if (browser) await browser.close().catch(() => {});
    if (server.listening) server.close();
  }
}

async function main() {
  const o = parseOptions(process.argv.slice(2),
    'usage: node offline-test.cjs --pages DIR --modules NODE_MODULES_DIR --source SOURCE_DIR --cmake CMAKE' +
    ' --work WORK_DIR [--chromium PATH]');
  const { chromium, puppeteer } = browserOrSkip(o, ['index.html', 'quorbix.js', 'quorbix.webmanifest', 'quorbix.service-worker.js']);
  await runTest(170, () => run(o, puppeteer, chromium));
}

main();
