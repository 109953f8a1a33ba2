// The pages on a phone, with a gamepad and in full screen: headless chromium driven by
// puppeteer-core, as a player's touches, a gamepad and the full-screen keys reach the programs.
//
//   node tests/web/phone-test.cjs --pages DIR --modules NODE_MODULES_DIR --headless BIN_DIR
//        --work WORK_DIR [--chromium PATH] [--time SECONDS] [--picture PNG]
//
// 1. The game in a 390 x 844 touch viewport (device scale 3): the whole canvas in view; a long
//    press and a two-finger tap each step the level, a tap starts a game and aimed taps pop a
//    ball, every touch landing on the client pixel it was aimed at; the page neither scrolls nor
//    zooms. Turned to landscape (844 x 390) it fits again, still exact. --picture writes the
//    portrait page during the game as a PNG at device scale 1 (the README's picture).
// 2. The gallery's input page with a gamepad stub behind navigator.getGamepads: what it shows
//    for a pad held, moved by the standard layout's pad, and pulled out, against the frames of
//    quorbix-gallery-headless given the same joystick by its script.
// 3. The gallery in full screen, entered and left by F11, Alt+Enter and the page's button: the
//    canvas re-fits each time and the pointer keeps landing on the pixel it points at.
// Exit status: 0 passed, 1 failed ("FAIL: reason"), 77 skipped (no chromium, no puppeteer-core
// or no built pages).
'use strict';

const fs = require('fs');
const path = require('path');
const { serve } = require('./page-server.cjs');
const { Failure, check, figure, sleep, parseOptions, runTest, runHeadless,
  browserOrSkip, launch, watch, Trace, compareWithHeadless, canvasBox, pagePoint } = require('./page-kit.cjs');

const kSceneTitle = 2, kScenePlay = 1;
const kPortrait = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true, isLandscape: false };
const kLandscape = { ...kPortrait, width: 844, height: 390, isLandscape: true };
// The gallery's joystick, as its headless script and the stub both give it.
const kHeldFrame = 80, kUnpluggedFrame = 100;
const kGalleryScript = ['0 joy 0 32767 32767 0', '1 move 300 330', '2 rdown', '3 rup',
  '10 joy 0 65535 0 5', '90 joy-off 0', ''].join('\n');
const kInputPage = 36;   // the gallery's last page, one right click back from the first

// The gallery's frames with the joystick of kGalleryScript, in WORK/gallery-frames.
function makeGalleryFrames(binDir, workDir, time) {
  const framesDir = path.join(workDir, 'gallery-frames');
  fs.rmSync(framesDir, { recursive: true, force: true });
  fs.mkdirSync(framesDir, { recursive: true });
  const script = path.join(workDir, 'gallery-joystick.script');
  fs.writeFileSync(script, kGalleryScript);
  return runHeadless(path.join(binDir, 'quorbix-gallery-headless'), ['--frames', String(kUnpluggedFrame),
    '--time', String(time), '--frames-dir', framesDir, '--dump', `${kHeldFrame},${kUnpluggedFrame}`, script])
    .then(r => (r.error ? r : { framesDir }));
}

// ------------------------------------------------------------------------------ touches
// Touches go through the browser's own input path, as a phone's would.
class Fingers {
  constructor(cdp) { this.cdp = cdp; }
  down(points) {
    return this.cdp.send('Input.dispatchTouchEvent', { type: 'touchStart',
      touchPoints: points.map(([x, y], i) => ({ x, y, id: i + 1, radiusX: 2, radiusY: 2, force: 1 })) });
  }
  move(points) {
    return this.cdp.send('Input.dispatchTouchEvent', { type: 'touchMove',
      touchPoints: points.map(([x, y], i) => ({ x, y, id: i + 1, radiusX: 2, radiusY: 2, force: 1 })) });
  }
  up() { return this.cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] }); }
  async tap(x, y) {
    await this.down([[x, y]]);
    await sleep(60);
    await this.up();
  }
}

