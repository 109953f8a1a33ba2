// A page built outside this tree against the installed web SDK (examples/outside's first scene),
// loaded in headless chromium from a local server: it draws its menu, a left click takes it to
// the counting scene, which draws the sprite sheet packed beside the program, and nothing goes
// wrong on the way (no console or page error, no failed request, no message box).
//
//   node tests/web/sdk-page-test.cjs --pages DIR --page NAME.html --modules NODE_MODULES_DIR
//        [--chromium PATH]
//
// Exit status: 0 passed, 1 failed (a "FAIL: reason" line says why), 77 skipped (no chromium or
// no puppeteer-core).
'use strict';

const fs = require('fs');
const path = require('path');
const { serve } = require('./page-server.cjs');
const { Failure, check, figure, sleep, fail, parseOptions, runTest, browserOrSkip, launch, openPage } = require('./page-kit.cjs');

const kWidth = 480;
const kHeight = 360;
const kClick = [100, 100];

// Non-black pixels of the canvas in the rows [y0, y1), leaving out a box around the pointer
// (where the crosshair is drawn in every scene).
async function litPixels(page, y0, y1) {
  return page.evaluate((y0, y1, W, H, px, py) => {
    const canvas = document.getElementById('screen');
    if (canvas.width !== W || canvas.height !== H) return -1;
    const d = canvas.getContext('2d').getImageData(0, 0, W, H).data;
    let lit = 0;
    for (let y = y0; y < y1; ++y) {
      for (let x = 0; x < W; ++x) {
        if (Math.abs(x - px) <= 16 && Math.abs(y - py) <= 16) continue;
        const i = (y * W + x) * 4;
        if (d[i] || d[i + 1] || d[i + 2]) ++lit;
      }
    }
    return lit;
  }, y0, y1, kWidth, kHeight, kClick[0], kClick[1]);
}

async function run(o, puppeteer, chromium) {
  const server = await serve(path.resolve(o.pages), path.resolve(o.pages));
  const base = `http://127.0.0.1:${server.address().port}`;
  const problems = [];
  let browser;
  try {
    browser = await launch(puppeteer, chromium);
    const page = await openPage(browser, problems);

    await page.goto(`${base}/${o.page}`);
    await page.waitForFunction(() => typeof QuorbixPage !== 'undefined' && QuorbixPage.page.presents > 3,
      { timeout: 15000, polling: 50 }).catch(() => { throw new Failure(`no frames within 15 s of loading ${o.page}`); });
    const state = async () => page.evaluate(() => ({ exited: QuorbixPage.page.exited, stderr: QuorbixPage.page.stderr,
      box: !document.getElementById('box').hidden, boxText: document.querySelector('#box .text').textContent,
      presents: QuorbixPage.page.presents }));
    let s = await state();
    check(!s.box, `a message box is open: ${s.boxText}`);
    check(s.exited === null, `the program ended with status ${s.exited}: ${s.stderr.join(' / ')}`);
    // The menu: its prompt across the middle rows, nothing yet where the counting scene writes.
    const menuText = await litPixels(page, 150, 200);
    check(menuText > 0, 'the menu drew nothing: the canvas is blank');
    check(await litPixels(page, 318, 334) === 0, 'the menu drew where only the counting scene writes');

    // A left click: the counting scene, whose line of text proves the change of scene and whose
    // moving sprite comes from the packed CHARA.
    const b = await page.evaluate(() => {
      const r = document.getElementById('screen').getBoundingClientRect();
      return { left: r.left, top: r.top, width: r.width, height: r.height };
    });
    await page.mouse.click(b.left + (kClick[0] + 0.5) * b.width / kWidth, b.top + (kClick[1] + 0.5) * b.height / kHeight);
    const end = Date.now() + 5000;
    while (await litPixels(page, 318, 334) === 0) {
      check(Date.now() < end, 'the left click did not take the page to the counting scene within 5 s');
      await sleep(50);
    }
    const sprite = await litPixels(page, 156, 204);
    check(sprite > 0, 'the counting scene drew no sprite');
    s = await state();
    check(!s.box, `a message box is open: ${s.boxText}`);
    check(s.exited === null, `the program ended with status ${s.exited}: ${s.stderr.join(' / ')}`);
    figure('presents', s.presents);
    await sleep(100);
    check(problems.length === 0, [...new Set(problems)].join('; '));
  } finally {
    if (browser) await browser.close().catch(() => {});
    server.close();
  }
}

async function main() {
  const o = parseOptions(process.argv.slice(2),
    'usage: node sdk-page-test.cjs --pages DIR --page NAME.html --modules NODE_MODULES_DIR [--chromium PATH]',
    { showUsage: false });
  const { chromium, puppeteer } = browserOrSkip(o, []);
  if (!fs.existsSync(path.join(o.pages, o.page))) fail(`${path.join(o.pages, o.page)} was not written`);
  await runTest(60, () => run(o, puppeteer, chromium));
}

main();
