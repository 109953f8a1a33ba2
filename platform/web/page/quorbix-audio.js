// The page's sound output: plays the interleaved stereo blocks the program posts, each at its
// place on the program's sound clock, in two parts that it adds: the sound effects (index 0),
// posted a short lead ahead of the clock, and the music (index 1), posted a long one ahead, so that
// an absence of the page's thread that outlasts the first does not break the second. Every block
// says its part, where it starts (`at`, in frames of the clock) and where the clock stood when
// it was posted (`now`). The output keeps to that clock: a frame not there in time is silence,
// and a frame whose time has passed (it came late, after a gap, or the output started behind) is
// dropped rather than played late, which would put every sound after it late by as much, for
// good.
//
// The gaps are counted by render quantum: `short[part]`, the quanta in which a part had no frame
// for a place, and `underruns`, those of them in which the frames missing were not silence (the
// output then played other than the program's mix). Which it was is known when the part's
// frames come again: what arrived too late is looked at as it is dropped, and the program says
// (`lost`) when it did not post sound whose time had already passed. A part with nothing to play
// meanwhile (the sound effects, most of the time) loses nothing by a gap.
//
// Reports what it played about ten times a second: frames, the loudest sample so far and since
// the last report, the gaps, and the place on the clock it was playing at which time of its own
// clock.
const kParts = 2;
// Frames a part may hold queued: a second. More means the program ran ahead of the output, and
// the oldest blocks go.
const kMostQueued = 44100;

class QuorbixOutput extends AudioWorkletProcessor {
  constructor() {
    super();
    // Each part: its blocks ({ frames, at }, in order), the samples of the first already played
    // or dropped, whether a block came, its quanta short, and the gap under way: its quanta so
    // far and whether what it lacked was sound.
    this.parts = [];
    for (let p = 0; p < kParts; ++p)
      this.parts.push({ queue: [], offset: 0, started: false, short: 0, gapQuanta: 0, gapHeard: false, heard: 0 });
    this.position = 0;    // the place on the program's clock of the next frame played
    this.played = 0;
    this.peak = 0;
    this.recentPeak = 0;
    this.underruns = 0;
    this.started = false;
    this.port.onmessage = e => this.receive(e.data);
  }

  receive({ part = 0, frames, at, now, lost = false }) {
    const p = this.parts[part];
    if (!p) return;
    // Sound the program rendered for a place already passed and did not post: the gap was heard.
    if (lost && p.started) p.gapHeard = true;
    if (!frames || frames.length === 0) return;
    if (!this.started) this.position = at;
    this.started = true;
    p.started = true;
    p.queue.push({ frames, at });
    // Behind the program's clock (the output started late): catch up.
    if (now > this.position) this.position = now;
    while (p.queue.length > 1 && this.queuedFrames(p) > kMostQueued) {
      p.queue.shift();
      p.offset = 0;
    }
  }

  queuedFrames(p) {
    let frames = -p.offset / 2;
    for (const b of p.queue) frames += b.frames.length / 2;
    return frames;
  }

  // Drops the part's frames whose time has passed (looking, during a gap, at whether they were
  // sound), then adds its frame for the present place into out[] and says whether it had one.
  take(p, out) {
    while (p.queue.length > 0) {
      const head = p.queue[0];
      const stale = this.position - (head.at + p.offset / 2);
      if (stale <= 0) break;
      const end = Math.min(head.frames.length, p.offset + 2 * stale);
      if (p.gapQuanta > 0 && !p.gapHeard) {
        for (let k = p.offset; k < end; ++k) {
          if (head.frames[k] !== 0) {
            p.gapHeard = true;
            break;
          }
        }
      }
      if (end < head.frames.length) {
        p.offset = end;
        break;
      }
      p.queue.shift();
      p.offset = 0;
    }
    const head = p.queue[0];
    if (!head || head.at + p.offset / 2 !== this.position) return false;
    out[0] += head.frames[p.offset];
    out[1] += head.frames[p.offset + 1];
    p.offset += 2;
    if (p.offset >= head.frames.length) {
      p.queue.shift();
      p.offset = 0;
    }
    return true;
  }

  // The part's frames are there again: the gap it had is over, and counted.
  endGap(p) {
    if (p.gapQuanta === 0) return;
    if (p.gapHeard) {
      p.heard += p.gapQuanta;
      this.underruns += p.gapQuanta;
    }
    p.gapQuanta = 0;
    p.gapHeard = false;
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    const position = this.position;
    const time = typeof currentTime === 'number' ? currentTime : 0;
    const missing = new Array(kParts).fill(false);
    const out = [0, 0];
    for (let i = 0; i < left.length; ++i) {
      out[0] = out[1] = 0;
      for (let k = 0; k < kParts; ++k) {
        const p = this.parts[k];
        if (this.take(p, out)) this.endGap(p);
        else if (p.started) missing[k] = true;
      }
      left[i] = Math.max(-1, Math.min(1, out[0]));
      right[i] = Math.max(-1, Math.min(1, out[1]));
      this.recentPeak = Math.max(this.recentPeak, Math.abs(left[i]), Math.abs(right[i]));
      // Before the first block arrives the clock has not started.
      if (this.started) this.position += 1;
    }
    for (let k = 0; k < kParts; ++k) {
      if (!missing[k]) continue;
      this.parts[k].short += 1;
      this.parts[k].gapQuanta += 1;
    }
    this.played += left.length;
    if (this.played % 4096 < left.length) {
      this.peak = Math.max(this.peak, this.recentPeak);
      this.port.postMessage({ played: this.played, peak: this.peak, recentPeak: this.recentPeak, underruns: this.underruns,
        short: this.parts.map(p => p.short), heard: this.parts.map(p => p.heard), position, time });
      this.recentPeak = 0;
    }
    return true;
  }
}

registerProcessor('quorbix-output', QuorbixOutput);