// The canvas fits the viewport whole, with the picture's exact proportions, and is as large as
// the viewport allows within one step of 4 x 3 CSS pixels (or a whole scale with its margin).
async function checkFit(page, what) {
  const r = await canvasBox(page);
  figure(`canvas_${what}`, `${r.width}x${r.height}+${r.left}+${r.top}`);
  check(r.left >= 0 && r.top >= 0 && r.right <= r.viewWidth && r.bottom <= r.viewHeight,
    `${what}: the canvas (${r.width} x ${r.height} at ${r.left}, ${r.top}) is not inside the ${r.viewWidth} x ` +
    `${r.viewHeight} viewport`);
  check(r.width * r.canvasHeight === r.height * r.canvasWidth,
    `${what}: the canvas is shown ${r.width} x ${r.height}, not in the picture's proportions`);
  check(Number.isInteger(r.width) && Number.isInteger(r.height), `${what}: the canvas has a fractional size ${r.width} x ${r.height}`);
  const largest = Math.min(r.viewWidth, r.viewHeight * r.canvasWidth / r.canvasHeight);
  check(r.width >= r.canvasWidth || r.width > largest - 4,
    `${what}: the canvas is ${r.width} wide where ${Math.floor(largest)} would fit`);
  return r;
}

// A tap on each client point: the game's mouse point as the next frames see it is that point.
async function checkTapsLand(page, trace, fingers, points, what) {
  for (const [x, y] of points) {
    const [px, py] = await pagePoint(page, x, y);
    await fingers.tap(px, py);
    await trace.waitFor(f => f.mouse[0] === x && f.mouse[1] === y, 3000,
      `${what}: a tap on client point (${x}, ${y}) (page ${px.toFixed(2)}, ${py.toFixed(2)}) did not land there ` +
      `(the game saw ${JSON.stringify(trace.last() && trace.last().mouse)})`);
  }
}

async function noScrollOrZoom(page, what) {
  const v = await page.evaluate(() => ({ x: scrollX, y: scrollY, scale: visualViewport.scale,
    top: document.scrollingElement.scrollTop, selected: String(getSelection()) }));
  check(v.x === 0 && v.y === 0 && v.top === 0, `${what}: the page scrolled to ${v.x}, ${v.y}`);
  check(v.scale === 1, `${what}: the page zoomed to ${v.scale}`);
  check(v.selected === '', `${what}: a touch selected '${v.selected}'`);
}

