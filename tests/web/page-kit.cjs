// What the browser tests of the pages share, so that each test holds only its own checks:
//   parseOptions, fail, skip, browserOrSkip, runTest  the command line (declared by the usage line),
//       chromium and puppeteer-core or a skip (exit status 77), and the run under a watchdog that
//       ends in "PASS" (0) or "FAIL: why" (1)
//   Failure, check, figure, sleep  a failed check and the "figure NAME VALUE" lines
//   launch, openPage, watch, withProblems  headless chromium, a watched tab, and what went wrong
//       on the page added to a failure; waitWorkerStarted, a new build of a page's worker started
//   runHeadless, compareWithHeadless  a headless runner's frames and the canvas against one
//   Trace, canvasBox, pagePoint  the game's trace read live from the page's file system, and
//       client points on the scaled canvas
//
//   const kit = require('./page-kit.cjs');
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

class Failure extends Error {}
function check(condition, why) { if (!condition) throw new Failure(why); }
function figure(name, value) { console.log(`figure ${name} ${value}`); }
const sleep = ms => new Promise(r => setTimeout(r, ms));

function skip(why) {
  console.log('SKIP: ' + why);
  process.exit(77);
}

// A "FAIL: why" line (and the usage line, if given), then exit status 1.
function fail(why, usageLine) {
  console.log('FAIL: ' + why);
  if (usageLine) console.log(usageLine);
  process.exit(1);
}

