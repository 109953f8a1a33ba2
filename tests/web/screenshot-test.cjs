// The game page's screenshot: F12 and the button beside the full-screen one download the picture
// shown as a PNG of the program's own size (480 x 360, the page showing it twice as large), named
// PROGRAM-YYYY-MM-DD-HHMMSS.png as the desktop's screenshots are; the PNG equals the headless
// runner's frame of the moment the key came, and F12 never reaches the program's keys.
//
//   node tests/web/screenshot-test.cjs --pages DIR --modules NODE_MODULES_DIR --headless BIN_DIR
//        --work WORK_DIR [--chromium PATH] [--time SECONDS]
//
// Exit status: 0 passed, 1 failed (a "FAIL: reason" line says why), 77 skipped (no chromium, no
// puppeteer-core or no pages).
'use strict';

const fs = require('fs');
const path = require('path');
const { serve } = require('./page-server.cjs');
const { check, figure, parseOptions, runTest, runHeadless, browserOrSkip, launch, openPage, withProblems, Trace,
  pagePoint } = require('./page-kit.cjs');

const kWidth = 480, kHeight = 360;
const kTitleFrames = 80;                      // headless title frames made for the comparison
const kPointer = [240, 180];                  // where the pointer rests, in both
const kFrameRateBox = { x: 0, y: 0, w: 90, h: 20 };   // real time fills it with its own figure
const kVkA = 65, kVkF12 = 123;
const kName = /^quorbix-\d{4}-\d{2}-\d{2}-\d{6}\.png$/;