// ------------------------------------------------------------------------------ 1. the phone
async function phone(browser, base, o) {
  const page = await browser.newPage();
  const problems = watch(page, { reasons: false, http: false });
  await page.setViewport(kPortrait);
  await page.goto(`${base}/index.html?time=${o.time}&lang=ja&arg=--trace&arg=/trace.jsonl`);
  await page.waitForFunction(() => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.presents > 0,
    { timeout: 15000, polling: 20 }).catch(() => { throw new Failure('the phone page showed no frame within 15 s'); });
  const trace = new Trace(page);
  const fingers = new Fingers(await page.createCDPSession());
  const first = await trace.waitFor(() => true, 3000, 'no trace line on the phone');
  check(first.scene === kSceneTitle && first.level === 1, 'the phone page does not start on the title at level 1');
  await checkFit(page, 'portrait');

  // A long press steps the level; the finger's point is the game's.
  const [cx, cy] = await pagePoint(page, 240, 180);
  await fingers.down([[cx, cy]]);
  await sleep(800);
  await fingers.up();
  const pressed = await trace.waitFor(f => f.right_click === 1, 3000, 'a long press gave no right click');
  check(pressed.mouse[0] === 240 && pressed.mouse[1] === 180, `the long press landed at ${pressed.mouse}, not 240,180`);
  let now = await trace.settle(2);
  check(now.level === 2 && now.scene === kSceneTitle, `after a long press the title is at level ${now.level}, scene ${now.scene}`);

  // A two-finger tap steps it again.
  const [ax, ay] = await pagePoint(page, 200, 180), [bx, by] = await pagePoint(page, 280, 180);
  await fingers.down([[ax, ay], [bx, by]]);
  await sleep(80);
  await fingers.up();
  await trace.waitFor(f => f.right_click === 1, 3000, 'a two-finger tap gave no right click');
  now = await trace.settle(2);
  check(now.level === 3 && now.scene === kSceneTitle, `after a two-finger tap the title is at level ${now.level}, scene ${now.scene}`);
  figure('phone_level_after_gestures', now.level);

  // A tap starts a game; aimed taps pop a ball.
  await fingers.tap(cx, cy);
  await trace.waitFor(f => f.scene === kScenePlay, 3000, 'a tap on the title did not start a game');
  await trace.settle(2);
  if (o.picture) {
    // The README's picture: the phone's page at device scale 1, balls in view.
    await page.setViewport({ ...kPortrait, deviceScaleFactor: 1 });
    await trace.settle(25);   // the frame-rate figure over a second of its own
    await trace.waitFor(f => f.balls.filter(b => b[2] && b[0] > 20 && b[0] < 460 && b[1] > 40 && b[1] < 340).length >= 8,
      5000, 'no balls in view for the picture');
    await page.screenshot({ path: o.picture, type: 'png' });
    await page.setViewport(kPortrait);
    await trace.settle(2);
  }
  let popped = null, attempts = 0;
  for (; attempts < 15 && !popped; ++attempts) {
    const frames = await trace.update();
    const last = frames[frames.length - 1], prev = frames[frames.length - 2];
    if (last.scene !== kScenePlay) break;
    let aim = null;
    last.balls.forEach((b, i) => {
      if (aim || !b[2] || b[0] < 30 || b[0] > 450 || b[1] < 40 || b[1] > 330) return;
      const p = prev.balls[i];
      let vx = b[0] - p[0], vy = b[1] - p[1];
      if (Math.hypot(vx, vy) > 30) vx = vy = 0;   // a new wave was laid out
      // A tap's click comes as the finger lifts, a frame or so after the last frame read.
      aim = [Math.round(b[0] + vx), Math.round(b[1] + vy)];
    });
    if (!aim) { await trace.settle(1); continue; }
    const [px, py] = await pagePoint(page, aim[0], aim[1]);
    await fingers.tap(px, py);
    const seen = await trace.waitFor(f => f.left_click === 1, 2000, 'an aimed tap did not reach the game');
    check(seen.mouse[0] === aim[0] && seen.mouse[1] === aim[1], `a tap aimed at ${aim} landed at ${seen.mouse}`);
    if (seen.score !== last.score) popped = seen;
  }
  figure('phone_pop_attempts', attempts);
  check(popped, `${attempts} aimed taps popped no ball`);

  // The corners land exactly too. A finger that wanders drags with the left button down and
  // ends where it lifted; neither that swipe nor a pinch moves or zooms the page.
  await checkTapsLand(page, trace, fingers, [[0, 0], [479, 359], [479, 0], [0, 359]], 'portrait');
  const swipe = [];
  for (let i = 0; i <= 5; ++i) swipe.push(await pagePoint(page, 240, 300 - 40 * i));
  await fingers.down([swipe[0]]);
  for (const p of swipe.slice(1)) await fingers.move([p]);
  await fingers.up();
  await trace.waitFor(f => f.mouse[0] === 240 && f.mouse[1] === 100, 3000, 'a swipe did not end where the finger lifted');
  const cdp = await page.createCDPSession();
  await cdp.send('Input.synthesizePinchGesture', { x: cx, y: cy, scaleFactor: 2.5, gestureSourceType: 'touch' });
  await sleep(200);
  await noScrollOrZoom(page, 'portrait');

  // Turned to landscape: fitted again, every touch still exact. The portrait picture already lies
  // within the landscape viewport, so the wait is for the page's own re-fit, which changes its
  // width; checkFit says what is wrong if it never comes.
  const portraitWidth = await page.evaluate(() => document.getElementById('screen').getBoundingClientRect().width);
  await page.setViewport(kLandscape);
  await page.waitForFunction(w => innerWidth > innerHeight &&
      document.getElementById('screen').getBoundingClientRect().width !== w,
    { timeout: 3000, polling: 20 }, portraitWidth).catch(() => {});
  await checkFit(page, 'landscape');
  await checkTapsLand(page, trace, fingers, [[0, 0], [479, 359], [240, 180], [17, 301]], 'landscape');
  await noScrollOrZoom(page, 'landscape');
  check(problems.length === 0, 'the phone page had: ' + problems.join('; '));
  await page.close();
}

