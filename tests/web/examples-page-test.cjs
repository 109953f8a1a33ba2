// Two of the framework's examples as pages in headless chromium, for what a page reads and keeps
// through the browser:
//   drawing     SPARK.png, a PNG with soft alpha blended over a yellow dot, read by the page's
//               own libpng: the canvas equals the headless program's picture pixel for pixel
//               (all but the turning sprite, which turns with real time)
//   best-score  two clicks in a round make a best score of 2, which SaveData keeps in the
//               browser's storage; after a reload the program's first LoadData finds it
//
//   node tests/web/examples-page-test.cjs --pages DIR --modules NODE_MODULES_DIR --headless BIN_DIR
//        --work WORK_DIR [--chromium PATH]
//
// BIN_DIR holds framework-examples, whose --pictures gives the drawing example's picture. Exit
// status: 0 passed, 1 failed (a "FAIL: reason" line says why), 77 skipped (no chromium or no
// puppeteer-core).
'use strict';

const fs = require('fs');
const path = require('path');
const { serve } = require('./page-server.cjs');
const { Failure, check, figure, parseOptions, runTest, runHeadless, browserOrSkip, launch, openPage,
  withProblems, Trace, pagePoint } = require('./page-kit.cjs');

const kPage = 'framework-examples-window.html';
// The drawing example's sprite turns about (240, 180) at twice its 48-pixel size: it stays
// within 68 pixels of that point.
const kTurning = { x: 240 - 70, y: 180 - 70, w: 141, h: 141 };
const kSpark = { x: 60, y: 84, w: 32, h: 32 };

// The canvas against the headless picture served as /headless/NAME: the pixels that differ
// outside the box `skip`, their bounding box, and how many pixels of `probe` differ from the
// colour just outside it (the PNG was drawn there at all).
async function compareCanvas(page, name, skip, probe) {
  return page.evaluate(async (name, skip, probe) => {
    const canvas = document.getElementById('screen');
    const W = canvas.width, H = canvas.height;
    const shown = canvas.getContext('2d').getImageData(0, 0, W, H).data;
    const img = new Image();
    img.src = '/headless/' + name;
    try { await img.decode(); } catch (e) { return { error: `cannot load ${img.src}` }; }
    if (img.width !== W || img.height !== H) return { error: `the canvas is ${W}x${H}, the picture ${img.width}x${img.height}` };
    const c = document.createElement('canvas');
    c.width = W;
    c.height = H;
    const ctx = c.getContext('2d');
    ctx.drawImage(img, 0, 0);
    const want = ctx.getImageData(0, 0, W, H).data;
    const inside = (r, x, y) => x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
    let differing = 0, box = null, drawn = 0;
    const bi = ((probe.y - 1) * W + probe.x - 1) * 4;
    for (let y = 0; y < H; ++y) {
      for (let x = 0; x < W; ++x) {
        const i = (y * W + x) * 4;
        if (inside(probe, x, y) && (shown[i] !== shown[bi] || shown[i + 1] !== shown[bi + 1] || shown[i + 2] !== shown[bi + 2])) ++drawn;
        if (inside(skip, x, y)) continue;
        if (shown[i] === want[i] && shown[i + 1] === want[i + 1] && shown[i + 2] === want[i + 2]) continue;
        ++differing;
        box = box ? { x0: Math.min(box.x0, x), y0: Math.min(box.y0, y), x1: Math.max(box.x1, x), y1: Math.max(box.y1, y) }
                  : { x0: x, y0: y, x1: x, y1: y };
      }
    }
    return { differing, box, drawn, shownUrl: canvas.toDataURL('image/png') };
  }, name, skip, probe);
}

async function waitFrames(page, n, what) {
  await page.waitForFunction(n => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.presents > n,
    { timeout: 15000, polling: 50 }, n).catch(() => { throw new Failure(`${what}: no ${n} frames within 15 s`); });
}

