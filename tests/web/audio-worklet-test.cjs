// The page's sound output (platform/web/page/quorbix-audio.js) under node: its queue of posted
// blocks, played through render quanta as the browser asks for them, with a stand-in for the
// browser's worklet base class.
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

function post(node, b) { node.port.onmessage({ data: b }); }
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

const tests = {
  // Blocks longer and shorter than a quantum play back to back, left and right in their places,
  // then silence, counted as one gap.
  'blocks play in order, whole, then silence': () => {
    const node = new Output();
    post(node, block(1, 100));
    post(node, block(2, 200));
    const { left, right } = render(node, 3);
    for (let i = 0; i < 300; ++i) {
      const want = i < 100 ? [1, i] : [2, i - 100];
      assert.deepStrictEqual(origin(left[i]), want, `sample ${i}`);
      assert.strictEqual(right[i], -left[i], `right sample ${i}`);
    }
    assert.ok(left.slice(300).every(s => s === 0), 'silence after the last block');
    assert.strictEqual(node.underruns, 1);
  },

  // A program that ran ahead (a hidden page) overfills the queue past half a second: the block
  // playing is dropped, and the next one starts at its first frame, not where the dropped one had
  // got to. The output's position in what it was sent counts the dropped frames.
  'a dropped head block does not cut into the next': () => {
    const node = new Output();
    post(node, block(0, 300));
    render(node, 1);   // 128 frames into block 0
    for (let n = 1; n <= 73; ++n) post(node, block(n, 300));   // 172 + 73 * 300 frames: too many
    assert.strictEqual(node.queue.length, 73);
    assert.strictEqual(node.position, 300, 'the frames played and dropped');
    const { left } = render(node, 3);
    assert.deepStrictEqual(origin(left[0]), [1, 0], 'the first sample after the drop');
    for (let i = 0; i < 3 * kQuantum; ++i) {
      const want = i < 300 ? [1, i] : [2, i - 300];
      assert.deepStrictEqual(origin(left[i]), want, `sample ${i} after the drop`);
    }
  },

  // The reports say where the output is in what it was sent, at which time of its clock: the
  // pop's delay is measured with them. A gap does not move the position.
  'reports carry the position in the stream': () => {
    const node = new Output();
    post(node, block(1, 4096));
    render(node, 32);   // 4096 frames: one report, made with the last quantum, from its start
    assert.strictEqual(node.reports.length, 1);
    assert.strictEqual(node.reports[0].position, 4096 - 128);
    assert.strictEqual(node.reports[0].underruns, 0);
    post(node, block(2, 64));
    render(node, 32);
    const last = node.reports[node.reports.length - 1];
    assert.strictEqual(last.position, 4096 + 64);
    assert.strictEqual(last.underruns, 32, "every quantum short of frames");
  },

  // An empty block is nothing to play: it neither stops the queue nor makes a sample of NaN.
  'an empty block is skipped': () => {
    const node = new Output();
    post(node, new Float32Array(0));
    post(node, block(3, 50));
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
