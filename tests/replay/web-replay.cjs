// A recorded session replayed by a headless runner built for WebAssembly (PROGRAM, the game's or the
// gallery's), in headless chromium (tests/replay/portable.sh web calls this): RUNNER_DIR
// (build-web/replay) is served locally, its page runs the runner with --check, and what it wrote
// comes back into OUT_DIR as the desktop runner writes it: trace.jsonl, sound.wav and log (standard
// error), the status in status.
//
//   node tests/replay/web-replay.cjs --runner RUNNER_DIR --program PROGRAM --session FILE --out OUT_DIR
//        --modules NODE_MODULES_DIR [--chromium PATH]
// Exit status: 0 the runner ran (its own status is in OUT_DIR/status), 1 failed, 77 skipped.
'use strict';

const fs = require('fs');
const path = require('path');
const { serve } = require('../web/page-server.cjs');
const { Failure, parseOptions, launch, watch } = require('../web/page-kit.cjs');

const usage = 'usage: web-replay.cjs --runner RUNNER_DIR --program PROGRAM --session FILE --out OUT_DIR --modules NODE_MODULES_DIR [--chromium PATH]';

async function main() {
  const o = parseOptions(process.argv.slice(2), usage);
  const chromium = o.chromium || ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find(p => fs.existsSync(p));
  if (!chromium) { console.log('no chromium'); process.exit(77); }
  let puppeteer;
  try {
    puppeteer = require(path.resolve(o.modules, 'puppeteer-core'));
  } catch (e) {
    console.log(`no puppeteer-core in ${o.modules}`);
    process.exit(77);
  }
  const session = fs.readFileSync(o.session, 'utf8');
  const server = await serve(o.runner, o.runner);
  const browser = await launch(puppeteer, chromium);
  try {
    const page = await browser.newPage();
    const problems = [];
    watch(page, { problems });
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html?program=${o.program}`, { waitUntil: 'load' });
    const outputs = ['/work/trace.jsonl', '/work/sound.wav'];
    const got = await page.evaluate((s, outs) => replay(s, ['--check', '/work/session.txt', '--trace', outs[0],
      '--audio', outs[1]], outs), session, outputs);
    if (problems.length) throw new Failure('on the page: ' + problems.join('; '));
    fs.mkdirSync(o.out, { recursive: true });
    fs.writeFileSync(path.join(o.out, 'log'), got.stderr + '\n');
    fs.writeFileSync(path.join(o.out, 'status'), `${got.status}\n`);
    for (const [name, data] of Object.entries(got.files)) {
      if (data !== null) fs.writeFileSync(path.join(o.out, path.basename(name)), Buffer.from(data, 'base64'));
    }
    console.log(`the runner ran in chromium for ${(got.ms / 1000).toFixed(1)} s, status ${got.status}`);
    return got.status;
  } finally {
    await browser.close();
    server.close();
  }
}

main().then(status => process.exit(status === 0 ? 0 : 2), e => {
  console.log('FAIL: ' + (e instanceof Failure ? e.message : (e && e.stack) || e));
  process.exit(1);
});
