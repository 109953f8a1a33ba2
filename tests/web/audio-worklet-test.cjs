// The page's sound output (platform/web/page/quorbix-audio.js) under node: its queue of posted
// blocks, kept to the program's clock and played through render quanta as the browser asks for
// them, with a stand-in for the browser's worklet base class.
//
//   node tests/web/audio-worklet-test.cjs
//
// Exit status 0 passed, 1 failed (a "FAIL: reason" line says why).
'use strict';

const assert = require('assert');
const fs = require('fs');
const path = require('path');
const vm = require('vm');

const kQuantum = 128;   // frames the browser asks for per call
const source = path.join(__dirname, '../../platform/web/page/quorbix-audio.js');

// The worklet's class, loaded as the browser's worklet scope would load it.
function loadOutputClass() {
  const registered = {};
  const scope = {
    AudioWorkletProcessor: class {
      constructor() {
        this.reports = [];
        this.port = { postMessage: m => this.reports.push(m) };
      }
    },
    registerProcessor: (name, cls) => { registered[name] = cls; },
  };
  vm.runInNewContext(fs.readFileSync(source, 'utf8'), scope, { filename: source });
  assert.ok(registered['quorbix-output'], 'the script registers no quorbix-output processor');
  return registered['quorbix-output'];
}
const Output = loadOutputClass();

// A block of `frames` stereo frames whose samples say where they come from: left is
// (block + frame / 1000) / 100, right its negative, so any sample names its block and frame.
function block(number, frames) {
  const b = new Float32Array(frames * 2);
  for (let f = 0; f < frames; ++f) {
    b[2 * f] = (number + f / 1000) / 100;
    b[2 * f + 1] = -b[2 * f];
  }
  return b;
}
// [block, frame] of a left sample made by block(), or null for silence.
function origin(sample) {
  if (sample === 0) return null;
  const v = Math.round(sample * 100 * 1000);
  return [Math.floor(v / 1000), v % 1000];
}

// Posts a block made by block() at its place `at` on the program's clock, the clock at `now`
// (unless given, far behind it: a program on time posts ahead of its clock), in the first part (the
// sound effects) unless given.
function post(node, frames, at, now = 0, part = 0, lost = false) {
  node.port.onmessage({ data: { part, frames, at, now, lost } });
}
// Renders `quanta` render quanta; the left and right samples, concatenated.
function render(node, quanta) {
  const left = [], right = [];
  for (let q = 0; q < quanta; ++q) {
    const out = [new Float32Array(kQuantum), new Float32Array(kQuantum)];
    assert.strictEqual(node.process([], [out]), true, 'process() asked to be stopped');
    left.push(...out[0]);
    right.push(...out[1]);
  }
  return { left, right };
}
// A block of `frames` frames of one constant sample.
function constant(value, frames) { return new Float32Array(frames * 2).fill(value); }

