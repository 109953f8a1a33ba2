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
    exited: null,
    stderr: [],
    fluid: null,
    programPath: '/app/program',
    audio: { state: 'none', played: 0, peak: 0, recentPeak: 0, underruns: 0, posted: 0, postedPeak: 0, history: [],
             sent: 0, clock: [], frames: [], stalls: 0, longestStallMs: 0 },
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
  const startMs = performance.now();
  page.calendarMs = () => fixedTime !== null ? fixedTime * 1000 + (performance.now() - startMs) : Date.now();

  let canvas, context, image, box, status;
  let scale = 1;

  function fit() {
    const margin = 16;
    scale = Math.max(1, Math.floor(Math.min((innerWidth - margin) / canvas.width, (innerHeight - margin) / canvas.height)));
    canvas.style.width = canvas.width * scale + 'px';
    canvas.style.height = canvas.height * scale + 'px';
  }

  page.openWindow = (title, width, height) => {
    document.title = title;
    canvas.width = width;
    canvas.height = height;
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
    }
    // Where the sound stream stood at each recent frame: a sound its frame started begins there.
    page.audio.frames.push([page.presents, now, page.audio.sent + waitingFrames]);
    if (page.audio.frames.length > 200) page.audio.frames.shift();
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
  page.setCursorVisible = visible => { canvas.style.cursor = visible ? 'default' : 'none'; };

  // Client coordinates of a pointer event: the canvas is scaled by CSS.
  function client(e) {
    const r = canvas.getBoundingClientRect();
    return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
            Math.floor((e.clientY - r.top) * canvas.height / r.height)];
  }
  const kinds = { move: 1, press: 2, release: 3, keyDown: 4, keyUp: 5, focus: 6 };
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
  // The sound's clock, in milliseconds: the page's clock until the output runs, then the output's
  // own, which is what consumes the frames (the two drift apart by a little every minute).
  // The program reads it at every step of its waits: a gap between two readings longer than the
  // sound's lead (the page's thread was busy elsewhere, or the machine) lets the output run short,
  // and is counted (page.audio.stalls).
  let clockBase = 0, contextBase = null, lastReadMs = null;
  page.audioClockMs = () => {
    const now = performance.now();
    if (audioNode && lastReadMs !== null && audioContext.state === 'running') {
      const gap = now - lastReadMs;
      page.audio.longestStallMs = Math.max(page.audio.longestStallMs, gap);
      if (gap > leadFrames / audioContext.sampleRate * 1000) page.audio.stalls += 1;
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
  // The program keeps its mix a little ahead of the clock (leadFrames, which it gives when it
  // opens its output). Until the output runs, the newest blocks (that lead) are kept, so that the
  // output starts with its queue full. page.audio.sent counts the frames handed to the output.
  let leadFrames = 896;
  page.audioOpen = lead => { if (lead > 0) leadFrames = lead; };
  let waiting = [], waitingFrames = 0;
  page.audioPost = frames => {
    page.audio.posted += frames.length / 2;
    for (let i = 0; i < frames.length; i += 7) page.audio.postedPeak = Math.max(page.audio.postedPeak, Math.abs(frames[i]));
    const copy = new Float32Array(frames);
    if (!audioNode || audioContext.state !== 'running') {
      waiting.push(copy);
      waitingFrames += copy.length / 2;
      while (waitingFrames - waiting[0].length / 2 >= leadFrames) waitingFrames -= waiting.shift().length / 2;
      return;
    }
    for (const block of waiting) audioNode.port.postMessage(block, [block.buffer]);
    page.audio.sent += waitingFrames + copy.length / 2;
    waiting = [];
    waitingFrames = 0;
    audioNode.port.postMessage(copy, [copy.buffer]);
  };
  // When the output plays frame `index` of what it was sent, in performance.now() time, from its
  // recent reports (null before the first). The browser's own output latency (outputLatency)
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
        Object.assign(page.audio, e.data);
        // The output's place in what it was sent against its clock, for audioPlayedAt.
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
      if (boxOpen) {
        if (e.key === 'Enter' || e.key === 'Escape') { e.preventDefault(); closeBox(); }
        return;
      }
      // The page's own keys (reload, the developer tools, zoom) stay the browser's.
      if (e.ctrlKey || e.metaKey || e.code === 'F5' || e.code === 'F12') return;
      e.preventDefault();
      if (!e.repeat) push(kinds.keyDown, 0, 0, 0, 0, e.code);
    });
    window.addEventListener('keyup', e => { if (!boxOpen) push(kinds.keyUp, 0, 0, 0, 0, e.code); });
    window.addEventListener('blur', () => push(kinds.focus, 0, 0, 0, 0));
    window.addEventListener('focus', () => push(kinds.focus, 1, 0, 0, 0));
    document.addEventListener('visibilitychange', () => push(kinds.focus, document.hidden ? 0 : 1, 0, 0, 0));
    window.addEventListener('resize', fit);
    box.querySelector('button').addEventListener('click', closeBox);
  }

  // ---------------------------------------------------------------- start
  // options.music: false for a page without music, which loads no music library.
  async function start(program, factory, options = {}) {
    canvas = document.getElementById('screen');
    context = canvas.getContext('2d');
    box = document.getElementById('box');
    status = document.getElementById('status');
    if (page.refused) {
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
    page.module = await factory({
      page,
      arguments: args,
      preRun: [module => {
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

  return { page, start };
})();
