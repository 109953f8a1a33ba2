// What the browser tests of the pages share: finding chromium and puppeteer-core, the checks'
// failure, the game's trace read live from the page's file system, and client points on the
// scaled canvas.
//
//   const kit = require('./page-kit.cjs');
'use strict';

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

module.exports = { Failure, check, figure, sleep, skip, findChromium, browserOrSkip, Trace, canvasBox, pagePoint };