const tests = {
  // Blocks longer and shorter than a quantum play back to back, left and right in their places,
  // then silence: a part short of frames, counted, but no sound known lost yet.
  'blocks play in order, whole, then silence': () => {
    const node = new Output();
    post(node, block(1, 100), 5000);
    post(node, block(2, 200), 5100);
    const { left, right } = render(node, 3);
    for (let i = 0; i < 300; ++i) {
      const want = i < 100 ? [1, i] : [2, i - 100];
      assert.deepStrictEqual(origin(left[i]), want, `sample ${i}`);
      assert.strictEqual(right[i], -left[i], `right sample ${i}`);
    }
    assert.ok(left.slice(300).every(s => s === 0), 'silence after the last block');
    assert.strictEqual(node.parts[0].short, 1);
    assert.strictEqual(node.underruns, 0);
  },

  // The program was away past its lead: the output ran short, and what it then posts for the
  // time already gone is dropped, so the sound after the gap is as close to its frames as before
  // it (played late, every later sound would be late by the gap for good). What was dropped was
  // sound: the gap's quanta were heard.
  'after a gap, what came late plays only from the present on': () => {
    const node = new Output();
    post(node, block(1, 256), 0);
    render(node, 2);                       // plays 0-255
    render(node, 3);                       // 384 frames of silence: the clock is at 640
    assert.strictEqual(node.parts[0].short, 3);
    post(node, block(2, 512), 256, 512);   // 256-767, posted late
    const { left } = render(node, 1);
    assert.deepStrictEqual(origin(left[0]), [2, 384], 'the first sample after the gap is the one due now');
    assert.deepStrictEqual(origin(left[127]), [2, 511]);
    assert.strictEqual(node.position, 768);
    assert.strictEqual(node.underruns, 3, 'the gap lost sound');
    assert.strictEqual(node.parts[0].heard, 3);
  },

  // A gap in a part with nothing to play meanwhile (the sound effects between two sounds) is no
  // gap in the output: what came late was silence. Nor is one whose sound came in time in the
  // other part, which plays through it.
  'a gap that lacked only silence is not heard': () => {
    const node = new Output();
    post(node, constant(0.25, 1024), 0, 0, 1);   // the music, far ahead
    post(node, constant(0, 128), 0);
    render(node, 4);                              // the effects short in three quanta
    assert.strictEqual(node.parts[0].short, 3);
    post(node, constant(0, 512), 128, 512);       // came late, and silent
    const { left } = render(node, 1);
    assert.ok(left.every(s => s === 0.25), 'the music plays through the effects\' gap');
    assert.strictEqual(node.underruns, 0);
    assert.strictEqual(node.parts[1].short, 0);
  },

  // The program says when it did not post sound whose time had passed (the page's thread was away
  // for longer than the block it would have been in): that gap was heard too.
  'sound the program did not post counts as heard': () => {
    const node = new Output();
    post(node, constant(0.5, 128), 0);
    render(node, 3);
    post(node, constant(0.5, 128), 384, 384, 0, true);
    render(node, 1);
    assert.strictEqual(node.underruns, 2);
  },

  // The two parts are added, each at its place, and clipped at full scale.
  'the parts are added at their places': () => {
    const node = new Output();
    post(node, constant(0.75, 512), 0, 0, 1);
    post(node, constant(0.5, 64), 0);
    post(node, constant(-0.25, 64), 64);
    const { left, right } = render(node, 1);
    assert.ok(left.slice(0, 64).every(s => s === 1) && right.slice(0, 64).every(s => s === 1), 'clipped at full scale');
    assert.ok(left.slice(64).every(s => s === 0.5), 'the second block added');
  },

  // The output started after the program had posted (blocks waiting on the page until the
  // browser's sound ran): it catches up with the clock the program gives, skipping what is past.
  'an output behind the program catches up': () => {
    const node = new Output();
    post(node, block(1, 300), 1000, 1200);
    const { left } = render(node, 1);
    assert.deepStrictEqual(origin(left[0]), [1, 200]);
    assert.deepStrictEqual(origin(left[99]), [1, 299]);
    assert.ok(left.slice(100).every(s => s === 0), 'silence after the block');
  },

  // A block whose place is still to come waits for it (the other part keeps the clock), the part
  // short of frames meanwhile and after it.
  'a block ahead of the output waits for its place': () => {
    const node = new Output();
    post(node, block(1, 128), 0);
    render(node, 1);
    post(node, block(2, 128), 200);
    const { left } = render(node, 2);
    assert.ok(left.slice(0, 72).every(s => s === 0), 'silence until its place');
    assert.deepStrictEqual(origin(left[72]), [2, 0]);
    assert.strictEqual(node.position, 384);
    assert.strictEqual(node.parts[0].short, 2);
  },

  // A program that ran ahead overfills a part's queue past a second: the oldest blocks go, the
  // one playing among them, and the place still keeps to the clock.
  'a part that ran a second ahead loses its oldest blocks': () => {
    const node = new Output();
    post(node, block(0, 300), 0);
    render(node, 1);   // 128 frames into block 0
    for (let n = 1; n <= 148; ++n) post(node, block(n, 300), 300 * n, 128);   // 172 + 148 * 300 frames: too many
    assert.strictEqual(node.parts[0].queue.length, 147, 'blocks 0 and 1 dropped');
    const { left } = render(node, 5);
    assert.ok(left.slice(0, 472).every(s => s === 0), 'the dropped blocks\' places are silence');
    for (let i = 472; i < 5 * kQuantum; ++i)
      assert.deepStrictEqual(origin(left[i]), [2, i - 472], `sample ${i} after the drop`);
  },

  // The reports say which place on the program's clock the output played, at which time of its
  // own clock: the pop's delay is measured with them. A gap moves the place on: the clock runs.
  'reports carry the place on the clock': () => {
    const node = new Output();
    post(node, block(1, 4096), 10000);
    render(node, 32);   // 4096 frames: one report, made with the last quantum, from its start
    assert.strictEqual(node.reports.length, 1);
    assert.strictEqual(node.reports[0].position, 10000 + 4096 - 128);
    assert.deepStrictEqual(Array.from(node.reports[0].short), [0, 0]);
    post(node, block(2, 64), 14096);
    render(node, 32);
    const last = node.reports[node.reports.length - 1];
    assert.strictEqual(last.position, 10000 + 2 * 4096 - 128);
    assert.deepStrictEqual(Array.from(last.short), [32, 0], 'every quantum short of frames');
  },

  // An empty block is nothing to play: it neither stops the queue nor makes a sample of NaN.
  'an empty block is skipped': () => {
    const node = new Output();
    post(node, new Float32Array(0), 0);
    post(node, block(3, 50), 0);
    const { left, right } = render(node, 1);
    assert.ok(left.every(Number.isFinite) && right.every(Number.isFinite), 'a sample is not a number');
    assert.deepStrictEqual(origin(left[0]), [3, 0]);
    assert.deepStrictEqual(origin(left[49]), [3, 49]);
  },
};

let failed = 0;
for (const [name, test] of Object.entries(tests)) {
  try {
    test();
    console.log(`ok: ${name}`);
  } catch (e) {
    ++failed;
    console.log(`FAIL: ${name}: ${e.message}`);
  }
}
process.exit(failed ? 1 : 0);