async function run(o, puppeteer, chromium) {
  fs.mkdirSync(o.work, { recursive: true });
  const pictures = path.join(o.work, 'headless');
  fs.rmSync(pictures, { recursive: true, force: true });
  const made = await runHeadless(path.join(o.headless, 'framework-examples'), ['--pictures', pictures, 'drawing']);
  check(!made.error, 'the headless drawing example: ' + made.error);
  const server = await serve(path.resolve(o.pages), pictures);
  const base = `http://127.0.0.1:${server.address().port}`;
  const problems = [];
  let browser;
  try {
    browser = await launch(puppeteer, chromium);
    const page = await openPage(browser, problems);

    // 1. The PNG, decoded in the page, blended as on the desktop.
    await page.goto(`${base}/${kPage}?arg=drawing`);
    await waitFrames(page, 5, 'drawing');
    const state = await page.evaluate(() => ({ exited: QuorbixPage.page.exited, stderr: QuorbixPage.page.stderr,
      box: document.getElementById('box').hidden ? '' : document.getElementById('box').textContent }));
    check(state.exited === null && state.box === '' && state.stderr.length === 0,
      `the drawing page failed: box '${state.box}', status ${state.exited}, said: ${state.stderr.join(' / ')}`);
    const cmp = await compareCanvas(page, 'drawing.png', kTurning, kSpark);
    check(!cmp.error, 'drawing: ' + cmp.error);
    figure('drawing_pixels_differing', cmp.differing);
    figure('spark_pixels_drawn', cmp.drawn);
    if (cmp.differing !== 0) {
      const shot = path.join(o.work, 'drawing-browser.png');
      fs.writeFileSync(shot, Buffer.from(cmp.shownUrl.split(',')[1], 'base64'));
      const b = cmp.box;
      throw new Failure(`the drawing page differs from the headless picture in ${cmp.differing} pixels within ` +
        `(${b.x0},${b.y0})-(${b.x1},${b.y1}); see ${shot} and ${path.join(pictures, 'drawing.png')}`);
    }
    check(cmp.drawn > 200, `only ${cmp.drawn} pixels of the glow's square differ from the background: the PNG was not drawn`);

    // 2. A best score kept across a reload.
    const url = `${base}/${kPage}?arg=best-score&arg=--trace&arg=/trace.jsonl`;
    await page.goto(url);
    await waitFrames(page, 2, 'best-score');
    let trace = new Trace(page);
    const first = await trace.waitFor(() => true, 5000, 'no trace line from the best-score page');
    check(first.best === 0, `a new browser's first round starts with best ${first.best}, not 0`);
    const [px, py] = await pagePoint(page, 160, 120);
    for (let i = 0; i < 2; ++i) {
      await page.mouse.click(px, py);
      await trace.waitFor(f => f.score === i + 1, 3000, `click ${i + 1} was not counted`);
    }
    // The round lasts five seconds; at its end the score of 2 becomes the best and is saved.
    await trace.waitFor(f => f.best === 2, 15000, 'the best score did not become 2');
    await trace.settle(3);
    const said = await page.evaluate(() => ({ stderr: QuorbixPage.page.stderr, loaded: QuorbixPage.page.saved.loaded,
      ready: QuorbixPage.page.saved.ready }));
    check(said.ready, 'the page keeps no saved data');
    check(said.stderr.length === 0, 'the best-score page said: ' + said.stderr.join(' / '));

    await page.reload();
    await waitFrames(page, 2, 'best-score after the reload');
    trace = new Trace(page);
    const again = await trace.waitFor(() => true, 5000, 'no trace line after the reload');
    const loaded = await page.evaluate(() => QuorbixPage.page.saved.loaded);
    figure('saved_files_loaded', loaded);
    check(again.best === 2, `after the reload the best score is ${again.best}, not the 2 saved before it`);
    check(again.score === 0, `after the reload the score is ${again.score}, not 0`);

    check(problems.length === 0, [...new Set(problems)].join('; '));
  } catch (e) {
    throw withProblems(e, problems);
  } finally {
    if (browser) await browser.close().catch(() => {});
    server.close();
  }
}

async function main() {
  const o = parseOptions(process.argv.slice(2),
    'usage: node examples-page-test.cjs --pages DIR --modules NODE_MODULES_DIR --headless BIN_DIR --work WORK_DIR' +
    ' [--chromium PATH]');
  const { chromium, puppeteer } = browserOrSkip(o, [kPage, 'framework-examples-window.js', 'quorbix-page.js']);
  await runTest(150, () => run(o, puppeteer, chromium));
}

main();
