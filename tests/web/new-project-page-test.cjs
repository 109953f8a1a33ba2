// quorbix-new's project as a page (docs/framework.md, "The game as a page"), built outside this
// tree against the web SDK, loaded in headless chromium from a local server with its trace on:
// the ball crosses the canvas, the space bar held holds it still, a click on it scores, and
// nothing goes wrong on the way (no console or page error, no failed request, no message box).
//
//   node tests/web/new-project-page-test.cjs --pages DIR --page NAME.html --modules NODE_MODULES_DIR
//        [--chromium PATH]
//
// Exit status: 0 passed, 1 failed (a "FAIL: reason" line says why), 77 skipped (no chromium or
// no puppeteer-core).
'use strict';

const fs = require('fs');
const path = require('path');
const { serve } = require('./page-server.cjs');
const { check, figure, sleep, fail, parseOptions, runTest, browserOrSkip, launch, openPage, withProblems, Trace,
  pagePoint } = require('./page-kit.cjs');

const kBallY = 200;      // the ball's top, 48 pixels high and wide
const kBallSize = 48;

async function run(o, puppeteer, chromium) {
  const server = await serve(path.resolve(o.pages), path.resolve(o.pages));
  const base = `http://127.0.0.1:${server.address().port}`;
  const problems = [];
  let browser;
  try {
    browser = await launch(puppeteer, chromium);
    const page = await openPage(browser, problems);
    await page.goto(`${base}/${o.page}?arg=--trace&arg=/trace.jsonl`);
    const trace = new Trace(page);
    const first = await trace.waitFor(f => 'ball_x' in f, 15000, `no frame of the game's trace from ${o.page}`);
    const state = async () => page.evaluate(() => ({ exited: QuorbixPage.page.exited, stderr: QuorbixPage.page.stderr,
      box: !document.getElementById('box').hidden, boxText: document.querySelector('#box .text').textContent,
      width: document.getElementById('screen').width, height: document.getElementById('screen').height }));
    let s = await state();
    check(s.width === 640 && s.height === 480, `the canvas is ${s.width} x ${s.height}, not the game's 640 x 480`);
    check(!s.box, `a message box is open: ${s.boxText}`);
    check(s.exited === null, `the program ended with status ${s.exited}: ${s.stderr.join(' / ')}`);

    // The ball moves on its own; held still while the space bar is down.
    await trace.waitFor(f => f.ball_x !== first.ball_x, 5000, 'the ball did not move');
    await page.keyboard.down('Space');
    await trace.settle(3);
    const held = (await trace.settle(1)).ball_x;
    const still = await trace.settle(5);
    check(still.ball_x === held, `the ball moved from x ${held} to ${still.ball_x} with the space bar held`);

    // A click on the ball's middle scores.
    const [px, py] = await pagePoint(page, held + kBallSize / 2, kBallY + kBallSize / 2);
    await page.mouse.click(px, py);
    await trace.waitFor(f => f.score === 1, 3000, 'a click on the ball did not score');
    await page.keyboard.up('Space');
    await trace.waitFor(f => f.ball_x !== held, 3000, 'the ball did not move on once the space bar was let go');

    s = await state();
    check(!s.box, `a message box is open: ${s.boxText}`);
    check(s.exited === null, `the program ended with status ${s.exited}: ${s.stderr.join(' / ')}`);
    check(s.stderr.length === 0, 'the page said: ' + s.stderr.join(' / '));
    figure('frames', trace.frames.length);
    await sleep(100);
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
    'usage: node new-project-page-test.cjs --pages DIR --page NAME.html --modules NODE_MODULES_DIR [--chromium PATH]',
    { showUsage: false });
  const { chromium, puppeteer } = browserOrSkip(o, []);
  if (!fs.existsSync(path.join(o.pages, o.page))) fail(`${path.join(o.pages, o.page)} was not written`);
  await runTest(60, () => run(o, puppeteer, chromium));
}

main();
