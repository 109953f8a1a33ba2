// The page around a program of the web backend: the canvas it draws into, the input it reads,
// the in-page message box, the sound output and the FluidSynth module its music plays through.
// The program's side is platform/web/backend.cpp, which reads all of this through Module.page.
'use strict';

const QuorbixPage = (() => {
  // The music library (libfluidsynth) is a separate module that names itself `Module`; it is told
  // where to report its start before its script runs.
  let fluidReady;
  const fluidStarted = new Promise(resolve => { fluidReady = resolve; });
  window.Module = { onRuntimeInitialized: () => fluidReady(window.Module) };

  const params = new URLSearchParams(location.search);
  const page = {
    events: [],
    presents: 0,
    firstFrameMs: null,
    soundFontLoad: null,
    exited: null,
    stderr: [],
    fluid: null,
    programPath: '/app/program',
    audio: { state: 'none', played: 0, peak: 0, recentPeak: 0, underruns: 0, posted: 0, postedPeak: 0, history: [],
             next: 0, clock: [], frames: [], stalls: 0, longestStallMs: 0, stallsAt: [],
             leadMs: 0, leadMaxMs: 0, leadGrowths: 0, leadSumMs: 0, leadReports: 0, short: [0, 0], heard: [0, 0],
             musicLeadMs: 0, musicLeadMaxMs: 0, musicLeadGrowths: 0, musicLeadSumMs: 0 },
  };
  // A fixed calendar time for repeatable games: ?time=N, whole seconds since 1970 from 0 to the
  // end of the year 9999, as the headless runner's --time takes them. Anything else is refused
  // on the page, and the program does not start (page.refused says why).
  const kLatestTime = 253402300799;
  let fixedTime = null;
  page.refused = null;
  if (params.has('time')) {
    const text = params.get('time');
    fixedTime = /^[0-9]+$/.test(text) ? Number(text) : NaN;
    if (!(fixedTime <= kLatestTime)) {
      page.refused = `?time takes whole seconds from 0 to ${kLatestTime}, not '${text.slice(0, 40)}'`;
      fixedTime = null;
    }
  }
  // The texts' language: ?lang=ja or ?lang=en, as the program's --lang; without it the browser's
  // languages choose.
  if (params.has('lang') && !['ja', 'en'].includes(params.get('lang')))
    page.refused = `?lang takes ja or en, not '${params.get('lang').slice(0, 40)}'`;
  const startMs = performance.now();
  page.calendarMs = () => fixedTime !== null ? fixedTime * 1000 + (performance.now() - startMs) : Date.now();

  let canvas, context, image, box, status, fullButton, shotButton, programName = 'quorbix';
  let scale = 1;

  // The canvas's size on the page: the largest whole scale that fits with a margin; on a screen
  // too small for that (a phone), the largest size below it that keeps the picture's proportions
  // exact in whole CSS pixels, so that a point on it maps back to the same client pixel. Full
  // screen has no margin.
  function fit() {
    const margin = document.fullscreenElement ? 0 : 16;
    const w = canvas.width, h = canvas.height;
    const whole = Math.floor(Math.min((innerWidth - margin) / w, (innerHeight - margin) / h));
    let cssWidth, cssHeight;
    if (whole >= 1) {
      scale = whole;
      cssWidth = w * whole;
      cssHeight = h * whole;
    } else {
      // Steps of the picture's smallest whole proportion (4 x 3 for 480 x 360).
      const g = gcd(w, h), stepW = w / g, stepH = h / g;
      // (A screen just wider than the picture but not its margin shows it at 1.)
      const steps = Math.max(1, Math.min(g, Math.floor(Math.min(innerWidth / stepW, innerHeight / stepH))));
      cssWidth = stepW * steps;
      cssHeight = stepH * steps;
      scale = cssWidth / w;
    }
    canvas.style.width = cssWidth + 'px';
    canvas.style.height = cssHeight + 'px';
    page.scale = scale;
  }
  function gcd(a, b) { while (b) [a, b] = [b, a % b]; return a || 1; }

  page.openWindow = (title, width, height) => {
    document.title = title;
    canvas.width = width;
    canvas.height = height;
    fit();
    return true;
  };
  // The program's picture takes another size: the canvas follows at once, so that the pointer
  // maps onto the new size before the first picture of it arrives.
  page.resizeWindow = (width, height) => {
    canvas.width = width;
    canvas.height = height;
    image = null;
    fit();
    return true;
  };
  page.showWindow = show => { canvas.style.visibility = show ? 'visible' : 'hidden'; if (show) canvas.focus(); };
  page.present = (rgba, width, height) => {
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      fit();
    }
    if (!image || image.width !== width || image.height !== height) image = context.createImageData(width, height);
    image.data.set(rgba);
    context.putImageData(image, 0, 0);
    page.presents += 1;
    const now = performance.now();
    if (page.firstFrameMs === null) {
      page.firstFrameMs = now;
      performance.mark('quorbix-first-frame');
      if (page.wholeFaces.fetch) setTimeout(page.wholeFaces.fetch, 0);
      setTimeout(linkManifest, 0);
    }
    // Where the sound stream stood at each recent frame: a sound its frame started begins there.
    page.audio.frames.push([page.presents, now, page.audio.next]);
    if (page.audio.frames.length > 200) page.audio.frames.shift();
    if (whenShown) {
      setTimeout(whenShown, 0);
      whenShown = null;
    }
  };
  // A text as a NUL-terminated copy in the music library's memory, for its C calls (the caller
  // frees it with fluid._free).
  page.fluidText = text => {
    const bytes = new TextEncoder().encode(text);
    const p = page.fluid._malloc(bytes.length + 1);
    page.fluid.HEAPU8.set(bytes, p);
    page.fluid.HEAPU8[p + bytes.length] = 0;
    return p;
  };
  // The page's manifest (what installs it as an app) is linked once the first frame is shown: a
  // browser that reads it fetches an icon too, which would share the link with the program's
  // files before then.
  function linkManifest() {
    if (document.querySelector('link[rel=manifest]')) return;
    const link = document.createElement('link');
    link.rel = 'manifest';
    link.href = `${programName}.webmanifest`;
    document.head.appendChild(link);
  }
  page.setCursorVisible = visible => { canvas.style.cursor = visible ? 'default' : 'none'; };

  // Client coordinates of a pointer event or a touch: the canvas is scaled by CSS.
  function client(e) {
    const r = canvas.getBoundingClientRect();
    return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
            Math.floor((e.clientY - r.top) * canvas.height / r.height)];
  }
  const kinds = { move: 1, press: 2, release: 3, keyDown: 4, keyUp: 5, focus: 6, text: 7 };
  function push(kind, a, b, c, d, code) { page.events.push({ kind, a, b, c, d, code }); }

  // ---------------------------------------------------------------- the message box
  let boxOpen = false;
  page.showBox = (text, caption, warning) => {
    box.querySelector('.caption').textContent = caption;
    box.querySelector('.text').textContent = text;
    box.classList.toggle('warning', warning);
    box.hidden = false;
    boxOpen = true;
    box.querySelector('button').focus();
  };
  page.boxOpen = () => boxOpen;
  function closeBox() {
    if (!boxOpen) return;
    box.hidden = true;
    boxOpen = false;
    canvas.focus();
  }

  // ---------------------------------------------------------------- sound
  // The program renders its mix ahead and posts it here; a worklet plays it. Browsers start sound
  // only after a click or a key, so the output is made on the first one.
  let audioNode = null, audioContext = null;
  // The sound's leads: how far ahead of the output's clock the program keeps each part of its mix
  // (frames at 44.1 kHz): the sound effects' (index 0) and the music's (index 1). A lead is how late
  // a sound of that part is heard after its frame, and what the output plays of it while the
  // page's thread is away (its layout, garbage collection, a busy machine): a longer absence while
  // the part sounds is a gap heard. The effects' lead rests short (about 20 ms), for sounds heard
  // soon after their frames; the music's long (about 150 ms), more than the thread is away on a
  // quiet machine, and the music's own commands, all it delays, are not heard as late. Each
  // adapts: when the thread was away for more than half of it while the part sounded, or the
  // output lost sound of that part all the same, it grows at once to cover that absence again
  // (at least its grown floor, at most its most), and after kHoldLeadMs with none it shrinks
  // back slowly to its rest, so that a busy moment costs latency for a while, not a crackle.
  // The blocks stay contiguous whatever a lead does: a longer lead renders more at once, a
  // shorter one renders nothing until the clock has caught up. An absence while the sound effects
  // are silent grows nothing: the output loses nothing by it, and the next sound is heard as soon.
  const kHoldLeadMs = 2000;
  function makeLead(restFrames, grownMs, mostMs, shrinkMsPerSecond) {
    return { rest: restFrames, frames: restFrames, grownMs, mostMs, shrinkMsPerSecond, grownAt: -Infinity, shrunkAt: 0,
             growths: 0, maxFrames: restFrames };
  }
  const leads = [makeLead(896, 100, 160, 10), makeLead(6615, 200, 400, 20)];
  const leadMs = l => l.frames / 44.1;
  function noteLeads() {
    const [effects, music] = leads;
    page.audio.leadMs = leadMs(effects);
    page.audio.leadMaxMs = effects.maxFrames / 44.1;
    page.audio.leadGrowths = effects.growths;
    page.audio.musicLeadMs = leadMs(music);
    page.audio.musicLeadMaxMs = music.maxFrames / 44.1;
    page.audio.musicLeadGrowths = music.growths;
  }
  function growLead(l, toMs, now) {
    const frames = Math.min(l.mostMs, toMs) * 44.1;
    l.grownAt = now;
    if (frames <= l.frames) return;
    l.frames = frames;
    l.maxFrames = Math.max(l.maxFrames, frames);
    l.growths += 1;
    noteLeads();
  }
  function shrinkLead(l, now) {
    if (now - l.grownAt < kHoldLeadMs) {
      l.shrunkAt = now;
      return;
    }
    l.frames = Math.max(l.rest, l.frames - (now - l.shrunkAt) / 1000 * l.shrinkMsPerSecond * 44.1);
    l.shrunkAt = now;
    noteLeads();
  }
  // An absence of `gap` ms of the page's thread, the part sounding or not.
  function adaptLead(l, gap, sounding, now) {
    const ms = leadMs(l);
    // Longer than the lead: the part ran short, or nearly. Longer than half: an absence as long
    // again would have it run short.
    if (sounding && gap > ms) growLead(l, Math.max(l.grownMs, gap * 1.25), now);
    else if (sounding && gap > ms / 2) growLead(l, gap * 2, now);
    else shrinkLead(l, now);
  }
  page.audioLeadFrames = part => Math.round(leads[part] ? leads[part].frames : leads[0].frames);

  // The sound's clock, in milliseconds: the page's clock until the output runs, then the output's
  // own, which is what consumes the frames (the two drift apart by a little every minute).
  // The program reads it at every step of its waits, saying which parts of its mix sounded (bit 0
  // the effects, bit 1 the music): a gap between two readings longer than half the effects' lead
  // at rest (the page's thread was busy elsewhere, or the machine) would have let that part run
  // short at that lead, and is counted (page.audio.stalls); one longer than half a lead in force
  // while its part sounded grows that lead. Half: the output's clock, as the page reads it, moves
  // in the browser's audio steps and lags the output by up to one (a game with its longest gap at
  // 17.8 ms of a 20.3 ms lead ran short 10 times).
  let clockBase = 0, contextBase = null, lastReadMs = null;
  page.audioClockMs = (sounding = 3) => {
    const now = performance.now();
    if (audioNode && lastReadMs !== null && audioContext.state === 'running') {
      const gap = now - lastReadMs;
      page.audio.longestStallMs = Math.max(page.audio.longestStallMs, gap);
      if (gap > leads[0].rest / audioContext.sampleRate * 500) {
        page.audio.stalls += 1;
        // When, in frames shown, and how long: the first few, for a look at what keeps the thread.
        if (page.audio.stallsAt.length < 20) page.audio.stallsAt.push([page.presents, Math.round(gap)]);
      }
      leads.forEach((l, part) => adaptLead(l, gap, (sounding >> part & 1) !== 0, now));
    }
    lastReadMs = now;
    if (!audioContext || audioContext.state !== 'running') {
      contextBase = null;
      clockBase = Math.max(clockBase, now);
      return clockBase;
    }
    if (contextBase === null) contextBase = audioContext.currentTime * 1000 - clockBase;
    clockBase = Math.max(clockBase, audioContext.currentTime * 1000 - contextBase);
    return clockBase;
  };
  // The program keeps each part of its mix ahead of the clock by its lead (its own, which it
  // gives when it opens its output, is where the lead rests), and posts it in blocks that say
  // their part, their place on the clock (`at`, in frames) and where the clock stood (`now`), and
  // whether sound of the part whose time had passed went unposted (`lost`). Until the output
  // runs, the newest blocks of each part (its lead) are kept, so that the output starts with its
  // queues full. page.audio.next is the place of the next frame of the sound effects the program
  // will post: where the sounds a frame starts begin.
  page.audioOpen = (effectsFrames, musicFrames) => {
    [effectsFrames, musicFrames].forEach((frames, part) => {
      if (frames > 0) leads[part].rest = leads[part].frames = leads[part].maxFrames = frames;
    });
    noteLeads();
  };
  const waiting = [[], []], waitingFrames = [0, 0];
  page.audioPost = (part, frames, at, now, lost) => {
    page.audio.posted += frames.length / 2;
    for (let i = 0; i < frames.length; i += 7) page.audio.postedPeak = Math.max(page.audio.postedPeak, Math.abs(frames[i]));
    const block = { part, frames: new Float32Array(frames), at, now, lost: !!lost };
    if (part === 0) page.audio.next = at + frames.length / 2;
    if (!audioNode || audioContext.state !== 'running') {
      const w = waiting[part];
      block.lost = false;
      w.push(block);
      waitingFrames[part] += frames.length / 2;
      while (waitingFrames[part] - w[0].frames.length / 2 >= leads[part].rest) waitingFrames[part] -= w.shift().frames.length / 2;
      return;
    }
    for (let p = 0; p < waiting.length; ++p) {
      for (const b of waiting[p]) audioNode.port.postMessage({ ...b, now }, [b.frames.buffer]);
      waiting[p] = [];
      waitingFrames[p] = 0;
    }
    audioNode.port.postMessage(block, [block.frames.buffer]);
  };
  // When the output plays frame `index` of the program's clock (the blocks' `at`), in
  // performance.now() time, from its recent reports (null before the first). The browser's own output latency (outputLatency)
  // comes after that, as a device buffer does on the desktop.
  page.audioPlayedAt = index => {
    const clock = page.audio.clock;
    if (!audioContext || clock.length === 0) return null;
    let k = clock.length - 1;
    while (k > 0 && clock[k][0] > index) --k;
    const [position, time] = clock[k];
    const contextTime = time + (index - position) / audioContext.sampleRate;
    return performance.now() - (audioContext.currentTime - contextTime) * 1000;
  };
  page.audioOutputLatencyMs = () => audioContext ? ((audioContext.outputLatency || 0) + (audioContext.baseLatency || 0)) * 1000 : null;
  async function startAudio() {
    if (audioContext) return;
    audioContext = new AudioContext({ sampleRate: 44100, latencyHint: 'interactive' });
    page.audio.state = audioContext.state;
    try {
      await audioContext.audioWorklet.addModule('quorbix-audio.js');
      audioNode = new AudioWorkletNode(audioContext, 'quorbix-output', { outputChannelCount: [2] });
      audioNode.port.onmessage = e => {
        // The output lost sound of a part all the same (the thread's absence was not seen in
        // time): its lead grows as for an absence.
        leads.forEach((l, part) => {
          if (e.data.heard[part] > page.audio.heard[part]) growLead(l, l.grownMs, performance.now());
        });
        Object.assign(page.audio, e.data);
        // The leads over time, at each report (about ten a second).
        page.audio.leadSumMs += leadMs(leads[0]);
        page.audio.musicLeadSumMs += leadMs(leads[1]);
        page.audio.leadReports += 1;
        // The output's place on the program's clock against its own clock, for audioPlayedAt.
        page.audio.clock.push([e.data.position, e.data.time]);
        if (page.audio.clock.length > 200) page.audio.clock.shift();
        // The loudness of the last seconds, for a look at what was just heard.
        page.audio.history.push([performance.now(), e.data.recentPeak]);
        if (page.audio.history.length > 100) page.audio.history.shift();
      };
      audioNode.connect(audioContext.destination);
      await audioContext.resume();
    } catch (e) {
      console.warn('quorbix: no sound output: ' + e);
    }
    page.audio.state = audioContext.state;
    audioContext.onstatechange = () => { page.audio.state = audioContext.state; };
  }
  function gesture() { if (!audioContext) startAudio(); }

  // ---------------------------------------------------------------- touch
  // Touches on the canvas become the mouse messages a program knows: a tap is a left click where
  // it touched; a long press (held still for half a second) and a two-finger tap are a right
  // click; a finger that moves further than a few pixels drags with the left button down. The
  // page takes no scroll, zoom or selection from them (touch-action: none, and each is consumed).
  const kLongPressMs = 500;
  const kSlop = 10;               // CSS pixels a finger may wander and still tap
  const kTwoFingerMs = 600;       // a two-finger tap is over within this
  const kDoubleTapMs = 500;
  let touch = null;               // the gesture under way
  let lastTap = { at: -1e9, x: 0, y: 0, count: 0 };

  function point(t) { return { x: t.clientX, y: t.clientY }; }
  function far(a, b) { return Math.hypot(a.x - b.x, a.y - b.y) > kSlop; }
  function clientAt(p) { return client({ clientX: p.x, clientY: p.y }); }
  function click(button, p, count) {
    const [x, y] = clientAt(p);
    push(kinds.move, 0, x, y, 0);
    push(kinds.press, button, x, y, count);
    push(kinds.release, button, x, y, 0);
  }

  function touchStart(e) {
    e.preventDefault();
    canvas.focus();
    for (const t of e.changedTouches) fingerDown(t);
  }

  function fingerDown(t) {
    if (!touch) {
      if (boxOpen) return;
      const p = point(t);
      touch = { id: t.identifier, start: p, at: p, began: performance.now(), mode: 'pending', second: null, timer: 0 };
      const [x, y] = clientAt(p);
      push(kinds.move, 0, x, y, 0);
      touch.timer = setTimeout(() => {
        if (!touch || touch.mode !== 'pending') return;
        touch.mode = 'done';
        click(2, touch.at, 1);
      }, kLongPressMs);
    } else if (touch.mode === 'pending') {
      // A second finger before the first became a tap, a long press or a drag: a two-finger tap.
      clearTimeout(touch.timer);
      touch.mode = 'two';
      touch.second = { id: t.identifier, start: point(t), at: point(t) };
    } else if (touch.mode === 'two') {
      touch.mode = 'done';   // a third finger: no gesture of ours
    }
  }

  function touchMove(e) {
    e.preventDefault();
    if (!touch) return;
    for (const t of e.changedTouches) {
      if (t.identifier === touch.id) touch.at = point(t);
      else if (touch.second && t.identifier === touch.second.id) touch.second.at = point(t);
    }
    if (touch.mode === 'two' && (far(touch.at, touch.start) || far(touch.second.at, touch.second.start))) touch.mode = 'done';
    if (touch.mode === 'pending' && far(touch.at, touch.start)) {
      // A drag: the left button goes down where the finger first touched.
      clearTimeout(touch.timer);
      touch.mode = 'drag';
      const [x, y] = clientAt(touch.start);
      push(kinds.press, 0, x, y, 1);
    }
    if (touch.mode === 'drag') {
      const [x, y] = clientAt(touch.at);
      push(kinds.move, 0, x, y, 0);
    }
  }

  function touchEnd(e) {
    e.preventDefault();
    if (e.type === 'touchend') gesture();   // a finger lifted is what lets a page start its sound
    if (!touch) return;
    const g = touch;
    const leadLifted = [...e.changedTouches].some(t => t.identifier === g.id);
    for (const t of e.changedTouches) if (t.identifier === g.id) g.at = point(t);
    if (g.mode === 'drag' && leadLifted) {
      const [x, y] = clientAt(g.at);
      push(kinds.release, 0, x, y, 0);
      g.mode = 'done';
    }
    if (e.targetTouches.length > 0) return;   // the gesture ends with its last finger on the canvas
    clearTimeout(g.timer);
    touch = null;
    if (e.type === 'touchcancel') return;   // the browser took the touch away: no click
    if (g.mode === 'pending') {
      const now = performance.now();
      const again = now - lastTap.at < kDoubleTapMs && !far(g.start, lastTap);
      const count = again ? lastTap.count + 1 : 1;
      lastTap = { at: now, x: g.start.x, y: g.start.y, count };
      click(0, g.start, count);
    } else if (g.mode === 'two' && performance.now() - g.began < kTwoFingerMs) {
      click(2, { x: (g.start.x + g.second.start.x) / 2, y: (g.start.y + g.second.start.y) / 2 }, 1);
    }
  }

  // ---------------------------------------------------------------- full screen
  // F11, Alt+Enter or the page's button switch the whole page to the full screen and back; the
  // canvas re-fits on the change, and the program never sees the switch's keys.
  const canFullScreen = () => !!(document.fullscreenEnabled && document.documentElement.requestFullscreen);
  function toggleFullScreen() {
    if (!canFullScreen()) return;   // a browser without it (a phone's, some) keeps the page as it is
    const done = document.fullscreenElement ? document.exitFullscreen() : document.documentElement.requestFullscreen();
    if (done && done.catch) done.catch(e => console.warn('quorbix: full screen: ' + e));
  }
  function isViewSwitch(e) {
    return e.code === 'F11' || ((e.code === 'Enter' || e.code === 'NumpadEnter') && e.altKey);
  }
  let switchKey = null;

  // ---------------------------------------------------------------- screenshot
  // F12 or the page's button download the picture shown, at the program's own size (the canvas's,
  // not the page's scaled one), as a PNG named as the desktop names its screenshots:
  // PROGRAM-YYYY-MM-DD-HHMMSS.png in local time. The program never sees F12.
  function screenshot() {
    if (!page.presents) return;
    const d = new Date(), two = n => String(n).padStart(2, '0');
    const name = `${programName.replace(/[^A-Za-z0-9._-]/g, '-')}-${d.getFullYear()}-${two(d.getMonth() + 1)}-` +
      `${two(d.getDate())}-${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}.png`;
    canvas.toBlob(blob => {
      if (!blob) return;
      const link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = name;
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, 'image/png');
  }

  // ---------------------------------------------------------------- gamepads
  // The browser's gamepads as the program's two joysticks: the first two connected, in the
  // browser's order (pulling one out moves the next one up, as on the desktop). The first stick's
  // axes on the 0 to 65535 scale with the centre at 32767, the standard layout's pad overriding
  // them while held; buttons 1 to 4 (the face buttons A, B, X, Y) in bits 0 to 3.
  function axisOnScale(a) {
    a = Number(a);
    a = Number.isNaN(a) ? 0 : Math.max(-1, Math.min(1, a));   // what is no number reads as the centre
    return a <= 0 ? Math.round(32767 * (1 + a)) : 32767 + Math.round(32768 * a);
  }
  page.readJoystick = id => {
    let pads;
    try {
      pads = navigator.getGamepads ? navigator.getGamepads() : [];
    } catch (e) {
      return null;   // not allowed on this page
    }
    const pad = [...(pads || [])].filter(p => p && p.connected)[id];
    if (!pad) return null;
    const axes = pad.axes || [], buttons = pad.buttons || [];
    const down = i => !!(buttons[i] && (buttons[i].pressed || buttons[i].value > 0.5));
    let x = axisOnScale(axes.length > 0 ? axes[0] : 0), y = axisOnScale(axes.length > 1 ? axes[1] : 0);
    if (pad.mapping === 'standard') {
      if (down(14) !== down(15)) x = down(14) ? 0 : 65535;
      if (down(12) !== down(13)) y = down(12) ? 0 : 65535;
    }
    let mask = 0;
    for (let b = 0; b < 4; ++b) if (down(b)) mask |= 1 << b;
    return [x, y, mask];
  };

  // ---------------------------------------------------------------- input
  function listen() {
    canvas.addEventListener('contextmenu', e => e.preventDefault());
    canvas.addEventListener('mousemove', e => { const [x, y] = client(e); push(kinds.move, 0, x, y, 0); });
    canvas.addEventListener('mousedown', e => {
      e.preventDefault();
      canvas.focus();
      gesture();
      const [x, y] = client(e);
      push(kinds.press, e.button, x, y, e.detail);
    });
    window.addEventListener('mouseup', e => {
      if (boxOpen) return;
      const [x, y] = client(e);
      push(kinds.release, e.button, x, y, 0);
    });
    window.addEventListener('keydown', e => {
      gesture();
      if (isViewSwitch(e) || e.code === 'F12') {
        e.preventDefault();
        if (!e.repeat) e.code === 'F12' ? screenshot() : toggleFullScreen();
        switchKey = e.code;
        return;
      }
      if (boxOpen) {
        if (e.key === 'Enter' || e.key === 'Escape') { e.preventDefault(); closeBox(); }
        return;
      }
      // The page's own keys (reload, the developer tools, zoom) stay the browser's.
      if (e.ctrlKey || e.metaKey || e.code === 'F5') return;
      e.preventDefault();
      if (!e.repeat) push(kinds.keyDown, 0, 0, 0, 0, e.code);
      // A key that types one character ("a", "A", "é", "あ" from a layout that has it) types it,
      // repeats too; named keys ("Enter", "Backspace", "Shift") type nothing.
      const typed = [...(e.key || '')];
      if (typed.length === 1 && !e.isComposing) push(kinds.text, typed[0].codePointAt(0), 0, 0, 0);
    });
    window.addEventListener('keyup', e => {
      // The switch's (or F12's) key is held back until it is released, Alt let go first or not.
      if (e.code === switchKey) {
        switchKey = null;
        return;
      }
      if (!boxOpen) push(kinds.keyUp, 0, 0, 0, 0, e.code);
    });
    window.addEventListener('blur', () => push(kinds.focus, 0, 0, 0, 0));
    window.addEventListener('focus', () => push(kinds.focus, 1, 0, 0, 0));
    document.addEventListener('visibilitychange', () => push(kinds.focus, document.hidden ? 0 : 1, 0, 0, 0));
    window.addEventListener('resize', fit);
    window.addEventListener('orientationchange', fit);
    document.addEventListener('fullscreenchange', () => {
      fit();
      if (fullButton) fullButton.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
    });
    const active = { passive: false };
    canvas.addEventListener('touchstart', touchStart, active);
    canvas.addEventListener('touchmove', touchMove, active);
    canvas.addEventListener('touchend', touchEnd, active);
    canvas.addEventListener('touchcancel', touchEnd, active);
    if (fullButton) {
      fullButton.hidden = !canFullScreen();
      fullButton.addEventListener('click', () => { gesture(); toggleFullScreen(); canvas.focus(); });
    }
    if (shotButton) {
      shotButton.hidden = false;
      shotButton.addEventListener('click', () => { screenshot(); canvas.focus(); });
    }
    box.querySelector('button').addEventListener('click', closeBox);
  }

  // ---------------------------------------------------------------- offline
  // The page's service worker (PROGRAM.service-worker.js, written by the build) keeps its files
  // for playing offline. It is registered once the program shows its first frame, so that its
  // download does not slow the start. A new build found on a later visit is fetched in the
  // background and waits: this page goes on with the build it started with, and the new one
  // starts once every window of the page has been closed; the page says so. What happened is in
  // page.offline: state 'ready' (kept), 'updated' (a new build kept, waiting), 'failed' (keeping
  // or updating failed: error says why, and the status line), 'removed' (the worker is gone from
  // the server and the copy with it) or 'unavailable'.
  page.offline = { state: 'none', error: null, notes: [] };
  let whenShown = null;
  function note(text, seconds) {
    status.textContent = text;
    status.hidden = false;
    // The note over the picture goes after a while (unless the status line says more by then).
    setTimeout(() => { if (status.textContent === text) status.hidden = true; }, seconds * 1000);
  }
  function failed(error) {
    page.offline.state = 'failed';
    page.offline.error = error;
    page.offline.notes.push(error);
    console.warn('quorbix: this page cannot be kept for playing offline: ' + error);
    note(`This page could not be kept for playing offline: ${error}.`, 15);
  }
  function keepOffline(program, scope) {
    if (!scope || !('serviceWorker' in navigator) || !window.isSecureContext) {
      page.offline.state = 'unavailable';
      return;
    }
    const worker = navigator.serviceWorker;
    const script = `${program}.service-worker.js`;
    const scopeUrl = new URL(scope, location.href).href;
    // The worker's word on a failed update or on the copy switched off (it tells every page of
    // the origin; the ones of its own scope and program listen).
    worker.addEventListener('message', event => {
      const m = event.data;
      if (!m || !m.quorbixOffline || m.scope !== scopeUrl || m.program !== program) return;
      if (m.quorbixOffline.state === 'removed') {
        page.offline.state = 'removed';
        page.offline.error = m.quorbixOffline.error;
        page.offline.notes.push(m.quorbixOffline.error);
        note(`${m.quorbixOffline.error}.`, 15);
      } else {
        failed(m.quorbixOffline.error);
      }
    });
    worker.startMessages();
    // Resolves once the worker is installed (kept), rejects when it fails to keep the files.
    const installed = incoming => new Promise((resolve, reject) => {
      const settle = () => {
        if (['installed', 'activating', 'activated'].includes(incoming.state)) resolve();
        else if (incoming.state === 'redundant') reject(new Error('the files could not all be fetched and kept'));
      };
      incoming.addEventListener('statechange', settle);
      settle();
    });
    // Whether the worker's script is gone from the server (404 or 410): the page has been taken
    // off, and so is its offline copy (the worker does the same on a visit).
    const takenOff = async () => {
      const gone = await fetch(script, { cache: 'no-store' }).then(r => r.status === 404 || r.status === 410, () => false);
      if (!gone) return false;
      const registration = await worker.getRegistration(scope).catch(() => null);
      if (registration && registration.scope === scopeUrl) await registration.unregister().catch(() => {});
      for (const name of await caches.keys()) {
        if (name.startsWith(`${program}@`) && name.endsWith(` ${scopeUrl}`)) await caches.delete(name);
      }
      page.offline.state = 'removed';
      page.offline.error = `${script} is gone from the server: this page is no longer kept for playing offline`;
      page.offline.notes.push(page.offline.error);
      return true;
    };
    const register = async () => {
      let registration;
      try {
        registration = await worker.register(script, { scope, updateViaCache: 'none' });
      } catch (e) {
        if (!(await takenOff())) failed(String(e));
        return;
      }
      const kept = !!registration.active;
      // Registering a known worker may end before the browser has looked for a new one: look
      // now, and wait for what it finds.
      try {
        await registration.update();
      } catch (e) {
        // Offline, looking for a new build fails; the kept one is still there.
        if (kept && !navigator.onLine) {
          page.offline.state = 'ready';
          return;
        }
        if (!(await takenOff()) && page.offline.state !== 'removed') failed(`looking for a new version failed: ${e && e.message || e}`);
        return;
      }
      const incoming = registration.installing || registration.waiting;
      try {
        if (incoming) await installed(incoming);
      } catch (e) {
        // (The worker's own message says why, when it could.)
        if (page.offline.state !== 'failed') failed(kept ? `the new version could not be kept: ${e.message}` : e.message);
        return;
      }
      if (kept && incoming) {
        page.offline.state = 'updated';
        note('A new version of this page has been saved: close every window of this page and open it again to play it.', 15);
      } else if (page.offline.state === 'none') {
        page.offline.state = 'ready';
      }
    };
    whenShown = () => { register(); };
  }

  // ---------------------------------------------------------------- faces
  // A page whose program packs a small cut of its faces (what it draws at start) fetches the
  // whole faces once its first frame is shown, or sooner when a text needs a character outside
  // the cut (the program waits for them then: platform/text/web/font_match.cpp, which writes them
  // into its file system). A failed fetch is tried again, less and less often: the program never
  // draws such a character with a wrong glyph, it waits. page.wholeFaces says what happened:
  // state 'none', 'fetching', 'here' (fetched) or 'taken' (in the program's use); requestedMs,
  // arrivedMs and takenMs on the page's clock; bytes (uncompressed); waits, each text's wait.
  page.wholeFaces = { state: 'none', fetch: null, files: null, waits: [], requestedMs: null, arrivedMs: null,
                      takenMs: null, bytes: 0, failures: [] };
  function fetchWholeFaces() {
    const w = page.wholeFaces;
    if (w.state !== 'none') return;
    w.state = 'fetching';
    w.requestedMs = performance.now();
    const get = async name => {
      for (let delay = 500; ; delay = Math.min(delay * 2, 30000)) {
        try {
          const r = await fetch(`fonts/${name}`);
          if (r.ok) return new Uint8Array(await r.arrayBuffer());
          w.failures.push(`fonts/${name}: HTTP ${r.status}`);
        } catch (e) {
          w.failures.push(`fonts/${name}: ${e && e.message || e}`);
        }
        console.warn(`quorbix: fetching the whole faces failed (${w.failures[w.failures.length - 1]}); trying again`);
        await new Promise(r => setTimeout(r, delay));
      }
    };
    const names = ['quorbix-gothic.woff2', 'quorbix-mincho.woff2'];
    Promise.all(names.map(get)).then(list => {
      w.files = {};
      names.forEach((name, i) => { w.files[name] = list[i]; w.bytes += list[i].length; });
      w.arrivedMs = performance.now();
      w.state = 'here';
    });
  }

  // ---------------------------------------------------------------- saved data
  // The program's saved data (SaveData, LoadData) lies under /userdata in its file system: a
  // copy of what the browser keeps for this site in IndexedDB, read whole before the program
  // starts (its first LoadData finds it), and written through file by file as the program saves
  // (platform/files/web/user_data.cpp). A file is one record, put whole in one transaction, so
  // it is there whole or not at all; records are only ever put, never removed, so that two pages
  // of the site, or the page open twice, never take away each other's files.
  const kSavedDb = 'quorbix-saved-data', kSavedStore = 'files', kSavedRoot = '/userdata';
  const saved = {
    ready: false,
    root: kSavedRoot,
    why: 'the browser keeps no data for this page',
    loaded: 0,             // files read at the start
    db: null,
    writes: new Map(),     // number -> { state: 0 working, 1 kept, -1 refused; error }
    next: 1,
  };
  page.saved = saved;
  const request = r => new Promise((resolve, reject) => {
    r.onsuccess = () => resolve(r.result);
    r.onerror = () => reject(r.error || new Error('the request failed'));
  });
  // Only names under the folder, without '.' or '..' parts, are files of it.
  const savedPathGood = p => typeof p === 'string' && p.startsWith(kSavedRoot + '/') &&
    p.slice(1).split('/').every(part => part !== '' && part !== '.' && part !== '..');
  // Read from the browser's storage as soon as the page starts (beside the program's download),
  // written into the program's file system before it runs (putSaved, in its preRun).
  async function readSaved() {
    try {
      if (typeof indexedDB === 'undefined' || !indexedDB) throw new Error('this browser has no IndexedDB');
      const open = indexedDB.open(kSavedDb, 1);
      open.onupgradeneeded = () => open.result.createObjectStore(kSavedStore);
      // A browser that never answers (the database held by another tab's upgrade) does not keep
      // the program from starting: it starts without saved data.
      const db = await Promise.race([request(open), new Promise((_, reject) =>
        setTimeout(() => reject(new Error('the browser did not open its storage within 5 s')), 5000))]);
      const tx = db.transaction(kSavedStore, 'readonly');
      const store = tx.objectStore(kSavedStore);
      const [keys, values] = await Promise.all([request(store.getAllKeys()), request(store.getAll())]);
      return { db, keys, values };
    } catch (e) {
      return { error: e };
    }
  }
  function putSaved(FS, got) {
    if (got.error) {
      saved.why = `the browser keeps no data for this page (${got.error && got.error.message || got.error})`;
      return;
    }
    FS.mkdirTree(kSavedRoot);
    got.keys.forEach((key, i) => {
      const value = got.values[i];
      if (!savedPathGood(key) || !(value instanceof Uint8Array)) return;
      FS.mkdirTree(key.slice(0, key.lastIndexOf('/')));
      FS.writeFile(key, value);
      saved.loaded += 1;
    });
    saved.db = got.db;
    saved.ready = true;
  }
  saved.keep = (module, path) => {
    if (!saved.ready || !savedPathGood(path)) return 0;
    const id = saved.next++;
    const write = { state: 0, error: '' };
    saved.writes.set(id, write);
    const refused = e => { write.state = -1; write.error = String(e && e.message || e || 'the transaction was aborted'); };
    try {
      const tx = saved.db.transaction(kSavedStore, 'readwrite');
      tx.objectStore(kSavedStore).put(module.FS.readFile(path), path);
      tx.oncomplete = () => { write.state = 1; };
      tx.onerror = () => refused(tx.error);
      tx.onabort = () => refused(tx.error);
    } catch (e) {
      refused(e);
    }
    return id;
  };
  // A write's state; asked once it is over, it is forgotten.
  saved.state = id => {
    const write = saved.writes.get(id);
    if (!write) return -1;
    if (write.state === 1) saved.writes.delete(id);
    return write.state;
  };
  saved.error = id => {
    const write = saved.writes.get(id);
    saved.writes.delete(id);
    return write ? write.error : 'no such write';
  };

  // ---------------------------------------------------------------- the program's files, early
  // The page's head names the program's code and packed data (link rel=preload data-quorbix), so
  // that the browser fetches them beside the page's scripts instead of after them. As soon as this
  // script runs, the code is compiled as it arrives (on the browser's own threads, while the other
  // scripts are read and run), the data is taken as it comes and the saved data is read; the
  // program is made once all are here, and instantiates its compiled code at once. A file that
  // could not be had this way is left to the program's own loader, which fetches it again.
  // page.loading says when each was ready (ms on the page's clock) and what went wrong.
  page.loading = { wasmMs: null, dataMs: null, savedMs: null, factoryMs: null, notes: [] };
  const early = {};
  function fetchOk(url) {
    return fetch(url, { credentials: 'same-origin' }).then(r => {
      if (!r.ok) throw new Error(`${url}: HTTP ${r.status}`);
      return r;
    });
  }
  function startEarly() {
    for (const link of document.querySelectorAll('link[rel=preload][data-quorbix]')) {
      const url = link.getAttribute('href');
      const done = name => value => { page.loading[name] = performance.now(); return value; };
      if (link.dataset.quorbix === 'wasm') {
        // A server that does not send application/wasm cannot stream it: compiled whole then.
        early.wasm = WebAssembly.compileStreaming(fetchOk(url)).catch(e => {
          page.loading.notes.push(`${url}: compiled whole, not as it came (${e && e.message || e})`);
          return fetchOk(url).then(r => r.arrayBuffer()).then(b => WebAssembly.compile(b));
        }).then(done('wasmMs'));
      } else if (link.dataset.quorbix === 'data') {
        early.data = fetchOk(url).then(r => r.arrayBuffer()).then(done('dataMs'));
      }
    }
    savedRead = readSaved().then(got => { page.loading.savedMs = performance.now(); return got; });
  }
  let savedRead = null;

  // ---------------------------------------------------------------- start
  // options.music: false for a page without music, which loads no music library.
  // options.scope: the addresses the page's service worker serves ('./' for the game's folder);
  // without one the page is not kept for playing offline.
  // options.faces: 'later' for a page that packs cuts of its faces and fetches the whole ones.
  async function start(program, factory, options = {}) {
    if (options.faces === 'later') page.wholeFaces.fetch = fetchWholeFaces;
    canvas = document.getElementById('screen');
    context = canvas.getContext('2d');
    box = document.getElementById('box');
    status = document.getElementById('status');
    fullButton = document.getElementById('full');
    shotButton = document.getElementById('shot');
    programName = program;
    // The language links keep the rest of the page's address (?time, ?arg).
    for (const link of document.querySelectorAll('#lang a[hreflang]')) {
      const other = new URLSearchParams(location.search);
      other.set('lang', link.hreflang);
      link.search = '?' + other.toString();
    }
    keepOffline(program, options.scope);
    if (page.refused) {
      linkManifest();
      status.textContent = `This page's address is wrong: ${page.refused}.`;
      console.error('quorbix: ' + page.refused);
      return;
    }
    fit();
    listen();
    page.programPath = '/app/' + program;
    // The music waits at most a few seconds for its library; without it the game is silent. The
    // library loads beside the program's code and data, and the program starts when all are there.
    const fluid = options.music === false ? Promise.resolve(null)
      : Promise.race([fluidStarted, new Promise(r => setTimeout(() => r(null), 5000))]);
    const args = params.getAll('arg');
    if (params.has('lang')) args.unshift('--lang', params.get('lang'));
    // The program's code and data fetched early (above): given to its loader, which then neither
    // fetches them again nor compiles.
    const given = {};
    const [wasm, data] = await Promise.allSettled([early.wasm, early.data]);
    if (early.wasm && wasm.status === 'fulfilled') {
      given.instantiateWasm = (imports, receive) => {
        WebAssembly.instantiate(wasm.value, imports).then(instance => receive(instance, wasm.value), e => {
          console.error(`quorbix: the program's code could not be started: ${e && e.message || e}`);
          status.textContent = 'The program could not be started. Reload the page to try again.';
        });
        return {};
      };
    } else if (early.wasm) {
      page.loading.notes.push(`the code was fetched again (${wasm.reason && wasm.reason.message || wasm.reason})`);
    }
    if (early.data && data.status === 'fulfilled') {
      let buffer = data.value;
      given.getPreloadedPackage = () => { const b = buffer; buffer = null; return b; };
    } else if (early.data) {
      page.loading.notes.push(`the data was fetched again (${data.reason && data.reason.message || data.reason})`);
    }
    if (!savedRead) savedRead = readSaved();
    page.loading.factoryMs = performance.now();
    page.module = await factory({
      ...given,
      page,
      arguments: args,
      preRun: [module => {
        // The saved data is in place before the program's first look at it.
        module.addRunDependency('quorbix-saved');
        savedRead.then(got => {
          try {
            putSaved(module.FS, got);
          } catch (e) {
            saved.why = `the browser keeps no data for this page (${e && e.message || e})`;
          }
          module.removeRunDependency('quorbix-saved');
        });
        module.addRunDependency('quorbix-music');
        fluid.then(f => {
          page.fluid = f;
          if (f) f._fluid_set_log_function(1, 0, 0);
          module.removeRunDependency('quorbix-music');
        });
      }],
      print: text => console.log(text),
      printErr: text => { page.stderr.push(text); console.warn(text); },
      onExit: code => {
        page.exited = code;
        status.textContent = 'The program has ended. Reload the page to start it again.';
        status.hidden = false;
      },
    });
    status.hidden = true;
  }

  if (!page.refused) startEarly();
  return { page, start };
})();