// The command line, as the usage line gives it: each "--name VALUE" there is an option whose
// value lands in o.name, needed unless in brackets. An unknown or incomplete option, or a needed
// one missing, fails with the usage line (unless showUsage is false). --time, where taken, is
// whole seconds.
function parseOptions(argv, usage, { defaults = {}, showUsage = true } = {}) {
  const shown = showUsage ? usage : null;
  const valued = {}, needed = [];
  for (const m of usage.matchAll(/(\[?)--([a-z-]+) [A-Z_]+/g)) {
    valued['--' + m[2]] = m[2];
    if (!m[1]) needed.push(m[2]);
  }
  const o = { chromium: null, ...defaults };
  for (let i = 0; i < argv.length; ++i) {
    const a = argv[i];
    if (valued[a] && i + 1 < argv.length) o[valued[a]] = argv[++i];
    else fail(`unknown or incomplete option '${a}'`, shown);
  }
  for (const need of needed) if (!o[need]) fail(`--${need} is needed`, shown);
  if ('--time' in valued) {
    o.time = Number(o.time);
    if (!Number.isInteger(o.time) || o.time < 0) fail('--time takes whole seconds', shown);
  }
  return o;
}

// Runs the test's body, which throws a Failure for a failed check: "PASS" and exit status 0, or
// "FAIL: why" and 1; a body still running after the given seconds fails too.
async function runTest(seconds, body) {
  const watchdog = setTimeout(() => fail(`the test took more than ${seconds} s`), seconds * 1000);
  try {
    await body();
  } catch (e) {
    fail(e instanceof Failure ? e.message : (e && e.stack) || e);
  }
  clearTimeout(watchdog);
  console.log('PASS');
  process.exit(0);
}

// Runs a headless runner with args; resolves to {} when it exits with status 0, else to
// { error } saying why (its standard error included).
function runHeadless(runner, args) {
  return new Promise(resolve => {
    const child = childProcess.spawn(runner, args, { stdio: ['ignore', 'ignore', 'pipe'] });
    let stderr = '';
    child.stderr.on('data', d => { stderr += d; });
    child.on('error', e => resolve({ error: `${runner}: ${e.message}` }));
    child.on('exit', code => resolve(code === 0 ? {} : { error: `${runner} exited with ${code}: ${stderr.trim()}` }));
  });
}

function findChromium(given) {
  const candidates = given ? [given] : [process.env.CHROMIUM, '/usr/bin/chromium', '/usr/bin/chromium-browser'];
  for (const c of candidates) {
    if (!c) continue;
    try {
      fs.accessSync(c, fs.constants.X_OK);
      return c;
    } catch (e) { /* the next one */ }
  }
  return null;
}

// Chromium and puppeteer-core, or a skip (exit status 77) when either is missing or the pages
// named are not built.
function browserOrSkip(o, pageFiles) {
  const chromium = findChromium(o.chromium);
  if (!chromium) skip('no chromium (give --chromium PATH)');
  let puppeteer;
  try {
    puppeteer = require(path.resolve(o.modules, 'puppeteer-core'));
  } catch (e) {
    skip(`no puppeteer-core in ${o.modules}`);
  }
  for (const f of pageFiles) {
    if (!fs.existsSync(path.join(o.pages, f))) skip(`${path.join(o.pages, f)} is missing: the pages are not built (make web)`);
  }
  return { chromium, puppeteer };
}

// Headless chromium as the tests start it: no sandbox, no GPU, muted.
function launch(puppeteer, chromium) {
  return puppeteer.launch({ executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--mute-audio'] });
}

// A new tab of 1024 x 768 whose problems (see watch) are gathered into problems.
async function openPage(browser, problems) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  watch(page, { problems });
  return page;
}

// What goes wrong on a page, gathered into problems (returned): console errors, page errors and
// failed requests (with the browser's reason when reasons), and with http answers of status 400
// or more.
function watch(page, { problems = [], reasons = true, http = true } = {}) {
  page.on('console', m => { if (m.type() === 'error') problems.push('console error: ' + m.text()); });
  page.on('pageerror', e => problems.push('page error: ' + (e && e.message || e)));
  page.on('requestfailed', r => problems.push(reasons ? `request failed: ${r.url()} (${r.failure() && r.failure().errorText})`
    : `request failed: ${r.url()}`));
  if (http) page.on('response', r => { if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`); });
  return problems;
}

// A failed check's error with what the page reported added, as that may be why it failed.
function withProblems(e, problems) {
  if (e instanceof Failure && problems.length > 0) e.message += ` (the page also had: ${[...new Set(problems)].join('; ')})`;
  return e;
}

// Waits until no new build of the service worker at scriptUrl waits: the browser starts a waiting
// worker a moment after the last page of the old one has gone.
async function waitWorkerStarted(page, scriptUrl, timeoutMs = 10000) {
  const session = await page.target().createCDPSession();
  const versions = new Map();
  let wake = () => {};
  session.on('ServiceWorker.workerVersionUpdated', e => {
    for (const v of e.versions) versions.set(v.versionId, v);
    wake();
  });
  try {
    await session.send('ServiceWorker.enable');
    const end = Date.now() + timeoutMs;
    for (;;) {
      const mine = [...versions.values()].filter(v => v.scriptURL === scriptUrl);
      if (mine.some(v => v.status === 'activated') && !mine.some(v => ['new', 'installing', 'installed', 'activating'].includes(v.status))) return;
      if (Date.now() > end) {
        throw new Failure(`${scriptUrl}: no new build started within ${timeoutMs} ms (${mine.map(v => v.status).join(', ')})`);
      }
      await new Promise(r => { wake = r; setTimeout(r, 100); });
    }
  } finally {
    await session.detach().catch(() => {});
  }
}

// The trace a program writes into its file system (--trace /trace.jsonl), read from where the
// last read ended.
class Trace {
  constructor(page) {
    this.page = page;
    this.offset = 0;
    this.partial = '';
    this.frames = [];   // parsed frame lines (the backend line left out)
  }

  async update() {
    const got = await this.page.evaluate(offset => {
      const FS = QuorbixPage.page.module && QuorbixPage.page.module.FS;
      if (!FS) return null;
      // While the program runs its trace grows beside its place as trace.jsonl.part-XXXXXX.
      let path = '/trace.jsonl';
      try {
        const live = FS.readdir('/').find(n => n.startsWith('trace.jsonl.part-'));
        if (live) path = '/' + live;
      } catch (e) { return null; }
      let size;
      try { size = FS.stat(path).size; } catch (e) { return null; }
      if (size <= offset) return '';
      const bytes = new Uint8Array(size - offset);
      const stream = FS.open(path, 'r');
      try { FS.read(stream, bytes, 0, bytes.length, offset); } finally { FS.close(stream); }
      return new TextDecoder().decode(bytes);
    }, this.offset);
    if (!got) return this.frames;
    this.offset += Buffer.byteLength(got);
    const lines = (this.partial + got).split('\n');
    this.partial = lines.pop();
    for (const line of lines) {
      if (!line) continue;
      const f = JSON.parse(line);
      if ('frame' in f) this.frames.push(f);
    }
    return this.frames;
  }

  last() { return this.frames[this.frames.length - 1]; }

  // Waits until a frame line from now on satisfies test; that line.
  async waitFor(test, timeoutMs, what) {
    const from = this.frames.length;
    const end = Date.now() + timeoutMs;
    for (;;) {
      await this.update();
      for (let i = from; i < this.frames.length; ++i) if (test(this.frames[i])) return this.frames[i];
      if (Date.now() > end) throw new Failure(`${what} within ${timeoutMs} ms`);
      await sleep(40);
    }
  }

  // Waits for n more frames; the last.
  async settle(n) {
    const want = this.frames.length + n;
    const end = Date.now() + 5000 + n * 100;
    while (this.frames.length < want) {
      if (Date.now() > end) throw new Failure(`no ${n} frames ran in time`);
      await sleep(40);
      await this.update();
    }
    return this.last();
  }
}

// The frame-rate box in the canvas's top-left corner, which real time fills with its own figure.
const kFrameRateBox = { x: 0, y: 0, w: 90, h: 20 };

// The canvas against a headless frame served as /headless/frame-NNNNNN.png, decoded by the
// browser: the count of pixels differing outside the frame-rate box, their bounding box and the
// canvas as a PNG data URL. The frame is the given one, or with lastHeadless the one the game's
// trace says the canvas shows (read together with the canvas, so the two belong together): the
// ball rows blink every frame, so past the runner's last it is one of the same phase. With width
// and height, a canvas of another size is an error.
async function compareWithHeadless(page, { frame = null, lastHeadless = null, width = null, height = null }) {
  return page.evaluate(async (frame, lastHeadless, fpsBox, wantW, wantH) => {
    const canvas = document.getElementById('screen');
    if (wantW !== null && (canvas.width !== wantW || canvas.height !== wantH)) {
      return { error: `the canvas is ${canvas.width}x${canvas.height}` };
    }
    const W = canvas.width, H = canvas.height;
    const shown = canvas.getContext('2d').getImageData(0, 0, W, H).data;
    let webFrame = null;
    if (frame === null) {
      const FS = QuorbixPage.page.module.FS;
      const live = FS.readdir('/').find(n => n.startsWith('trace.jsonl.part-'));
      const text = FS.readFile(live ? '/' + live : '/trace.jsonl', { encoding: 'utf8' }).trimEnd().split('\n');
      webFrame = JSON.parse(text[text.length - 1]).frame;
    }
    const shownUrl = canvas.toDataURL('image/png');
    const reference = frame !== null ? frame
      : webFrame <= lastHeadless ? webFrame : lastHeadless - (webFrame - lastHeadless) % 2;
    const img = new Image();
    img.src = `/headless/frame-${String(reference).padStart(6, '0')}.png`;
    try { await img.decode(); } catch (e) { return { error: `cannot load ${img.src}` }; }
    const c = document.createElement('canvas');
    c.width = W;
    c.height = H;
    const ctx = c.getContext('2d');
    ctx.drawImage(img, 0, 0);
    const want = ctx.getImageData(0, 0, W, H).data;
    const inside = (r, x, y) => x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
    let differing = 0, box = null;
    for (let y = 0; y < H; ++y) {
      for (let x = 0; x < W; ++x) {
        const i = (y * W + x) * 4;
        if (shown[i] === want[i] && shown[i + 1] === want[i + 1] && shown[i + 2] === want[i + 2]) continue;
        if (inside(fpsBox, x, y)) continue;
        ++differing;
        box = box ? { x0: Math.min(box.x0, x), y0: Math.min(box.y0, y), x1: Math.max(box.x1, x), y1: Math.max(box.y1, y) }
                  : { x0: x, y0: y, x1: x, y1: y };
      }
    }
    return { webFrame, reference, differing, box, shownUrl };
  }, frame, lastHeadless, kFrameRateBox, width, height);
}

// The canvas's place on the page, in CSS pixels, with the viewport's size.
async function canvasBox(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const b = c.getBoundingClientRect();
    return { left: b.left, top: b.top, width: b.width, height: b.height, right: b.right, bottom: b.bottom,
      canvasWidth: c.width, canvasHeight: c.height, viewWidth: innerWidth, viewHeight: innerHeight };
  });
}

// The page point at the middle of client pixel (x, y) of the scaled canvas.
async function pagePoint(page, x, y) {
  const r = await canvasBox(page);
  return [r.left + (x + 0.5) * r.width / r.canvasWidth, r.top + (y + 0.5) * r.height / r.canvasHeight];
}

module.exports = { Failure, check, figure, sleep, skip, fail, parseOptions, runTest, runHeadless, findChromium,
  browserOrSkip, launch, openPage, watch, withProblems, waitWorkerStarted, Trace, compareWithHeadless, canvasBox, pagePoint };