// ------------------------------------------------------------------------------ 2 and 3. the gallery
async function expectFrame(page, frame, what, work) {
  const cmp = await compareWithHeadless(page, { frame });
  check(!cmp.error, `${what}: ${cmp.error}`);
  figure(`gallery_pixels_differing_${what.replace(/\W+/g, '_')}`, cmp.differing);
  if (cmp.differing !== 0) {
    const shot = path.join(work, `gallery-${what.replace(/\W+/g, '-')}.png`);
    fs.writeFileSync(shot, Buffer.from(cmp.shownUrl.split(',')[1], 'base64'));
    throw new Failure(`${what}: the input page differs from headless frame ${frame} in ${cmp.differing} pixels; ` +
      `see ${shot} and ${path.join(work, 'gallery-frames', `frame-${String(frame).padStart(6, '0')}.png`)}`);
  }
}

// A pad for the stub: axes and the pressed buttons' numbers (the standard layout has 17).
function pad(index, axes, pressed) {
  return { id: 'stub pad', index, connected: true, mapping: 'standard', timestamp: 1, axes,
    buttons: Array.from({ length: 17 }, (_, b) => ({ pressed: pressed.includes(b), touched: false, value: pressed.includes(b) ? 1 : 0 })) };
}

async function gallery(browser, base, o, made) {
  const page = await browser.newPage();
  const problems = watch(page, { reasons: false, http: false });
  await page.setViewport({ width: 960, height: 720 });
  // The stub answers navigator.getGamepads with window.stubPads, as the test sets it; a pad at
  // rest is there from the start, as the headless script's frame 0 has it.
  await page.evaluateOnNewDocument(() => {
    window.stubPads = [];
    Object.defineProperty(Navigator.prototype, 'getGamepads', { configurable: true, value: () => window.stubPads.slice() });
  });
  await page.evaluateOnNewDocument(`window.stubPads = [${JSON.stringify(pad(0, [0, 0, 0, 0], []))}];`);
  await page.goto(`${base}/quorbix-gallery.html?time=${o.time}&arg=--trace&arg=/trace.jsonl`);
  await page.waitForFunction(() => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.presents > 0,
    { timeout: 15000, polling: 20 }).catch(() => { throw new Failure('the gallery showed no frame within 15 s'); });
  const trace = new Trace(page);
  await trace.waitFor(() => true, 3000, 'no trace line from the gallery');

  // 2. One right click back to the input page; the pad held right and forward with buttons 1
  // and 3, as the second connected gamepad of the browser (the first place empty).
  const [px, py] = await pagePoint(page, 300, 330);
  await page.mouse.click(px, py, { button: 'right' });
  await trace.waitFor(f => f.page === kInputPage, 3000, 'a right click did not reach the input page');
  check(!made.error, 'headless gallery frames: ' + made.error);
  const hold = async (pads, what, frame) => {
    await page.evaluate(p => { window.stubPads = p; }, pads);
    await trace.settle(45);   // the ramps and hold timers reach their ends within two seconds
    await expectFrame(page, frame, what, o.work);
  };
  await hold([null, pad(1, [1, -1, 0, 0], [0, 2])], 'pad held', kHeldFrame);
  // The standard layout's pad (right and up) moves the stick as far as the stick itself.
  await hold([pad(0, [0, 0, 0, 0], [0, 2, 15, 12])], 'pad moved by its pad', kHeldFrame);
  // Pulled out while the page runs.
  await hold([], 'pad pulled out', kUnpluggedFrame);

  // 3. Full screen: F11, Alt+Enter and the page's button. Outside it the 960 x 720 viewport
  // keeps the canvas at 1 (its margin), in full screen at 2; the pointer lands exactly in both.
  const mapping = async what => {
    for (const [x, y] of [[0, 0], [479, 359], [123, 234]]) {
      const [mx, my] = await pagePoint(page, x, y);
      await page.mouse.move(mx, my);
      await trace.waitFor(f => f.mouse[0] === x && f.mouse[1] === y, 3000,
        `${what}: the pointer on client point (${x}, ${y}) did not land there`);
    }
  };
  const fullScreen = async (want, how, action) => {
    await action();
    await page.waitForFunction(w => !!document.fullscreenElement === w, { timeout: 3000, polling: 20 }, want)
      .catch(() => { throw new Failure(`${how} did not ${want ? 'enter' : 'leave'} the full screen`); });
    await page.waitForFunction(w => document.getElementById('screen').getBoundingClientRect().width === w,
      { timeout: 3000, polling: 20 }, want ? 960 : 480)
      .catch(async () => { throw new Failure(`${how}: the canvas is ${(await canvasBox(page)).width} wide, not ${want ? 960 : 480}`); });
    await mapping(how);
  };
  await mapping('before full screen');
  const lastKeyBefore = trace.last().last_key;
  await fullScreen(true, 'F11', () => page.keyboard.press('F11'));
  await fullScreen(false, 'Alt+Enter', async () => {
    await page.keyboard.down('Alt');
    await page.keyboard.press('Enter');
    await page.keyboard.up('Alt');
  });
  const button = await page.$('#full');
  check(button && await button.isVisible(), 'the page has no full-screen button');
  await fullScreen(true, 'the full-screen button', () => button.click());
  await fullScreen(false, 'F11 in full screen', () => page.keyboard.press('F11'));
  // The switch's keys are the page's: the program saw neither.
  const keys = trace.frames.map(f => f.last_key).filter(k => k !== 0 && k !== lastKeyBefore && k !== 18);
  check(keys.length === 0, `the program saw the full-screen keys: ${[...new Set(keys)]}`);
  check(problems.length === 0, 'the gallery had: ' + problems.join('; '));
  await page.close();
}

async function run(o, puppeteer, chromium) {
  const started = Date.now();
  fs.mkdirSync(o.work, { recursive: true });
  const made = makeGalleryFrames(o.headless, o.work, o.time);
  const server = await serve(path.resolve(o.pages), path.join(o.work, 'gallery-frames'));
  const base = `http://127.0.0.1:${server.address().port}`;
  let browser;
  try {
    browser = await launch(puppeteer, chromium);
    await phone(browser, base, o);
    await gallery(browser, base, o, await made);
    figure('seconds', ((Date.now() - started) / 1000).toFixed(1));
  } finally {
    if (browser) await browser.close().catch(() => {});
    server.close();
  }
}

async function main() {
  const o = parseOptions(process.argv.slice(2),
    'usage: node phone-test.cjs --pages DIR --modules NODE_MODULES_DIR --headless BIN_DIR' +
    ' --work WORK_DIR [--chromium PATH] [--time SECONDS] [--picture PNG]',
    { defaults: { time: 1000000000, picture: null } });
  const { chromium, puppeteer } = browserOrSkip(o, ['index.html', 'quorbix.js', 'quorbix-gallery.html', 'quorbix-page.js']);
  await runTest(150, () => run(o, puppeteer, chromium));
}

main();
