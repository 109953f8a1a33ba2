// The page's sound output: plays the interleaved stereo blocks the program posts, in order; a
// block that is not there in time is silence (counted). Reports what it played.
class QuorbixOutput extends AudioWorkletProcessor {
  constructor() {
    super();
    this.queue = [];
    this.offset = 0;
    this.played = 0;
    this.peak = 0;
    this.underruns = 0;
    this.port.onmessage = e => {
      this.queue.push(e.data);
      // More than about half a second queued: the program ran ahead (the page was hidden).
      while (this.queue.length > 48) this.queue.shift();
    };
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
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
      this.peak = Math.max(this.peak, Math.abs(left[i]), Math.abs(right[i]));
      if (this.offset >= block.length) {
        this.queue.shift();
        this.offset = 0;
      }
    }
    if (missing && this.played > 0) this.underruns += 1;
    this.played += left.length;
    if (this.played % 4096 < left.length) this.port.postMessage({ played: this.played, peak: this.peak, underruns: this.underruns });
    return true;
  }
}

registerProcessor('quorbix-output', QuorbixOutput);