// Downloads as the browser makes them, each saved under its id in dir: resolves to the next one's
// suggested name and bytes.
async function catchDownloads(browser, dir) {
  const session = await browser.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allowAndName', downloadPath: dir, eventsEnabled: true });
  const names = new Map();
  const waiting = [];
  const done = [];
  session.on('Browser.downloadWillBegin', e => names.set(e.guid, e.suggestedFilename));
  session.on('Browser.downloadProgress', e => {
    if (e.state !== 'completed' && e.state !== 'canceled') return;
    const got = { name: names.get(e.guid), state: e.state, bytes: e.state === 'completed' ? fs.readFileSync(path.join(dir, e.guid)) : null };
    if (waiting.length > 0) waiting.shift()(got);
    else done.push(got);
  });
  return (timeoutMs = 5000) => done.length > 0 ? Promise.resolve(done.shift()) : new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no download within ${timeoutMs} ms`)), timeoutMs);
    waiting.push(got => { clearTimeout(timer); resolve(got); });
  });
}

// The PNG's size, and its pixels against headless frame `reference` outside the frame-rate box:
// the count that differ, decoded by the browser.
async function compareShot(page, bytes, reference) {
  return page.evaluate(async (url, reference, box) => {
    const load = async src => {
      const img = new Image();
      img.src = src;
      await img.decode();
      const c = document.createElement('canvas');
      c.width = img.naturalWidth;
      c.height = img.naturalHeight;
      c.getContext('2d').drawImage(img, 0, 0);
      return { w: c.width, h: c.height, data: c.getContext('2d').getImageData(0, 0, c.width, c.height).data };
    };
    const shot = await load(url);
    let want;
    try {
      want = await load(`/headless/frame-${String(reference).padStart(6, '0')}.png`);
    } catch (e) {
      return { error: `cannot load headless frame ${reference}` };
    }
    if (shot.w !== want.w || shot.h !== want.h) return { width: shot.w, height: shot.h, differing: -1 };
    let differing = 0;
    for (let y = 0; y < shot.h; ++y)
      for (let x = 0; x < shot.w; ++x) {
        if (x < box.x + box.w && y < box.y + box.h) continue;
        const i = (y * shot.w + x) * 4;
        if (shot.data[i] !== want.data[i] || shot.data[i + 1] !== want.data[i + 1] || shot.data[i + 2] !== want.data[i + 2]) ++differing;
      }
    return { width: shot.w, height: shot.h, differing };
  }, 'data:image/png;base64,' + bytes.toString('base64'), reference, kFrameRateBox);
}

async function run(o, puppeteer, chromium) {
  const framesDir = path.join(o.work, 'headless');
  const downloads = path.join(o.work, 'downloads');
  for (const dir of [framesDir, downloads]) {
    fs.rmSync(dir, { recursive: true, force: true });
    fs.mkdirSync(dir, { recursive: true });
  }
  // The title with the pointer resting where the page's will, frames 1 to 80.
  const script = path.join(o.work, 'title.script');
  fs.writeFileSync(script, `1 move ${kPointer[0]} ${kPointer[1]}\n`);
  const made = await runHeadless(path.join(o.headless, 'quorbix-headless'), ['--frames', String(kTitleFrames),
    '--time', String(o.time), '--frames-dir', framesDir, '--dump', `1-${kTitleFrames}`, script]);
  check(!made.error, 'headless frames: ' + made.error);
  const server = await serve(path.resolve(o.pages), framesDir);
  const base = `http://127.0.0.1:${server.address().port}`;
  const problems = [];
  const browser = await launch(puppeteer, chromium);
  try {
    const nextDownload = await catchDownloads(browser, downloads);
    const page = await openPage(browser, problems);
    await page.goto(`${base}/index.html?time=${o.time}&lang=ja&arg=--trace&arg=/trace.jsonl`);
    await page.waitForFunction(() => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.presents > 0,
      { timeout: 15000, polling: 20 });
    const trace = new Trace(page);
    const [px, py] = await pagePoint(page, kPointer[0], kPointer[1]);
    await page.mouse.move(px, py);
    await trace.waitFor(f => f.mouse[0] === kPointer[0] && f.mouse[1] === kPointer[1], 3000,
      `the pointer did not reach client point ${kPointer}`);
    // Keys reach the program: A, held, shows in its key polling.
    await page.keyboard.down('KeyA');
    await trace.waitFor(f => f.last_key === kVkA, 3000, 'the A key did not reach the program');
    await page.keyboard.up('KeyA');
    await trace.settle(2);

    // F12: the frame the trace had last written when the key came is the one shown (the page's
    // handler takes the picture before this listener, in the same event).
    await page.evaluate(() => {
      window.addEventListener('keydown', e => {
        if (e.code !== 'F12') return;
        const FS = QuorbixPage.page.module.FS;
        const live = FS.readdir('/').find(n => n.startsWith('trace.jsonl.part-'));
        const lines = FS.readFile(live ? '/' + live : '/trace.jsonl', { encoding: 'utf8' }).trimEnd().split('\n');
        window.shotFrame = JSON.parse(lines[lines.length - 1]).frame;
      });
    });
    const framesBefore = (await trace.update()).length;
    await page.keyboard.down('F12');
    const byKey = await nextDownload();
    await trace.settle(3);   // held over frames, as A was
    await page.keyboard.up('F12');
    const shotFrame = await page.evaluate(() => window.shotFrame);
    check(byKey.state === 'completed', `F12's download was ${byKey.state}`);
    check(kName.test(byKey.name), `F12's download is named '${byKey.name}', not quorbix-YYYY-MM-DD-HHMMSS.png`);
    // The title's rows of balls blink every frame: past the runner's last frame, the frame of the same phase.
    const reference = shotFrame <= kTitleFrames ? shotFrame : kTitleFrames - (shotFrame - kTitleFrames) % 2;
    const cmp = await compareShot(page, byKey.bytes, reference);
    check(!cmp.error, cmp.error);
    check(cmp.width === kWidth && cmp.height === kHeight, `the PNG is ${cmp.width} x ${cmp.height}, not ${kWidth} x ${kHeight}`);
    figure('screenshot_pixels_differing', cmp.differing);
    if (cmp.differing !== 0) fs.writeFileSync(path.join(o.work, byKey.name), byKey.bytes);
    check(cmp.differing === 0, `F12's PNG (frame ${shotFrame}) differs from headless frame ${reference} in ` +
      `${cmp.differing} pixels; see ${path.join(o.work, byKey.name)}`);
    // The other phase differs: the comparison tells the frames apart.
    const other = await compareShot(page, byKey.bytes, reference === kTitleFrames ? reference - 1 : reference + 1);
    check(other.differing > 0, 'the title\'s two phases look the same: the comparison proves nothing');
    // Nor did F12 (down or up) reach the program's key polling.
    await trace.settle(3);
    const handed = (await trace.update()).slice(framesBefore).filter(f => f.last_key === kVkF12);
    check(handed.length === 0, `the program saw F12 in frame ${handed.length > 0 && handed[0].frame}`);

    // The button beside the full-screen one does the same.
    const button = await page.$('#shot');
    check(button && await button.isVisible(), 'no screenshot button on the page');
    await button.click();
    const byButton = await nextDownload();
    check(byButton.state === 'completed' && kName.test(byButton.name), `the button's download: '${byButton.name}' ${byButton.state}`);
    const shown = await compareShot(page, byButton.bytes, reference);
    check(shown.width === kWidth && shown.height === kHeight, `the button's PNG is ${shown.width} x ${shown.height}`);
    figure('screenshot_png_bytes', byKey.bytes.length);
  } catch (e) {
    throw withProblems(e, problems);
  } finally {
    await browser.close().catch(() => {});
    server.close();
  }
}

const o = parseOptions(process.argv.slice(2),
  'usage: node screenshot-test.cjs --pages DIR --modules NODE_MODULES_DIR --headless BIN_DIR' +
  ' --work WORK_DIR [--chromium PATH] [--time SECONDS]', { defaults: { time: 1000000000 } });
const { chromium, puppeteer } = browserOrSkip(o, ['index.html', 'quorbix.js', 'quorbix.wasm', 'quorbix.data', 'quorbix-page.js']);
runTest(120, () => run(o, puppeteer, chromium));
