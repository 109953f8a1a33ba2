// The page's sound output: plays the interleaved stereo blocks the program posts, in order; a
// block that is not there in time is silence (counted). Reports what it played about ten times a
// second: frames, the loudest sample so far and since the last report, the gaps, and where it was
// in what it was sent (position, frames taken or dropped) at which time of its clock.
class QuorbixOutput extends AudioWorkletProcessor {
  constructor() {
    super();
    this.queue = [];
    this.queued = 0;     // frames in the queue, not yet played
    this.offset = 0;
    this.position = 0;
    this.played = 0;
    this.peak = 0;
    this.recentPeak = 0;
    this.underruns = 0;
    this.started = false;
    this.port.onmessage = e => this.receive(e.data);
  }

  receive(block) {
    if (block.length === 0) return;
    this.queue.push(block);
    this.queued += block.length / 2;
    this.started = true;
    // More than about half a second queued: the program ran ahead (the page was hidden). The
    // block playing goes first, and the next one starts at its beginning.
    while (this.queued > 22050 && this.queue.length > 1) {
      const dropped = this.queue.shift().length / 2 - this.offset / 2;
      this.queued -= dropped;
      this.position += dropped;
      this.offset = 0;
    }
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    const position = this.position;
    const time = typeof currentTime === 'number' ? currentTime : 0;
    let missing = false;
    for (let i = 0; i < left.length; ++i) {
      if (this.queue.length === 0) {
        left[i] = right[i] = 0;
        missing = true;
        continue;
      }
      const block = this.queue[0];
      left[i] = block[this.offset];
      right[i] = block[this.offset + 1];
      this.offset += 2;
      this.queued -= 1;
      this.position += 1;
      this.recentPeak = Math.max(this.recentPeak, Math.abs(left[i]), Math.abs(right[i]));
      if (this.offset >= block.length) {
        this.queue.shift();
        this.offset = 0;
      }
    }
    // Before the first block arrives nothing is missing yet.
    if (missing && this.started) this.underruns += 1;
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
