// The page's sound output: plays the interleaved stereo blocks the program posts, each at its
// place on the program's sound clock. Every block says where it starts (`at`, in frames of that
// clock) and where the clock stood when it was posted (`now`). The output keeps to that clock: a
// frame not there in time is silence (counted), and a frame whose time has passed (it came late,
// after a gap, or the output started behind) is dropped rather than played late, which would put
// every sound after it late by as much, for good. Reports what it played about ten times a second:
// frames, the loudest sample so far and since the last report, the gaps, and the place on the
// clock it was playing at which time of its own clock.
class QuorbixOutput extends AudioWorkletProcessor {
  constructor() {
    super();
    this.queue = [];      // { frames, at }, in order
    this.offset = 0;      // samples of the first block already played or dropped
    this.position = 0;    // the place on the program's clock of the next frame played
    this.played = 0;
    this.peak = 0;
    this.recentPeak = 0;
    this.underruns = 0;
    this.started = false;
    this.port.onmessage = e => this.receive(e.data);
  }

  receive({ frames, at, now }) {
    if (!frames || frames.length === 0) return;
    if (!this.started) this.position = at;
    this.started = true;
    this.queue.push({ frames, at });
    // Behind the program's clock (the output started late): catch up.
    if (now > this.position) this.position = now;
    // More than about half a second queued: the program ran ahead of the output. The oldest
    // blocks go.
    while (this.queue.length > 1 && this.queuedFrames() > 22050) {
      this.queue.shift();
      this.offset = 0;
      this.position = Math.max(this.position, this.queue[0].at);
    }
  }

  queuedFrames() {
    let frames = -this.offset / 2;
    for (const b of this.queue) frames += b.frames.length / 2;
    return frames;
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    const position = this.position;
    const time = typeof currentTime === 'number' ? currentTime : 0;
    let missing = false;
    for (let i = 0; i < left.length; ++i) {
      // Frames whose time has passed are dropped.
      while (this.queue.length > 0) {
        const head = this.queue[0];
        const stale = this.position - (head.at + this.offset / 2);
        if (stale <= 0) break;
        if (this.offset + 2 * stale < head.frames.length) {
          this.offset += 2 * stale;
          break;
        }
        this.queue.shift();
        this.offset = 0;
      }
      if (this.queue.length === 0) {
        left[i] = right[i] = 0;
        // Before the first block arrives the clock has not started.
        if (this.started) {
          missing = true;
          this.position += 1;
        }
        continue;
      }
      const block = this.queue[0];
      // A block ahead of its time plays now (the clock was read late when it was made).
      this.position = block.at + this.offset / 2 + 1;
      left[i] = block.frames[this.offset];
      right[i] = block.frames[this.offset + 1];
      this.offset += 2;
      this.recentPeak = Math.max(this.recentPeak, Math.abs(left[i]), Math.abs(right[i]));
      if (this.offset >= block.frames.length) {
        this.queue.shift();
        this.offset = 0;
      }
    }
    if (missing) this.underruns += 1;
    this.played += left.length;
    if (this.played % 4096 < left.length) {
      this.peak = Math.max(this.peak, this.recentPeak);
      this.port.postMessage({ played: this.played, peak: this.peak, recentPeak: this.recentPeak, underruns: this.underruns,
        position, time });
      this.recentPeak = 0;
    }
    return true;
  }
}

registerProcessor('quorbix-output', QuorbixOutput);
